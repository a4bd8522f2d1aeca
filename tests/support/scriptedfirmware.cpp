#include "support/scriptedfirmware.h"

#include <QMutexLocker>

namespace testsupport {

namespace {
quint8 xorOf(const QByteArray &b, int from, int to)
{
    quint8 x = 0;
    for (int i = from; i <= to && i < b.size(); ++i)
        x ^= quint8(b[i]);
    return x;
}
} // namespace

QVector<QByteArray> ScriptedFirmware::handleReport(const QByteArray &report)
{
    QMutexLocker locker(&m_mutex);
    m_requests.append(report);
    if (!m_script.isEmpty())
        return m_script.takeFirst();
    if (m_always)
        return m_alwaysReplies;
    if (report.size() < 5 || quint8(report[0]) != 3)
        return {};
    const quint8 cmd = quint8(report[1]);
    const quint8 layer = quint8(report[2]);
    const quint8 key = quint8(report[3]);
    switch (cmd) {
    case 1:
    case 5:
    case 9:
        return {ack(6, 0, layer, key, 0)};
    case 2:
        return {ack(6, 0, layer, key, quint8(report[4]))};
    case 4:
        return {ack(6, 0, layer, 0xFF, 0)};
    case 11:
        return {dataReport(11, 0, 0, 7, m_identity)};
    default:
        return {};
    }
}

void ScriptedFirmware::scriptNext(const QVector<QByteArray> &replies)
{
    QMutexLocker locker(&m_mutex);
    m_script.append(replies);
}

void ScriptedFirmware::scriptAlways(const QVector<QByteArray> &replies)
{
    QMutexLocker locker(&m_mutex);
    m_always = true;
    m_alwaysReplies = replies;
}

void ScriptedFirmware::clearScript()
{
    QMutexLocker locker(&m_mutex);
    m_script.clear();
    m_always = false;
    m_alwaysReplies.clear();
}

void ScriptedFirmware::setIdentity(quint8 keys, quint8 knobs, quint8 extra, quint8 layers, quint8 p, quint8 s,
                                   quint8 b)
{
    QMutexLocker locker(&m_mutex);
    m_identity = QByteArray();
    for (quint8 v : {keys, knobs, extra, layers, p, s, b})
        m_identity.append(char(v));
}

int ScriptedFirmware::requestCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_requests.size();
}

QVector<QByteArray> ScriptedFirmware::requests() const
{
    QMutexLocker locker(&m_mutex);
    return m_requests;
}

QByteArray ScriptedFirmware::ack(quint8 code, quint8 status, quint8 layer, quint8 key, quint8 pkt, int length)
{
    QByteArray r(64, '\0');
    r[0] = 3;
    r[1] = char(code);
    r[2] = char(status);
    r[3] = char(layer);
    r[4] = char(key);
    r[5] = char(pkt);
    r[8] = char(xorOf(r, 1, 7));
    r.truncate(qBound(0, length, 64));
    return r;
}

QByteArray ScriptedFirmware::dataReport(quint8 cmd, quint8 layer, quint8 key, quint8 byte4, const QByteArray &body)
{
    QByteArray r(64, '\0');
    r[0] = 3;
    r[1] = char(cmd);
    r[2] = char(layer);
    r[3] = char(key);
    r[4] = char(byte4);
    for (int i = 0; i < body.size() && 5 + i < 63; ++i)
        r[5 + i] = body[i];
    r[63] = char(xorOf(r, 1, 62));
    return r;
}

QByteArray ScriptedFirmware::request(quint8 cmd, quint8 layer, quint8 key, quint8 byte3, const QByteArray &payload)
{
    QByteArray p(63, '\0');
    p[0] = char(cmd);
    p[1] = char(layer);
    p[2] = char(key);
    p[3] = char(byte3);
    for (int i = 0; i < payload.size() && 4 + i < 62; ++i)
        p[4 + i] = payload[i];
    p[62] = char(xorOf(p, 0, 61));
    return p;
}

} // namespace testsupport
