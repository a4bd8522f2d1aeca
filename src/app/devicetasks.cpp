#include "app/devicetasks.h"

#include "device/hidmanager.h"
#include "device/legacyhidmanager.h"
#include "model/keyboarddata.h"
#include "model/keyboardsnapshot.h"

namespace {

// Layers and, on "R10Udav" keypads, lighting; "Old" keypads cannot report their lighting,
// so the model keeps its own records for them. Caller holds the device through runLegacy.
void readLegacyConfiguration(hid_device *dev, const LegacyDeviceInfo &info, ConnectResult &r)
{
    r.allLayersOk = LegacyHIDManager::readAllLegacyLayers(dev, info, r.layers);
    if (info.format == LegacyDeviceInfo::R10Udav) {
        QVector<LayerLedConfigData> leds;
        if (LegacyHIDManager::readLegacyRgbConfig(dev, info, leds))
            r.ledConfigs = leds;
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
        r.allLayersOk = hid->readAllConfiguration(r.layers, r.ledConfigs);
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
        r.allLayersOk = hid->readAllConfiguration(r.layers, r.ledConfigs);
        return r;
    }
    r.legacyOk = true;
    r.legacyInfo = legacyInfo;
    hid->runLegacy([&r, &legacyInfo](hid_device *dev) {
        readLegacyConfiguration(dev, legacyInfo, r);
        return r.allLayersOk;
    });
    return r;
}

bool saveLegacy(HIDManager *hid, const LegacyDeviceInfo &legacyInfo, QPointer<KeyboardData> model,
                const KeyboardSnapshot &snapshot)
{
    return hid->runLegacy([&](hid_device *dev) {
        return LegacyHIDManager::saveDirtyConfiguration(dev, legacyInfo, model, snapshot);
    });
}

} // namespace DeviceTasks
