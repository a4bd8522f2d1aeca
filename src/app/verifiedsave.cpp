#include "app/verifiedsave.h"

#include "i18n/uitext.h"
#include "device/hidmanager.h"
#include "device/keyrecord.h"
#include "device/legacyhidmanager.h"
#include "model/keyboarddata.h"
#include "model/keyboardsnapshot.h"
#include "model/logcategories.h"
#include "model/profile.h"
#include "model/readcoverage.h"

#include <QDebug>
#include <QObject>

namespace {

constexpr int LAYER_COUNT = 4;
// The status line names this many items at most; the count says how many there are.
constexpr int NAMED_ITEMS = 5;

bool sameLighting(const LayerLedConfigData &a, const LayerLedConfigData &b)
{
    return a.mode == b.mode && a.colors == b.colors;
}

quint32 revisionOf(const KeyboardSnapshot &snap, const SaveItem &item)
{
    return item.isLighting() ? snap.ledRevision(item.layer) : snap.keyRevision(item.layer, item.key);
}

QVector<VerifiedSave::ItemResult> resultsOf(const SaveItems &items, const KeyboardSnapshot &snap)
{
    QVector<VerifiedSave::ItemResult> out;
    out.reserve(items.size());
    for (const SaveItem &item : items) {
        VerifiedSave::ItemResult r;
        r.item = item;
        r.revision = revisionOf(snap, item);
        r.state = item.written ? VerifiedSave::ItemState::Saved : VerifiedSave::ItemState::NotWritten;
        out.append(r);
    }
    return out;
}

// The layers whose keys, and those whose lighting, the written items touch.
void touchedLayers(const QVector<VerifiedSave::ItemResult> &items,
                   const std::function<bool(const SaveItem &)> &checkable, QVector<int> &keyLayers,
                   QVector<int> &lightingLayers)
{
    for (const VerifiedSave::ItemResult &r : items) {
        if (r.state != VerifiedSave::ItemState::Saved || !checkable(r.item))
            continue;
        QVector<int> &list = r.item.isLighting() ? lightingLayers : keyLayers;
        if (!list.contains(r.item.layer))
            list.append(r.item.layer);
    }
}

} // namespace

VerifiedSave::VerifiedSave(HIDManager *hid, const Target &target)
    : m_hid(hid), m_target(target)
{
}

VerifiedSave::Outcome VerifiedSave::run(QPointer<KeyboardData> model, const KeyboardSnapshot &snapshot,
                                        const Progress &progress) const
{
    return m_target.legacy ? runLegacy(model, snapshot, progress) : runCurrent(model, snapshot, progress);
}

VerifiedSave::Outcome VerifiedSave::runCurrent(QPointer<KeyboardData> model, const KeyboardSnapshot &snap,
                                               const Progress &progress) const
{
    Outcome o;
    SaveItems items;
    // The save announces each item on the worker it runs on; pass that on as it happens.
    QMetaObject::Connection relay;
    if (progress)
        relay = QObject::connect(m_hid, &HIDManager::progressUpdated,
                                 [progress](int done, int total, const QString &) { progress(done, total); });
    if (m_target.keysOnly)
        m_hid->saveDirtyKeys(model, snap, &items);
    else
        m_hid->saveDirtyConfiguration(model, snap, &items);
    QObject::disconnect(relay);
    o.items = resultsOf(items, snap);
    if (items.isEmpty()) {
        o.checked = true;
        return o;
    }

    // Slots past the keypad's own are skipped by the writes; there is nothing to hold them.
    const int limit = m_hid->writableKeyLimit();
    auto checkable = [limit](const SaveItem &item) { return item.isLighting() || item.key < limit; };
    QVector<int> keyLayers, lightingLayers;
    touchedLayers(o.items, checkable, keyLayers, lightingLayers);
    if (progress)
        progress(items.size(), items.size());
    QVector<QVector<KeyData>> layers;
    QVector<LayerLedConfigData> leds;
    ReadCoverage coverage;
    o.checked = m_hid->readBack(keyLayers, lightingLayers, layers, leds, coverage);

    for (ItemResult &r : o.items) {
        if (r.state != ItemState::Saved || !checkable(r.item))
            continue;
        const SaveItem &it = r.item;
        bool same = true;
        if (it.isLighting()) {
            if (!coverage.lightingRead(it.layer))
                continue;
            same = sameLighting(leds[it.layer], snap.ledConfigs[it.layer]);
        } else {
            if (!coverage.keyRead(it.layer, it.key))
                continue;
            // Compared as the keypad stores them: the record bytes.
            same = KeyRecord::encode(layers[it.layer][it.key]) == KeyRecord::encode(snap.layers[it.layer][it.key]);
        }
        if (!same) {
            qCDebug(lcWindow).noquote() << "VerifiedSave: read back differs layer=" << it.layer << "key=" << it.key;
            r.state = ItemState::NotTaken;
        }
    }

    bool anyUnwritten = false, anyNotTaken = false;
    for (const ItemResult &r : qAsConst(o.items)) {
        anyUnwritten = anyUnwritten || r.state == ItemState::NotWritten;
        anyNotTaken = anyNotTaken || r.state == ItemState::NotTaken;
    }
    if (anyUnwritten)
        o.failure = m_hid->isConnected() ? Failure::NotTaken : Failure::Disconnected;
    else if (anyNotTaken)
        o.failure = Failure::NotTaken;
    return o;
}

VerifiedSave::Outcome VerifiedSave::runLegacy(QPointer<KeyboardData> model, const KeyboardSnapshot &snap,
                                              const Progress &progress) const
{
    Q_UNUSED(model)
    using namespace LegacyHIDManager;
    Outcome o;
    o.acknowledgeOnApply = true;
    const LegacyDeviceInfo info = m_target.legacyInfo;
    SaveItems items;
    SaveFailure why = SaveFailure::None;
    // The keypad answers none of the writes: that the commit went out does not show that it
    // arrived. Only a keypad that answers the read-back afterwards has it; until then
    // nothing is acknowledged.
    const bool saved = m_hid->runLegacy([&](hid_device *dev) {
        return saveDirtyConfiguration(dev, info, QPointer<KeyboardData>(), snap, &items, &why, progress);
    });
    o.items = resultsOf(items, snap);
    if (!saved) {
        for (ItemResult &r : o.items)
            r.state = ItemState::NotWritten;
        if (why == SaveFailure::NoDevice || !m_hid->isConnected())
            o.failure = Failure::Disconnected;
        else
            o.failure = why == SaveFailure::Commit ? Failure::NotCommitted : Failure::NotTaken;
        return o;
    }
    if (items.isEmpty()) {
        o.checked = true;
        return o;
    }

    // A slot the generation has no key for is skipped by the writes; "Old" lighting cannot
    // be read back.
    const bool r10 = info.format == LegacyDeviceInfo::R10Udav;
    auto checkable = [&info, r10](const SaveItem &item) {
        return item.isLighting() ? r10 : legacyKeyNumber(info, item.key) != 0;
    };
    QVector<int> keyLayers, lightingLayers;
    touchedLayers(o.items, checkable, keyLayers, lightingLayers);
    if (keyLayers.isEmpty() && lightingLayers.isEmpty())
        keyLayers.append(0); // still ask: only an answer shows the commit arrived
    if (progress)
        progress(items.size(), items.size());
    QVector<QVector<KeyData>> layers(LAYER_COUNT);
    QVector<LayerLedConfigData> leds(LAYER_COUNT);
    QVector<bool> layerRead(LAYER_COUNT, false), lightingRead(LAYER_COUNT, false);
    m_hid->runLegacy([&](hid_device *dev) {
        for (int layer : qAsConst(keyLayers))
            layerRead[layer] = readLegacyLayerConfirmed(dev, info, layer, layers[layer]);
        for (int layer : qAsConst(lightingLayers))
            lightingRead[layer] = readLegacyRgbLayerConfirmed(dev, layer, leds[layer]);
        return true;
    });
    o.checked = !layerRead.isEmpty();
    bool answered = false;
    for (int layer : qAsConst(keyLayers)) {
        o.checked = o.checked && layerRead[layer];
        answered = answered || layerRead[layer];
    }
    for (int layer : qAsConst(lightingLayers)) {
        o.checked = o.checked && lightingRead[layer];
        answered = answered || lightingRead[layer];
    }

    const ProfileDevice::Protocol protocol = r10 ? ProfileDevice::Protocol::LegacyR10Udav
                                                 : ProfileDevice::Protocol::LegacyOld;
    bool anyUnconfirmed = false, anyNotTaken = false;
    for (ItemResult &r : o.items) {
        const SaveItem &it = r.item;
        bool read = answered;
        bool same = true;
        if (checkable(it) && it.isLighting()) {
            read = lightingRead[it.layer];
            same = !read || sameLighting(leds[it.layer], snap.ledConfigs[it.layer]);
        } else if (checkable(it)) {
            read = layerRead[it.layer];
            // Compared as the generation stores a key, which is not always as it was given
            // (a combination comes back as a macro).
            same = !read || Profile::sameOnKeypad(snap.layers[it.layer][it.key], layers[it.layer][it.key], protocol);
        }
        if (!read) {
            r.state = ItemState::NotWritten;
            anyUnconfirmed = true;
        } else if (!same) {
            qCDebug(lcWindow).noquote() << "VerifiedSave: legacy read back differs layer=" << it.layer << "key=" << it.key;
            r.state = ItemState::NotTaken;
            anyNotTaken = true;
        }
    }
    if (anyUnconfirmed)
        o.failure = answered ? Failure::NotTaken : Failure::Disconnected;
    else if (anyNotTaken)
        o.failure = Failure::NotTaken;
    return o;
}

void VerifiedSave::apply(KeyboardData &model, const Outcome &outcome)
{
    for (const ItemResult &r : outcome.items) {
        if (r.state == ItemState::Saved && outcome.acknowledgeOnApply) {
            if (r.item.isLighting())
                model.acknowledgeLedSaved(r.item.layer, r.revision);
            else
                model.acknowledgeKeySaved(r.item.layer, r.item.key, r.revision);
        }
        if (r.state != ItemState::NotTaken)
            continue;
        if (r.item.isLighting())
            model.markLedNotSaved(r.item.layer, r.revision);
        else
            model.markKeyNotSaved(r.item.layer, r.item.key, r.revision);
    }
}

bool VerifiedSave::succeeded(const Outcome &outcome)
{
    return outcome.failure == Failure::None && unsaved(outcome).isEmpty();
}

QVector<SaveItem> VerifiedSave::unsaved(const Outcome &outcome)
{
    QVector<SaveItem> out;
    for (const ItemResult &r : outcome.items)
        if (r.state != ItemState::Saved)
            out.append(r.item);
    return out;
}

QString VerifiedSave::itemName(const SaveItem &item, UiText::Language language)
{
    if (item.isLighting())
        return UiText::text(QStringLiteral("layer %1 lighting"), language).arg(item.layer + 1);
    return UiText::text(QStringLiteral("layer %1 key %2"), language).arg(item.layer + 1).arg(item.key + 1);
}

QString VerifiedSave::statusText(const Outcome &outcome, UiText::Language language)
{
    auto tr = [language](const QString &english) { return UiText::text(english, language); };
    if (succeeded(outcome))
        return tr(QStringLiteral("Saved successfully"));
    switch (outcome.failure) {
    case Failure::Disconnected:
        return tr(QStringLiteral("Save failed: the keypad was disconnected. Your changes are kept"));
    case Failure::NotCommitted:
        return tr(QStringLiteral("Save failed: the keypad could not store the changes for good. "
                                           "Your changes are kept; press Save to try again"));
    default:
        break;
    }
    const QVector<SaveItem> left = unsaved(outcome);
    bool anyWritten = false, allKeys = true;
    for (const ItemResult &r : outcome.items)
        anyWritten = anyWritten || r.state != ItemState::NotWritten;
    for (const SaveItem &item : left)
        allKeys = allKeys && !item.isLighting();
    if (!anyWritten || left.isEmpty())
        return tr(QStringLiteral("Save failed: the keypad did not take the changes. "
                                           "Your changes are kept; press Save to try again"));

    QStringList names;
    for (int i = 0; i < left.size() && i < NAMED_ITEMS; ++i)
        names << itemName(left[i], language);
    QString list = names.join(tr(QStringLiteral(", ")));
    if (left.size() > NAMED_ITEMS)
        list += QStringLiteral("…");
    const bool one = left.size() == 1;
    QString pattern;
    if (allKeys)
        pattern = one ? QStringLiteral("1 key did not take: %1. Press Save to try again")
                      : QStringLiteral("%1 keys did not take: %2. Press Save to try again");
    else
        pattern = one ? QStringLiteral("1 item did not take: %1. Press Save to try again")
                      : QStringLiteral("%1 items did not take: %2. Press Save to try again");
    const QString text = tr(pattern);
    return one ? text.arg(list) : text.arg(left.size()).arg(list);
}
