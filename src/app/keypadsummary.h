#pragma once

#include "device/keypadlisting.h"
#include "i18n/uitext.h"

#include <QString>

// How a keypad on the bus is named to the user when several are plugged: its model as the
// panel offers it and what tells it from a twin ("16 keys, 3 knobs · serial 0042").
namespace KeypadSummary {

// The model alone ("16 keys, 3 knobs"); "Keypad 4C4A:4155" while it has not been asked.
QString model(const KeypadEntry &keypad, UiText::Language language);
// The model and the serial number, or the path for a keypad without one.
QString chooserText(const KeypadEntry &keypad, UiText::Language language);

} // namespace KeypadSummary
