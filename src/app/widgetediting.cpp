// The editing comforts: undo and redo, the marks of unsaved edits, keyboard control of the
// panel and the texts a screen reader reads from it. EditHistory and PanelView do the work;
// this file wires them to the window.
#include "app/widget.h"

#include "app/functionpages.h"

#include "app/edithistory.h"
#include "app/keyboardfocus.h"
#include "controls/rgbcolorpickerwidget.h"
#include "model/logcategories.h"
#include "pages/rgbledpage.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QDebug>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QUndoStack>

void Widget::initEditing()
{
    m_history = new EditHistory(&m_keyboardData, this);
    m_history->stepAtEveryInput();
    m_profileActions->setHistory(m_history);
    m_commandColumn->addUnsavedCountLabel();
    connect(m_topBar, &TopBar::undoClicked, m_history, &EditHistory::undo);
    connect(m_topBar, &TopBar::redoClicked, m_history, &EditHistory::redo);
    connect(m_history, &EditHistory::changed, this, &Widget::refreshEditControls);
    connect(m_history, &EditHistory::stepApplied, this, &Widget::onHistoryStepApplied);
    // The lighting page, when it is built later, is held as it is built.
    if (RgbLedPage *page = m_pages->builtRgbLedPage(); page && page->colorPicker())
        m_history->holdWhileDragging(page->colorPicker(), QStringLiteral("Lighting Colour"));

    auto shortcut = [this](const QKeySequence &keys, auto slot) {
        auto *s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence(Qt::CTRL + Qt::Key_Z), [this] { m_history->undo(); });
    shortcut(QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_Z), [this] { m_history->redo(); });
    shortcut(QKeySequence(Qt::CTRL + Qt::Key_Y), [this] { m_history->redo(); });
    // Through the buttons, so a shortcut is refused whenever the button would be.
    shortcut(QKeySequence(Qt::CTRL + Qt::Key_S), [this] {
        if (saveSettingsButton()->isEnabled())
            saveSettingsButton()->click();
    });
    shortcut(QKeySequence(Qt::Key_F5), [this] {
        if (viewSettingsButton()->isEnabled())
            viewSettingsButton()->click();
    });
    shortcut(QKeySequence(Qt::Key_Delete), [this] {
        if (clearButton()->isEnabled() && clearButton()->isVisible()
            && m_keyboardData.selectedKey() >= 0)
            clearButton()->click();
    });

    m_panel->watchArrowKeys();
    new KeyboardFocus(this);
    // Buttons that keep off the focus on click (so a click leaves the keyboard where it
    // was) are still reached with Tab.
    const auto buttons = findChildren<QAbstractButton *>();
    for (QAbstractButton *b : buttons)
        if (b->focusPolicy() == Qt::NoFocus)
            b->setFocusPolicy(Qt::TabFocus);

    m_marksTimer = new QTimer(this);
    m_marksTimer->setSingleShot(true);
    m_marksTimer->setInterval(0);
    connect(m_marksTimer, &QTimer::timeout, this, &Widget::refreshUnsavedMarks);
    connect(&m_keyboardData, &KeyboardData::editStateChanged, this, &Widget::scheduleUnsavedMarks);
    connect(&m_keyboardData, &KeyboardData::keyButtonTextChanged, this,
            &Widget::scheduleUnsavedMarks);
    connect(&m_keyboardData, &KeyboardData::selectedKeyChanged, this,
            &Widget::scheduleUnsavedMarks);
    refreshEditControls();
    refreshUnsavedMarks();
}

void Widget::scheduleUnsavedMarks()
{
    if (m_marksTimer && !m_marksTimer->isActive())
        m_marksTimer->start();
}

bool Widget::hasUnsavedMarks() const
{
    return m_keyboardData.hasUnsavedChanges();
}

QString Widget::unsavedCountText() const
{
    const int n = m_keyboardData.unsavedItemCount();
    if (n == 0)
        return QString();
    if (n == 1)
        return uiText(QStringLiteral("1 unsaved change"));
    return uiText(QStringLiteral("%1 unsaved changes")).arg(n);
}

void Widget::refreshUnsavedMarks()
{
    if (m_marksTimer)
        m_marksTimer->stop();
    m_panel->refreshUnsavedMarks();
    for (int i = 0; i < LayerBar::LAYER_COUNT; ++i)
        m_layerBar->setLayerUnsaved(i, m_keyboardData.layerHasUnsavedChanges(i));
    if (QLabel *count = unsavedCountLabel())
        count->setText(unsavedCountText());
    if (!windowTitle().contains(QLatin1String("[*]")))
        setWindowTitle(windowTitle() + QStringLiteral("[*]"));
    setWindowModified(hasUnsavedMarks());
    m_panel->refreshAccessibleTexts();
}

void Widget::refreshEditControls()
{
    if (!m_history || !m_topBar)
        return;
    const bool ready = !m_history->isStepOpen();
    undoButton()->setEnabled(ready && m_history->canUndo());
    redoButton()->setEnabled(ready && m_history->canRedo());
    const QString undo = m_history->undoName();
    const QString redo = m_history->redoName();
    undoButton()->setAccessibleName(uiText(QStringLiteral("Undo")));
    redoButton()->setAccessibleName(uiText(QStringLiteral("Redo")));
    undoButton()->setToolTip(undo.isEmpty() ? uiText(QStringLiteral("Undo"))
                                            : uiText(QStringLiteral("Undo %1")).arg(uiText(undo)));
    redoButton()->setToolTip(redo.isEmpty() ? uiText(QStringLiteral("Redo"))
                                            : uiText(QStringLiteral("Redo %1")).arg(uiText(redo)));
}

void Widget::onHistoryStepApplied(int layer, int key)
{
    qCDebug(lcWindow) << "[UI][undo] step applied layer" << layer + 1 << "key" << key;
    // The views took the step when the model said so; a step on another layer also brings
    // that layer into view, and what shows the current layer follows it.
    if (layer >= 0 && layer != m_keyboardData.currentLayer() && layer < 3
        && layerButton(layer) && layerButton(layer)->isEnabled()) {
        layerButton(layer)->setChecked(true);
        onLayerButtonClicked(layer);
        refreshViewsFromModel();
    }
    if (key >= 0)
        selectButton(buttonIndexFromDataIndex(key));
    else if (isRgbLedPageActive())
        syncColorPickerToSelection(); // the picker shows the colour that came back
    const int selected = m_keyboardData.selectedKey();
    if (selected >= 0)
        showFullTextInDisplay(displayFullTextForCurrentPage(selected));
    refreshUnsavedMarks();
}
