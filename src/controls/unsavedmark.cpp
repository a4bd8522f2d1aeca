#include "controls/unsavedmark.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace {
int dotSize(const QRect &area)
{
    return std::max(8, std::min(area.width(), area.height()) / 9);
}
} // namespace

UnsavedMark::UnsavedMark(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setFocusPolicy(Qt::NoFocus);
    parent->installEventFilter(this);
    follow();
}

void UnsavedMark::paint(QPainter &painter, const QRect &area)
{
    const int d = dotSize(area);
    const int inset = std::max(3, d / 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    painter.setBrush(color());
    painter.drawEllipse(QRect(area.right() - inset - d, area.top() + inset, d, d));
    painter.restore();
}

bool UnsavedMark::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        follow();
    return QWidget::eventFilter(watched, event);
}

void UnsavedMark::follow()
{
    setGeometry(parentWidget()->rect());
    raise();
}

void UnsavedMark::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paint(painter, rect());
}
