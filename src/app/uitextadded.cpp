// English/Chinese pairs for texts that came with the desktop integration (the status shown
// when a keypad is present but may not be opened) and with profiles. Kept apart from the main table so that
// table stays as the interface has always had it.
#include "app/uitext.h"

namespace UiText {

const QVector<QPair<QString, QString>> &addedPairs()
{
    static const QVector<QPair<QString, QString>> table = {
        {QStringLiteral("Keypad found, but access was denied: install the udev rule"),
         QStringLiteral("已找到键盘，但没有访问权限：请安装udev规则")},
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

        // --- Page texts that used to stay English, and the window title -----------------
        // Macro blocks and the legacy delay pages.
        {QStringLiteral("delay"), QStringLiteral("延迟")},
        {QStringLiteral("Press"), QStringLiteral("按下")},
        {QStringLiteral("Release"), QStringLiteral("松开")},
        {QStringLiteral("Delay:"), QStringLiteral("延时：")},
        {QStringLiteral("MS"), QStringLiteral("毫秒")},
        {QStringLiteral("NULL"), QStringLiteral("空")},
        // The window title: the program's name, then the connected keypad's model.
        {QStringLiteral("1 key"), QStringLiteral("1个按键")},
        {QStringLiteral("%1 keys"), QStringLiteral("%1个按键")},
        {QStringLiteral("1 knob"), QStringLiteral("1个旋钮")},
        {QStringLiteral("%1 knobs"), QStringLiteral("%1个旋钮")},
        {QStringLiteral("%1, %2"), QStringLiteral("%1、%2")},
        // --- end of page texts and window title -----------------------------------------
    };
    return table;
}

} // namespace UiText
