#include "device/hidmanager.h"
#include "device/keyrecord.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QThread>

#include <array>
#include <cstring>

namespace {

constexpr unsigned char CMD_WRITE_KEY = 1;
constexpr unsigned char CMD_WRITE_CHUNK = 2;
constexpr unsigned char CMD_CLEAR_KEY = 5;
constexpr unsigned char STATUS_CHUNK_REFUSED = 2;
constexpr unsigned char STATUS_KEY_REFUSED = 4;
constexpr int CHUNK_PAUSE_MS = 5;
constexpr int LAYER_COUNT = 4;

using Packet = std::array<unsigned char, HIDManager::PACKET_SIZE>;

} // namespace

bool HIDManager::sendWriteKey(int layer, int key, const KeyData &data)
{
    if (key < 0 || key >= writableKeyLimit()) {
        qCDebug(lcDevice).noquote() << "HIDManager: skip key outside current model" << key;
        return true;
    }
    if (layer < 0 || layer >= LAYER_COUNT)
        return false;
    QByteArray payload;
    if (data.type == KeyType::Macro || !KeyRecord::encodePayload(data, payload)) {
        qCDebug(lcDevice).noquote() << "HIDManager: sendWriteKey bad type" << data.type;
        return false;
    }
    if (payload.size() > KeyRecord::MAX_SINGLE_PAYLOAD)
        return false;
    const QByteArray record = KeyRecord::withHeader(data.type, payload);

    Packet pkt{};
    pkt[0] = CMD_WRITE_KEY;
    pkt[1] = static_cast<unsigned char>(layer);
    pkt[2] = static_cast<unsigned char>(key);
    pkt[3] = static_cast<unsigned char>(record.size());
    std::memcpy(pkt.data() + 4, record.constData(), size_t(record.size()));
    pkt[62] = calcChecksum(pkt.data(), 62);
    return sendWithRetry(pkt.data(), pkt[1], pkt[2], 0, {STATUS_KEY_REFUSED});
}

bool HIDManager::sendWriteMacro(int layer, int key, const KeyData &data)
{
    if (key < 0 || key >= writableKeyLimit()) {
        qCDebug(lcDevice).noquote() << "HIDManager: skip macro outside current model" << key;
        return true;
    }
    if (layer < 0 || layer >= LAYER_COUNT)
        return false;
    const int steps = data.macroSteps.size();
    if (steps == 0 || steps > KeyRecord::MAX_MACRO_STEPS) {
        qCDebug(lcDevice).noquote() << "HIDManager: sendWriteMacro bad step count" << steps;
        return false;
    }
    KeyData macro = data;
    macro.type = KeyType::Macro;
    const QVector<QByteArray> chunks = KeyRecord::chunks(KeyRecord::encode(macro));
    qCDebug(lcDevice).noquote() << "HIDManager: sendWriteMacro layer=" << layer << "key=" << key << "steps=" << steps
                                << "pkts=" << chunks.size();

    for (int n = 0; n < chunks.size(); ++n) {
        const QByteArray &chunk = chunks[n];
        Packet pkt{};
        pkt[0] = CMD_WRITE_CHUNK;
        pkt[1] = static_cast<unsigned char>(layer);
        pkt[2] = static_cast<unsigned char>(key);
        pkt[3] = static_cast<unsigned char>(n);
        pkt[4] = static_cast<unsigned char>(chunks.size());
        pkt[5] = static_cast<unsigned char>(chunk.size());
        std::memcpy(pkt.data() + 6, chunk.constData(), size_t(chunk.size()));
        pkt[62] = calcChecksum(pkt.data(), 62);
        unsigned char status = 0;
        if (!sendWithRetry(pkt.data(), pkt[1], pkt[2], pkt[3], {STATUS_CHUNK_REFUSED, STATUS_KEY_REFUSED},
                           &status)) {
            if (status != STATUS_CHUNK_REFUSED && status != STATUS_KEY_REFUSED)
                qCDebug(lcDevice).noquote() << "HIDManager: sendWriteMacro pkt" << n << "failed";
            return false;
        }
        QThread::msleep(CHUNK_PAUSE_MS);
    }
    return true;
}

bool HIDManager::sendClearKey(int layer, int key)
{
    if (key < 0 || key >= writableKeyLimit()) {
        qCDebug(lcDevice).noquote() << "HIDManager: skip clear outside current model" << key;
        return true;
    }
    if (layer < 0 || layer >= LAYER_COUNT)
        return false;
    Packet pkt{};
    pkt[0] = CMD_CLEAR_KEY;
    pkt[1] = static_cast<unsigned char>(layer);
    pkt[2] = static_cast<unsigned char>(key);
    pkt[62] = calcChecksum(pkt.data(), 62);
    return sendWithRetry(pkt.data(), pkt[1], pkt[2], 0);
}

bool HIDManager::writeKey(int layer, int key, const KeyData &data)
{
    if (!m_device.load())
        return false;
    OperationLock lock(this);
    flushRxBuffer();
    if (data.type == KeyType::Macro)
        return sendWriteMacro(layer, key, data);
    if (data.type == KeyType::Empty)
        return sendClearKey(layer, key);
    return sendWriteKey(layer, key, data);
}

bool HIDManager::clearKey(int layer, int key)
{
    if (!m_device.load())
        return false;
    OperationLock lock(this);
    flushRxBuffer();
    return sendClearKey(layer, key);
}
