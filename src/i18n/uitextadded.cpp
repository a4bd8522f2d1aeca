// English/Chinese pairs for texts that came with the desktop integration (the status shown
// when a keypad is present but may not be opened) and with profiles. Kept apart from the main table so that
// table stays as the interface has always had it.
#include "i18n/uitext.h"

namespace UiText {

const QVector<QPair<QString, QString>> &addedPairs()
{
    static const QVector<QPair<QString, QString>> table = {
        {QStringLiteral("No access to the keypad"), QStringLiteral("无法访问键盘")},
        // Unsaved changes: the question on closing, and edits kept while the keypad was away
        {QStringLiteral("Unsaved changes"), QStringLiteral("未保存的更改")},
        {QStringLiteral("Save the changes to the keypad before closing?"),
         QStringLiteral("关闭前是否将更改保存到键盘？")},
        {QStringLiteral("The changes are still being saved."), QStringLiteral("更改仍在保存中。")},
        {QStringLiteral("The keypad these changes belong to is not connected, so they cannot be "
                        "saved."),
         QStringLiteral("这些更改所属的键盘未连接，无法保存。")},
        {QStringLiteral("Changes not saved yet: %1"), QStringLiteral("尚未保存的更改：%1项")},
        {QStringLiteral("Changes kept for a keypad that is not connected: %1. They are lost when "
                        "the window closes."),
         QStringLiteral("为未连接的键盘保留的更改：%1项，关闭窗口后将丢失。")},
        {QStringLiteral("Connect that keypad and press Save Settings to keep them."),
         QStringLiteral("请连接该键盘并点击“保存设置”以保留这些更改。")},
        {QStringLiteral("The window stays open: not every change was saved."),
         QStringLiteral("窗口保持打开：有更改未能保存。")},
        {QStringLiteral("Unsaved changes restored: %1. Press Save to write them"),
         QStringLiteral("已恢复未保存的更改：%1项，请点击“保存设置”写入键盘")},
        {QStringLiteral("Read the keypad again and drop the changes not saved yet?"),
         QStringLiteral("重新读取键盘并放弃尚未保存的更改？")},
        {QStringLiteral("Press Save Settings first to keep them."),
         QStringLiteral("如需保留，请先点击“保存设置”。")},
        {QStringLiteral("Read Again"), QStringLiteral("重新读取")},
        {QStringLiteral("Save"), QStringLiteral("保存")},
        {QStringLiteral("Discard"), QStringLiteral("不保存")},
        {QStringLiteral("Cancel"), QStringLiteral("取消")},
        {QStringLiteral("OK"), QStringLiteral("确定")},
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
        // Saving and reading: what the status line says while and after it happens
        {QStringLiteral("Saving %1 of %2…"), QStringLiteral("正在保存第%1项，共%2项…")},
        {QStringLiteral("Checking what the keypad holds…"), QStringLiteral("正在核对键盘中的设置…")},
        {QStringLiteral("1 key did not take: %1. Press Save to try again"),
         QStringLiteral("1个按键未能写入键盘：%1。请再次点击保存设置重试")},
        {QStringLiteral("%1 keys did not take: %2. Press Save to try again"),
         QStringLiteral("%1个按键未能写入键盘：%2。请再次点击保存设置重试")},
        {QStringLiteral("1 item did not take: %1. Press Save to try again"),
         QStringLiteral("1项设置未能写入键盘：%1。请再次点击保存设置重试")},
        {QStringLiteral("%1 items did not take: %2. Press Save to try again"),
         QStringLiteral("%1项设置未能写入键盘：%2。请再次点击保存设置重试")},
        {QStringLiteral("1 key could not be checked: %1. Press Save to try again"),
         QStringLiteral("1个按键未能核对：%1。请再次点击保存设置重试")},
        {QStringLiteral("%1 keys could not be checked: %2. Press Save to try again"),
         QStringLiteral("%1个按键未能核对：%2。请再次点击保存设置重试")},
        {QStringLiteral("1 item could not be checked: %1. Press Save to try again"),
         QStringLiteral("1项设置未能核对：%1。请再次点击保存设置重试")},
        {QStringLiteral("%1 items could not be checked: %2. Press Save to try again"),
         QStringLiteral("%1项设置未能核对：%2。请再次点击保存设置重试")},
        {QStringLiteral("1 key is not on this keypad and was not saved: %1"),
         QStringLiteral("此键盘没有1个按键，未保存：%1")},
        {QStringLiteral("%1 keys are not on this keypad and were not saved: %2"),
         QStringLiteral("此键盘没有%1个按键，未保存：%2")},
        {QStringLiteral("Save failed: the changes could not be sent to the keypad. Your changes are "
                        "kept; press Save to try again"),
         QStringLiteral("保存失败：更改未能发送到键盘。您的更改仍然保留，请再次点击保存设置重试")},
        {QStringLiteral("layer %1 key %2"), QStringLiteral("第%1层按键%2")},
        {QStringLiteral("layer %1 lighting"), QStringLiteral("第%1层灯光")},
        {QStringLiteral(", "), QStringLiteral("、")},
        {QStringLiteral("Save failed: the keypad was disconnected. Your changes are kept"),
         QStringLiteral("保存失败：键盘已断开连接。您的更改仍然保留")},
        {QStringLiteral("Save failed: the keypad did not take the changes. Your changes are kept; "
                        "press Save to try again"),
         QStringLiteral("保存失败：键盘没有接受这些更改。您的更改仍然保留，请再次点击保存设置重试")},
        {QStringLiteral("Save failed: the keypad could not store the changes for good. Your changes "
                        "are kept; press Save to try again"),
         QStringLiteral("保存失败：键盘未能永久保存这些更改。您的更改仍然保留，请再次点击保存设置重试")},
        {QStringLiteral("Read incomplete: some keys could not be read. Press View Settings to read again"),
         QStringLiteral("读取不完整：部分按键未能读取。请点击查看配置重新读取")},
        {QStringLiteral("Read again: a reply was lost"), QStringLiteral("有回复丢失，正在重新读取")},
        {QStringLiteral("The keypad is busy: try again in a moment"),
         QStringLiteral("键盘正忙，请稍后再试")},
        {QStringLiteral("Nothing to save"), QStringLiteral("没有需要保存的更改")},

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
        // Several keypads: each named by its model and what tells it from its twin.
        {QStringLiteral("%1 · serial %2"), QStringLiteral("%1 · 序列号 %2")},
        {QStringLiteral("%1 · path %2"), QStringLiteral("%1 · 路径 %2")},
        {QStringLiteral("Keypad %1"), QStringLiteral("键盘 %1")},
        {QStringLiteral("The chosen keypad is not plugged in: now editing %1"),
         QStringLiteral("所选键盘未连接：正在编辑%1")},
        // --- end of page texts and window title -----------------------------------------
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
        {QStringLiteral("Restore Unsaved Changes"), QStringLiteral("恢复未保存的更改")},
        // A keypad that may not be opened: the fix offered beside the status
        {QStringLiteral("How to fix"), QStringLiteral("如何解决")},
        {QStringLiteral("Keypad access"), QStringLiteral("键盘访问权限")},
        {QStringLiteral("The keypad is plugged in, but this user may not open it: the udev rule that "
                        "gives the user at the computer access is not installed. Run these commands "
                        "in a terminal, then unplug the keypad and plug it in again:"),
         QStringLiteral("键盘已插入，但当前用户无权打开它：尚未安装为本机用户授予访问权限的udev规则。"
                        "请在终端中运行以下命令，然后拔下键盘并重新插入：")},
        {QStringLiteral("Copied"), QStringLiteral("已复制")},
        {QStringLiteral("Close"), QStringLiteral("关闭")},
        // Clear with no key selected
        {QStringLiteral("Select a key first"), QStringLiteral("请先选择一个按键")},
    };
    return table;
}

} // namespace UiText
