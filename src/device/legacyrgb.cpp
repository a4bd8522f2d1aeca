#include "device/legacyhidmanager.h"
#include "device/legacyacknowledge.h"
#include "device/passagreement.h"
#include "model/keyboarddata.h"
#include "model/keyboardsnapshot.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QPair>
#include <QThread>

namespace LegacyHIDManager {

namespace {

struct PaletteEntry {
    quint8 code;
    int r, g, b;
};

// In code order; on equal distance the earlier entry wins.
const PaletteEntry OLD_PALETTE[] = {
    {0x10, 255, 0, 0},    // red
    {0x20, 255, 128, 60}, // orange
    {0x30, 255, 255, 60}, // yellow
    {0x40, 0, 255, 0},    // green
    {0x50, 0, 255, 255},  // cyan
    {0x60, 0, 0, 255},    // blue
    {0x70, 128, 0, 128},  // purple
};

constexpr quint8 OLD_HIGHEST_MODE = 5;

using ReportBuilder = QByteArray (*)(int, const LayerLedConfigData &);

// The write loop both generations share: only changed layers go out. The caller learns which
// ones did; clearing their change flags is its business, once the commit has made them stick.
bool writeChangedLayers(hid_device *device, const LegacyDeviceInfo &info,
                        const KeyboardSnapshot &snapshot, ReportBuilder build,
                        const char *failureLine, QVector<int> *written)
{
    if (!device || !info.valid)
        return false;
    bool anyChange = false;
    for (const LayerLedConfigData &config : snapshot.ledConfigs)
        anyChange = anyChange || config.anyDirty();
    if (!anyChange)
        return true;

    const int layers = qMin(qMin(int(info.layerCount), 4), snapshot.ledConfigs.size());
    for (int i = 0; i < layers; ++i) {
        const LayerLedConfigData &config = snapshot.ledConfigs.at(i);
        if (!config.anyDirty())
            continue;
        if (writeLegacyReport(device, build(i, config)) != REPORT_SIZE) {
            qCDebug(lcLegacy) << failureLine << i;
            return false;
        }
        if (written)
            written->append(i);
        QThread::msleep(WRITE_PACING_MS);
    }
    return true;
}

// The model overloads stand alone (no commit follows): they clear the flags of what went out.
bool writeAndAcknowledge(hid_device *device, const LegacyDeviceInfo &info, KeyboardData &model,
                         bool oldOnly)
{
    const KeyboardSnapshot snapshot = model.snapshot();
    QVector<int> written;
    const bool ok = oldOnly ? writeLegacyOldRgbConfig(device, info, snapshot, &written)
                            : writeLegacyRgbConfig(device, info, snapshot, &written);
    for (int layer : written)
        acknowledgeLed(QPointer<KeyboardData>(&model), layer, snapshot.ledRevisions.value(layer));
    return ok;
}

} // namespace

quint8 legacyOldRgbColorCode(const LedColorData &color)
{
    quint8 best = OLD_PALETTE[0].code;
    long bestDistance = -1;
    for (const PaletteEntry &p : OLD_PALETTE) {
        const long dr = long(color.r) - p.r;
        const long dg = long(color.g) - p.g;
        const long db = long(color.b) - p.b;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = p.code;
        }
    }
    return best;
}

QByteArray legacyRgbReadRequest(int layer)
{
    QByteArray request(REPORT_SIZE, '\0');
    request[0] = char(REPORT_ID);
    request[1] = char(0xFA);
    request[2] = char(0xB0);
    request[3] = char(layer);
    return request;
}

QByteArray legacyRgbWriteReport(int layer, const LayerLedConfigData &config)
{
    QByteArray report(REPORT_SIZE, '\0');
    report[0] = char(REPORT_ID);
    report[1] = char(0xFE);
    report[2] = char(0xB0);
    report[3] = char(layer);
    report[4] = char(config.mode);
    for (int k = 0; k < LayerLedConfigData::LED_COUNT; ++k) {
        report[5 + 3 * k] = char(config.colors[size_t(k)].r);
        report[6 + 3 * k] = char(config.colors[size_t(k)].g);
        report[7 + 3 * k] = char(config.colors[size_t(k)].b);
    }
    return report;
}

QByteArray legacyOldRgbWriteReport(int layer, const LayerLedConfigData &config)
{
    QByteArray report(REPORT_SIZE, '\0');
    report[0] = char(REPORT_ID);
    report[1] = char(0xFE);
    report[2] = char(0xB0);
    report[3] = char(layer + 1);
    report[4] = 8;
    report[10] = 1;
    const quint8 mode = config.mode > 4 ? OLD_HIGHEST_MODE : config.mode;
    report[12] = char(legacyOldRgbColorCode(config.colors[0]) | mode);
    return report;
}

bool readLegacyRgbLayer(hid_device *device, int layer, LayerLedConfigData &config,
                        QByteArray *raw)
{
    drainLegacyInput(device);
    if (writeLegacyReport(device, legacyRgbReadRequest(layer)) != REPORT_SIZE) {
        qCDebug(lcLegacy) << "Legacy RGB read request failed layer=" << layer;
        return false;
    }
    unsigned char buffer[REPORT_SIZE];
    const int got = readLegacyReport(device, buffer, PACKET_TIMEOUT_MS);
    if (got <= 0) {
        qCDebug(lcLegacy) << "Legacy RGB read timeout layer=" << layer;
        return false;
    }
    if (raw)
        *raw = QByteArray(reinterpret_cast<const char *>(buffer), got);
    // readLegacyReport zeroed the buffer, so a short report leaves the rest black.
    LayerLedConfigData read;
    read.mode = buffer[2];
    for (int k = 0; k < LayerLedConfigData::LED_COUNT; ++k)
        read.colors[size_t(k)] = LedColorData{buffer[3 + 3 * k], buffer[4 + 3 * k], buffer[5 + 3 * k]};
    config = read;
    return true;
}

bool readLegacyRgbLayerConfirmed(hid_device *device, int layer, LayerLedConfigData &config)
{
    // As with the key records: a reply only counts when another one says the same.
    using Pass = QPair<QByteArray, LayerLedConfigData>;
    Pass agreed;
    const bool ok = readUntilAgreed(
        agreed,
        [&](Pass &pass) {
            const bool read = readLegacyRgbLayer(device, layer, pass.second, &pass.first);
            if (read)
                QThread::msleep(WRITE_PACING_MS);
            return read;
        },
        [](const Pass &a, const Pass &b) { return a.first == b.first; }, [device] { return !device; });
    if (ok)
        config = agreed.second;
    return ok;
}

bool readLegacyRgbConfig(hid_device *device, const LegacyDeviceInfo &info,
                         QVector<LayerLedConfigData> &configs)
{
    configs.resize(0);
    configs.resize(4);
    if (!device || !info.valid || info.format != LegacyDeviceInfo::R10Udav
        || info.layerCount == 0)
        return false;

    bool anyRead = false;
    const int layers = qMin(int(info.layerCount), 4);
    for (int i = 0; i < layers; ++i) {
        LayerLedConfigData config;
        if (!readLegacyRgbLayer(device, i, config))
            continue;
        QThread::msleep(WRITE_PACING_MS);
        configs[i] = config;
        anyRead = true;
    }
    return anyRead;
}

bool writeLegacyOldRgbConfig(hid_device *device, const LegacyDeviceInfo &info,
                             const KeyboardSnapshot &snapshot, QVector<int> *written)
{
    return writeChangedLayers(device, info, snapshot, &legacyOldRgbWriteReport,
                              "Legacy Old RGB write failed layer=", written);
}

bool writeLegacyRgbConfig(hid_device *device, const LegacyDeviceInfo &info,
                          const KeyboardSnapshot &snapshot, QVector<int> *written)
{
    if (info.format == LegacyDeviceInfo::R10Udav)
        return writeChangedLayers(device, info, snapshot, &legacyRgbWriteReport,
                                  "Legacy RGB write failed layer=", written);
    if (info.format == LegacyDeviceInfo::Old)
        return writeLegacyOldRgbConfig(device, info, snapshot, written);
    return true;
}

bool writeLegacyRgbConfig(hid_device *device, const LegacyDeviceInfo &info, KeyboardData &model)
{
    return writeAndAcknowledge(device, info, model, false);
}

bool writeLegacyOldRgbConfig(hid_device *device, const LegacyDeviceInfo &info,
                             KeyboardData &model)
{
    return writeAndAcknowledge(device, info, model, true);
}

} // namespace LegacyHIDManager
