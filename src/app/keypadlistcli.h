#pragma once

#include "device/keypadlisting.h"

#include <QString>
#include <QStringList>
#include <QVector>

class HIDManager;

// The console's view of several keypads: `--list` and the `--device` selector.
namespace KeypadListCli {

// One line per keypad: its number, model, identity and path, e.g.
// "1  16 keys, 3 knobs, 4 layers (current protocol)  4C4A:4155 serial 0042  /dev/hidraw3".
QStringList lines(const QVector<KeypadEntry> &keypads);
// The index of the keypad `selector` names (its number in lines(), its serial number, its
// path or its identity); -1 with the reason in `error` when it names none.
int select(const QVector<KeypadEntry> &keypads, const QString &selector, QString *error);
// --list: asks every plugged keypad what it is and prints the lines on standard output.
// 0, or 1 with a line on standard error when none is plugged.
int run(HIDManager *hid);

} // namespace KeypadListCli
