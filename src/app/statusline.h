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

    void show(const QString &text, const QString &styleSheet);
    void showMoment(const QString &text, const QString &styleSheet, int ms = MOMENT_MS);
    // Ends a moment at once (the lasting text returns).
    void endMoment();
    bool inMoment() const;
    QString lastingText() const { return m_text; }

private:
    QLabel *m_label;
    QTimer *m_timer;
    QString m_text;
    QString m_style;
};
