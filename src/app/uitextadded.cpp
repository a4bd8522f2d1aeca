// English/Chinese pairs for texts that came with the desktop integration (the status shown
// when a keypad is present but may not be opened). Kept apart from the main table so that
// table stays as the interface has always had it.
#include "app/uitext.h"

namespace UiText {

const QVector<QPair<QString, QString>> &addedPairs()
{
    static const QVector<QPair<QString, QString>> table = {
        {QStringLiteral("Keypad found, but access was denied: install the udev rule"),
         QStringLiteral("已找到键盘，但没有访问权限：请安装udev规则")},
    };
    return table;
}

} // namespace UiText
