#pragma once

#include <QLoggingCategory>

// The diagnostic log, one category per area. Their debug lines are off unless asked for
// (--verbose, or QT_LOGGING_RULES such as "macropad.device.debug=true"); warnings show.
Q_DECLARE_LOGGING_CATEGORY(lcDevice) // "macropad.device": the device link
Q_DECLARE_LOGGING_CATEGORY(lcLegacy) // "macropad.legacy": the legacy link
Q_DECLARE_LOGGING_CATEGORY(lcWindow) // "macropad.window": the main window
Q_DECLARE_LOGGING_CATEGORY(lcLayers) // "macropad.layers": layer buttons and counts
Q_DECLARE_LOGGING_CATEGORY(lcLayout) // "macropad.layout": panel presets
Q_DECLARE_LOGGING_CATEGORY(lcPages)  // "macropad.pages": function pages and controls

namespace LogCategories {

// The rule that turns every category's debug lines on (or off).
QString debugRule(bool on);

} // namespace LogCategories
