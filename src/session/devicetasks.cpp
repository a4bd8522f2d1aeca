#include "session/devicetasks.h"

#include "device/hidmanager.h"
#include "device/legacyhidmanager.h"
#include "model/keyboarddata.h"
#include "model/keyboardsnapshot.h"

#include <QThread>

namespace {

constexpr int LAYERS = 4;

int legacyLayers(const LegacyDeviceInfo &info)
{
    return info.valid ? qMin(int(info.layerCount), LAYERS) : 0;
}

// One pass over a layer's keys / lighting into `r`, keeping the reports as read. Caller
// holds the device through runLegacy.
bool readLegacyKeys(hid_device *dev, const LegacyDeviceInfo &info, int layer, ConnectResult &r)
{
    QVector<QByteArray> reports;
    const bool read = LegacyHIDManager::readLegacyLayer(dev, info, layer, r.layers[layer], &reports);
    r.keyReports[layer] = read ? reports.toList().join() : QByteArray();
    r.coverage.setLayer(layer, QVector<bool>(LegacyHIDManager::SLOTS_PER_LAYER, read));
    return read;
}

bool readLegacyLighting(hid_device *dev, int layer, ConnectResult &r)
{
    const bool read = LegacyHIDManager::readLegacyRgbLayer(dev, layer, r.ledConfigs[layer], &r.lightingReports[layer]);
    if (read)
        QThread::msleep(LegacyHIDManager::WRITE_PACING_MS);
    else
        r.lightingReports[layer].clear();
    r.coverage.setLighting(layer, read);
    return read;
}

void startLegacyResult(const LegacyDeviceInfo &info, ConnectResult &r)
{
    r.legacyOk = true;
    r.legacyInfo = info;
    r.layers = QVector<QVector<KeyData>>(LAYERS, QVector<KeyData>(LegacyHIDManager::SLOTS_PER_LAYER));
    r.coverage = ReadCoverage::none(LAYERS, LegacyHIDManager::SLOTS_PER_LAYER);
    r.keyReports = QVector<QByteArray>(LAYERS);
    r.lightingReports = QVector<QByteArray>(LAYERS);
}

// One pass over the layers and, on "R10Udav" keypads, the lighting; "Old" keypads cannot
// report their lighting, so the model keeps its own records for them. A layer that fails
// does not stop the others. Caller holds the device through runLegacy.
void readLegacyConfiguration(hid_device *dev, const LegacyDeviceInfo &info, ConnectResult &r)
{
    startLegacyResult(info, r);
    const int layers = legacyLayers(info);
    bool ok = dev && layers > 0;
    for (int i = 0; i < layers; ++i)
        ok = readLegacyKeys(dev, info, i, r) && ok;
    // Layers the keypad does not have stay empty vectors.
    for (int i = layers; i < LAYERS; ++i)
        r.layers[i].clear();
    if (info.format == LegacyDeviceInfo::R10Udav) {
        r.ledConfigs = QVector<LayerLedConfigData>(LAYERS);
        for (int i = 0; i < layers; ++i)
            ok = readLegacyLighting(dev, i, r) && ok;
    }
    r.allLayersOk = ok;
}

} // namespace

namespace DeviceTasks {

ConnectResult readConnectedKeypad(HIDManager *hid)
{
    ConnectResult r;
    DeviceInfo info;
    // One lost reply must not make a current keypad pass for a legacy one (or for none):
    // the information request is asked twice before the older protocol is tried.
    r.infoOk = hid->readDeviceInfo(info) || hid->readDeviceInfo(info);
    if (r.infoOk) {
        r.deviceInfo = info;
        r.allLayersOk = hid->readAllConfiguration(r.layers, r.ledConfigs, &r.coverage);
        return r;
    }
    hid->runLegacy([&r](hid_device *dev) {
        LegacyDeviceInfo legacy;
        if (!LegacyHIDManager::probeLegacyDeviceInfo(dev, legacy))
            return false;
        r.legacyOk = true;
        r.legacyInfo = legacy;
        readLegacyConfiguration(dev, legacy, r);
        return true;
    });
    return r;
}

ConnectResult rereadKeypad(HIDManager *hid, bool legacy, const LegacyDeviceInfo &legacyInfo)
{
    ConnectResult r;
    if (!legacy) {
        r.infoOk = true;
        r.allLayersOk = hid->readAllConfiguration(r.layers, r.ledConfigs, &r.coverage);
        return r;
    }
    startLegacyResult(legacyInfo, r);
    hid->runLegacy([&r, &legacyInfo](hid_device *dev) {
        readLegacyConfiguration(dev, legacyInfo, r);
        return r.allLayersOk;
    });
    return r;
}

ConnectResult rereadParts(HIDManager *hid, bool legacy, const LegacyDeviceInfo &legacyInfo,
                          const QVector<int> &keyLayers, const QVector<int> &lightingLayers)
{
    ConnectResult r;
    if (!legacy) {
        r.infoOk = true;
        r.allLayersOk = hid->readBack(keyLayers, lightingLayers, r.layers, r.ledConfigs, r.coverage);
        return r;
    }
    startLegacyResult(legacyInfo, r);
    r.ledConfigs = QVector<LayerLedConfigData>(LAYERS);
    r.allLayersOk = hid->runLegacy([&](hid_device *dev) {
        bool ok = dev != nullptr;
        for (int layer : keyLayers)
            if (layer >= 0 && layer < legacyLayers(legacyInfo))
                ok = readLegacyKeys(dev, legacyInfo, layer, r) && ok;
        for (int layer : lightingLayers)
            if (layer >= 0 && layer < legacyLayers(legacyInfo))
                ok = readLegacyLighting(dev, layer, r) && ok;
        return ok;
    });
    return r;
}

} // namespace DeviceTasks
