#include "controls/focusring.h"

#include <QEvent>
#include <QPainter>
#include <QVariant>

FocusRing::FocusRing(QWidget *parent)
    : QWidget(parent)
    , m_home(parent)
{
    setObjectName(QStringLiteral("focusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    setAttribute(Qt::WA_NoSystemBackground, true);
    setFocusPolicy(Qt::NoFocus);
    // The window's style sheet gives every widget a background; the ring has none.
    setStyleSheet(QStringLiteral("background: transparent; border: none;"));
    hide();
}

QColor FocusRing::outerColor()
{
    return QColor(255, 255, 255);
}

QColor FocusRing::innerColor()
{
    return QColor(16, 16, 16);
}

void FocusRing::attach(QWidget *target)
{
    if (target == m_target)
        return;
    if (m_target) {
        m_target->removeEventFilter(this);
        m_target->setProperty("keyboardFocusRing", QVariant());
        m_target->update();
    }
    m_target = target;
    if (!m_target) {
        hide();
        if (parentWidget() != m_home)
            setParent(m_home);
        return;
    }
    m_target->installEventFilter(this);
    m_target->setProperty("keyboardFocusRing", true);
    m_target->update();
    follow();
}

void FocusRing::follow()
{
    if (!m_target)
        return;
    // A child of the control: it moves, clips and hides with it, and a grab of the control
    // shows it.
    if (parentWidget() != m_target)
        setParent(m_target);
    setGeometry(m_target->rect());
    raise();
    show();
    update();
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_target) {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::ChildAdded: // a later child would cover the ring
            follow();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusRing::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF outer = QRectF(rect()).adjusted(OUTER_WIDTH / 2.0, OUTER_WIDTH / 2.0, -OUTER_WIDTH / 2.0,
                                                 -OUTER_WIDTH / 2.0);
    const double innerInset = OUTER_WIDTH + INNER_WIDTH / 2.0;
    const QRectF inner = QRectF(rect()).adjusted(innerInset, innerInset, -innerInset, -innerInset);
    const double radius = qMin(6.0, qMin(width(), height()) / 4.0);
    auto ring = [&](const QRectF &r, const QColor &c, int w, double rad) {
        p.setPen(QPen(c, w));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r, rad, rad);
    };
    ring(outer, outerColor(), OUTER_WIDTH, radius);
    ring(inner, innerColor(), INNER_WIDTH, qMax(0.0, radius - OUTER_WIDTH));
}
