#pragma once

#include <QByteArray>
#include <QVector>

namespace sim {

// The firmware of one simulated keypad: what it does with one output report. It keeps the
// keypad's configuration; the simulated bus adds latency, faults and unplugging around it.
class Firmware
{
public:
    virtual ~Firmware() = default;

    // `report` is what the host handed to hid_write: report ID first, normally 65 bytes.
    // Returns the input reports the keypad sends back, each report ID first (64 bytes for a
    // full report), in the order the host reads them.
    virtual QVector<QByteArray> handleReport(const QByteArray &report) = 0;
};

} // namespace sim
