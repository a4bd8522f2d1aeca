#pragma once

#include "model/readcoverage.h"
#include "model/records.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVector>

class KeyboardData;
class QUndoStack;
class QWidget;
class SlotsEditCommand;

// Undo and redo for every edit of the model. It keeps a copy of the content last turned
// into a step; whatever changed since (by any page, in any way) becomes one step when the
// event that made it has been handled, so one click is one step. A drag or a recording
// holds the step open until it ends. The stack's commands put content back through the
// model's restore calls, so what the keypad holds stays the clean state.
class EditHistory : public QObject
{
    Q_OBJECT

public:
    static constexpr int STEP_LIMIT = 200;

    explicit EditHistory(KeyboardData *model, QObject *parent = nullptr);

    QUndoStack *stack() const { return m_stack; }
    // The (untranslated) name of the step the edits being made will form, when it is not
    // the one told from the change itself.
    void nameStep(const QString &name);
    // Everything changed until the matching endStep is one step.
    void beginStep(const QString &name = QString());
    void endStep();
    bool isStepOpen() const { return m_holds > 0; }
    // Turns the edits made since the last step into a step now.
    void commit();
    // Ends the pending step at every mouse press and key press of the application.
    void stepAtEveryInput();
    // A mouse drag on `widget` (pressed to released) is one step, named `name`.
    void holdWhileDragging(QWidget *widget, const QString &name);

    bool canUndo() const;
    bool canRedo() const;
    // Untranslated names of the steps undo and redo would take back; empty when none.
    QString undoName() const;
    QString redoName() const;
    void undo();
    void redo();
    // A fresh read of the keypad: the content now in the model starts a new history.
    void startNewHistory();
    // A read corrected the slots `loaded` marks (the user had left them alone): their new
    // content is where the steps start from, not a step of its own. The other steps stay.
    void adoptRead(const ReadCoverage &loaded);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // After an undo or redo: the layer it changed and its key (-1 for several keys or only
    // lighting), so the window can show it.
    void stepApplied(int layer, int key);
    // The steps on offer or their names changed.
    void changed();

private:
    void onModelEdited();
    void take();
    QString nameFor(const SlotsEditCommand &command) const;
    void step(bool back);

    KeyboardData *m_model;
    QUndoStack *m_stack;
    QVector<QVector<KeyData>> m_keys;
    QVector<LayerLedConfigData> m_lighting;
    QString m_name;
    int m_holds = 0;
    QObject *m_dragging = nullptr;
    QHash<QObject *, QString> m_dragNames;
    bool m_applying = false;
    bool m_commitQueued = false;
};
