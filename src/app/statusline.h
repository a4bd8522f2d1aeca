#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QTimer;

// The status text of the top bar. It has a lasting state (connected, disconnected, saving,
// the outcome of the last save or read) and moments: a text shown for a while (a save that
// succeeded, a refused click) after which the lasting one comes back. A lasting change that
// arrives during a moment is kept and shown when the moment ends.
class StatusLine : public QObject
{
    Q_OBJECT

public:
    static constexpr int MOMENT_MS = 1500;

    explicit StatusLine(QLabel *label, QObject *parent = nullptr);

    // What a lasting text is about, for callers that replace it only when it is theirs (the
    // text itself is in the user's language and says nothing a program should act on).
    enum class Topic { General, ReadOutcome };

    void show(const QString &text, const QString &styleSheet, Topic topic = Topic::General);
    void showMoment(const QString &text, const QString &styleSheet, int ms = MOMENT_MS);
    // Ends a moment at once (the lasting text returns).
    void endMoment();
    bool inMoment() const;
    QString lastingText() const { return m_text; }
    Topic lastingTopic() const { return m_topic; }

private:
    QLabel *m_label;
    QTimer *m_timer;
    QString m_text;
    QString m_style;
    Topic m_topic = Topic::General;
};
