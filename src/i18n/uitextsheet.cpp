// English/Chinese pairs of the printed layout sheet and of the window's way to it.
#include "i18n/uitext.h"

namespace UiText {

const QVector<QPair<QString, QString>> &sheetPairs()
{
    static const QVector<QPair<QString, QString>> table = {
        // The Export menu of the top bar
        {QStringLiteral("Profile…"), QStringLiteral("配置文件…")},
        {QStringLiteral("Layout sheet…"), QStringLiteral("按键布局图…")},
        {QStringLiteral("Export Layout Sheet"), QStringLiteral("导出按键布局图")},
        {QStringLiteral("Layout sheets (*.pdf *.svg *.png)"),
         QStringLiteral("按键布局图 (*.pdf *.svg *.png)")},
        {QStringLiteral("Layout sheet"), QStringLiteral("按键布局图")},
        {QStringLiteral("Layout sheet exported"), QStringLiteral("按键布局图已导出")},
        {QStringLiteral("Layout sheet not exported"), QStringLiteral("按键布局图未能导出")},
        // The sheet itself
        {QStringLiteral("Firmware: %1"), QStringLiteral("固件：%1")},
        {QStringLiteral("Layer %1 of %2"), QStringLiteral("第%1层（共%2层）")},
        {QStringLiteral("not saved to the keypad"), QStringLiteral("未保存到键盘")},
        {QStringLiteral("current protocol"), QStringLiteral("当前协议")},
        {QStringLiteral("legacy R10Udav, version %1"), QStringLiteral("旧版R10Udav，版本%1")},
        {QStringLiteral("legacy Old, version %1"), QStringLiteral("旧版Old，版本%1")},
        {QStringLiteral("no keypad connected"), QStringLiteral("未连接键盘")},
        {QStringLiteral("Left turn"), QStringLiteral("左转")},
        {QStringLiteral("Right turn"), QStringLiteral("右转")},
    };
    return table;
}

} // namespace UiText
