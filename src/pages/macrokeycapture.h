#pragma once

#include <QtGlobal>

// Maps the Qt key codes of a recorded key event to HID keyboard usages. A shifted
// character records the key that carries it on a US layout ("!" is the "1" key), because a
// macro replays keys, not characters: the Shift press is recorded as a step of its own.
namespace MacroKeyCapture {

// The HID usage for a Qt key code, or -1 for a key the recorder does not take.
int hidUsageForQtKey(int qtKey);

} // namespace MacroKeyCapture
