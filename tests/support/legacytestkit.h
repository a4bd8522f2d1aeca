#pragma once

// Helpers shared by the legacy-link tests: a simulated legacy keypad opened on the bus and a
// readable description of a key function.

#include "device/legacyhidmanager.h"
#include "sim/legacyfirmware.h"
#include "sim/simbus.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>

namespace legacytest {

inline QString hex(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0')).toUpper();
}

// "empty", "basic 04", "combo 03+04", "media 00E9", "mouse 9", "macro P04/0 R04/20".
inline QString describe(const KeyData &key)
{
    switch (key.type) {
    case KeyType::Empty: return QStringLiteral("empty");
    case KeyType::Basic: return QStringLiteral("basic ") + hex(key.keyCode, 2);
    case KeyType::Multimedia: return QStringLiteral("media ") + hex(key.mediaUsage, 4);
    case KeyType::Mouse: return QStringLiteral("mouse %1").arg(key.mouseAction);
    case KeyType::Combination:
        return QStringLiteral("combo ") + hex(key.modifierBits, 2) + QLatin1Char('+')
               + QString::fromLatin1(key.comboKeys.toHex().toUpper());
    case KeyType::Macro: {
        QStringList steps;
        for (const MacroStepData &s : key.macroSteps)
            steps << QStringLiteral("%1%2/%3")
                         .arg(s.action ? QLatin1Char('R') : QLatin1Char('P'))
                         .arg(hex(s.keyCode, 2))
                         .arg(s.delayMs);
        return QStringLiteral("macro ") + steps.join(QLatin1Char(' '));
    }
    default: return QStringLiteral("type %1").arg(key.type);
    }
}

// One simulated legacy keypad plugged into a clean bus, its vendor interface opened.
class LegacyKeypad
{
public:
    explicit LegacyKeypad(sim::LegacyFirmware::Generation generation)
        : m_firmware(std::make_shared<sim::LegacyFirmware>(generation))
    {
        plug();
    }
    explicit LegacyKeypad(std::shared_ptr<sim::LegacyFirmware> firmware)
        : m_firmware(std::move(firmware))
    {
        plug();
    }
    ~LegacyKeypad()
    {
        if (m_device)
            hid_close(m_device);
        sim::SimBus::reset();
    }
    LegacyKeypad(const LegacyKeypad &) = delete;
    LegacyKeypad &operator=(const LegacyKeypad &) = delete;

    hid_device *device() const { return m_device; }
    int id() const { return m_id; }
    sim::LegacyFirmware &firmware() const { return *m_firmware; }
    QVector<QByteArray> written() const { return sim::SimBus::writtenReports(m_id); }
    void clearWritten() const { sim::SimBus::clearWrittenReports(m_id); }

    // What the probe reports for this keypad, without traffic.
    LegacyDeviceInfo info() const
    {
        LegacyDeviceInfo i;
        i.valid = true;
        i.layerCount = 3;
        i.format = m_firmware->generation() == sim::LegacyFirmware::Generation::R10Udav
                       ? LegacyDeviceInfo::R10Udav
                       : LegacyDeviceInfo::Old;
        return i;
    }

private:
    void plug()
    {
        sim::SimBus::reset();
        m_id = sim::SimBus::plug(0x1189, 0x8840, m_firmware);
        m_device = hid_open_path(sim::SimBus::pathOf(m_id, 1).constData());
    }

    std::shared_ptr<sim::LegacyFirmware> m_firmware;
    int m_id = -1;
    hid_device *m_device = nullptr;
};

} // namespace legacytest
