#include "device/legacyacknowledge.h"
#include "device/legacyhidmanager.h"
#include "model/keyboarddata.h"
#include "model/keyboardsnapshot.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QThread>

namespace LegacyHIDManager {

bool saveDirtyConfiguration(hid_device *device, const LegacyDeviceInfo &info,
                            QPointer<KeyboardData> model, const KeyboardSnapshot &snapshot)
{
    if (!device || !info.valid)
        return false;

    bool lightingPending = false;
    for (const LayerLedConfigData &config : snapshot.ledConfigs)
        lightingPending = lightingPending || config.anyDirty();

    int writes = 0;
    const int layers = qMin(qMin(int(info.layerCount), 4), snapshot.layers.size());
    for (int layer = 0; layer < layers; ++layer) {
        const QVector<KeyData> &keys = snapshot.layers.at(layer);
        const int slotCount = qMin(keys.size(), SLOTS_PER_LAYER);
        for (int slot = 0; slot < slotCount; ++slot) {
            if (!keys.at(slot).dirty)
                continue;
            if (!writeLegacyKey(device, info, layer, slot, keys.at(slot))) {
                qCDebug(lcLegacy) << "Legacy save failed layer=" << layer << "key=" << slot;
                return false;
            }
            acknowledgeKey(model, layer, slot, snapshot.keyRevisions.value(layer).value(slot));
            ++writes;
            QThread::msleep(WRITE_PACING_MS);
        }
    }

    if (!writeLegacyRgbConfig(device, info, model, snapshot)) {
        qCDebug(lcLegacy) << "Legacy RGB save failed";
        return false;
    }

    // Without the commit the keypad forgets the new keys at the next power cycle.
    if (writes > 0 || lightingPending) {
        if (writeLegacyReport(device, legacyCommitReport()) != REPORT_SIZE) {
            qCDebug(lcLegacy) << "Legacy save commit packet failed";
            return false;
        }
        QThread::msleep(COMMIT_SETTLE_MS);
    }

    qCDebug(lcLegacy).noquote() << "Legacy save done writes=" << writes << "fmt=" << legacyFormatName(info);
    return true;
}

bool saveDirtyConfiguration(hid_device *device, const LegacyDeviceInfo &info, KeyboardData &model)
{
    return saveDirtyConfiguration(device, info, QPointer<KeyboardData>(&model), model.snapshot());
}

} // namespace LegacyHIDManager
