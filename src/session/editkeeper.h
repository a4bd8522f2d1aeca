#pragma once

#include "model/keypadidentity.h"
#include "model/pendingedits.h"

class KeyboardData;

// Edits that outlive a keypad's visit. When a keypad leaves (a wiggled cable), its unsaved
// edits are kept under its identity before the model is blanked; when a keypad of the same
// identity is read again they go back on top of the fresh read, as edits only Save writes.
class EditKeeper
{
public:
    // Before a connect read goes into the model: edits the model holds (made while no keypad
    // was read) join those kept, for the keypad read last or, before any, for `incoming`.
    void keepBeforeLoad(const KeyboardData &model, const KeypadIdentity &incoming);
    // After the read is in the model: the edits kept for `incoming` return. Returns how many
    // are changes again, or -1 when none were kept for it.
    int restore(KeyboardData &model, const KeypadIdentity &incoming);
    // The keypad left: its unsaved edits are kept before the model is blanked.
    void keepLeaving(const KeyboardData &model);

    const PendingEdits &pendingEdits() const { return m_pending; }
    // The connected keypad's read is in the model (false again once it leaves).
    bool keypadLoaded() const { return m_loaded; }
    // Of the keypad read last, kept after it leaves.
    const KeypadIdentity &lastKeypad() const { return m_last; }

private:
    PendingEdits m_pending;
    KeypadIdentity m_last;
    bool m_loaded = false;
};
