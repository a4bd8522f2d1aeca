#pragma once

#include "model/records.h"
#include "sim/firmware.h"

#include <QByteArray>
#include <QMutex>
#include <QSet>
#include <QVector>

#include <array>

namespace sim {

// A keypad with legacy firmware, of either generation: "R10Udav" (version 10 and later, 25
// key records per layer and readable 16-colour lighting) or "Old" (24 key records per layer
// with the knob actions in its own order, write-only lighting of one palette colour).
//
// It answers the information request, layer reads (records in the generation's order and
// layout) and, on "R10Udav", lighting reads; it takes key writes, lighting writes and the
// commit without answering, as such keypads do. Requests in the other generation's layout,
// or with out-of-range layers or key numbers, get no answer and change nothing.
//
// Memory: every write lands at once in the working configuration, and reads return the
// working configuration (the keypad works from RAM), so an uncommitted write does show in a
// read. Only the commit copies it to the stored configuration; powerCycle() drops back to
// the stored one, which is how a test proves that a save really committed.
class LegacyFirmware : public Firmware
{
public:
    enum class Generation { R10Udav, Old };

    static constexpr int LAYERS = 3;
    static constexpr int REPLY_SIZE = 64;

    // A 16-key, 3-knob "R10Udav" keypad (version 10, shape 0) or a 15-key, 1-knob "Old"
    // keypad (version 8).
    explicit LegacyFirmware(Generation generation);
    LegacyFirmware(Generation generation, quint8 keyCount, quint8 encoderCount, quint8 version,
                   quint8 shape);

    QVector<QByteArray> handleReport(const QByteArray &report) override;

    Generation generation() const { return m_generation; }
    // Key records per layer read: 25 or 24; key numbers run from 1 to this.
    int keysPerLayer() const;
    // Bytes of one stored key record: 62 or 60.
    int recordSize() const;

    // The working record of a key (layer 0..2, key number 1..keysPerLayer()) as it travels
    // after the report ID and command byte; empty when out of range.
    QByteArray record(int layer, int keyNumber) const;
    // Puts a record straight into working and stored memory (a keypad that already held it).
    // Shorter records are padded with zeros, longer ones cut.
    void setRecord(int layer, int keyNumber, const QByteArray &record);

    LayerLedConfigData lighting(int layer) const;
    void setLighting(int layer, const LayerLedConfigData &config);
    // Byte 12 of the last "Old" lighting write of a layer: palette code OR mode; 0 for none.
    quint8 oldLightingCode(int layer) const;

    // Fills every layer with a plausible configuration (letters and digits, a Ctrl+C,
    // volume keys, a wheel, coloured lighting), as a keypad in use would hold, for the demo.
    void loadDemoConfiguration();

    int commitCount() const;
    bool hasUncommittedChanges() const;
    void powerCycle();

    // Faults of this firmware (the bus adds the generic ones).
    void setAnswersProbe(bool answers);
    // Sends only the first `count` records of each layer read (-1: all).
    void setRecordsPerLayerRead(int count);
    // "R10Udav": leaves the lighting read of these layers unanswered.
    void setSilentLightingLayers(const QSet<int> &layers);

private:
    struct Memory {
        std::array<QVector<QByteArray>, LAYERS> records; // [layer][keyNumber - 1]
        std::array<LayerLedConfigData, LAYERS> lighting;
        std::array<quint8, LAYERS> oldLightingCode{};
        bool operator==(const Memory &o) const;
    };

    QByteArray emptyRecord(int layer, int keyNumber) const;
    QByteArray keysRecord(int layer, int keyNumber, quint8 modifierMask,
                          const QVector<quint8> &keys) const;
    QByteArray mediaRecord(int layer, int keyNumber, quint16 usage) const;
    QByteArray wheelRecord(int layer, int keyNumber, bool up) const;
    QByteArray reply(quint8 command, const QByteArray &body) const;
    QVector<QByteArray> answerLayerRead(const QByteArray &report) const;
    QVector<QByteArray> answerLightingRead(const QByteArray &report) const;
    void takeKeyWrite(const QByteArray &report);
    void takeLightingWrite(const QByteArray &report);

    mutable QMutex m_mutex;
    const Generation m_generation;
    const quint8 m_keyCount;
    const quint8 m_encoderCount;
    const quint8 m_version;
    const quint8 m_shape;
    Memory m_working;
    Memory m_stored;
    int m_commits = 0;
    bool m_answersProbe = true;
    int m_recordsPerRead = -1;
    QSet<int> m_silentLightingLayers;
};

} // namespace sim
