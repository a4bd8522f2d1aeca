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

// Reads "--keypad NAME" (or "--keypad=NAME"), "--latency MS" and "--no-access" (the keypad
// refuses to be opened, as without the udev rule) from the program's arguments, and plugs
// that keypad into the simulated bus (the default one without --keypad). An unknown name plugs nothing, prints the choices and returns false.
// "--replay FILE" plugs the keypad of that capture instead (see installReplayKeypad); a
// capture that cannot be replayed plugs nothing, prints why and returns false.
bool installDemoKeypad(const QStringList &args);

// Plugs a keypad that plays back the capture in `path` (ReplayFirmware), with the vendor and
// product ID and the interfaces of the keypad the capture opened. Returns its bus id, or 0
// with the reason in `error` (the refused line among it) when the file cannot be replayed.
int installReplayKeypad(const QString &path, QString *error = nullptr);

} // namespace sim
