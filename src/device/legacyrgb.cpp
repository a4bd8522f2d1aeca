#include "device/legacyhidmanager.h"
#include "device/legacyacknowledge.h"
#include "model/keyboarddata.h"
#include "model/keyboardsnapshot.h"
#include "model/logcategories.h"

#include <QDebug>
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

// The write loop both generations share: only changed layers go out, each acknowledged to the
// model as soon as the keypad took it, so a failure later keeps only the unsent layers dirty.
bool writeChangedLayers(hid_device *device, const LegacyDeviceInfo &info,
                        const QPointer<KeyboardData> &model, const KeyboardSnapshot &snapshot,
                        ReportBuilder build, const char *failureLine)
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
        acknowledgeLed(model, i, snapshot.ledRevisions.value(i));
        QThread::msleep(WRITE_PACING_MS);
    }
    return true;
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
    unsigned char buffer[REPORT_SIZE];
    for (int i = 0; i < layers; ++i) {
        drainLegacyInput(device);
        if (writeLegacyReport(device, legacyRgbReadRequest(i)) != REPORT_SIZE) {
            qCDebug(lcLegacy) << "Legacy RGB read request failed layer=" << i;
            continue;
        }
        const int got = readLegacyReport(device, buffer, PACKET_TIMEOUT_MS);
        if (got <= 0) {
            qCDebug(lcLegacy) << "Legacy RGB read timeout layer=" << i;
            continue;
        }
        // readLegacyReport zeroed the buffer, so a short report leaves the rest black.
        LayerLedConfigData config;
        config.mode = buffer[2];
        for (int k = 0; k < LayerLedConfigData::LED_COUNT; ++k)
            config.colors[size_t(k)] = LedColorData{buffer[3 + 3 * k], buffer[4 + 3 * k],
                                                    buffer[5 + 3 * k]};
        configs[i] = config;
        anyRead = true;
        QThread::msleep(WRITE_PACING_MS);
    }
    return anyRead;
}

bool writeLegacyOldRgbConfig(hid_device *device, const LegacyDeviceInfo &info,
                             QPointer<KeyboardData> model, const KeyboardSnapshot &snapshot)
{
    return writeChangedLayers(device, info, model, snapshot, &legacyOldRgbWriteReport,
                              "Legacy Old RGB write failed layer=");
}

bool writeLegacyRgbConfig(hid_device *device, const LegacyDeviceInfo &info,
                          QPointer<KeyboardData> model, const KeyboardSnapshot &snapshot)
{
    if (info.format == LegacyDeviceInfo::R10Udav)
        return writeChangedLayers(device, info, model, snapshot, &legacyRgbWriteReport,
                                  "Legacy RGB write failed layer=");
    if (info.format == LegacyDeviceInfo::Old)
        return writeLegacyOldRgbConfig(device, info, model, snapshot);
    return true;
}

bool writeLegacyRgbConfig(hid_device *device, const LegacyDeviceInfo &info, KeyboardData &model)
{
    return writeLegacyRgbConfig(device, info, QPointer<KeyboardData>(&model), model.snapshot());
}

bool writeLegacyOldRgbConfig(hid_device *device, const LegacyDeviceInfo &info,
                             KeyboardData &model)
{
    return writeLegacyOldRgbConfig(device, info, QPointer<KeyboardData>(&model),
                                   model.snapshot());
}

} // namespace LegacyHIDManager
