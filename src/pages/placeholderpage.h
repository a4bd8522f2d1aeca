#pragma once

#include <QString>
#include <QWidget>

class QLabel;

// Keeps the place of a page in the function page stack until its real content exists, so
// that page indices never shift.
class PlaceholderPage : public QWidget
{
    Q_OBJECT

public:
    explicit PlaceholderPage(const QString &title, QWidget *parent = nullptr);
    QString title() const { return m_title; }

private:
    QString m_title;
    QLabel *m_label;
};
