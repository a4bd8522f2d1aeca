// Unsaved changes are never dropped without the user knowing: closing the window asks first,
// and a keypad that leaves (a wiggled cable) gets its edits back when it returns. Neither
// writes anything by itself; only Save does.
#include "app/widget.h"

#include "app/statusline.h"
#include "app/unsavedchangesbox.h"
#include "device/hidmanager.h"
#include "model/logcategories.h"

#include <QCloseEvent>
#include <QDebug>
#include <QLabel>
#include <QTextEdit>
#include <QTimer>

namespace {

constexpr int BUSY_RETRY_MS = 50;

} // namespace

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

KeypadIdentity Widget::connectedIdentity() const
{
    const HIDManager *hid = HIDManager::instance();
    return m_legacyDevice ? KeypadIdentity::ofLegacy(hid->vendorId(), hid->productId(), m_legacyInfo)
                          : KeypadIdentity::ofCurrent(hid->vendorId(), hid->productId(), m_deviceInfo);
}

void Widget::keepEditsOfLeavingKeypad()
{
    m_keypadLoaded = false;
    if (!m_keyboardData.hasUnsavedChanges())
        return;
    const int kept = m_pendingEdits.keep(m_keyboardData, m_keypadIdentity);
    qCDebug(lcWindow).noquote() << "Widget: keypad left with unsaved changes, kept until it is back:"
                                << kept << m_keypadIdentity.describe();
}

void Widget::keepEditsBeforeLoad(const KeypadIdentity &incoming)
{
    // Edits made while no keypad was read were made on the panel of the keypad read last
    // (the panel stays as it was when a keypad leaves); before any keypad was read, they
    // are for the first one.
    const KeypadIdentity owner = m_keypadIdentity.isKnown() ? m_keypadIdentity : incoming;
    m_pendingEdits.reassign(KeypadIdentity(), owner);
    if (m_keyboardData.hasUnsavedChanges())
        m_pendingEdits.keep(m_keyboardData, owner);
}

void Widget::restoreKeptEdits(const KeypadIdentity &incoming, bool readComplete)
{
    m_keypadIdentity = incoming;
    m_keypadLoaded = true;
    const bool hadEdits = m_pendingEdits.countFor(incoming) > 0;
    const int restored = m_pendingEdits.restore(m_keyboardData, incoming);
    if (!m_pendingEdits.isEmpty())
        qCDebug(lcWindow) << "Widget: unsaved changes kept for another keypad:" << m_pendingEdits.count();
    if (!hadEdits)
        return;
    qCDebug(lcWindow) << "Widget: unsaved changes restored:" << restored;
    if (restored == 0)
        return; // the keypad took every one of them before it left

    // A read that came back incomplete says so first: that is what the user must act on.
    if (!readComplete)
        return;
    m_status->show(
        uiText(QStringLiteral("Unsaved changes restored: %1. Press Save to write them")).arg(restored),
        QStringLiteral("color: #FFD700; font-weight: bold;"));
}

void Widget::closeEvent(QCloseEvent *event)
{
    if (m_closeApproved) {
        m_closeApproved = false;
        QWidget::closeEvent(event);
        return;
    }
    const int inModel = PendingEdits::countUnsaved(m_keyboardData);
    const int kept = m_pendingEdits.count();
    if (inModel + kept == 0) {
        QWidget::closeEvent(event);
        return;
    }

    // While a keypad is being read, the edits kept may be its own: they are in the model as
    // soon as the read is, so Save takes them too.
    const bool reading = m_deviceConnected && !m_keypadLoaded;
    const int savable = m_deviceConnected ? inModel + (reading ? kept : 0) : 0;
    const int elsewhere = m_deviceConnected ? kept - (reading ? kept : 0) : 0;
    UnsavedChangesBox::Situation situation = UnsavedChangesBox::Situation::CanSave;
    int unsaved = savable;
    if (!m_deviceConnected || savable == 0) {
        situation = UnsavedChangesBox::Situation::KeypadAbsent;
        unsaved = inModel + kept;
    } else if (m_closeAfterSave != CloseAfterSave::No) {
        situation = UnsavedChangesBox::Situation::Saving;
    }

    UnsavedChangesBox box(situation, unsaved, elsewhere,
                          m_chinese ? UiText::Language::Chinese : UiText::Language::English, this);
    const int answer = m_unsavedQuestion ? m_unsavedQuestion(box) : box.exec();
    if (answer == QMessageBox::Discard) {
        qCDebug(lcWindow) << "Widget: closing, unsaved changes discarded:" << inModel + kept;
        m_closeAfterSave = CloseAfterSave::No;
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    if (answer != QMessageBox::Save || situation != UnsavedChangesBox::Situation::CanSave)
        return;
    qCDebug(lcWindow) << "Widget: closing after the save";
    // Edits kept for another keypad were named as lost in the question; edits kept while a
    // keypad is being read were counted as the ones this save takes.
    m_closeMayDropKept = !reading;
    m_closeAfterSave = CloseAfterSave::Waiting;
    continueCloseAfterSave();
}

void Widget::continueCloseAfterSave()
{
    if (m_closeAfterSave == CloseAfterSave::No || isDeviceTaskRunning())
        return; // called again when the running task ends
    if (!m_deviceConnected || !m_keypadLoaded) {
        refuseCloseAfterSave();
        return;
    }
    const bool unsaved = m_keyboardData.hasUnsavedChanges();
    if (m_closeAfterSave == CloseAfterSave::Waiting && unsaved) {
        if (HIDManager::instance()->isBusy()) {
            QTimer::singleShot(BUSY_RETRY_MS, this, &Widget::continueCloseAfterSave);
            return;
        }
        m_closeAfterSave = CloseAfterSave::Saving;
        startSaveTask(false);
        return;
    }
    if (unsaved || (!m_closeMayDropKept && !m_pendingEdits.isEmpty())) {
        refuseCloseAfterSave();
        return;
    }
    m_closeAfterSave = CloseAfterSave::No;
    m_closeApproved = true;
    close();
}

void Widget::refuseCloseAfterSave()
{
    m_closeAfterSave = CloseAfterSave::No;
    const int left = PendingEdits::countUnsaved(m_keyboardData) + m_pendingEdits.count();
    qCDebug(lcWindow) << "Widget: window stays open, unsaved changes left:" << left;
    QMessageBox *box = UnsavedChangesBox::closeRefused(
        left, m_chinese ? UiText::Language::Chinese : UiText::Language::English, this);
    // Not exec(): this runs from a task's result, not from a click.
    box->open();
}
