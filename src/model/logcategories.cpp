#include "model/logcategories.h"

// QtInfoMsg: debug lines are off by default, warnings and above on; rules can still turn
// the debug lines on.
Q_LOGGING_CATEGORY(lcDevice, "macropad.device", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLegacy, "macropad.legacy", QtInfoMsg)
Q_LOGGING_CATEGORY(lcWindow, "macropad.window", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLayers, "macropad.layers", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLayout, "macropad.layout", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPages, "macropad.pages", QtInfoMsg)

namespace LogCategories {

QString debugRule(bool on)
{
    return on ? QStringLiteral("macropad.*.debug=true") : QStringLiteral("macropad.*.debug=false");
}

} // namespace LogCategories
