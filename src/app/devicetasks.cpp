#include "app/devicetasks.h"

#include "device/hidmanager.h"
#include "device/legacyhidmanager.h"
#include "model/keyboarddata.h"
#include "model/keyboardsnapshot.h"

namespace {

// Layers and, on "R10Udav" keypads, lighting; "Old" keypads cannot report their lighting,
// so the model keeps its own records for them. Each layer and lighting record counts only
// when two reads of it agree (legacy replies carry no checksum). Caller holds the device
// through runLegacy.
void readLegacyConfiguration(hid_device *dev, const LegacyDeviceInfo &info, ConnectResult &r)
{
    r.allLayersOk = LegacyHIDManager::readConfirmedLegacyLayers(dev, info, r.layers, r.coverage);
    if (info.format == LegacyDeviceInfo::R10Udav) {
        QVector<LayerLedConfigData> leds;
        QVector<bool> confirmed;
        if (LegacyHIDManager::readLegacyRgbConfig(dev, info, leds, &confirmed))
            r.ledConfigs = leds;
        const int layers = qMin(int(info.layerCount), 4);
        for (int i = 0; i < layers; ++i) {
            r.coverage.setLighting(i, confirmed.value(i));
            r.allLayersOk = r.allLayersOk && confirmed.value(i);
        }
    }
}

} // namespace

namespace DeviceTasks {

ConnectResult readConnectedKeypad(HIDManager *hid)
{
    ConnectResult r;
    DeviceInfo info;
    r.infoOk = hid->readDeviceInfo(info);
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
    r.legacyOk = true;
    r.legacyInfo = legacyInfo;
    r.coverage = ReadCoverage::none(4, LegacyHIDManager::SLOTS_PER_LAYER);
    hid->runLegacy([&r, &legacyInfo](hid_device *dev) {
        readLegacyConfiguration(dev, legacyInfo, r);
        return r.allLayersOk;
    });
    return r;
}

} // namespace DeviceTasks
