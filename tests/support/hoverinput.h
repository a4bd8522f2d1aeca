#pragma once

// Moving the pointer onto or off a widget without a real mouse: the enter and leave events a
// window system would send.

#include <QApplication>
#include <QEnterEvent>
#include <QEvent>
#include <QWidget>

namespace testsupport {

inline void hover(QWidget &w, bool in)
{
    if (in) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(&w, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&w, &leave);
    }
}

} // namespace testsupport
