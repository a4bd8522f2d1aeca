#pragma once

#include "i18n/uitext.h"
#include "device/saveitem.h"
#include "model/records.h"
#include "model/slotmap.h"

#include <QPointer>
#include <QString>
#include <QVector>
#include <QtGlobal>

#include <functional>

class HIDManager;
class KeyboardData;
struct KeyboardSnapshot;

// A save that takes the keypad's word only for what it can show: it writes the snapshot's
// changed items (current protocol: each done when acknowledged; legacy: all done once the
// commit went out), then reads back the layers and lighting it touched and compares item by
// item. An item the keypad holds otherwise is marked changed again, so the next Save writes
// it once more, and is named to the user.
//
//     VerifiedSave save(hid, target);                        // on the GUI thread
//     ... on a worker:  VerifiedSave::Outcome o = save.run(model, snapshot, progress);
//     ... back on the GUI thread:  VerifiedSave::apply(*model, o);  statusText(o)
//
// run() blocks and talks to the keypad: never call it on the GUI thread of a window. What it
// learns reaches the model only through apply() (and the acknowledgements the saves post).
class VerifiedSave
{
public:
    struct Target {
        bool legacy = false;
        LegacyDeviceInfo legacyInfo; // for a legacy keypad
        bool keysOnly = false;       // current protocol: leave the lighting for later
        // The keypad's slots: an item for a slot it cannot keep is never counted as saved.
        SlotMap slotMap;
    };

    enum class Failure {
        None,
        Disconnected, // the keypad left before everything was written and checked
        NotSent,      // legacy: a write did not go out to a keypad that is still there
        NotCommitted, // legacy: the writes went out but the commit did not
        Items,        // the save ran; some items are not on the keypad (see their states)
    };

    enum class ItemState {
        Saved,      // on the keypad: acknowledged or read back as written
        NotWritten, // never reached the keypad: still changed
        NotTaken,   // the keypad was read to hold something else: changed again
        Unchecked,  // not acknowledged and the read-back could not show it: still changed
        NotKept,    // a slot this keypad does not have: still changed
    };

    struct ItemResult {
        SaveItem item;
        quint32 revision = 0; // of the snapshot the save wrote from
        ItemState state = ItemState::NotWritten;
        // The model learns from apply() that it is saved (no acknowledgement was posted).
        bool acknowledge = false;
    };

    struct Outcome {
        Failure failure = Failure::None;
        QVector<ItemResult> items;
        // Every written item was read back (false when the check itself could not read).
        bool checked = false;
    };

    // (items done, items in all), before each item is written.
    using Progress = std::function<void(int done, int total)>;

    VerifiedSave(HIDManager *hid, const Target &target);

    Outcome run(QPointer<KeyboardData> model, const KeyboardSnapshot &snapshot,
                const Progress &progress = {}) const;

    // On the model's thread, after the save's own acknowledgements (posted before the
    // outcome): marks what did not take as changed again, and acknowledges what the save
    // left to it.
    static void apply(KeyboardData &model, const Outcome &outcome);

    // True when every item of the save is on the keypad.
    static bool succeeded(const Outcome &outcome);
    // Items still changed after the save, in save order.
    static QVector<SaveItem> unsaved(const Outcome &outcome);
    // What the status line says about the outcome, in the interface language.
    static QString statusText(const Outcome &outcome, UiText::Language language = UiText::language());
    // "layer 1 key 3", "layer 2 lighting" (layer and key counted from 1), translated.
    static QString itemName(const SaveItem &item, UiText::Language language = UiText::language());

private:
    Outcome runCurrent(QPointer<KeyboardData> model, const KeyboardSnapshot &snapshot,
                       const Progress &progress) const;
    Outcome runLegacy(QPointer<KeyboardData> model, const KeyboardSnapshot &snapshot,
                      const Progress &progress) const;

    HIDManager *m_hid;
    Target m_target;
};

Q_DECLARE_METATYPE(VerifiedSave::Outcome)
