#include "session/editkeeper.h"

#include "model/keyboarddata.h"
#include "model/logcategories.h"

#include <QDebug>

void EditKeeper::keepLeaving(const KeyboardData &model)
{
    m_loaded = false;
    if (!model.hasUnsavedChanges())
        return;
    const int kept = m_pending.keep(model, m_last);
    qCDebug(lcWindow).noquote() << "Widget: keypad left with unsaved changes, kept until it is back:" << kept
                                << m_last.describe();
}

void EditKeeper::keepBeforeLoad(const KeyboardData &model, const KeypadIdentity &incoming)
{
    // Edits made while no keypad was read were made on the panel of the keypad read last
    // (the panel stays as it was when a keypad leaves); before any keypad was read, they
    // are for the first one.
    const KeypadIdentity owner = m_last.isKnown() ? m_last : incoming;
    m_pending.reassign(KeypadIdentity(), owner);
    if (model.hasUnsavedChanges())
        m_pending.keep(model, owner);
}

int EditKeeper::restore(KeyboardData &model, const KeypadIdentity &incoming)
{
    m_last = incoming;
    m_loaded = true;
    const bool hadEdits = m_pending.countFor(incoming) > 0;
    const int restored = m_pending.restore(model, incoming);
    if (!m_pending.isEmpty())
        qCDebug(lcWindow) << "Widget: unsaved changes kept for another keypad:" << m_pending.count();
    if (!hadEdits)
        return -1;
    qCDebug(lcWindow) << "Widget: unsaved changes restored:" << restored;
    return restored;
}
