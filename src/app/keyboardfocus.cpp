#include "app/keyboardfocus.h"

#include "controls/focusring.h"

#include <QApplication>
#include <QFocusEvent>
#include <QWidget>

KeyboardFocus::KeyboardFocus(QWidget *window)
    : QObject(window)
    , m_window(window)
    , m_ring(new FocusRing(window))
{
    // Focus and mouse events go to the control itself, not through the window: only the
    // application sees them all.
    qApp->installEventFilter(this);
}

KeyboardFocus::~KeyboardFocus()
{
    qApp->removeEventFilter(this);
}

bool KeyboardFocus::inWindow(QObject *object) const
{
    if (!m_window || !object->isWidgetType())
        return false;
    auto *w = static_cast<QWidget *>(object);
    return w != m_ring && w->window() == m_window;
}

void KeyboardFocus::show(QWidget *target)
{
    if (m_ring)
        m_ring->attach(m_keyboard ? target : nullptr);
}

bool KeyboardFocus::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        if (inWindow(watched)) {
            switch (static_cast<QFocusEvent *>(event)->reason()) {
            case Qt::TabFocusReason:
            case Qt::BacktabFocusReason:
            case Qt::ShortcutFocusReason:
                m_keyboard = true;
                break;
            case Qt::MouseFocusReason:
                m_keyboard = false;
                break;
            default: // the window coming back, a popup closing, a program's own setFocus
                break;
            }
            show(static_cast<QWidget *>(watched));
        }
        break;
    case QEvent::FocusOut:
        if (m_ring && watched == m_ring->target())
            m_ring->attach(nullptr);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (inWindow(watched) && m_keyboard) {
            m_keyboard = false;
            show(nullptr);
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
