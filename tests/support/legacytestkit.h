#pragma once

// Helpers shared by the legacy-link tests: a simulated legacy keypad opened on the bus, a
// capture of the debug log, and a readable description of a key function.

#include "device/legacyhidmanager.h"
#include "sim/legacyfirmware.h"
#include "sim/simbus.h"

#include <QMutex>
#include <QMutexLocker>
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

// Collects every debug line while alive (and still lets them through to stderr).
class LogCapture
{
public:
    LogCapture()
    {
        QMutexLocker lock(&mutex());
        lines().clear();
        m_previous = qInstallMessageHandler(&LogCapture::handle);
        previous() = m_previous;
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList all() const
    {
        QMutexLocker lock(&mutex());
        return lines();
    }
    bool contains(const QString &line) const { return all().contains(line); }
    int count(const QString &prefix) const
    {
        int n = 0;
        for (const QString &l : all())
            n += l.startsWith(prefix) ? 1 : 0;
        return n;
    }

private:
    static QMutex &mutex()
    {
        static QMutex m;
        return m;
    }
    static QStringList &lines()
    {
        static QStringList l;
        return l;
    }
    static QtMessageHandler &previous()
    {
        static QtMessageHandler p = nullptr;
        return p;
    }
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &msg)
    {
        {
            QMutexLocker lock(&mutex());
            lines().append(msg);
        }
        if (previous())
            previous()(type, context, msg);
    }
    QtMessageHandler m_previous = nullptr;
};

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
