#include "session/verifiedsave.h"

#include "i18n/uitext.h"
#include "device/hidmanager.h"
#include "device/keyrecord.h"
#include "device/passagreement.h"
#include "device/legacyhidmanager.h"
#include "model/keyboarddata.h"
#include "model/keyboardsnapshot.h"
#include "model/logcategories.h"
#include "model/profile.h"
#include "model/readcoverage.h"

#include <QDebug>
#include <QObject>

#include <algorithm>

namespace {

constexpr int LAYER_COUNT = 4;
// The status line names this many items at most; the count says how many there are.
constexpr int NAMED_ITEMS = 5;

bool sameLighting(const LayerLedConfigData &a, const LayerLedConfigData &b)
{
    return a.mode == b.mode && a.colors == b.colors;
}

// What a layer's lighting is, as bytes two reads can be compared on.
QByteArray lightingBytes(const LayerLedConfigData &c)
{
    QByteArray out(1, char(c.mode));
    for (const LedColorData &colour : c.colors)
        out.append(char(colour.r)).append(char(colour.g)).append(char(colour.b));
    return out;
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

// The layers whose keys, and those whose lighting, the given items touch.
void touchedLayers(const QVector<VerifiedSave::ItemResult> &items,
                   const std::function<bool(const VerifiedSave::ItemResult &)> &wanted,
                   QVector<int> &keyLayers, QVector<int> &lightingLayers)
{
    for (const VerifiedSave::ItemResult &r : items) {
        if (!wanted(r))
            continue;
        QVector<int> &list = r.item.isLighting() ? lightingLayers : keyLayers;
        if (!list.contains(r.item.layer))
            list.append(r.item.layer);
    }
}

// What a save that ran to its end comes to: a keypad that left takes the blame for whatever
// is not on it (nothing unchecked there was ever written for good); otherwise the items say
// it themselves.
void settle(VerifiedSave::Outcome &o, HIDManager *hid)
{
    using State = VerifiedSave::ItemState;
    const bool anyLeft = std::any_of(o.items.begin(), o.items.end(),
                                     [](const VerifiedSave::ItemResult &r) { return r.state != State::Saved; });
    if (!anyLeft) {
        o.failure = VerifiedSave::Failure::None;
        return;
    }
    if (hid->stillPresent()) {
        o.failure = VerifiedSave::Failure::Items;
        return;
    }
    for (VerifiedSave::ItemResult &r : o.items)
        if (r.state == State::Unchecked)
            r.state = State::NotWritten;
    o.failure = VerifiedSave::Failure::Disconnected;
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

    // The writes skip a slot the keypad does not have and still call it done: it is not.
    const SlotMap &slotMap = m_target.slotMap;
    auto kept = [&slotMap](const SaveItem &item) { return item.isLighting() || slotMap.canKeep(item.key); };
    for (ItemResult &r : o.items)
        if (!kept(r.item))
            r.state = ItemState::NotKept;

    // Everything kept is read back: what was acknowledged to see that it stuck, what was not
    // to see whether it arrived all the same (an acknowledgement can be lost too).
    QVector<int> keyLayers, lightingLayers;
    touchedLayers(o.items, [](const ItemResult &r) { return r.state != ItemState::NotKept; }, keyLayers,
                  lightingLayers);
    if (progress)
        progress(items.size(), items.size());
    // One read cannot tell a key record lost on the way from an empty slot: the check believes
    // an item only where two passes of the read-back agree, as every other read does.
    QVector<PassAgreement<QByteArray>> agreement(o.items.size());
    auto readPass = [&] {
        QVector<QVector<KeyData>> layers;
        QVector<LayerLedConfigData> leds;
        ReadCoverage coverage;
        const bool whole = m_hid->readBack(keyLayers, lightingLayers, layers, leds, coverage);
        bool open = false;
        for (int i = 0; i < o.items.size(); ++i) {
            const SaveItem &it = o.items[i].item;
            if (o.items[i].state == ItemState::NotKept)
                continue;
            const bool read = it.isLighting() ? coverage.lightingRead(it.layer) : coverage.keyRead(it.layer, it.key);
            const QByteArray value = !read ? QByteArray()
                                     : it.isLighting() ? lightingBytes(leds[it.layer])
                                                       : KeyRecord::encode(layers[it.layer][it.key]);
            agreement[i].add(read, value, [](const QByteArray &a, const QByteArray &b) { return a == b; });
            open = open || agreement[i].wantsAnother();
        }
        return qMakePair(whole, open);
    };
    QPair<bool, bool> pass = readPass();
    o.checked = pass.first;
    while (pass.second && m_hid->isConnected()) {
        pass = readPass();
        o.checked = o.checked || pass.first;
    }

    for (int i = 0; i < o.items.size(); ++i) {
        ItemResult &r = o.items[i];
        if (r.state == ItemState::NotKept)
            continue;
        const SaveItem &it = r.item;
        if (!agreement[i].agreed()) {
            // The acknowledgement is the keypad's word; without it nothing shows the write.
            if (r.state == ItemState::NotWritten)
                r.state = ItemState::Unchecked;
            continue;
        }
        // Keys are compared as the keypad stores them: the record bytes.
        const QByteArray wanted = it.isLighting() ? lightingBytes(snap.ledConfigs[it.layer])
                                                  : KeyRecord::encode(snap.layers[it.layer][it.key]);
        const bool same = agreement[i].value() == wanted;
        if (same && r.state == ItemState::NotWritten) {
            r.state = ItemState::Saved;
            r.acknowledge = true;
        } else if (!same) {
            qCDebug(lcWindow).noquote() << "VerifiedSave: read back differs layer=" << it.layer << "key=" << it.key;
            r.state = ItemState::NotTaken;
        }
    }
    settle(o, m_hid);
    return o;
}

VerifiedSave::Outcome VerifiedSave::runLegacy(QPointer<KeyboardData> model, const KeyboardSnapshot &snap,
                                              const Progress &progress) const
{
    Q_UNUSED(model)
    using namespace LegacyHIDManager;
    Outcome o;
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
        // A write that fails is what a pulled cable looks like before the alive probe has
        // noticed: ask the handle before blaming the keypad.
        if (why == SaveFailure::NoDevice || !m_hid->stillPresent())
            o.failure = Failure::Disconnected;
        else
            o.failure = why == SaveFailure::Commit ? Failure::NotCommitted : Failure::NotSent;
        return o;
    }
    if (items.isEmpty()) {
        o.checked = true;
        return o;
    }

    // The writes skip a slot the generation has no key for; "Old" lighting cannot be read back.
    const SlotMap &slotMap = m_target.slotMap;
    const bool r10 = info.format == LegacyDeviceInfo::R10Udav;
    for (ItemResult &r : o.items)
        if (!r.item.isLighting() && (!slotMap.canKeep(r.item.key) || legacyKeyNumber(info, r.item.key) == 0))
            r.state = ItemState::NotKept;
    auto checkable = [r10](const ItemResult &r) {
        return r.state != ItemState::NotKept && (!r.item.isLighting() || r10);
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
    o.checked = true;
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
    for (ItemResult &r : o.items) {
        if (r.state == ItemState::NotKept)
            continue;
        const SaveItem &it = r.item;
        bool read = answered;
        bool same = true;
        if (checkable(r) && it.isLighting()) {
            read = lightingRead[it.layer];
            same = !read || sameLighting(leds[it.layer], snap.ledConfigs[it.layer]);
        } else if (checkable(r)) {
            read = layerRead[it.layer];
            // Compared as the generation stores a key, which is not always as it was given
            // (a combination comes back as a macro).
            same = !read || Profile::sameOnKeypad(snap.layers[it.layer][it.key], layers[it.layer][it.key], protocol);
        }
        if (!read) {
            // A lost reply says nothing about what the keypad holds.
            r.state = ItemState::Unchecked;
        } else if (!same) {
            qCDebug(lcWindow).noquote() << "VerifiedSave: legacy read back differs layer=" << it.layer << "key=" << it.key;
            r.state = ItemState::NotTaken;
        } else {
            r.acknowledge = true; // a commit counts only once the keypad has answered after it
        }
    }
    settle(o, m_hid);
    return o;
}

void VerifiedSave::apply(KeyboardData &model, const Outcome &outcome)
{
    for (const ItemResult &r : outcome.items) {
        if (r.state == ItemState::Saved && r.acknowledge) {
            if (r.item.isLighting())
                model.acknowledgeLedSaved(r.item.layer, r.revision);
            else
                model.acknowledgeKeySaved(r.item.layer, r.item.key, r.revision);
        }
        // The save acknowledged these as it went; the check found they are not on the keypad.
        if (r.state != ItemState::NotTaken && r.state != ItemState::NotKept)
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
    case Failure::NotSent:
        return tr(QStringLiteral("Save failed: the changes could not be sent to the keypad. "
                                 "Your changes are kept; press Save to try again"));
    default:
        break;
    }

    // One kind of trouble is named, the worst first: what the keypad was read to hold
    // otherwise, then what could not be checked, then slots the keypad does not have.
    struct Kind {
        ItemState state;
        const char *oneKey, *manyKeys, *oneItem, *manyItems;
    };
    static const Kind kinds[] = {
        {ItemState::NotTaken, "1 key did not take: %1. Press Save to try again",
         "%1 keys did not take: %2. Press Save to try again", "1 item did not take: %1. Press Save to try again",
         "%1 items did not take: %2. Press Save to try again"},
        {ItemState::Unchecked, "1 key could not be checked: %1. Press Save to try again",
         "%1 keys could not be checked: %2. Press Save to try again",
         "1 item could not be checked: %1. Press Save to try again",
         "%1 items could not be checked: %2. Press Save to try again"},
        {ItemState::NotKept, "1 key is not on this keypad and was not saved: %1",
         "%1 keys are not on this keypad and were not saved: %2",
         "1 key is not on this keypad and was not saved: %1",
         "%1 keys are not on this keypad and were not saved: %2"},
    };
    for (const Kind &kind : kinds) {
        QVector<SaveItem> left;
        bool allKeys = true;
        for (const ItemResult &r : outcome.items) {
            if (r.state != kind.state)
                continue;
            left.append(r.item);
            allKeys = allKeys && !r.item.isLighting();
        }
        if (left.isEmpty())
            continue;
        QStringList names;
        for (int i = 0; i < left.size() && i < NAMED_ITEMS; ++i)
            names << itemName(left[i], language);
        QString list = names.join(tr(QStringLiteral(", ")));
        if (left.size() > NAMED_ITEMS)
            list += QStringLiteral("…");
        const bool one = left.size() == 1;
        const char *pattern = allKeys ? (one ? kind.oneKey : kind.manyKeys) : (one ? kind.oneItem : kind.manyItems);
        const QString text = tr(QString::fromUtf8(pattern));
        return one ? text.arg(list) : text.arg(left.size()).arg(list);
    }
    return tr(QStringLiteral("Save failed: the keypad did not take the changes. "
                             "Your changes are kept; press Save to try again"));
}
