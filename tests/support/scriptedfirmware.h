#pragma once

#include "sim/firmware.h"

#include <QByteArray>
#include <QMutex>
#include <QVector>
#include <QtGlobal>

namespace testsupport {

// A minimal keypad of the current protocol whose answers a test can script. Without a script
// it acknowledges every write (key 1, macro chunk 2, clear 5, lighting 9) with status 0,
// ends a layer read (4) at once with its end report, answers device information (11) with a
// 16-key, 3-knob identity and ignores anything else. It stores nothing: it is for tests of
// the link itself; configuration round trips belong to the full simulated firmware.
//
//     auto fw = std::make_shared<testsupport::ScriptedFirmware>();
//     fw->scriptNext({ScriptedFirmware::ack(6, 1, 0, 2, 0)}); // refuse the next request
class ScriptedFirmware : public sim::Firmware
{
public:
    QVector<QByteArray> handleReport(const QByteArray &report) override;

    // The replies to the next request (one call per request, used in order before the
    // defaults). An empty list scripts silence for that request.
    void scriptNext(const QVector<QByteArray> &replies);
    // Answer every request with these replies until cleared (empty list: silence forever).
    void scriptAlways(const QVector<QByteArray> &replies);
    void clearScript();

    void setIdentity(quint8 keys, quint8 knobs, quint8 extra, quint8 layers, quint8 p, quint8 s, quint8 b);

    int requestCount() const;
    QVector<QByteArray> requests() const;

    // A 64-byte acknowledgement report: ID 3, code (6 ACK, 7 NAK), status, layer, key,
    // packet, two spare bytes and the XOR of bytes 1-7 in byte 8. `length` cuts it short.
    static QByteArray ack(quint8 code, quint8 status, quint8 layer, quint8 key, quint8 pkt, int length = 64);
    // A 64-byte data report: ID 3, command, layer, key, byte 4, then `body`, zero fill, and
    // the XOR of bytes 1-62 in byte 63.
    static QByteArray dataReport(quint8 cmd, quint8 layer, quint8 key, quint8 byte4, const QByteArray &body);
    // A 63-byte request packet with its checksum in byte 62.
    static QByteArray request(quint8 cmd, quint8 layer, quint8 key, quint8 byte3, const QByteArray &payload = {});

private:
    mutable QMutex m_mutex;
    QVector<QVector<QByteArray>> m_script;
    bool m_always = false;
    QVector<QByteArray> m_alwaysReplies;
    QVector<QByteArray> m_requests;
    QByteArray m_identity = QByteArray::fromHex("10030004000000");
};

} // namespace testsupport
