#include "app/statusline.h"

#include <QLabel>
#include <QTimer>

StatusLine::StatusLine(QLabel *label, QObject *parent)
    : QObject(parent), m_label(label), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &StatusLine::endMoment);
    if (m_label) {
        m_text = m_label->text();
        m_style = m_label->styleSheet();
    }
}

void StatusLine::show(const QString &text, const QString &styleSheet, Topic topic)
{
    m_text = text;
    m_style = styleSheet;
    m_topic = topic;
    if (!inMoment() && m_label) {
        m_label->setText(text);
        m_label->setStyleSheet(styleSheet);
    }
}

void StatusLine::showMoment(const QString &text, const QString &styleSheet, int ms)
{
    if (!m_label)
        return;
    m_label->setText(text);
    m_label->setStyleSheet(styleSheet);
    m_timer->start(ms);
}

void StatusLine::endMoment()
{
    m_timer->stop();
    if (m_label) {
        m_label->setText(m_text);
        m_label->setStyleSheet(m_style);
    }
}

bool StatusLine::inMoment() const
{
    return m_timer->isActive();
}
