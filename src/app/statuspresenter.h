#pragma once

#include "i18n/uitext.h"
#include "session/keypadsession.h"

#include <QObject>
#include <QString>

#include <functional>

class StatusLine;

// Turns what the keypad session tells into the status line's texts and styles, in the
// window's language. It holds no state of its own beyond what the status line shows.
class StatusPresenter : public QObject
{
    Q_OBJECT

public:
    static const QString CONNECTED_STYLE;
    static const QString SAVED_STYLE;
    static const QString BUSY_STYLE;
    static const QString PROBLEM_STYLE;
    static const QString DISCONNECTED_STYLE;
    static const QString RESTORED_STYLE;

    using LanguageSource = std::function<UiText::Language()>;
    StatusPresenter(StatusLine *line, LanguageSource language, QObject *parent = nullptr);

    StatusLine *line() const { return m_line; }

    void showConnected();
    void showDisconnected();
    // Says for a moment why a click did nothing; then the status returns.
    void showRefusal(KeypadSession::Refusal why);
    // The same for a refusal of the window's own (`english`, translated here).
    void showRefusalText(const QString &english);
    // Whether everything of a read could be read.
    void showReadOutcome(bool complete);
    // A confirmed read takes back only what reading said (reading again, or an incomplete
    // first pass); other news, such as edits restored on top of the read, stays.
    void showConfirmedRead(bool complete);
    void showReadingAgain();
    void showEditsRestored(int restored);
    void showSaveStarted(int items);
    void showSaveProgress(int done, int total);
    void showSaveFinished(const VerifiedSave::Outcome &outcome);

private:
    QString text(const QString &english) const;

    StatusLine *m_line;
    LanguageSource m_language;
};
