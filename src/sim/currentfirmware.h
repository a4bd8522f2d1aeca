#pragma once

#include "sim/firmware.h"

#include <QByteArray>
#include <QMutex>
#include <QVector>

#include <array>
#include <functional>

namespace sim {

// A keypad running the current (checksummed, acknowledged) firmware. It keeps 4 layers of
// 25 key slots as raw key records and 4 lighting records, answers every request the way the
// real keypad does, and can be told to misbehave for tests.
//
// Thread-safe: the host's worker thread feeds reports while a test inspects the storage.
class CurrentFirmware : public Firmware
{
public:
    static constexpr int LAYERS = 4;
    static constexpr int SLOTS = 25;
    static constexpr int LIGHTING_BYTES = 52;

    enum Command : quint8 {
        WriteKey = 1,
        WriteMacroChunk = 2,
        KeyRecordReply = 3,
        ReadLayer = 4,
        ClearKey = 5,
        Ack = 6,
        Nak = 7,
        MacroChunkReply = 8,
        WriteLighting = 9,
        ReadLighting = 10,
        ReadInfo = 11,
    };

    // What the keypad reports about itself (command 11).
    struct Identity {
        quint8 keyCount = 16;      // K
        quint8 encoderCount = 3;   // E
        quint8 extraKeyCount = 0;  // D
        quint8 layerCount = 4;     // L
        quint8 variantP = 0;       // P
        quint8 shape = 0;          // S
        quint8 variantB = 0;       // B
        quint8 lengthByte = 7;     // the payload length the reply claims
    };

    enum class FaultKind {
        Silence,      // no reply at all
        Nak,          // NAK with `status`
        AckStatus,    // ACK echoing the request but carrying `status` (a refusal)
        WrongAck,     // ACK for a different key index
        BadChecksum,  // the right reply with a broken checksum
        DropWrite,    // ACK with success but nothing is stored
    };

    // Matches requests by command, layer, key and (for macro chunks) chunk number; -1
    // matches any. Applies to `times` more matching requests (-1: forever). The first
    // matching rule wins.
    struct FaultRule {
        FaultKind kind = FaultKind::Silence;
        int command = -1;
        int layer = -1;
        int key = -1;
        int times = -1;
        quint8 status = 1;
        int chunk = -1;
    };

    CurrentFirmware();

    QVector<QByteArray> handleReport(const QByteArray &report) override;

    void setIdentity(const Identity &id);
    Identity identity() const;

    // Raw key record of a slot (type, 6 reserved bytes, 16-bit length, payload); empty when
    // the slot holds no function. Anything may be stored, also malformed records.
    QByteArray keyRecord(int layer, int key) const;
    void setKeyRecord(int layer, int key, const QByteArray &record);
    void clearAllKeys();
    int assignedKeyCount() const;
    // Every slot of every layer assigned (keys, media, mouse, combinations and `macros`
    // 64-step macros spread over the layers) and every layer lit in its own colours.
    void fillFullConfiguration(int macros = 8);

    // The 52-byte lighting payload of a layer: mode, 3 zero bytes, 16 x RGB.
    QByteArray lighting(int layer) const;
    void setLighting(int layer, const QByteArray &payload);
    quint8 lightingMode(int layer) const;
    std::array<quint8, 3> lightingColor(int layer, int led) const;

    // Order of the key record and chunk replies of a layer read: 0 keeps slot order with the
    // chunks of a macro ascending; any other seed shuffles them (deterministically). The end
    // report always comes last.
    void setReplyShuffleSeed(quint32 seed);

    // Lets a test rewrite the replies to one request before they leave the keypad (add
    // forged reports, reorder, corrupt). Called with the request's command code.
    using ReplyHook = std::function<void(quint8 command, QVector<QByteArray> &replies)>;
    void setReplyHook(ReplyHook hook);

    // Status carried by the report that ends a layer read (normally 0).
    void setLayerEndStatus(quint8 status);

    void addFault(const FaultRule &rule);
    void clearFaults();

    // Requests seen, by command code (also the ones answered with a fault).
    int requestCount(quint8 command) const;
    int totalRequests() const;
    void resetCounters();

    // Builders of well-formed records and reports, shared by tests and the demo keypads.
    static QByteArray basicRecord(quint8 usage);
    static QByteArray multimediaRecord(quint16 usage);
    static QByteArray mouseRecord(quint8 action);
    static QByteArray combinationRecord(quint8 modifiers, const QByteArray &keys);
    // steps: action, usage, delay per step.
    struct Step {
        quint8 action;
        quint8 usage;
        quint16 delayMs;
    };
    static QByteArray macroRecord(const QVector<Step> &steps);
    static QByteArray recordWithPayload(quint8 type, const QByteArray &payload);
    static QByteArray lightingPayload(quint8 mode, const QVector<std::array<quint8, 3>> &colors);

    // A 64-byte input report: ID 3, then command, layer, key, byte 4, `body` from byte 5,
    // zero fill, and the XOR of bytes 1-62 in byte 63.
    static QByteArray dataReport(quint8 command, quint8 layer, quint8 key, quint8 byte4,
                                 const QByteArray &body);
    // A 9-byte acknowledgement report: ID, code, status, layer, key, packet, 2 spare bytes,
    // XOR of bytes 1-7.
    static QByteArray ackReport(quint8 code, quint8 status, quint8 layer, quint8 key, quint8 pkt);

private:
    struct MacroAssembly {
        int expectedCount = 0;
        int nextChunk = 0;
        QByteArray data;
    };

    QVector<QByteArray> dispatch(const QByteArray &pkt, quint8 cmd, quint8 layer, quint8 key);
    QVector<QByteArray> layerReplies(quint8 layer);
    QVector<QByteArray> macroChunk(const QByteArray &pkt, quint8 layer, quint8 key);
    const FaultRule *takeFault(quint8 cmd, quint8 layer, quint8 key, int chunk);
    static bool recordIsWellFormed(const QByteArray &record);

    mutable QMutex m_mutex;
    Identity m_identity;
    QVector<QByteArray> m_keys;      // LAYERS * SLOTS raw records
    QVector<QByteArray> m_lighting;  // LAYERS payloads
    QVector<MacroAssembly> m_assembly; // per slot, macros being written
    QVector<FaultRule> m_faults;
    std::array<int, 256> m_counts{};
    quint32 m_shuffleSeed = 0;
    quint8 m_layerEndStatus = 0;
    ReplyHook m_hook;
};

} // namespace sim
