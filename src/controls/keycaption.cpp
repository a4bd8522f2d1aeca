#include "controls/keycaption.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QVector>

#include <algorithm>
#include <cmath>

namespace KeyCaption {

namespace {

const QString kArrow = QStringLiteral("->");

bool isWideScript(QChar c)
{
    // Chinese (and Japanese, Korean) text has no spaces: every character is a break point.
    const ushort u = c.unicode();
    return (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xAC00 && u <= 0xD7AF)
           || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFFEF);
}

struct Word {
    QString text;
    bool spaceBefore = false;
};

// Words and the places a line may break: at spaces, around wide-script characters and
// after "+" or "/" inside a word ("Ctrl+Wheel", "Play/Pause").
QVector<Word> wordsOf(const QString &text)
{
    QVector<Word> words;
    Word current;
    bool pendingSpace = false;
    auto flush = [&] {
        if (!current.text.isEmpty())
            words.append(current);
        current = Word();
    };
    for (const QChar c : text) {
        if (c.isSpace()) {
            flush();
            pendingSpace = true;
            continue;
        }
        const bool spaced = pendingSpace && !words.isEmpty();
        pendingSpace = false;
        if (isWideScript(c)) {
            flush();
            words.append(Word{QString(c), spaced});
            continue;
        }
        if (current.text.isEmpty())
            current.spaceBefore = spaced;
        current.text += c;
        if ((c == QLatin1Char('+') || c == QLatin1Char('/')) && current.text.size() > 1)
            flush();
    }
    flush();
    return words;
}

// Greedy wrap into lines no wider than `width`; a word wider than a line is broken between
// characters.
QStringList wrap(const QVector<Word> &words, const QFontMetrics &fm, int width)
{
    QStringList lines;
    QString line;
    for (const Word &w : words) {
        const QString candidate =
            line.isEmpty() ? w.text : line + (w.spaceBefore ? QStringLiteral(" ") : QString()) + w.text;
        if (fm.horizontalAdvance(candidate) <= width) {
            line = candidate;
            continue;
        }
        if (!line.isEmpty())
            lines << line;
        line.clear();
        QString rest = w.text;
        while (fm.horizontalAdvance(rest) > width && rest.size() > 1) {
            int n = rest.size() - 1;
            while (n > 1 && fm.horizontalAdvance(rest.left(n)) > width)
                --n;
            lines << rest.left(n);
            rest = rest.mid(n);
        }
        line = rest;
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

int lineWidth(const QFontMetrics &fm, const QString &line)
{
    return fm.horizontalAdvance(line);
}

} // namespace

int roundHalfAway(double value)
{
    return static_cast<int>(std::lround(value));
}

int minimumPixelSize(double scale)
{
    return std::max(8, roundHalfAway(10 * scale));
}

QRect captionBox(const QRect &buttonRect)
{
    const int side = std::min(buttonRect.width(), buttonRect.height());
    const int margin = std::max(2, roundHalfAway(0.07 * side));
    return buttonRect.adjusted(margin, margin, -margin, -margin);
}

Fitted fit(const QString &text, const QSize &box, const QFont &font, int minimumPx)
{
    Fitted out;
    out.font = font;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || box.width() < 1 || box.height() < 1)
        return out;

    const QVector<Word> words = wordsOf(trimmed);
    QString single;
    for (const Word &w : words)
        single += (w.spaceBefore ? QStringLiteral(" ") : QString()) + w.text;

    const int startPx = std::max(minimumPx, QFontInfo(font).pixelSize());
    QFont f = font;
    for (int px = startPx; px >= minimumPx; --px) {
        f.setPixelSize(px);
        const QFontMetrics fm(f);
        if (fm.height() > box.height() && px > minimumPx)
            continue;
        if (lineWidth(fm, single) <= box.width()) {
            out.font = f;
            out.lines = QStringList{single};
            return out;
        }
        const bool twoLinesFit = 2 * fm.height() <= box.height() + 1;
        const QStringList lines = wrap(words, fm, box.width());
        if (twoLinesFit && lines.size() <= 2) {
            out.font = f;
            out.lines = lines;
            return out;
        }
        if (px > minimumPx)
            continue;

        // At the smallest size: keep the beginning, cut the end.
        out.font = f;
        out.elided = true;
        if (!twoLinesFit || lines.size() < 2) {
            out.lines = QStringList{fm.elidedText(single, Qt::ElideRight, box.width())};
            return out;
        }
        // The second line carries on from where the first stopped.
        const QString rest = single.mid(lines.first().size()).trimmed();
        out.lines = QStringList{lines.first(), fm.elidedText(rest, Qt::ElideRight, box.width())};
        return out;
    }
    return out;
}

QColor arrowColor()
{
    return QColor(50, 150, 255);
}

bool isLight(const QColor &fill)
{
    const double luminance = 0.299 * fill.red() + 0.587 * fill.green() + 0.114 * fill.blue();
    // Pure green (about 150) already takes dark text.
    return luminance >= 140;
}

void draw(QPainter &painter, const QRect &box, const Fitted &caption, const QColor &textColor,
          bool plate)
{
    if (caption.isEmpty())
        return;
    painter.save();
    painter.setFont(caption.font);
    const QFontMetrics fm(caption.font);
    const int lineHeight = fm.height();
    const int total = lineHeight * caption.lines.size();
    int top = box.y() + (box.height() - total) / 2;

    if (plate) {
        int widest = 0;
        for (const QString &line : caption.lines)
            widest = std::max(widest, fm.horizontalAdvance(line));
        const int pad = std::max(2, lineHeight / 5);
        const QRect back(box.x() + (box.width() - widest) / 2 - pad, top - pad / 2,
                         widest + 2 * pad, total + pad);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(24, 24, 24, 200));
        painter.drawRoundedRect(back, pad + 1, pad + 1);
    }

    for (const QString &line : caption.lines) {
        const int baseline = top + fm.ascent();
        const QStringList parts = line.split(kArrow, Qt::KeepEmptyParts);
        const int arrowWidth = fm.horizontalAdvance(kArrow);
        int width = arrowWidth * (parts.size() - 1);
        for (const QString &part : parts)
            width += fm.horizontalAdvance(part);
        int x = box.x() + (box.width() - width) / 2;
        for (int i = 0; i < parts.size(); ++i) {
            const QString &part = parts.at(i);
            if (!part.isEmpty()) {
                painter.setPen(textColor);
                painter.drawText(QPoint(x, baseline), part);
                x += fm.horizontalAdvance(part);
            }
            if (i < parts.size() - 1) {
                painter.setPen(arrowColor());
                painter.drawText(QPoint(x, baseline), kArrow);
                x += arrowWidth;
            }
        }
        top += lineHeight;
    }
    painter.restore();
}

} // namespace KeyCaption
