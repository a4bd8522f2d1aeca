#include "device/hidmanager.h"
#include "device/reportpoll.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QElapsedTimer>

#include <array>

namespace {

constexpr unsigned char CMD_WRITE_LIGHTING = 9;
constexpr unsigned char CMD_READ_LIGHTING = 10;
constexpr unsigned char CMD_NAK = 7;
constexpr unsigned char LIGHTING_KEY = 0xFE;
constexpr int LIGHTING_BYTES = 52;
constexpr int LIGHTING_READ_TIMEOUT_MS = 1500;

using Packet = std::array<unsigned char, HIDManager::PACKET_SIZE>;

} // namespace

bool HIDManager::sendWriteLedLayer(int layer, const LayerLedConfigData &cfg)
{
    Packet pkt{};
    pkt[0] = CMD_WRITE_LIGHTING;
    pkt[1] = static_cast<unsigned char>(layer);
    pkt[2] = LIGHTING_KEY;
    pkt[3] = LIGHTING_BYTES;
    unsigned char *payload = pkt.data() + 4;
    payload[0] = cfg.mode;
    for (int i = 0; i < LayerLedConfigData::LED_COUNT; ++i) {
        payload[4 + 3 * i] = cfg.colors[i].r;
        payload[5 + 3 * i] = cfg.colors[i].g;
        payload[6 + 3 * i] = cfg.colors[i].b;
    }
    pkt[62] = calcChecksum(pkt.data(), 62);
    return sendWithRetry(pkt.data(), pkt[1], LIGHTING_KEY, 0);
}

bool HIDManager::sendReadLedLayer(int layer, LayerLedConfigData &cfg)
{
    Packet req{};
    req[0] = CMD_READ_LIGHTING;
    req[1] = static_cast<unsigned char>(layer);
    req[2] = LIGHTING_KEY;
    req[62] = calcChecksum(req.data(), 62);
    qCDebug(lcDevice, "HIDManager: sendReadLedLayer request id=0x%02X cmd=%d len=%u", REPORT_ID, CMD_READ_LIGHTING,
                      unsigned(PACKET_SIZE));
    if (!sendPacket(req.data(), PACKET_SIZE)) {
        qCDebug(lcDevice).noquote() << "HIDManager: sendReadLedLayer send failed layer=" << layer;
        return false;
    }
    qCDebug(lcDevice).noquote() << "HIDManager: sendReadLedLayer request sent";

    hid_device *dev = m_device.load();
    if (!dev)
        return false;
    hid_set_nonblocking(dev, 1);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < LIGHTING_READ_TIMEOUT_MS) {
        unsigned char buf[REPORT_SIZE] = {};
        const int ret = ReportPoll::read(dev, buf, REPORT_SIZE, POLL_SLEEP_MS);
        if (ret == 0)
            continue;
        if (ret < 0) {
            qCDebug(lcDevice).noquote() << "HIDManager: sendReadLedLayer hid_read error";
            closeDevice();
            return false;
        }
        if (buf[0] != REPORT_ID)
            continue;
        if (ret >= 64) {
            if (calcChecksum(buf + 1, 62) != buf[63] || buf[1] != CMD_READ_LIGHTING || buf[2] != req[1]
                || buf[3] != LIGHTING_KEY)
                continue;
            if (buf[4] < LIGHTING_BYTES)
                return false;
            const unsigned char *p = buf + 5;
            LayerLedConfigData got;
            got.mode = p[0];
            for (int i = 0; i < LayerLedConfigData::LED_COUNT; ++i)
                got.colors[i] = LedColorData{p[4 + 3 * i], p[5 + 3 * i], p[6 + 3 * i]};
            cfg = got; // a fresh record: every dirty flag clear
            return true;
        }
        if (ret >= 9 && calcChecksum(buf + 1, 7) == buf[8] && buf[1] == CMD_NAK && buf[3] == req[1]
            && buf[4] == LIGHTING_KEY)
            return false;
    }
    qCDebug(lcDevice).noquote() << "HIDManager: sendReadLedLayer timeout layer=" << layer;
    return false;
}
