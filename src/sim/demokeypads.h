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

// One "name  description" line per demo keypad, for a usage text.
QStringList demoKeypadChoices();

// Plugs the named keypad (the default one for an empty name) into the simulated bus, with
// `latencyMs` per report; with `noAccess` it refuses to be opened, as without the udev rule.
// An unknown name plugs nothing, prints the choices and returns false.
bool installDemoKeypad(QString name, int latencyMs, bool noAccess);
// The same from "--keypad NAME" (or "--keypad=NAME"), "--latency MS" and "--no-access"
// among the program's arguments.
bool installDemoKeypad(const QStringList &args);

} // namespace sim
