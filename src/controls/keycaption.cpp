#include "controls/keycaption.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

#include <cmath>

namespace KeyCaption {

int roundHalfAway(double value)
{
    return static_cast<int>(std::lround(value));
}

int lengthLimit(int sideLength)
{
    if (sideLength > 99)
        return 7;
    if (sideLength > 79)
        return 6;
    if (sideLength >= 60)
        return 5;
    return 4;
}

QString limitedText(const QString& text, int sideLength)
{
    const int limit = lengthLimit(sideLength);
    if (text.size() <= limit)
        return text;
    return text.right(limit);
}

QColor arrowColor()
{
    return QColor(50, 150, 255);
}

void draw(QPainter& painter, const QRect& rect, const QString& text, const QColor& textColor)
{
    const QString arrow = QStringLiteral("->");
    if (!text.contains(arrow)) {
        painter.setPen(textColor);
        painter.drawText(rect, Qt::AlignCenter, text);
        return;
    }

    // One centred row: parts in the caption colour, the separators in blue.
    const QStringList parts = text.split(arrow, Qt::KeepEmptyParts);
    const QFontMetrics fm(painter.font());
    const int arrowWidth = fm.horizontalAdvance(arrow);
    int total = arrowWidth * (parts.size() - 1);
    for (const QString& part : parts)
        total += fm.horizontalAdvance(part);

    int x = rect.x() + (rect.width() - total) / 2;
    const int baseline = rect.y() + (rect.height() + fm.ascent() - fm.descent()) / 2;
    for (int i = 0; i < parts.size(); ++i) {
        const QString& part = parts.at(i);
        if (!part.isEmpty()) {
            painter.setPen(textColor);
            painter.drawText(QPoint(x, baseline), part);
            x += fm.horizontalAdvance(part);
        }
        if (i < parts.size() - 1) {
            painter.setPen(arrowColor());
            painter.drawText(QPoint(x, baseline), arrow);
            x += arrowWidth;
        }
    }
}

} // namespace KeyCaption
