#pragma once

#include "model/keypadidentity.h"
#include "model/records.h"

#include <QMap>
#include <QPair>
#include <QVector>

#include <array>

class KeyboardData;

// Unsaved edits that outlive the connection they were made on. When a keypad leaves, the
// window blanks its model; the edits not yet written are kept here under the identity of
// that keypad, and when a keypad of the same identity is read again they are applied on top
// of the fresh read as edits (marked changed, so only Save writes them). Edits kept for one
// keypad wait while keypads of other models come and go.
class PendingEdits
{
public:
    // Adds the model's unsaved keys and lighting changes to what is kept for `keypad`; an
    // item kept before and changed again is replaced by its newer content. Returns the
    // number of items now kept for it.
    int keep(const KeyboardData &model, const KeypadIdentity &keypad);
    // Applies what is kept for `keypad` to the model through its edit operations and forgets
    // it. An item the fresh read already holds (the keypad took it before it left) is no
    // change and is not counted. Returns the number of items that are changes again.
    int restore(KeyboardData &model, const KeypadIdentity &keypad);
    // Moves what is kept for `from` to `to`; where both hold an item, `from`'s wins.
    void reassign(const KeypadIdentity &from, const KeypadIdentity &to);

    bool isEmpty() const { return m_entries.isEmpty(); }
    // Items kept, for every keypad / for one.
    int count() const;
    int countFor(const KeypadIdentity &keypad) const;
    void clear() { m_entries.clear(); }

    // Unsaved items of a model, counted as the save writes them: each changed key, and each
    // layer whose lighting changed.
    static int countUnsaved(const KeyboardData &model);

private:
    struct LightingEdit {
        bool modeSet = false;
        quint8 mode = 0;
        std::array<bool, LayerLedConfigData::LED_COUNT> colorSet{};
        std::array<LedColorData, LayerLedConfigData::LED_COUNT> colors{};
        bool any() const;
    };
    struct Entry {
        KeypadIdentity keypad;
        QMap<QPair<int, int>, KeyData> keys; // (layer, key) -> function
        QVector<LightingEdit> lighting;      // per layer
        int items() const;
    };

    int indexOf(const KeypadIdentity &keypad) const;
    Entry *find(const KeypadIdentity &keypad);
    static void merge(Entry &into, const Entry &newer);

    QVector<Entry> m_entries;
};
