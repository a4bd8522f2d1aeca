#include "device/hidmanager.h"
#include "model/keyboarddata.h"
#include "model/keyboardsnapshot.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QMetaObject>
#include <QThread>

namespace {

constexpr int LAYER_COUNT = 4;
constexpr int KEYS_PER_LAYER = 25;
constexpr int LAYER_PAUSE_MS = 20;
constexpr int ITEM_PAUSE_MS = 10;
constexpr int LIGHTING_ITEM = -1;

struct SaveItem {
    int layer;
    int key; // LIGHTING_ITEM for the layer's lighting
};

// Per layer: its dirty keys in ascending order, then its lighting when asked for.
QVector<SaveItem> workItems(const KeyboardSnapshot &snap, bool withLighting)
{
    QVector<SaveItem> items;
    for (int layer = 0; layer < LAYER_COUNT && layer < snap.layers.size(); ++layer) {
        const QVector<KeyData> &keys = snap.layers[layer];
        for (int key = 0; key < KEYS_PER_LAYER && key < keys.size(); ++key)
            if (keys[key].dirty)
                items.append({layer, key});
        if (withLighting && layer < snap.ledConfigs.size() && snap.ledConfigs[layer].anyDirty())
            items.append({layer, LIGHTING_ITEM});
    }
    return items;
}

// The model belongs to its own thread: acknowledgements from a worker are queued there, in
// order, ahead of the final signal the worker emits afterwards.
void acknowledge(const QPointer<KeyboardData> &model, const SaveItem &item, quint32 revision)
{
    KeyboardData *m = model.data();
    if (!m)
        return;
    auto apply = [model, item, revision] {
        if (!model)
            return;
        if (item.key == LIGHTING_ITEM)
            model->acknowledgeLedSaved(item.layer, revision);
        else
            model->acknowledgeKeySaved(item.layer, item.key, revision);
    };
    if (m->thread() == QThread::currentThread())
        apply();
    else
        QMetaObject::invokeMethod(m, apply, Qt::QueuedConnection);
}

quint32 revisionOf(const KeyboardSnapshot &snap, const SaveItem &item)
{
    return item.key == LIGHTING_ITEM ? snap.ledRevision(item.layer) : snap.keyRevision(item.layer, item.key);
}

// A key goes out by its type: macros in chunks, an empty slot as a clear.
bool writeSnapshotKey(HIDManager &mgr, const SaveItem &item, const KeyData &key)
{
    if (key.type == KeyType::Macro)
        return mgr.sendWriteMacro(item.layer, item.key, key);
    if (key.type == KeyType::Empty)
        return mgr.sendClearKey(item.layer, item.key);
    return mgr.sendWriteKey(item.layer, item.key, key);
}

} // namespace

bool HIDManager::readAllConfiguration(QVector<QVector<KeyData>> &layers, QVector<LayerLedConfigData> &leds)
{
    if (!m_device.load())
        return false;
    OperationLock lock(this);
    layers = QVector<QVector<KeyData>>(LAYER_COUNT);
    leds = QVector<LayerLedConfigData>(LAYER_COUNT);
    bool ok = true;
    const int total = 2 * LAYER_COUNT;
    for (int layer = 0; layer < LAYER_COUNT; ++layer) {
        emit progressUpdated(2 * layer, total, QStringLiteral("Reading keys from layer %1...").arg(layer + 1));
        flushRxBuffer();
        QVector<KeyData> keys;
        if (!sendReadLayer(layer, keys)) {
            qCDebug(lcDevice).noquote() << "HIDManager: readAllConfiguration key layer" << layer << "failed";
            keys.resize(KEYS_PER_LAYER);
            ok = false;
        }
        layers[layer] = keys;

        emit progressUpdated(2 * layer + 1, total, QStringLiteral("Reading RGB from layer %1...").arg(layer + 1));
        flushRxBuffer();
        LayerLedConfigData cfg;
        if (!sendReadLedLayer(layer, cfg)) {
            qCDebug(lcDevice).noquote() << "HIDManager: readAllConfiguration LED layer" << layer << "failed";
            cfg = LayerLedConfigData();
            ok = false;
        }
        cfg.modeDirty = false;
        cfg.colorDirty.fill(false);
        leds[layer] = cfg;
        QThread::msleep(LAYER_PAUSE_MS);
    }
    return ok;
}

bool HIDManager::readAllLayers(QVector<QVector<KeyData>> &layers)
{
    if (!m_device.load())
        return false;
    OperationLock lock(this);
    layers = QVector<QVector<KeyData>>(LAYER_COUNT);
    for (int layer = 0; layer < LAYER_COUNT; ++layer) {
        emit progressUpdated(layer, LAYER_COUNT, QStringLiteral("正在读取第 %1 层的按键...").arg(layer + 1));
        flushRxBuffer();
        QVector<KeyData> keys;
        if (!sendReadLayer(layer, keys)) {
            qCDebug(lcDevice).noquote() << "HIDManager: readAllLayers layer" << layer << "failed";
            keys.resize(KEYS_PER_LAYER);
        }
        layers[layer] = keys;
        QThread::msleep(LAYER_PAUSE_MS);
    }
    return true;
}

bool HIDManager::saveDirtyConfiguration(KeyboardData &model)
{
    return saveDirtyConfiguration(QPointer<KeyboardData>(&model), model.snapshot());
}

bool HIDManager::saveDirtyKeys(KeyboardData &model)
{
    return saveDirtyKeys(QPointer<KeyboardData>(&model), model.snapshot());
}

bool HIDManager::saveDirtyConfiguration(QPointer<KeyboardData> model, const KeyboardSnapshot &snap)
{
    if (!m_device.load())
        return false;
    OperationLock lock(this);
    const QVector<SaveItem> items = workItems(snap, true);
    if (items.isEmpty()) {
        lock.release();
        emit operationFinished(true, QStringLiteral("Nothing to save"));
        return true;
    }
    bool ok = true;
    for (int i = 0; i < items.size(); ++i) {
        const SaveItem &item = items[i];
        const bool lighting = item.key == LIGHTING_ITEM;
        emit progressUpdated(i, items.size(),
                             lighting ? QStringLiteral("Saving RGB layer %1...").arg(item.layer + 1)
                                      : QStringLiteral("Saving key L%1 K%2...").arg(item.layer + 1).arg(item.key));
        flushRxBuffer();
        bool written = false;
        if (lighting) {
            written = sendWriteLedLayer(item.layer, snap.ledConfigs[item.layer]);
        } else {
            written = writeSnapshotKey(*this, item, snap.layers[item.layer][item.key]);
        }
        if (written)
            acknowledge(model, item, revisionOf(snap, item));
        else
            ok = false;
        QThread::msleep(ITEM_PAUSE_MS);
    }
    lock.release();
    emit operationFinished(ok, ok ? QStringLiteral("Save completed")
                                  : QStringLiteral("Some items failed to save, please retry"));
    return ok;
}

bool HIDManager::saveDirtyKeys(QPointer<KeyboardData> model, const KeyboardSnapshot &snap)
{
    if (!m_device.load())
        return false;
    OperationLock lock(this);
    const QVector<SaveItem> items = workItems(snap, false);
    if (items.isEmpty()) {
        qCDebug(lcDevice).noquote() << "HIDManager: nothing to save";
        lock.release();
        emit operationFinished(true, QStringLiteral("没有需要保存的按键"));
        return true;
    }
    bool ok = true;
    for (int i = 0; i < items.size(); ++i) {
        const SaveItem &item = items[i];
        emit progressUpdated(i, items.size(),
                             QStringLiteral("正在保存第 %1 层的按键 %2...").arg(item.layer + 1).arg(item.key));
        flushRxBuffer();
        const bool written = writeSnapshotKey(*this, item, snap.layers[item.layer][item.key]);
        if (written) {
            qCDebug(lcDevice).noquote() << "HIDManager: saved layer=" << item.layer << "key=" << item.key;
            acknowledge(model, item, revisionOf(snap, item));
        } else {
            qCDebug(lcDevice).noquote() << "HIDManager: FAILED layer=" << item.layer << "key=" << item.key;
            ok = false;
        }
        QThread::msleep(ITEM_PAUSE_MS);
    }
    lock.release();
    emit operationFinished(ok, ok ? QStringLiteral("Save completed")
                                  : QStringLiteral("Some keys failed to save, please retry"));
    return ok;
}
