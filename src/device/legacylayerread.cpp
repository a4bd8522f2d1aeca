#include "device/legacyhidmanager.h"
#include "device/passagreement.h"

#include "model/logcategories.h"

#include <QDebug>
#include <QPair>

namespace LegacyHIDManager {

namespace {
constexpr int OLD_KEY_PACKETS = 15;
}

QByteArray legacyLayerRequest(const LegacyDeviceInfo &info, int layer)
{
    QByteArray request(REPORT_SIZE, '\0');
    request[0] = char(REPORT_ID);
    request[1] = char(0xFA);
    if (info.format == LegacyDeviceInfo::R10Udav) {
        request[2] = char(R10UDAV_PACKETS_PER_LAYER);
        request[3] = 0;
    } else {
        request[2] = char(OLD_KEY_PACKETS);
        request[3] = 3;
    }
    request[4] = char(layer + 1);
    return request;
}

int legacySlotForPacket(const LegacyDeviceInfo &info, int packet)
{
    if (info.format == LegacyDeviceInfo::R10Udav)
        return packet >= 0 && packet < R10UDAV_PACKETS_PER_LAYER ? packet : -1;
    if (packet < 0 || packet >= OLD_PACKETS_PER_LAYER)
        return -1;
    if (packet < OLD_KEY_PACKETS)
        return packet;
    // "Old" firmware sends each knob's actions as left, press, right; the slots hold them
    // as left, right, press. Slot 15 has no packet at all.
    static const int swap[3] = {0, 2, 1};
    const int r = (packet - OLD_KEY_PACKETS) % 3;
    return packet + 1 + swap[r] - r;
}

bool readLegacyLayer(hid_device *device, const LegacyDeviceInfo &info, int layer,
                     QVector<KeyData> &keys, QVector<QByteArray> *raw)
{
    keys.resize(0);
    keys.resize(SLOTS_PER_LAYER);
    if (raw)
        raw->clear();
    if (!device || !info.valid || layer < 0 || layer >= int(info.layerCount))
        return false;

    // Records are told apart by their order alone: a leftover of an earlier read would shift
    // every key of this layer by one slot.
    drainLegacyInput(device);
    if (writeLegacyReport(device, legacyLayerRequest(info, layer)) != REPORT_SIZE) {
        qCDebug(lcLegacy) << "Legacy read layer: request failed layer=" << layer;
        return false;
    }

    const int expected = info.format == LegacyDeviceInfo::R10Udav ? R10UDAV_PACKETS_PER_LAYER
                                                                  : OLD_PACKETS_PER_LAYER;
    unsigned char buffer[REPORT_SIZE];
    for (int packet = 0; packet < expected; ++packet) {
        const int got = readLegacyReport(device, buffer, PACKET_TIMEOUT_MS);
        if (got <= 0) {
            qCDebug(lcLegacy) << "Legacy read layer timeout layer=" << layer << "packet=" << packet;
            return false;
        }
        if (raw)
            raw->append(QByteArray(reinterpret_cast<const char *>(buffer), got));
        const int slot = legacySlotForPacket(info, packet);
        if (slot >= 0 && slot < keys.size()) {
            keys[slot] = decodeLegacyRecord(info, buffer, got);
            keys[slot].dirty = false;
        }
    }
    qCDebug(lcLegacy) << "Legacy read layer ok layer=" << layer << "packets=" << expected;
    return true;
}

bool readAllLegacyLayers(hid_device *device, const LegacyDeviceInfo &info,
                         QVector<QVector<KeyData>> &layers)
{
    layers.resize(4);
    if (!device || !info.valid || info.layerCount == 0)
        return false;

    const int count = qMin(int(info.layerCount), 4);
    for (int i = 0; i < count; ++i) {
        QVector<KeyData> keys;
        if (!readLegacyLayer(device, info, i, keys))
            return false;
        layers[i] = keys;
    }
    return true;
}

bool readLegacyLayerConfirmed(hid_device *device, const LegacyDeviceInfo &info, int layer,
                              QVector<KeyData> &keys)
{
    // The records carry no checksum: a record damaged on the way decodes into some other
    // function without a trace, so the passes are compared as they came off the wire.
    using Pass = QPair<QVector<QByteArray>, QVector<KeyData>>;
    Pass agreed;
    const bool ok = readUntilAgreed(
        agreed,
        [&](Pass &pass) { return readLegacyLayer(device, info, layer, pass.second, &pass.first); },
        [](const Pass &a, const Pass &b) { return a.first == b.first; }, [device] { return !device; });
    if (ok) {
        keys = agreed.second;
        return true;
    }
    qCDebug(lcLegacy) << "Legacy read layer unconfirmed layer=" << layer;
    keys.resize(0);
    keys.resize(SLOTS_PER_LAYER);
    return false;
}

} // namespace LegacyHIDManager
