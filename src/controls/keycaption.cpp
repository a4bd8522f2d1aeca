#include "controls/keycaption.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
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

// Greedy wrap into lines no wider than `width`, breaking only between words; empty when a
// word alone is wider than a line (a word is never broken).
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
        if (fm.horizontalAdvance(w.text) > width)
            return QStringList();
        if (!line.isEmpty())
            lines << line;
        line = w.text;
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

QString joined(const QVector<Word> &words)
{
    QString out;
    for (const Word &w : words)
        out += (w.spaceBefore && !out.isEmpty() ? QStringLiteral(" ") : QString()) + w.text;
    return out;
}

// The text in at most `maxLines` lines of `width`, or no lines when it does not fit.
QStringList layout(const QVector<Word> &words, const QFontMetrics &fm, int width, int maxLines)
{
    const QString single = joined(words);
    if (fm.horizontalAdvance(single) <= width)
        return QStringList{single};
    if (maxLines < 2)
        return QStringList();
    const QStringList lines = wrap(words, fm, width);
    return lines.size() <= maxLines ? lines : QStringList();
}

// Direction words as arrows: "Ctrl+Wheel Down" becomes "Ctrl+Wheel ↓" and "鼠标滚轮向上"
// "鼠标滚轮↑", so a caption short of room still tells a knob's two turns apart.
QString withArrows(const QString &text)
{
    static const struct {
        const char *word;
        ushort arrow;
    } latin[] = {{"up", 0x2191}, {"down", 0x2193}, {"left", 0x2190}, {"right", 0x2192}};
    QString out = text;
    for (const auto &d : latin) {
        const QRegularExpression re(QStringLiteral("(?<![\\p{L}\\p{N}])%1(?![\\p{L}\\p{N}])")
                                        .arg(QLatin1String(d.word)),
                                    QRegularExpression::CaseInsensitiveOption);
        out.replace(re, QString(QChar(d.arrow)));
    }
    static const struct {
        const char16_t *word;
        ushort arrow;
    } wide[] = {{u"向上", 0x2191}, {u"向下", 0x2193}, {u"向左", 0x2190}, {u"向右", 0x2192}};
    for (const auto &d : wide)
        out.replace(QString::fromUtf16(d.word), QString(QChar(d.arrow)));
    return out;
}

// At the smallest size and still too long: the start and the last word stay and the middle
// gives way ("LCtrl + LSh… Z", "Ctrl+Wh… ↓"). The last word is what tells a caption from its
// neighbours (the key after the modifiers, the direction of a turn); the start says what
// kind of function it is, and as much of the middle as fits follows it.
QStringList cutInTheMiddle(const QString &text, const QFontMetrics &fm, int width, int maxLines, int keepFrom)
{
    const QString ellipsis(QChar(0x2026));
    const QVector<Word> words = wordsOf(text);
    if (words.size() >= 2) {
        const int lastAt = text.lastIndexOf(words.last().text);
        // The tail to keep: from where the caption differs from its sibling when that is
        // earlier than the last word, else the last word.
        QVector<int> tails;
        if (keepFrom > 0 && keepFrom < lastAt)
            tails << keepFrom;
        tails << lastAt;
        for (const int tailAt : qAsConst(tails)) {
            const QString head = text.left(tailAt);
            const QString tail = text.mid(tailAt).trimmed();
            const QString gap = head.endsWith(QLatin1Char(' ')) ? QStringLiteral(" ") : QString();
            for (int n = head.trimmed().size(); n >= 0; --n) {
                QString start = head.left(n);
                // A cut right after a word keeps its space: "LCtrl + …", not "LCtrl +…".
                if (start.endsWith(QLatin1Char(' ')))
                    start = start.trimmed() + QLatin1Char(' ');
                const QStringList lines = layout(wordsOf(start + ellipsis + gap + tail), fm, width, maxLines);
                if (!lines.isEmpty())
                    return lines;
            }
        }
    }
    // One word (or a last word) wider than the room: its start, cut at the end.
    return QStringList{fm.elidedText(text, Qt::ElideRight, width)};
}

// Where `text` starts to differ from `sibling`, moved back to the start of that word; -1
// when there is no sibling or nothing differs.
int differenceStart(const QString &text, const QString &sibling)
{
    if (sibling.isEmpty() || sibling == text)
        return -1;
    int p = 0;
    while (p < text.size() && p < sibling.size() && text.at(p) == sibling.at(p))
        ++p;
    while (p > 0 && text.at(p - 1).isLetterOrNumber() && !isWideScript(text.at(p - 1)))
        --p;
    return p;
}

bool hasWideScript(const QString &text)
{
    for (const QChar c : text)
        if (isWideScript(c))
            return true;
    return false;
}

} // namespace

int roundHalfAway(double value)
{
    return static_cast<int>(std::lround(value));
}

int minimumPixelSize(double scale)
{
    return std::max(MINIMUM_LATIN_PX, roundHalfAway(10 * scale));
}

int minimumPixelSizeFor(const QString &text, int minimumPx)
{
    return hasWideScript(text) ? std::max(minimumPx, MINIMUM_WIDE_PX) : minimumPx;
}

QRect captionBox(const QRect &buttonRect)
{
    const int side = std::min(buttonRect.width(), buttonRect.height());
    const int margin = std::max(2, roundHalfAway(0.07 * side));
    return buttonRect.adjusted(margin, margin, -margin, -margin);
}

Fitted fit(const QString &text, const QSize &box, const QFont &font, int minimumPx, const QString &sibling)
{
    Fitted out;
    out.font = font;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || box.width() < 1 || box.height() < 1)
        return out;
    minimumPx = minimumPixelSizeFor(trimmed, minimumPx);

    const int startPx = std::max(minimumPx, QFontInfo(font).pixelSize());
    QFont f = font;
    auto linesAt = [&](int px) {
        f.setPixelSize(px);
        const QFontMetrics fm(f);
        if (fm.height() > box.height() && px > minimumPx)
            return 0;
        return 2 * fm.height() <= box.height() + 1 ? 2 : 1;
    };
    // The whole name in a smaller font first; then with arrows for direction words; only at
    // the smallest size is anything left out.
    const QString compact = withArrows(trimmed);
    QStringList variants{trimmed};
    if (compact != trimmed)
        variants << compact;
    for (const QString &variant : qAsConst(variants)) {
        const QVector<Word> words = wordsOf(variant);
        for (int px = startPx; px >= minimumPx; --px) {
            const int maxLines = linesAt(px);
            if (maxLines == 0)
                continue;
            const QStringList lines = layout(words, QFontMetrics(f), box.width(), maxLines);
            if (!lines.isEmpty()) {
                out.font = f;
                out.lines = lines;
                return out;
            }
        }
    }

    const int maxLines = std::max(1, linesAt(minimumPx));
    out.font = f;
    out.elided = true;
    out.lines = cutInTheMiddle(compact, QFontMetrics(f), box.width(), maxLines,
                               differenceStart(compact, withArrows(sibling.trimmed())));
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
          bool plate, const QColor &arrow)
{
    const QColor arrowPen = arrow.isValid() ? arrow : arrowColor();
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
                painter.setPen(arrowPen);
                painter.drawText(QPoint(x, baseline), kArrow);
                x += arrowWidth;
            }
        }
        top += lineHeight;
    }
    painter.restore();
}

} // namespace KeyCaption
