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

void FittingLabel::setLargestMinimumWidth(int width)
{
    m_largestMinimumWidth = qMax(0, width);
    updateGeometry();
}

QSize FittingLabel::minimumSizeHint() const
{
    const QSize natural = QLabel::minimumSizeHint();
    return QSize(qMin(natural.width(), m_largestMinimumWidth), natural.height());
}

void FittingLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    KeyCaption::draw(painter, contentsRect(), fitted(), palette().color(foregroundRole()));
}
