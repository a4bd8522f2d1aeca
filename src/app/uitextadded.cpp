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
        // Undo and redo, unsaved edits, the panel read aloud
        {QStringLiteral("Undo"), QStringLiteral("撤销")},
        {QStringLiteral("Redo"), QStringLiteral("重做")},
        {QStringLiteral("Undo %1"), QStringLiteral("撤销“%1”")},
        {QStringLiteral("Redo %1"), QStringLiteral("重做“%1”")},
        {QStringLiteral("Key Assignment"), QStringLiteral("按键设置")},
        {QStringLiteral("Lighting Mode"), QStringLiteral("灯光模式")},
        {QStringLiteral("Lighting Colour"), QStringLiteral("灯光颜色")},
        {QStringLiteral("Delay Change"), QStringLiteral("延时修改")},
        {QStringLiteral("Macro Recording"), QStringLiteral("宏录制")},
        {QStringLiteral("1 unsaved change"), QStringLiteral("1 处未保存的更改")},
        {QStringLiteral("%1 unsaved changes"), QStringLiteral("%1 处未保存的更改")},
        {QStringLiteral("Key %1"), QStringLiteral("按键 %1")},
        {QStringLiteral("Knob"), QStringLiteral("旋钮")},
        {QStringLiteral("Knob %1 left turn"), QStringLiteral("旋钮 %1 左转")},
        {QStringLiteral("Knob %1 right turn"), QStringLiteral("旋钮 %1 右转")},
        {QStringLiteral("Knob %1 press"), QStringLiteral("旋钮 %1 按下")},
        {QStringLiteral("Not assigned"), QStringLiteral("未设置")},
        {QStringLiteral("unsaved change"), QStringLiteral("未保存")},
    };
    return table;
}

} // namespace UiText
