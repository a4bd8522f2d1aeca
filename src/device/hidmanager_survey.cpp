// Asking every keypad on the bus what it is, one after the other, for a console list.
#include "device/hidmanager.h"

#include "device/legacyhidmanager.h"
#include "model/logcategories.h"

QVector<KeypadEntry> HIDManager::surveyKeypads()
{
    const QString preferredBefore = preferredKeypad();
    const QString openBefore = openKeypadIdentity();
    if (!m_device.load())
        tryOpenDevice(); // lists the bus (and opens one)
    const QVector<KeypadEntry> listed = keypads();
    for (const KeypadEntry &entry : listed) {
        if (entry.modelKnown)
            continue;
        if (openKeypadIdentity() != entry.identity()) {
            disconnectDevice();
            setPreferredKeypad(entry.identity());
            if (!tryOpenDevice() || openKeypadIdentity() != entry.identity()) {
                qCDebug(lcDevice).noquote() << "HIDManager: survey could not open" << entry.identity();
                continue;
            }
        }
        DeviceInfo info;
        // One lost reply must not make a current keypad pass for a legacy one.
        if (readDeviceInfo(info) || readDeviceInfo(info))
            continue; // noted by the link as it stored the answer
        LegacyDeviceInfo legacy;
        if (runLegacy([&legacy](hid_device *dev) { return LegacyHIDManager::probeLegacyDeviceInfo(dev, legacy); }))
            noteOpenKeypadModel(deviceInfoFromLegacy(legacy), legacy);
    }
    if (openBefore.isEmpty()) {
        disconnectDevice();
    } else if (openKeypadIdentity() != openBefore) {
        disconnectDevice();
        setPreferredKeypad(openBefore);
        tryOpenDevice();
    }
    setPreferredKeypad(preferredBefore);
    return keypads();
}
