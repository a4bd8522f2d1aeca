#include "controls/fittinglabel.h"

#include <QPainter>

FittingLabel::FittingLabel(QWidget *parent)
    : QLabel(parent)
{
}

void FittingLabel::setMinimumPixelSize(int px)
{
    m_minimumPx = qMax(1, px);
    update();
}

KeyCaption::Fitted FittingLabel::fitted() const
{
    return KeyCaption::fit(text(), contentsRect().size(), font(), m_minimumPx);
}

QString FittingLabel::displayedText() const
{
    return fitted().lines.join(QLatin1Char('\n'));
}

QFont FittingLabel::displayedFont() const
{
    return fitted().font;
}

QSize FittingLabel::minimumSizeHint() const
{
    return QSize(0, QLabel::minimumSizeHint().height());
}

void FittingLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    KeyCaption::draw(painter, contentsRect(), fitted(), palette().color(foregroundRole()));
}
