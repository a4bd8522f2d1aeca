#include "session/closeguard.h"

#include "model/keyboarddata.h"
#include "model/logcategories.h"
#include "session/keypadsession.h"

#include <QDebug>
#include <QTimer>

CloseGuard::CloseGuard(KeypadSession *session, QObject *parent)
    : QObject(parent), m_session(session)
{
    connect(m_session, &KeypadSession::taskEnded, this, [this] {
        // After this result is applied, a close waiting for the keypad may go on.
        if (m_state != State::No)
            QTimer::singleShot(0, this, &CloseGuard::proceed);
    });
}

void CloseGuard::saveThenClose(bool mayDropKept)
{
    m_mayDropKept = mayDropKept;
    m_state = State::Waiting;
    proceed();
}

bool CloseGuard::takeApproval()
{
    const bool approved = m_approved;
    m_approved = false;
    return approved;
}

void CloseGuard::proceed()
{
    if (m_state == State::No || m_session->isBusy())
        return; // called again when the running task ends
    KeyboardData *model = m_session->model();
    if (!m_session->isConnected() || !m_session->isKeypadLoaded() || !model) {
        refuse();
        return;
    }
    const bool unsaved = model->hasUnsavedChanges();
    if (m_state == State::Waiting && unsaved) {
        if (m_session->isLinkBusy()) {
            QTimer::singleShot(BUSY_RETRY_MS, this, &CloseGuard::proceed);
            return;
        }
        m_state = State::Saving;
        m_session->startSave(false);
        return;
    }
    if (unsaved || (!m_mayDropKept && !m_session->pendingEdits().isEmpty())) {
        refuse();
        return;
    }
    m_state = State::No;
    m_approved = true;
    emit closeApproved();
}

void CloseGuard::refuse()
{
    m_state = State::No;
    const KeyboardData *model = m_session->model();
    const int left = (model ? PendingEdits::countUnsaved(*model) : 0) + m_session->pendingEdits().count();
    qCDebug(lcWindow) << "Widget: window stays open, unsaved changes left:" << left;
    emit closeRefused(left);
}
