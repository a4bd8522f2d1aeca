#pragma once

#include <QObject>

class KeypadSession;

// Closing never silently drops an edit. Once the user chose to save before closing, this
// waits for the keypad to be free, runs the save, and approves the close only when nothing is
// left unsaved; otherwise it refuses, and the window stays open. The question itself is the
// window's.
class CloseGuard : public QObject
{
    Q_OBJECT

public:
    static constexpr int BUSY_RETRY_MS = 50;

    explicit CloseGuard(KeypadSession *session, QObject *parent = nullptr);

    // A close after a save is under way (waiting for the keypad or saving).
    bool isSaving() const { return m_state != State::No; }
    // Starts the close after a save. `mayDropKept`: edits kept for another keypad were named
    // as lost in the question.
    void saveThenClose(bool mayDropKept);
    // The user dropped the edits after all.
    void cancel() { m_state = State::No; }
    // True once for the close this guard approved.
    bool takeApproval();

public slots:
    // Goes on when the keypad is free: saves, then approves or refuses the close.
    void proceed();

signals:
    // Nothing is left unsaved: the window may close now.
    void closeApproved();
    // The save could not take everything (or the keypad left): `left` edits remain.
    void closeRefused(int left);

private:
    enum class State { No, Waiting, Saving };

    void refuse();

    KeypadSession *m_session;
    State m_state = State::No;
    bool m_approved = false;
    bool m_mayDropKept = false;
};
