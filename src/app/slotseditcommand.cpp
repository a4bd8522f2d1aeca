#include "app/slotseditcommand.h"

#include "model/keyboarddata.h"

SlotsEditCommand::SlotsEditCommand(KeyboardData *model, const QString &name,
                                   QVector<KeyChange> keys, QVector<LightingChange> lighting)
    : m_model(model)
    , m_keys(std::move(keys))
    , m_lighting(std::move(lighting))
{
    setText(name);
}

void SlotsEditCommand::undo()
{
    apply(false);
}

void SlotsEditCommand::redo()
{
    apply(true);
}

void SlotsEditCommand::apply(bool after)
{
    if (m_applied == after)
        return; // pushed already done
    m_applied = after;
    const KeyboardData::Replacement replacing(*m_model); // one step, one refresh of the views
    for (const KeyChange &c : qAsConst(m_keys))
        m_model->restoreKeyAt(c.layer, c.key, after ? c.after : c.before, after && c.markOnly);
    for (const LightingChange &c : qAsConst(m_lighting))
        m_model->restoreLedConfig(c.layer, after ? c.after : c.before);
}

int SlotsEditCommand::layer() const
{
    if (!m_keys.isEmpty())
        return m_keys.first().layer;
    return m_lighting.isEmpty() ? -1 : m_lighting.first().layer;
}

int SlotsEditCommand::key() const
{
    return m_keys.size() == 1 ? m_keys.first().key : -1;
}
