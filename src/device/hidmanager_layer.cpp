#include "device/hidmanager.h"
#include "device/keyrecord.h"
#include "device/layerreadsession.h"
#include "device/reportpoll.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QElapsedTimer>

#include <array>

namespace {

constexpr unsigned char CMD_READ_LAYER = 4;
constexpr unsigned char ALL_KEYS = 0xFF;
constexpr int LAYER_COUNT = 4;
constexpr int LAYER_READ_TIMEOUT_MS = 5000;

} // namespace

bool HIDManager::decodeKeyData(const unsigned char *data, int len, KeyData &out)
{
    return KeyRecord::decode(data, len, out);
}

bool HIDManager::decodeMacroKey(const QVector<QByteArray> &chunks, KeyData &out)
{
    return KeyRecord::decodeChunks(chunks, out);
}

bool HIDManager::readLayer(int layer, QVector<KeyData> &keys)
{
    if (layer < 0 || layer >= LAYER_COUNT || !m_device.load())
        return false;
    OperationLock lock(this);
    flushRxBuffer();
    return sendReadLayer(layer, keys);
}

bool HIDManager::sendReadLayer(int layer, QVector<KeyData> &keys)
{
    keys = QVector<KeyData>(LayerReadSession::SLOTS);

    std::array<unsigned char, PACKET_SIZE> req{};
    req[0] = CMD_READ_LAYER;
    req[1] = static_cast<unsigned char>(layer);
    req[2] = ALL_KEYS;
    req[62] = calcChecksum(req.data(), 62);
    if (!sendPacket(req.data(), PACKET_SIZE)) {
        qCDebug(lcDevice).noquote() << "HIDManager: sendReadLayer send failed layer=" << layer;
        return false;
    }

    hid_device *dev = m_device.load();
    if (!dev)
        return false;
    hid_set_nonblocking(dev, 1);

    LayerReadSession session(layer, writableKeyLimit());
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < LAYER_READ_TIMEOUT_MS) {
        unsigned char buf[REPORT_SIZE] = {};
        const int ret = ReportPoll::read(dev, buf, REPORT_SIZE, POLL_SLEEP_MS);
        if (ret == 0)
            continue;
        if (ret < 0) {
            qCDebug(lcDevice).noquote() << "HIDManager: sendReadLayer hid_read error";
            keys = session.keys();
            closeDevice();
            return false;
        }
        if (session.handleReport(buf, ret) == LayerReadSession::Outcome::Finished) {
            keys = session.keys();
            if (session.pendingMacros() > 0)
                qCDebug(lcDevice).noquote() << "HIDManager: readLayer dropped" << session.pendingMacros()
                                            << "incomplete macros layer=" << layer;
            qCDebug(lcDevice).noquote() << "HIDManager: readLayer done layer=" << layer;
            return true;
        }
    }
    keys = session.keys();
    qCDebug(lcDevice).noquote() << "HIDManager: readLayer timeout layer=" << layer;
    return false;
}
