#pragma once

#include "model/records.h"

#include <QUndoCommand>
#include <QVector>

class KeyboardData;

// One user action as the slots it changed, each with its content before and after. Undo and
// redo put that content back through the model's restore calls, so the change flags follow
// from what the keypad holds at that moment rather than from what they were at the time.
class SlotsEditCommand : public QUndoCommand
{
public:
    struct KeyChange {
        int layer;
        int key;
        KeyData before;
        KeyData after;
        // The action only marked the key to be written (Clear All on an empty key): redo
        // marks it again, undo takes the mark back.
        bool markOnly;
    };
    struct LightingChange {
        int layer;
        LayerLedConfigData before;
        LayerLedConfigData after;
    };

    // `name` is the untranslated name of the action ("Clear All"). The command is pushed
    // after the change is made, so its first redo does nothing.
    SlotsEditCommand(KeyboardData *model, const QString &name, QVector<KeyChange> keys,
                     QVector<LightingChange> lighting);

    void undo() override;
    void redo() override;

    const QVector<KeyChange> &keyChanges() const { return m_keys; }
    const QVector<LightingChange> &lightingChanges() const { return m_lighting; }
    // The layer the action changed (the first one when it touched several) and its key;
    // the key is -1 when the action changed several keys or only lighting.
    int layer() const;
    int key() const;

private:
    void apply(bool after);

    KeyboardData *m_model;
    QVector<KeyChange> m_keys;
    QVector<LightingChange> m_lighting;
    bool m_applied = true;
};
