#include "model/pendingedits.h"

#include "model/keyboarddata.h"

bool PendingEdits::LightingEdit::any() const
{
    if (modeSet)
        return true;
    for (bool set : colorSet)
        if (set)
            return true;
    return false;
}

int PendingEdits::Entry::items() const
{
    int n = keys.size();
    for (const LightingEdit &led : lighting)
        n += led.any() ? 1 : 0;
    return n;
}

int PendingEdits::indexOf(const KeypadIdentity &keypad) const
{
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].keypad == keypad)
            return i;
    return -1;
}

PendingEdits::Entry *PendingEdits::find(const KeypadIdentity &keypad)
{
    const int at = indexOf(keypad);
    return at < 0 ? nullptr : &m_entries[at];
}

void PendingEdits::merge(Entry &into, const Entry &newer)
{
    for (auto it = newer.keys.cbegin(); it != newer.keys.cend(); ++it)
        into.keys.insert(it.key(), it.value());
    into.lighting.resize(KeyboardData::LAYER_COUNT);
    for (int l = 0; l < newer.lighting.size() && l < into.lighting.size(); ++l) {
        const LightingEdit &src = newer.lighting[l];
        LightingEdit &dst = into.lighting[l];
        if (src.modeSet) {
            dst.modeSet = true;
            dst.mode = src.mode;
        }
        for (int i = 0; i < LayerLedConfigData::LED_COUNT; ++i) {
            if (src.colorSet[i]) {
                dst.colorSet[i] = true;
                dst.colors[i] = src.colors[i];
            }
        }
    }
}

int PendingEdits::keep(const KeyboardData &model, const KeypadIdentity &keypad)
{
    Entry captured;
    captured.keypad = keypad;
    captured.lighting.resize(KeyboardData::LAYER_COUNT);
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l) {
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k) {
            const KeyData *key = model.keyDataAt(l, k);
            if (key && key->dirty)
                captured.keys.insert(qMakePair(l, k), *key);
        }
        const LayerLedConfigData &led = model.ledConfig(l);
        LightingEdit &edit = captured.lighting[l];
        if (led.modeDirty) {
            edit.modeSet = true;
            edit.mode = led.mode;
        }
        for (int i = 0; i < LayerLedConfigData::LED_COUNT; ++i) {
            if (led.colorDirty[i]) {
                edit.colorSet[i] = true;
                edit.colors[i] = led.colors[i];
            }
        }
    }

    Entry *entry = find(keypad);
    if (!entry) {
        if (captured.items() == 0)
            return 0;
        m_entries.append(captured);
        return captured.items();
    }
    merge(*entry, captured);
    return entry->items();
}

int PendingEdits::restore(KeyboardData &model, const KeypadIdentity &keypad)
{
    const int at = indexOf(keypad);
    if (at < 0)
        return 0;
    const Entry entry = m_entries.takeAt(at);
    const KeyboardData::Replacement replacing(model); // the views hear of it once

    int changed = 0;
    for (auto it = entry.keys.cbegin(); it != entry.keys.cend(); ++it)
        changed += model.setKeyAt(it.key().first, it.key().second, it.value()) ? 1 : 0;
    for (int l = 0; l < entry.lighting.size() && l < KeyboardData::LAYER_COUNT; ++l) {
        const LightingEdit &edit = entry.lighting[l];
        if (!edit.any())
            continue;
        // The setters ignore a value the layer already holds; the layer counts only when
        // something of it became a change again (a read without lighting, as "Old" keypads
        // give, leaves the edits in the model marked all along).
        const LayerLedConfigData before = model.ledConfig(l);
        if (edit.modeSet)
            model.setLedMode(l, edit.mode);
        for (int i = 0; i < LayerLedConfigData::LED_COUNT; ++i)
            if (edit.colorSet[i])
                model.setLedColor(l, i, edit.colors[i]);
        const LayerLedConfigData &after = model.ledConfig(l);
        bool again = after.modeDirty && !before.modeDirty;
        for (int i = 0; i < LayerLedConfigData::LED_COUNT; ++i)
            again = again || (after.colorDirty[i] && !before.colorDirty[i]);
        changed += again ? 1 : 0;
    }
    return changed;
}

void PendingEdits::reassign(const KeypadIdentity &from, const KeypadIdentity &to)
{
    const int at = indexOf(from);
    if (at < 0 || from == to)
        return;
    Entry moved = m_entries.takeAt(at);
    moved.keypad = to;
    if (Entry *target = find(to))
        merge(*target, moved);
    else
        m_entries.append(moved);
}

int PendingEdits::count() const
{
    int n = 0;
    for (const Entry &e : m_entries)
        n += e.items();
    return n;
}

int PendingEdits::countFor(const KeypadIdentity &keypad) const
{
    const int at = indexOf(keypad);
    return at < 0 ? 0 : m_entries[at].items();
}

int PendingEdits::countUnsaved(const KeyboardData &model)
{
    int n = 0;
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l) {
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k) {
            const KeyData *key = model.keyDataAt(l, k);
            n += (key && key->dirty) ? 1 : 0;
        }
        n += model.ledConfig(l).anyDirty() ? 1 : 0;
    }
    return n;
}
