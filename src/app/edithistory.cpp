#include "app/edithistory.h"

#include "app/slotseditcommand.h"
#include "model/keyboarddata.h"

#include <QCoreApplication>
#include <QEvent>
#include <QUndoStack>
#include <QWidget>

namespace {

bool sameLighting(const LayerLedConfigData &a, const LayerLedConfigData &b)
{
    return a.mode == b.mode && a.colors == b.colors;
}

// Same keys pressed and released in the same order: only the pauses differ.
bool onlyDelaysDiffer(const KeyData &a, const KeyData &b)
{
    if (a.type != KeyType::Macro || b.type != KeyType::Macro
        || a.macroSteps.size() != b.macroSteps.size())
        return false;
    for (int i = 0; i < a.macroSteps.size(); ++i)
        if (a.macroSteps[i].action != b.macroSteps[i].action
            || a.macroSteps[i].keyCode != b.macroSteps[i].keyCode)
            return false;
    return true;
}

} // namespace

EditHistory::EditHistory(KeyboardData *model, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_stack(new QUndoStack(this))
{
    m_stack->setUndoLimit(STEP_LIMIT);
    take();
    connect(m_model, &KeyboardData::editStateChanged, this, &EditHistory::onModelEdited);
}

void EditHistory::take()
{
    // Slot by slot into buffers of its own: sharing the model's would make the model copy
    // them on its next edit, and a KeyData pointer a caller holds would go stale.
    const QVector<QVector<KeyData>> &keys = m_model->layers();
    m_keys.resize(keys.size());
    for (int l = 0; l < keys.size(); ++l) {
        m_keys[l].resize(keys[l].size());
        for (int k = 0; k < keys[l].size(); ++k)
            m_keys[l][k] = keys[l][k];
    }
    const QVector<LayerLedConfigData> &lighting = m_model->ledConfigs();
    m_lighting.resize(lighting.size());
    for (int l = 0; l < lighting.size(); ++l)
        m_lighting[l] = lighting[l];
}

void EditHistory::nameStep(const QString &name)
{
    m_name = name;
    onModelEdited(); // a name whose action changed nothing goes with the event
}

void EditHistory::beginStep(const QString &name)
{
    // Edits the starting event made already (a recording clears its key first) belong to
    // the step; earlier events have had theirs turned into steps by now.
    ++m_holds;
    if (!name.isEmpty())
        m_name = name;
    emit changed();
}

void EditHistory::endStep()
{
    if (m_holds == 0)
        return;
    if (--m_holds == 0) {
        // Queued: an edit the ending event still makes belongs to the step too.
        onModelEdited();
        emit changed();
    }
}

void EditHistory::holdWhileDragging(QWidget *widget, const QString &name)
{
    m_dragNames.insert(widget, name);
    connect(widget, &QObject::destroyed, this, [this, widget] { m_dragNames.remove(widget); });
    widget->installEventFilter(this);
}

void EditHistory::stepAtEveryInput()
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool EditHistory::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    // A new press or key starts a new action: what the last one changed is its own step
    // even when the turn of the event loop that would have made it has not come yet.
    if (m_commitQueued && m_holds == 0
        && (type == QEvent::MouseButtonPress || type == QEvent::KeyPress))
        commit();
    const auto drag = m_dragNames.constFind(watched);
    if (drag == m_dragNames.constEnd())
        return QObject::eventFilter(watched, event);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (!m_dragging) {
            m_dragging = watched;
            beginStep(drag.value());
        }
        break;
    case QEvent::MouseButtonRelease:
    case QEvent::Hide: // a drag cut short must not keep the history held
        if (m_dragging == watched) {
            m_dragging = nullptr;
            endStep();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void EditHistory::onModelEdited()
{
    if (m_applying || m_commitQueued)
        return;
    m_commitQueued = true;
    QMetaObject::invokeMethod(this, &EditHistory::commit, Qt::QueuedConnection);
}

void EditHistory::commit()
{
    m_commitQueued = false;
    if (m_holds > 0)
        return;
    const QVector<QVector<KeyData>> &keys = m_model->layers();
    const QVector<LayerLedConfigData> &lighting = m_model->ledConfigs();
    QVector<SlotsEditCommand::KeyChange> keyChanges;
    QVector<SlotsEditCommand::LightingChange> lightingChanges;
    for (int l = 0; l < keys.size(); ++l)
        for (int k = 0; k < keys[l].size(); ++k)
            if (!keys[l][k].sameFunction(m_keys[l][k]))
                keyChanges.append({l, k, m_keys[l][k], keys[l][k], false});
            else if (keys[l][k].dirty && !m_keys[l][k].dirty) // marked to be written again
                keyChanges.append({l, k, m_keys[l][k], keys[l][k], true});
    for (int l = 0; l < lighting.size(); ++l)
        if (!sameLighting(lighting[l], m_lighting[l]))
            lightingChanges.append({l, m_lighting[l], lighting[l]});
    take(); // captions may change without a new function (a page's own wording)
    if (keyChanges.isEmpty() && lightingChanges.isEmpty()) {
        m_name.clear();
        return;
    }
    auto *command = new SlotsEditCommand(m_model, QString(), std::move(keyChanges),
                                         std::move(lightingChanges));
    command->setText(m_name.isEmpty() ? nameFor(*command) : m_name);
    m_name.clear();
    m_stack->push(command);
    emit changed();
}

QString EditHistory::nameFor(const SlotsEditCommand &command) const
{
    const auto &keys = command.keyChanges();
    if (keys.isEmpty()) {
        for (const auto &c : command.lightingChanges())
            if (c.before.mode != c.after.mode)
                return QStringLiteral("Lighting Mode");
        return QStringLiteral("Lighting Colour");
    }
    if (keys.size() == 1) {
        const KeyData &after = keys.first().after;
        if (onlyDelaysDiffer(keys.first().before, after))
            return QStringLiteral("Delay Change");
    }
    bool allCleared = true;
    for (const auto &c : keys)
        allCleared = allCleared && c.after.type == KeyType::Empty && c.layer == keys.first().layer;
    if (allCleared)
        return keys.size() == 1 ? QStringLiteral("Clear") : QStringLiteral("Clear All");
    return QStringLiteral("Key Assignment");
}

bool EditHistory::canUndo() const
{
    return m_holds == 0 && m_stack->canUndo();
}

bool EditHistory::canRedo() const
{
    return m_holds == 0 && m_stack->canRedo();
}

QString EditHistory::undoName() const
{
    return m_stack->undoText();
}

QString EditHistory::redoName() const
{
    return m_stack->redoText();
}

void EditHistory::undo()
{
    step(true);
}

void EditHistory::redo()
{
    step(false);
}

void EditHistory::step(bool back)
{
    if (m_holds > 0)
        return; // a drag or recording is still making its step
    commit();
    if (back ? !m_stack->canUndo() : !m_stack->canRedo())
        return;
    const int index = back ? m_stack->index() - 1 : m_stack->index();
    const auto *command = static_cast<const SlotsEditCommand *>(m_stack->command(index));
    m_applying = true;
    if (back)
        m_stack->undo();
    else
        m_stack->redo();
    m_applying = false;
    take();
    emit stepApplied(command->layer(), command->key());
    emit changed();
}

void EditHistory::adoptRead(const ReadCoverage &loaded)
{
    const QVector<QVector<KeyData>> &keys = m_model->layers();
    for (int l = 0; l < keys.size() && l < m_keys.size(); ++l)
        for (int k = 0; k < keys[l].size() && k < m_keys[l].size(); ++k)
            if (loaded.keyRead(l, k))
                m_keys[l][k] = keys[l][k];
    const QVector<LayerLedConfigData> &lighting = m_model->ledConfigs();
    for (int l = 0; l < lighting.size() && l < m_lighting.size(); ++l)
        if (loaded.lightingRead(l))
            m_lighting[l] = lighting[l];
}

void EditHistory::startNewHistory()
{
    m_stack->clear();
    take();
    m_name.clear();
    m_holds = 0;
    m_dragging = nullptr;
    emit changed();
}
