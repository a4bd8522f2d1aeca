// Unsaved changes are never dropped without the user knowing: closing the window asks first,
// and a keypad that leaves (a wiggled cable) gets its edits back when it returns. Neither
// writes anything by itself; only Save does.
#include "app/widget.h"

#include "app/statusline.h"
#include "app/unsavedchangesbox.h"
#include "session/closeguard.h"
#include "device/hidmanager.h"
#include "model/logcategories.h"

#include <QCloseEvent>
#include <QDebug>
#include <QLabel>
#include <QTextEdit>

bool Widget::mayReadOverUnsavedEdits()
{
    const int unsaved = PendingEdits::countUnsaved(m_keyboardData);
    if (unsaved == 0)
        return true;
    UnsavedChangesBox box(UnsavedChangesBox::Situation::Rereading, unsaved, 0,
                          m_chinese ? UiText::Language::Chinese : UiText::Language::English, this);
    const int answer = m_unsavedQuestion ? m_unsavedQuestion(box) : box.exec();
    qCDebug(lcWindow) << "View: unsaved changes" << unsaved
                      << (answer == QMessageBox::Discard ? "dropped" : "kept, not read again");
    return answer == QMessageBox::Discard;
}

void Widget::setUnsavedQuestion(UnsavedQuestion ask)
{
    m_unsavedQuestion = std::move(ask);
}

void Widget::closeEvent(QCloseEvent *event)
{
    if (m_closeGuard->takeApproval()) {
        QWidget::closeEvent(event);
        return;
    }
    const int inModel = PendingEdits::countUnsaved(m_keyboardData);
    const int kept = pendingEdits().count();
    if (inModel + kept == 0) {
        QWidget::closeEvent(event);
        return;
    }

    // While a keypad is being read, the edits kept may be its own: they are in the model as
    // soon as the read is, so Save takes them too.
    const bool connected = isDeviceConnected();
    const bool reading = connected && !session()->isKeypadLoaded();
    const int savable = connected ? inModel + (reading ? kept : 0) : 0;
    const int elsewhere = connected ? kept - (reading ? kept : 0) : 0;
    UnsavedChangesBox::Situation situation = UnsavedChangesBox::Situation::CanSave;
    int unsaved = savable;
    if (!connected || savable == 0) {
        situation = UnsavedChangesBox::Situation::KeypadAbsent;
        unsaved = inModel + kept;
    } else if (m_closeGuard->isSaving()) {
        situation = UnsavedChangesBox::Situation::Saving;
    }

    UnsavedChangesBox box(situation, unsaved, elsewhere,
                          m_chinese ? UiText::Language::Chinese : UiText::Language::English, this);
    const int answer = m_unsavedQuestion ? m_unsavedQuestion(box) : box.exec();
    if (answer == QMessageBox::Discard) {
        qCDebug(lcWindow) << "Widget: closing, unsaved changes discarded:" << inModel + kept;
        m_closeGuard->cancel();
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    if (answer != QMessageBox::Save || situation != UnsavedChangesBox::Situation::CanSave)
        return;
    qCDebug(lcWindow) << "Widget: closing after the save";
    // Edits kept for another keypad were named as lost in the question; edits kept while a
    // keypad is being read were counted as the ones this save takes.
    m_closeGuard->saveThenClose(!reading);
}

void Widget::refuseCloseAfterSave(int left)
{
    QMessageBox *box = UnsavedChangesBox::closeRefused(
        left, m_chinese ? UiText::Language::Chinese : UiText::Language::English, this);
    // Not exec(): this runs from a task's result, not from a click.
    box->open();
}
