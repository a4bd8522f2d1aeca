#include "device/hidmanager.h"
#include "device/keyrecord.h"
#include "device/layerreadsession.h"
#include "device/reportpoll.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QElapsedTimer>

#include <array>
#include <memory>

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

bool HIDManager::sendReadLayer(int layer, QVector<KeyData> &keys, QVector<bool> *read)
{
    keys = QVector<KeyData>(LayerReadSession::SLOTS);
    if (read)
        *read = QVector<bool>(LayerReadSession::SLOTS, false);

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

    // Slots known from an attempt that went wrong stay known: each was read whole.
    QVector<KeyData> known(LayerReadSession::SLOTS);
    QVector<bool> knownMask(LayerReadSession::SLOTS, false);
    auto session = std::make_unique<LayerReadSession>(layer, writableKeyLimit());
    auto finish = [&] {
        keys = session->keys();
        QVector<bool> mask = session->readMask();
        for (int k = 0; k < mask.size(); ++k) {
            if (!mask[k] && knownMask[k]) {
                keys[k] = known[k];
                mask[k] = true;
            }
        }
        if (read)
            *read = mask;
    };
    auto keepKnown = [&] {
        const QVector<bool> mask = session->readMask();
        for (int k = 0; k < mask.size(); ++k) {
            if (mask[k]) {
                known[k] = session->keys()[k];
                knownMask[k] = true;
            }
        }
    };
    int sends = 1;
    bool heard = false;
    QElapsedTimer quiet;
    quiet.start();
    // A fresh attempt: what the last one read whole stays known, the request goes again.
    auto askAgain = [&] {
        keepKnown();
        session = std::make_unique<LayerReadSession>(layer, writableKeyLimit());
        heard = false;
        ++sends;
        quiet.restart();
        return sendPacket(req.data(), PACKET_SIZE);
    };
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < LAYER_READ_TIMEOUT_MS) {
        unsigned char buf[REPORT_SIZE] = {};
        const int ret = ReportPoll::read(dev, buf, REPORT_SIZE, POLL_SLEEP_MS);
        if (ret == 0) {
            // Silence after no answer at all: the keypad missed the request. Silence after
            // replies: the keypad sends a layer in one burst, so the stream is over and its
            // end (or a damaged reply's content) got lost; this attempt cannot be complete.
            // Either way ask again, as writes do, within the same time limit.
            if (quiet.elapsed() >= ACK_TIMEOUT_MS && sends < SEND_ATTEMPTS) {
                qCDebug(lcDevice).noquote() << "HIDManager: readLayer asking again layer=" << layer
                                            << (!heard ? "after no answer"
                                                : session->damaged() ? "after a damaged reply"
                                                                     : "after its end was lost");
                if (!askAgain())
                    break;
            }
            continue;
        }
        if (ret < 0) {
            qCDebug(lcDevice).noquote() << "HIDManager: sendReadLayer hid_read error";
            finish();
            closeDevice();
            return false;
        }
        heard = true;
        quiet.restart();
        if (session->handleReport(buf, ret) == LayerReadSession::Outcome::Finished) {
            qCDebug(lcDevice).noquote() << "HIDManager: readLayer done layer=" << layer;
            if (session->complete()) {
                keys = session->keys();
                if (read)
                    *read = session->readMask();
                return true;
            }
            // A macro of which a chunk never came, a record that did not decode or a reply
            // damaged on the way: the slots concerned are not known, and a read that passed
            // them off as empty would let a backup or a restore erase them.
            qCDebug(lcDevice).noquote() << "HIDManager: readLayer incomplete layer=" << layer
                                        << "unfinished macros=" << session->pendingMacros();
            if (sends >= SEND_ATTEMPTS || timer.elapsed() >= LAYER_READ_TIMEOUT_MS - ACK_TIMEOUT_MS) {
                finish();
                return false;
            }
            // The stream is over: another request cannot mix with it.
            if (!askAgain())
                break;
        }
    }
    finish();
    qCDebug(lcDevice).noquote() << "HIDManager: readLayer timeout layer=" << layer;
    return false;
}
