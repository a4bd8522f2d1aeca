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

// Reads "--keypad NAME" (or "--keypad=NAME"), "--latency MS" and "--no-access" (the keypad
// refuses to be opened, as without the udev rule) from the program's arguments, and plugs
// that keypad into the simulated bus (the default one without --keypad). An unknown name plugs nothing, prints the choices and returns false.
bool installDemoKeypad(const QStringList &args);

} // namespace sim
