#include "sim/currentfirmware.h"

#include <QMutexLocker>

#include <algorithm>
#include <random>

namespace sim {

namespace {

constexpr int PACKET_BYTES = 63;   // request packet without the report ID
constexpr int MAX_RECORD_IN_REPORT = 58;
constexpr int CHUNK_BYTES = 56;
constexpr quint8 REPORT_ID = 3;
constexpr quint8 LIGHTING_KEY = 0xFE;
constexpr quint8 ALL_KEYS = 0xFF;

// Status codes this keypad uses in its acknowledgements.
constexpr quint8 STATUS_OK = 0;
constexpr quint8 STATUS_BAD_REQUEST = 1;
constexpr quint8 STATUS_BAD_SEQUENCE = 2;
constexpr quint8 STATUS_BAD_RECORD = 4;

quint8 xorBytes(const char *p, int n)
{
    quint8 x = 0;
    for (int i = 0; i < n; ++i)
        x ^= quint8(p[i]);
    return x;
}

int le16(const QByteArray &a, int at)
{
    return quint8(a.at(at)) | (quint8(a.at(at + 1)) << 8);
}

} // namespace

CurrentFirmware::CurrentFirmware()
    : m_keys(LAYERS * SLOTS), m_lighting(LAYERS), m_assembly(LAYERS * SLOTS)
{
    const QVector<std::array<quint8, 3>> yellow(16, std::array<quint8, 3>{255, 255, 0});
    for (auto &l : m_lighting)
        l = lightingPayload(1, yellow);
}

// ---------------------------------------------------------------------------- builders

QByteArray CurrentFirmware::recordWithPayload(quint8 type, const QByteArray &payload)
{
    QByteArray r(9, '\0');
    r[0] = char(type);
    r[7] = char(payload.size() & 0xFF);
    r[8] = char((payload.size() >> 8) & 0xFF);
    return r + payload;
}

QByteArray CurrentFirmware::basicRecord(quint8 usage)
{
    return recordWithPayload(0, QByteArray(1, char(usage)));
}

QByteArray CurrentFirmware::multimediaRecord(quint16 usage)
{
    QByteArray p;
    p.append(char(usage & 0xFF));
    p.append(char(usage >> 8));
    return recordWithPayload(2, p);
}

QByteArray CurrentFirmware::mouseRecord(quint8 action)
{
    return recordWithPayload(3, QByteArray(1, char(action)));
}

QByteArray CurrentFirmware::combinationRecord(quint8 modifiers, const QByteArray &keys)
{
    QByteArray p;
    p.append(char(modifiers));
    p.append(char(keys.size()));
    p.append(keys);
    return recordWithPayload(4, p);
}

QByteArray CurrentFirmware::macroRecord(const QVector<Step> &steps)
{
    QByteArray p;
    p.append(char(steps.size()));
    for (const Step &s : steps) {
        p.append(char(s.action));
        p.append(char(s.usage));
        p.append(char(s.delayMs & 0xFF));
        p.append(char(s.delayMs >> 8));
    }
    return recordWithPayload(1, p);
}

QByteArray CurrentFirmware::lightingPayload(quint8 mode, const QVector<std::array<quint8, 3>> &colors)
{
    QByteArray p(LIGHTING_BYTES, '\0');
    p[0] = char(mode);
    for (int i = 0; i < 16 && i < colors.size(); ++i) {
        p[4 + 3 * i] = char(colors[i][0]);
        p[5 + 3 * i] = char(colors[i][1]);
        p[6 + 3 * i] = char(colors[i][2]);
    }
    return p;
}

QByteArray CurrentFirmware::dataReport(quint8 command, quint8 layer, quint8 key, quint8 byte4,
                                       const QByteArray &body)
{
    QByteArray r(64, '\0');
    r[0] = char(REPORT_ID);
    r[1] = char(command);
    r[2] = char(layer);
    r[3] = char(key);
    r[4] = char(byte4);
    const int n = std::min(body.size(), 58);
    std::copy(body.constBegin(), body.constBegin() + n, r.begin() + 5);
    r[63] = char(xorBytes(r.constData() + 1, 62));
    return r;
}

QByteArray CurrentFirmware::ackReport(quint8 code, quint8 status, quint8 layer, quint8 key, quint8 pkt)
{
    // Acknowledgements are short reports: a host tells a refusal of a read from the data
    // reply it asked for by the size alone.
    QByteArray r(9, '\0');
    r[0] = char(REPORT_ID);
    r[1] = char(code);
    r[2] = char(status);
    r[3] = char(layer);
    r[4] = char(key);
    r[5] = char(pkt);
    r[8] = char(xorBytes(r.constData() + 1, 7));
    return r;
}

// ---------------------------------------------------------------------------- storage

void CurrentFirmware::setIdentity(const Identity &id)
{
    QMutexLocker lock(&m_mutex);
    m_identity = id;
}

CurrentFirmware::Identity CurrentFirmware::identity() const
{
    QMutexLocker lock(&m_mutex);
    return m_identity;
}

QByteArray CurrentFirmware::keyRecord(int layer, int key) const
{
    QMutexLocker lock(&m_mutex);
    if (layer < 0 || layer >= LAYERS || key < 0 || key >= SLOTS)
        return {};
    return m_keys[layer * SLOTS + key];
}

void CurrentFirmware::setKeyRecord(int layer, int key, const QByteArray &record)
{
    QMutexLocker lock(&m_mutex);
    if (layer < 0 || layer >= LAYERS || key < 0 || key >= SLOTS)
        return;
    m_keys[layer * SLOTS + key] = record;
}

void CurrentFirmware::clearAllKeys()
{
    QMutexLocker lock(&m_mutex);
    for (auto &k : m_keys)
        k.clear();
}

void CurrentFirmware::fillFullConfiguration(int macros)
{
    const int total = LAYERS * SLOTS;
    const int every = macros > 0 ? total / macros : total + 1;
    QVector<QByteArray> keys(total);
    int placed = 0;
    for (int i = 0; i < total; ++i) {
        const quint8 v = quint8(i);
        if (placed < macros && i % every == 0) {
            QVector<Step> steps;
            for (int s = 0; s < 64; ++s)
                steps.append({quint8(s % 2), quint8(0x04 + (i + s / 2) % 26), quint16(10 + s)});
            keys[i] = macroRecord(steps);
            ++placed;
            continue;
        }
        switch (i % 4) {
        case 0:
            keys[i] = basicRecord(quint8(0x04 + v % 26));
            break;
        case 1:
            keys[i] = multimediaRecord(quint16(0x00E0 + v % 16));
            break;
        case 2:
            keys[i] = mouseRecord(quint8(v % 16));
            break;
        default:
            keys[i] = combinationRecord(quint8(1 << (v % 8)), QByteArray(1, char(0x04 + v % 20)) + char(0x1E + v % 10));
            break;
        }
    }
    QVector<QByteArray> lit(LAYERS);
    for (int l = 0; l < LAYERS; ++l) {
        QVector<std::array<quint8, 3>> colors;
        for (int led = 0; led < 16; ++led)
            colors.append({quint8(l * 60 + led), quint8(255 - led * 12), quint8(led * 16)});
        lit[l] = lightingPayload(quint8(l + 2), colors);
    }
    QMutexLocker lock(&m_mutex);
    m_keys = keys;
    m_lighting = lit;
}

int CurrentFirmware::assignedKeyCount() const
{
    QMutexLocker lock(&m_mutex);
    return int(std::count_if(m_keys.cbegin(), m_keys.cend(), [](const QByteArray &k) { return !k.isEmpty(); }));
}

QByteArray CurrentFirmware::lighting(int layer) const
{
    QMutexLocker lock(&m_mutex);
    if (layer < 0 || layer >= LAYERS)
        return {};
    return m_lighting[layer];
}

void CurrentFirmware::setLighting(int layer, const QByteArray &payload)
{
    QMutexLocker lock(&m_mutex);
    if (layer < 0 || layer >= LAYERS)
        return;
    QByteArray p = payload.left(LIGHTING_BYTES);
    p.append(QByteArray(LIGHTING_BYTES - p.size(), '\0'));
    m_lighting[layer] = p;
}

quint8 CurrentFirmware::lightingMode(int layer) const
{
    const QByteArray p = lighting(layer);
    return p.isEmpty() ? 0 : quint8(p[0]);
}

std::array<quint8, 3> CurrentFirmware::lightingColor(int layer, int led) const
{
    const QByteArray p = lighting(layer);
    if (p.isEmpty() || led < 0 || led >= 16)
        return {0, 0, 0};
    return {quint8(p[4 + 3 * led]), quint8(p[5 + 3 * led]), quint8(p[6 + 3 * led])};
}

void CurrentFirmware::setReplyShuffleSeed(quint32 seed)
{
    QMutexLocker lock(&m_mutex);
    m_shuffleSeed = seed;
}

void CurrentFirmware::setReplyHook(ReplyHook hook)
{
    QMutexLocker lock(&m_mutex);
    m_hook = std::move(hook);
}

void CurrentFirmware::setLayerEndStatus(quint8 status)
{
    QMutexLocker lock(&m_mutex);
    m_layerEndStatus = status;
}

void CurrentFirmware::addFault(const FaultRule &rule)
{
    QMutexLocker lock(&m_mutex);
    m_faults.append(rule);
}

void CurrentFirmware::clearFaults()
{
    QMutexLocker lock(&m_mutex);
    m_faults.clear();
}

int CurrentFirmware::requestCount(quint8 command) const
{
    QMutexLocker lock(&m_mutex);
    return m_counts[command];
}

int CurrentFirmware::totalRequests() const
{
    QMutexLocker lock(&m_mutex);
    int n = 0;
    for (int c : m_counts)
        n += c;
    return n;
}

void CurrentFirmware::resetCounters()
{
    QMutexLocker lock(&m_mutex);
    m_counts.fill(0);
}

// ---------------------------------------------------------------------------- protocol

QVector<QByteArray> CurrentFirmware::handleReport(const QByteArray &report)
{
    ReplyHook hook;
    QVector<QByteArray> replies;
    quint8 cmd = 0;
    {
        QMutexLocker lock(&m_mutex);
        // A request is the report ID and 63 bytes; shorter writes are not understood.
        if (report.size() < 1 + PACKET_BYTES || quint8(report[0]) != REPORT_ID)
            return {};
        const QByteArray pkt = report.mid(1, PACKET_BYTES);
        cmd = quint8(pkt[0]);
        const quint8 layer = quint8(pkt[1]);
        const quint8 key = quint8(pkt[2]);
        ++m_counts[cmd];

        if (xorBytes(pkt.constData(), 62) != quint8(pkt[62]))
            return {ackReport(Nak, STATUS_BAD_REQUEST, layer, key, 0)};

        const quint8 ackPkt = cmd == WriteMacroChunk ? quint8(pkt[3]) : 0;
        if (const FaultRule *f = takeFault(cmd, layer, key, cmd == WriteMacroChunk ? ackPkt : -1)) {
            switch (f->kind) {
            case FaultKind::Silence:
                return {};
            case FaultKind::Nak:
                return {ackReport(Nak, f->status, layer, key, ackPkt)};
            case FaultKind::AckStatus:
                return {ackReport(Ack, f->status, layer, key, ackPkt)};
            case FaultKind::WrongAck:
                return {ackReport(Ack, STATUS_OK, layer, quint8(key + 1), ackPkt)};
            case FaultKind::DropWrite:
                return {ackReport(Ack, STATUS_OK, layer, key, ackPkt)};
            case FaultKind::BadChecksum:
                replies = dispatch(pkt, cmd, layer, key);
                for (QByteArray &r : replies) {
                    const bool isAck = quint8(r[1]) == Ack || quint8(r[1]) == Nak;
                    const int at = isAck ? 8 : 63;
                    r[at] = char(quint8(r[at]) ^ 0xFF);
                }
                break;
            }
        } else {
            replies = dispatch(pkt, cmd, layer, key);
        }
        hook = m_hook;
    }
    if (hook)
        hook(cmd, replies);
    return replies;
}

const CurrentFirmware::FaultRule *CurrentFirmware::takeFault(quint8 cmd, quint8 layer, quint8 key, int chunk)
{
    for (int i = 0; i < m_faults.size(); ++i) {
        FaultRule &f = m_faults[i];
        if ((f.command >= 0 && f.command != cmd) || (f.layer >= 0 && f.layer != layer)
            || (f.key >= 0 && f.key != key) || (f.chunk >= 0 && f.chunk != chunk) || f.times == 0)
            continue;
        if (f.times > 0)
            --f.times;
        return &f;
    }
    return nullptr;
}

bool CurrentFirmware::recordIsWellFormed(const QByteArray &r)
{
    if (r.size() < 10)
        return false;
    const int p = le16(r, 7);
    if (9 + p != r.size())
        return false;
    switch (quint8(r[0])) {
    case 0:
    case 3:
        return p >= 1;
    case 2:
        return p >= 2;
    case 4:
        return p >= 2 && quint8(r[10]) <= 6 && quint8(r[10]) + 2 <= p;
    case 1: {
        const int n = quint8(r[9]);
        return n >= 1 && n <= 64 && 4 * n + 1 <= p;
    }
    default:
        return false;
    }
}

QVector<QByteArray> CurrentFirmware::dispatch(const QByteArray &pkt, quint8 cmd, quint8 layer, quint8 key)
{
    if (cmd == ReadInfo) {
        const Identity &id = m_identity;
        QByteArray body;
        for (quint8 b : {id.keyCount, id.encoderCount, id.extraKeyCount, id.layerCount,
                         id.variantP, id.shape, id.variantB})
            body.append(char(b));
        return {dataReport(ReadInfo, 0, 0, id.lengthByte, body)};
    }

    if (layer >= LAYERS)
        return {ackReport(Nak, STATUS_BAD_REQUEST, layer, key, 0)};

    switch (cmd) {
    case ReadLayer:
        return layerReplies(layer);
    case ReadLighting:
        return {dataReport(ReadLighting, layer, LIGHTING_KEY, LIGHTING_BYTES, m_lighting[layer])};
    case WriteLighting:
        if (key != LIGHTING_KEY || quint8(pkt[3]) < LIGHTING_BYTES)
            return {ackReport(Ack, STATUS_BAD_REQUEST, layer, key, 0)};
        m_lighting[layer] = pkt.mid(4, LIGHTING_BYTES);
        return {ackReport(Ack, STATUS_OK, layer, key, 0)};
    default:
        break;
    }

    if (key >= SLOTS)
        return {ackReport(Nak, STATUS_BAD_REQUEST, layer, key, 0)};

    switch (cmd) {
    case WriteKey: {
        const int len = quint8(pkt[3]);
        const QByteArray record = pkt.mid(4, len);
        if (len < 9 || len > MAX_RECORD_IN_REPORT || !recordIsWellFormed(record))
            return {ackReport(Ack, STATUS_BAD_RECORD, layer, key, 0)};
        m_keys[layer * SLOTS + key] = record;
        return {ackReport(Ack, STATUS_OK, layer, key, 0)};
    }
    case WriteMacroChunk:
        return macroChunk(pkt, layer, key);
    case ClearKey:
        m_keys[layer * SLOTS + key].clear();
        m_assembly[layer * SLOTS + key] = MacroAssembly{};
        return {ackReport(Ack, STATUS_OK, layer, key, 0)};
    default:
        return {ackReport(Nak, STATUS_BAD_REQUEST, layer, key, 0)};
    }
}

QVector<QByteArray> CurrentFirmware::macroChunk(const QByteArray &pkt, quint8 layer, quint8 key)
{
    const int number = quint8(pkt[3]);
    const int count = quint8(pkt[4]);
    const int len = quint8(pkt[5]);
    if (count == 0 || number >= count || len > CHUNK_BYTES)
        return {ackReport(Ack, STATUS_BAD_SEQUENCE, layer, key, quint8(number))};

    MacroAssembly &a = m_assembly[layer * SLOTS + key];
    if (number == 0) {
        a = MacroAssembly{count, 1, pkt.mid(6, len)};
    } else if (a.expectedCount == count && number == a.nextChunk) {
        a.data.append(pkt.mid(6, len));
        ++a.nextChunk;
    } else if (a.expectedCount == count && number == a.nextChunk - 1) {
        // The host repeats a chunk whose acknowledgement it missed: already taken.
        return {ackReport(Ack, STATUS_OK, layer, key, quint8(number))};
    } else {
        return {ackReport(Ack, STATUS_BAD_SEQUENCE, layer, key, quint8(number))};
    }

    if (a.nextChunk == a.expectedCount) {
        const QByteArray record = a.data;
        if (!recordIsWellFormed(record) || quint8(record[0]) != 1) {
            a = MacroAssembly{};
            return {ackReport(Ack, STATUS_BAD_RECORD, layer, key, quint8(number))};
        }
        m_keys[layer * SLOTS + key] = record;
        // Keep the count so that a repeated last chunk is still recognised.
    }
    return {ackReport(Ack, STATUS_OK, layer, key, quint8(number))};
}

QVector<QByteArray> CurrentFirmware::layerReplies(quint8 layer)
{
    QVector<QByteArray> out;
    for (int key = 0; key < SLOTS; ++key) {
        const QByteArray &rec = m_keys[layer * SLOTS + key];
        if (rec.isEmpty())
            continue;
        if (quint8(rec[0]) == 1 || rec.size() > MAX_RECORD_IN_REPORT) {
            const int count = (rec.size() - 1) / CHUNK_BYTES + 1;
            for (int c = 0; c < count; ++c) {
                const QByteArray data = rec.mid(c * CHUNK_BYTES, CHUNK_BYTES);
                QByteArray body;
                body.append(char(count));
                body.append(char(data.size()));
                body.append(data);
                out.append(dataReport(MacroChunkReply, layer, quint8(key), quint8(c), body));
            }
        } else {
            out.append(dataReport(KeyRecordReply, layer, quint8(key), quint8(rec.size()), rec));
        }
    }
    if (m_shuffleSeed != 0) {
        std::mt19937 rng(m_shuffleSeed);
        std::shuffle(out.begin(), out.end(), rng);
    }
    out.append(ackReport(Ack, m_layerEndStatus, layer, ALL_KEYS, 0));
    return out;
}

} // namespace sim
