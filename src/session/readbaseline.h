#pragma once

#include "session/connectresult.h"

#include <QVector>

class KeyboardData;

// What the model showed when the confirmation of a read began (the first pass, with any edits
// restored on top), so that the confirmed read, arriving later, corrects only what the user
// left alone. A slot counts as left alone while it is unchanged since and has no change to
// save; anything else is the user's and stays as it is.
class ReadBaseline
{
public:
    ReadBaseline() = default;
    // Call on the model's thread, right after the first pass went into the model.
    explicit ReadBaseline(const KeyboardData &model);

    // Loads every agreed slot and lighting record of `confirmed` that was left alone. Where
    // the user changed a slot meanwhile and the keypad turned out to hold something else than
    // `first` said, the model forgets its copy of the keypad's content there, so the slot stays
    // to be saved whatever it is set back to. Returns what was loaded (for the edit history).
    ReadCoverage apply(KeyboardData &model, const ConnectResult &first, const ConnectResult &confirmed) const;

private:
    QVector<QVector<KeyData>> m_keys;
    QVector<LayerLedConfigData> m_lighting;
};
