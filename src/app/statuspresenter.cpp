#include "app/statuspresenter.h"

#include "app/statusline.h"

const QString StatusPresenter::CONNECTED_STYLE = QStringLiteral("color: #00FF00; font-weight: bold;");
const QString StatusPresenter::SAVED_STYLE =
    QStringLiteral("background-color: #2d5a2d; color: #00FF00; font-weight: bold;");
const QString StatusPresenter::BUSY_STYLE = QStringLiteral("color: #FFD54F; font-weight: bold;");
const QString StatusPresenter::PROBLEM_STYLE = QStringLiteral("color: #FF8C00; font-weight: bold;");
const QString StatusPresenter::DISCONNECTED_STYLE = QStringLiteral("color: #FF0000;");
const QString StatusPresenter::RESTORED_STYLE = QStringLiteral("color: #FFD700; font-weight: bold;");

namespace {

const QString READ_INCOMPLETE =
    QStringLiteral("Read incomplete: some keys could not be read. Press View Settings to read again");
const QString READING_AGAIN = QStringLiteral("Read again: a reply was lost");

} // namespace

StatusPresenter::StatusPresenter(StatusLine *line, LanguageSource language, QObject *parent)
    : QObject(parent), m_line(line), m_language(std::move(language))
{
}

QString StatusPresenter::text(const QString &english) const
{
    return UiText::text(english, m_language ? m_language() : UiText::language());
}

void StatusPresenter::showConnected()
{
    m_line->show(text(QStringLiteral("Device connected")), CONNECTED_STYLE);
}

void StatusPresenter::showDisconnected()
{
    m_line->endMoment();
    m_line->show(text(QStringLiteral("Connect the device with a usb cable")), DISCONNECTED_STYLE);
}

void StatusPresenter::showRefusal(KeypadSession::Refusal why)
{
    switch (why) {
    case KeypadSession::Refusal::NotConnected:
        return; // the buttons are off without a keypad: only the log hears of it
    case KeypadSession::Refusal::Busy:
        showRefusalText(QStringLiteral("The keypad is busy: try again in a moment"));
        return;
    case KeypadSession::Refusal::NothingToSave:
        showRefusalText(QStringLiteral("Nothing to save"));
        return;
    }
}

void StatusPresenter::showRefusalText(const QString &english)
{
    m_line->showMoment(text(english), BUSY_STYLE);
}

void StatusPresenter::showReadOutcome(bool complete)
{
    if (complete)
        showConnected();
    else
        m_line->show(text(READ_INCOMPLETE), PROBLEM_STYLE, StatusLine::Topic::ReadOutcome);
}

void StatusPresenter::showConfirmedRead(bool complete)
{
    if (!complete || m_line->lastingTopic() == StatusLine::Topic::ReadOutcome)
        showReadOutcome(complete);
}

void StatusPresenter::showReadingAgain()
{
    m_line->show(text(READING_AGAIN), BUSY_STYLE, StatusLine::Topic::ReadOutcome);
}

void StatusPresenter::showEditsRestored(int restored)
{
    m_line->show(text(QStringLiteral("Unsaved changes restored: %1. Press Save to write them")).arg(restored),
                 RESTORED_STYLE);
}

void StatusPresenter::showSaveStarted(int items)
{
    m_line->endMoment();
    m_line->show(text(QStringLiteral("Saving %1 of %2…")).arg(1).arg(items), BUSY_STYLE);
}

void StatusPresenter::showSaveProgress(int done, int total)
{
    const QString line = done >= total ? text(QStringLiteral("Checking what the keypad holds…"))
                                       : text(QStringLiteral("Saving %1 of %2…")).arg(done + 1).arg(total);
    m_line->show(line, BUSY_STYLE);
}

void StatusPresenter::showSaveFinished(const VerifiedSave::Outcome &outcome)
{
    const QString line = VerifiedSave::statusText(outcome, m_language ? m_language() : UiText::language());
    if (VerifiedSave::succeeded(outcome)) {
        showConnected();
        m_line->showMoment(line, SAVED_STYLE);
    } else {
        m_line->show(line, PROBLEM_STYLE);
    }
}
