// English/Chinese pairs for texts that came with the desktop integration (the status shown
// when a keypad is present but may not be opened) and with profiles. Kept apart from the main table so that
// table stays as the interface has always had it.
#include "i18n/uitext.h"

namespace UiText {

const QVector<QPair<QString, QString>> &addedPairs()
{
    static const QVector<QPair<QString, QString>> table = {
        {QStringLiteral("Keypad found, but access was denied: install the udev rule"),
         QStringLiteral("已找到键盘，但没有访问权限：请安装udev规则")},
        // The language switch of the top bar
        {QStringLiteral("Interface language"), QStringLiteral("界面语言")},
        // Profiles
        {QStringLiteral("Export"), QStringLiteral("导出")},
        {QStringLiteral("Import"), QStringLiteral("导入")},
        {QStringLiteral("Export Profile"), QStringLiteral("导出配置文件")},
        {QStringLiteral("Import Profile"), QStringLiteral("导入配置文件")},
        {QStringLiteral("Keypad profiles (*.json)"), QStringLiteral("键盘配置文件 (*.json)")},
        {QStringLiteral("Profile"), QStringLiteral("配置文件")},
        {QStringLiteral("Profile exported"), QStringLiteral("配置文件已导出")},
        {QStringLiteral("Profile not exported"), QStringLiteral("配置文件未能导出")},
        {QStringLiteral("Profile refused"), QStringLiteral("配置文件无效，未导入")},
        {QStringLiteral("Connect the keypad before importing a profile"),
         QStringLiteral("请先连接键盘再导入配置文件")},
        {QStringLiteral("The keypad is busy: import again in a moment"),
         QStringLiteral("键盘忙，请稍后再导入")},
        {QStringLiteral("The profile matches the keypad: nothing changed"),
         QStringLiteral("配置文件与键盘一致：没有更改")},
        {QStringLiteral("Profile imported: %1 keys, %2 lighting layers changed"),
         QStringLiteral("配置文件已导入：更改了%1个按键、%2层灯光")},
        {QStringLiteral("Save Settings writes the changes to the keypad."),
         QStringLiteral("点击保存设置将更改写入键盘。")},
        {QStringLiteral("Not imported, this keypad cannot hold:"),
         QStringLiteral("未导入，此键盘无法容纳：")},
    };
    return table;
}

} // namespace UiText
