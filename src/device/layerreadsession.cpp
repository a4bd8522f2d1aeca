#include "device/layerreadsession.h"

#include "device/keyrecord.h"
#include "model/logcategories.h"

#include <QDebug>

namespace {

constexpr unsigned char REPORT_ID = 3;
constexpr unsigned char CMD_KEY_RECORD = 3;
constexpr unsigned char CMD_ACK = 6;
constexpr unsigned char CMD_MACRO_CHUNK = 8;
constexpr unsigned char ALL_KEYS = 0xFF;
constexpr int DATA_REPORT_BYTES = 64;
constexpr int ACK_REPORT_BYTES = 9;

unsigned char xorOf(const unsigned char *p, int n)
{
    unsigned char x = 0;
    for (int i = 0; i < n; ++i)
        x ^= p[i];
    return x;
}

QString hex(int v)
{
    return QString::number(v, 16);
}

} // namespace

LayerReadSession::LayerReadSession(int layer, int writableLimit)
    : m_layer(layer), m_limit(qBound(0, writableLimit, SLOTS)), m_keys(SLOTS), m_assembly(SLOTS)
{
}

int LayerReadSession::pendingMacros() const
{
    int n = 0;
    for (const Assembly &a : m_assembly)
        n += a.active ? 1 : 0;
    return n;
}

LayerReadSession::Outcome LayerReadSession::handleReport(const unsigned char *r, int len)
{
    if (!r || len < ACK_REPORT_BYTES || r[0] != REPORT_ID)
        return Outcome::Ignored;

    // The end of the layer is an acknowledgement; its status is not a verdict on the read.
    if (r[1] == CMD_ACK && xorOf(r + 1, 7) == r[8] && r[3] == m_layer && r[4] == ALL_KEYS)
        return Outcome::Finished;

    if (len < DATA_REPORT_BYTES || xorOf(r + 1, 62) != r[63] || r[2] != m_layer)
        return Outcome::Ignored;
    if (r[3] >= m_limit)
        return Outcome::Ignored;
    if (r[1] == CMD_KEY_RECORD)
        return handleKeyRecord(r);
    if (r[1] == CMD_MACRO_CHUNK)
        return handleChunk(r);
    return Outcome::Ignored;
}

LayerReadSession::Outcome LayerReadSession::handleKeyRecord(const unsigned char *r)
{
    const int key = r[3];
    const int len = r[4];
    if (len == 0)
        return Outcome::Ignored;
    qCDebug(lcDevice).noquote() << "HIDManager: readLayer raw key=" << key << "layer=" << m_layer
                                << "type=0x" + hex(r[5]) << "len=" << len;
    // Bytes 5..62 hold the record: a longer claim would reach past the report.
    if (len > MAX_RECORD_IN_REPORT) {
        qCDebug(lcDevice).noquote() << "HIDManager: readLayer record too long key=" << key << "len=" << len;
        return Outcome::Ignored;
    }
    if (!KeyRecord::decode(r + 5, len, m_keys[key])) {
        qCDebug(lcDevice).noquote() << "HIDManager: decodeKeyData failed key=" << key << "type=0x" + hex(r[5])
                                    << "len=" << len;
        return Outcome::KeyRejected;
    }
    qCDebug(lcDevice).noquote() << "HIDManager: readLayer key=" << key << "type=" << m_keys[key].type;
    return Outcome::KeyStored;
}

LayerReadSession::Outcome LayerReadSession::handleChunk(const unsigned char *r)
{
    const int key = r[3];
    const int number = r[4];
    const int count = r[5];
    const int len = r[6];
    // Bytes 7..62 hold the chunk data.
    if (len > MAX_CHUNK_BYTES) {
        qCDebug(lcDevice).noquote() << "HIDManager: readLayer chunk too long key=" << key << "len=" << len;
        return Outcome::Ignored;
    }

    Assembly &a = m_assembly[key];
    if (!a.active) {
        a.active = true;
        a.expected = count;
        a.chunks = QVector<QByteArray>(count);
        a.received = QVector<bool>(count, false);
    } else if (count != a.expected) {
        // The count is fixed by the first chunk of the key; a chunk that disagrees belongs
        // to no macro we can build.
        qCDebug(lcDevice).noquote() << "HIDManager: readLayer chunk count mismatch key=" << key << "count=" << count
                                    << "expected=" << a.expected;
        return Outcome::Ignored;
    }
    if (a.expected == 0) {
        a = Assembly{};
        return Outcome::KeyRejected;
    }
    if (number >= a.chunks.size())
        return Outcome::Ignored;
    a.chunks[number] = QByteArray(reinterpret_cast<const char *>(r + 7), len);
    a.received[number] = true;

    for (bool got : qAsConst(a.received))
        if (!got)
            return Outcome::ChunkStored;

    const QVector<QByteArray> chunks = a.chunks;
    a = Assembly{};
    KeyData decoded;
    if (!KeyRecord::decodeChunks(chunks, decoded)) {
        qCDebug(lcDevice).noquote() << "HIDManager: decodeKeyData failed key=" << key << "type=0x1";
        return Outcome::KeyRejected;
    }
    m_keys[key] = decoded;
    qCDebug(lcDevice).noquote() << "HIDManager: readLayer macro key=" << key << "steps=" << decoded.macroSteps.size();
    return Outcome::KeyStored;
}
