#include "device/legacyacknowledge.h"
#include "device/legacyhidmanager.h"
#include "device/saveitem.h"
#include "model/keyboarddata.h"
#include "model/keyboardsnapshot.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QThread>

namespace LegacyHIDManager {

namespace {

// Keys layer by layer, then the lighting of each changed layer: the order the save writes.
QVector<SaveItem> legacySaveItems(const LegacyDeviceInfo &info, const KeyboardSnapshot &snapshot)
{
    QVector<SaveItem> items;
    const int layers = qMin(qMin(int(info.layerCount), 4), snapshot.layers.size());
    for (int layer = 0; layer < layers; ++layer) {
        const QVector<KeyData> &keys = snapshot.layers.at(layer);
        for (int slot = 0; slot < qMin(keys.size(), SLOTS_PER_LAYER); ++slot)
            if (keys.at(slot).dirty)
                items.append({layer, slot, false});
    }
    const int lit = qMin(qMin(int(info.layerCount), 4), snapshot.ledConfigs.size());
    for (int layer = 0; layer < lit; ++layer)
        if (snapshot.ledConfigs.at(layer).anyDirty())
            items.append({layer, SaveItem::LIGHTING, false});
    return items;
}

bool stop(SaveFailure reason, SaveFailure *why)
{
    if (why)
        *why = reason;
    return false;
}

} // namespace

bool saveDirtyConfiguration(hid_device *device, const LegacyDeviceInfo &info,
                            QPointer<KeyboardData> model, const KeyboardSnapshot &snapshot,
                            QVector<SaveItem> *report, SaveFailure *why,
                            const std::function<void(int, int)> &progress)
{
    if (why)
        *why = SaveFailure::None;
    QVector<SaveItem> items = legacySaveItems(info, snapshot);
    if (report)
        *report = items;
    if (!device || !info.valid)
        return stop(SaveFailure::NoDevice, why);

    bool lightingPending = false;
    for (const LayerLedConfigData &config : snapshot.ledConfigs)
        lightingPending = lightingPending || config.anyDirty();

    int writes = 0;
    int done = 0;
    for (const SaveItem &item : qAsConst(items)) {
        if (item.isLighting())
            break;
        if (progress)
            progress(done, items.size());
        const KeyData &key = snapshot.layers.at(item.layer).at(item.key);
        if (!writeLegacyKey(device, info, item.layer, item.key, key)) {
            qCDebug(lcLegacy) << "Legacy save failed layer=" << item.layer << "key=" << item.key;
            QByteArray unused;
            const bool encodable = encodeLegacyKeyReport(info, item.layer, item.key, key, unused)
                                   != EncodeResult::BadType;
            return stop(encodable ? SaveFailure::KeyWrite : SaveFailure::Encode, why);
        }
        ++writes;
        ++done;
        QThread::msleep(WRITE_PACING_MS);
    }

    if (progress && lightingPending)
        progress(done, items.size());
    if (!writeLegacyRgbConfig(device, info, snapshot)) {
        qCDebug(lcLegacy) << "Legacy RGB save failed";
        return stop(SaveFailure::Lighting, why);
    }

    // Without the commit the keypad forgets the new keys at the next power cycle.
    if (writes > 0 || lightingPending) {
        if (writeLegacyReport(device, legacyCommitReport()) != REPORT_SIZE) {
            qCDebug(lcLegacy) << "Legacy save commit packet failed";
            return stop(SaveFailure::Commit, why);
        }
        QThread::msleep(COMMIT_SETTLE_MS);
    }

    // Only now does the keypad hold the writes for good.
    for (SaveItem &item : items) {
        item.written = true;
        if (item.isLighting())
            acknowledgeLed(model, item.layer, snapshot.ledRevisions.value(item.layer));
        else
            acknowledgeKey(model, item.layer, item.key,
                           snapshot.keyRevisions.value(item.layer).value(item.key));
    }
    if (report)
        *report = items;
    qCDebug(lcLegacy).noquote() << "Legacy save done writes=" << writes << "fmt=" << legacyFormatName(info);
    return true;
}

bool saveDirtyConfiguration(hid_device *device, const LegacyDeviceInfo &info, KeyboardData &model)
{
    return saveDirtyConfiguration(device, info, QPointer<KeyboardData>(&model), model.snapshot());
}

} // namespace LegacyHIDManager
