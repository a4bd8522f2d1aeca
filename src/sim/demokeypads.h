#pragma once

#include "sim/firmware.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

#include <memory>

namespace sim {

// The keypads the demo program can pretend to have on its USB bus: one per panel variant of
// the current firmware, plus the two legacy generations.
struct DemoKeypad {
    QString name;        // what --keypad takes
    QString description; // for the usage text
    quint16 vendorId = 0;
    quint16 productId = 0;
};

// Every known demo keypad, the default first.
const QVector<DemoKeypad> &demoKeypads();
QString defaultDemoKeypadName();

// A new firmware for the named keypad with a configuration a user might have left on it;
// null for an unknown name.
std::shared_ptr<Firmware> makeDemoFirmware(const QString &name);

// Plugs the named demo keypad into the simulated bus as the demo does (the "Old" generation on
// interface 0 alone); returns its bus id, or 0 for an unknown name.
int plugDemoKeypad(const QString &name);

// One "name  description" line per demo keypad, for a usage text.
QStringList demoKeypadChoices();

// Plugs the named keypad (the default one for an empty name; several for a comma-separated
// list, "16k3e,6k1e,16k3e") into the simulated bus, with
// `latencyMs` per report; with `noAccess` it refuses to be opened, as without the udev rule.
// An unknown name plugs nothing, prints the choices and returns false. A non-empty
// `replayPath` plugs the keypad of that capture instead (see installReplayKeypad); a capture
// that cannot be replayed plugs nothing, prints why and returns false.
bool installDemoKeypad(QString name, int latencyMs, bool noAccess,
                       const QString &replayPath = QString());
// The same from "--keypad NAME" (or "--keypad=NAME"), "--latency MS", "--no-access" and
// "--replay FILE" among the program's arguments.
bool installDemoKeypad(const QStringList &args);

// Plugs a keypad that plays back the capture in `path` (ReplayFirmware), with the vendor and
// product ID and the interfaces of the keypad the capture opened. Returns its bus id, or 0
// with the reason in `error` (the refused line among it) when the file cannot be replayed.
int installReplayKeypad(const QString &path, QString *error = nullptr);

} // namespace sim
