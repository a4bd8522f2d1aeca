#pragma once

#include <QObject>
#include <QPointer>

#include "controls/focusring.h"
class QWidget;

// Shows the focus ring only while the user works the window with the keyboard: from a focus
// change by Tab, Shift+Tab or a shortcut until the next mouse press, the way browsers show
// focus. In between, the ring follows the focus wherever it moves (arrow keys on the panel,
// a page that takes the focus). A click hides it: the clicked control needs no marker.
class KeyboardFocus : public QObject
{
    Q_OBJECT

public:
    explicit KeyboardFocus(QWidget *window);
    ~KeyboardFocus() override;

    bool isActive() const { return m_keyboard; }
    FocusRing *ring() const { return m_ring; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool inWindow(QObject *object) const;
    void show(QWidget *target);

    QPointer<QWidget> m_window;
    QPointer<FocusRing> m_ring;
    bool m_keyboard = false;
};
