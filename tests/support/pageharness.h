#pragma once

// Helpers for tests of the function pages inside the real window: renders for looking at a
// page by eye, and the state the connection controller leaves behind once a keypad was read.

#include <QString>

class QWidget;
class Widget;

namespace testsupport {

// Saves a render of `widget` as <name>.png under $MACROPAD_SHOTS_DIR when that is set.
void saveShot(QWidget *widget, const QString &name);

enum class KeypadKind { Current, R10Udav, Old };

// What the connection controller does once a read of a 16-key, 3-knob, 3-layer keypad of the
// given generation completed.
void deviceRead(Widget &w, KeypadKind kind);

} // namespace testsupport
