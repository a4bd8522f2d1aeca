#include "app/layoutsheetpainter.h"

#include "app/keycaptions.h"
#include "app/standaloneledlayout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <algorithm>

namespace {

// Sizes in tenths of a millimetre.
constexpr double kMargin = 150;
constexpr double kCellPadding = 22;
constexpr int kLabelPx = 26;
constexpr int kTextMaxPx = 38;
constexpr int kTextMinPx = 20;   // about 5.7 pt: the smallest text worth printing
constexpr int kNotePx = 28;
constexpr int kNoteMinPx = 18;
constexpr double kSwatch = 42;
constexpr double kMaxPanelScale = 4.0; // units per panel pixel: keys stay a hand's size
// A line measured in one place may come out a little wider on another device's hinting.
constexpr double kWidthSlack = 0.96;

const QColor kInk(25, 25, 25);
const QColor kFaint(140, 140, 140);
const QColor kKeyFill(246, 246, 246);
const QColor kKnobFill(236, 243, 252);
const QColor kKeyBorder(90, 90, 90);
const QColor kKnobBorder(70, 110, 165);
const QColor kNumber(20, 120, 40);
const QColor kWarning(200, 30, 30);

const QChar kLeftTurn(0x21BA);
const QChar kRightTurn(0x21BB);
const QChar kPress(0x25BC);

QFont fontOf(int px, bool bold = false)
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(px);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Breaks `text` into lines no wider than `width` (between words, around Chinese characters,
// inside a word only when it alone is too wide).
QStringList wrapLines(const QString &text, const QFont &font, double width)
{
    QStringList lines;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    lines.removeAll(QString());
    return lines;
}

struct Fitted {
    QFont font;
    QStringList lines;
    double lineHeight = 0;
    double height() const { return lineHeight * lines.size(); }
};

// The largest size from maxPx down to minPx at which the whole text fits the box; false
// when it does not fit even at minPx.
bool fitText(const QString &text, const QSizeF &box, int maxPx, int minPx, bool bold, Fitted *out)
{
    // A short function reads best on one line: a somewhat smaller size is worth that.
    for (int px = maxPx; px >= std::max(minPx, maxPx * 3 / 4); px -= 2) {
        Fitted f;
        f.font = fontOf(px, bold);
        f.lineHeight = QFontMetricsF(f.font).lineSpacing();
        if (QFontMetricsF(f.font).horizontalAdvance(text) <= box.width() * kWidthSlack && f.lineHeight <= box.height()) {
            f.lines = QStringList{text};
            *out = f;
            return true;
        }
    }
    for (int px = maxPx; px >= minPx; px -= 2) {
        Fitted f;
        f.font = fontOf(px, bold);
        f.lineHeight = QFontMetricsF(f.font).lineSpacing();
        f.lines = wrapLines(text, f.font, box.width() * kWidthSlack);
        if (f.height() <= box.height()) {
            *out = f;
            return true;
        }
    }
    return false;
}

void drawLines(QPainter &p, const Fitted &f, const QRectF &box, Qt::Alignment align)
{
    p.setFont(f.font);
    const QFontMetricsF fm(f.font);
    double y = box.top();
    if (align & Qt::AlignVCenter)
        y += (box.height() - f.height()) / 2;
    for (const QString &line : f.lines) {
        double x = box.left();
        if (align & Qt::AlignHCenter)
            x += (box.width() - fm.horizontalAdvance(line)) / 2;
        p.drawText(QPointF(x, y + fm.ascent()), line);
        y += f.lineHeight;
    }
}

} // namespace

LayoutSheetPainter::LayoutSheetPainter(const LayoutSheetData &data, const QSizeF &pageMm)
    : m_data(data), m_page(pageMm * UNITS_PER_MM)
{
    buildCells();
}

QString LayoutSheetPainter::tr(const char *english) const
{
    return UiText::text(QString::fromUtf8(english), m_data.language);
}

void LayoutSheetPainter::buildCells()
{
    const PhysicalLayoutConfig &c = m_data.panel;
    const double keySize = c.keySize > 0 ? c.keySize : 80;
    const int cols = std::max(1, c.columns);
    const int rows = std::max(1, c.rows);
    const QSizeF matrix = c.keyCount > 0 ? QSizeF(cols * keySize + (cols - 1) * c.keySpacing,
                                                  rows * keySize + (rows - 1) * c.keySpacing)
                                         : QSizeF();
    const QSizeF knobs(c.knobContainerWidth(), c.knobContainerHeight());

    // Keys and knobs stand as on the keypad: knobs in a row over the keys, or beside them.
    QPointF matrixAt, knobsAt;
    double width = 0;
    double height = 0;
    if (c.knobsAbove) {
        width = std::max(matrix.width(), knobs.width());
        knobsAt = QPointF((width - knobs.width()) / 2, 0);
        matrixAt = QPointF((width - matrix.width()) / 2, knobs.height() > 0 ? knobs.height() + c.panelSpacing : 0);
        height = matrixAt.y() + matrix.height();
    } else {
        knobsAt = QPointF(matrix.width() > 0 ? matrix.width() + c.panelSpacing : 0, 0);
        width = knobs.width() > 0 ? knobsAt.x() + knobs.width() : matrix.width();
        height = std::max(matrix.height(), knobs.height());
    }

    for (int k = 0; k < c.keyCount; ++k) {
        const QPair<int, int> cell = c.cellOfKey(k);
        Cell key;
        key.kind = Cell::Key;
        key.rect = QRectF(matrixAt.x() + cell.second * (keySize + c.keySpacing),
                          matrixAt.y() + cell.first * (keySize + c.keySpacing), keySize, keySize);
        key.dataIndex = m_data.dataIndexOfButton(k);
        key.number = k + 1;
        m_cells << key;
    }
    int knobNumber = 0;
    for (const KnobDescriptor &knob : c.knobs) {
        ++knobNumber;
        const QVector<QRect> rects = knob.buttonRects(1.0);
        const Cell::Kind kinds[3] = {Cell::KnobLeft, Cell::KnobRight, Cell::KnobPress};
        for (int a = 0; a < rects.size() && a < knob.actionCount; ++a) {
            Cell action;
            action.kind = kinds[a];
            action.rect = QRectF(rects.at(a)).translated(knobsAt);
            action.dataIndex = m_data.dataIndexOfButton(knob.firstIndex + a);
            action.number = knobNumber;
            m_cells << action;
        }
    }
    // Turn-only knobs: left and right of each, on the slots after the keys.
    const QVector<QRect> turns = c.turnOnlyRects(1.0);
    for (int t = 0; t < turns.size(); ++t) {
        Cell action;
        action.kind = t % 2 ? Cell::KnobRight : Cell::KnobLeft;
        action.rect = QRectF(turns.at(t)).translated(knobsAt);
        action.dataIndex = m_data.dataIndexOfButton(c.keyCount + t);
        action.number = knobNumber + t / 2 + 1;
        m_cells << action;
    }
    // Separate LEDs stand in a column of their own beside the panel.
    const StandaloneLedLayoutConfig leds = StandaloneLedLayoutConfig::forLayout(c.name);
    if (leds.enabled && !leds.leds.isEmpty()) {
        const double x = width + c.panelSpacing;
        double bottom = 0;
        for (const StandaloneLedItem &item : leds.leds) {
            Cell led;
            led.kind = Cell::Led;
            led.rect = QRectF(item.rect.x() + x, item.rect.y(), item.rect.width(), item.rect.height());
            led.dataIndex = item.ledIndex;
            led.name = item.name;
            m_cells << led;
            bottom = std::max(bottom, led.rect.bottom());
            width = std::max(width, led.rect.right());
        }
        height = std::max(height, bottom);
    }
    m_panelSize = QSizeF(width, height);
}

QString LayoutSheetPainter::slotName(const Cell &cell) const
{
    switch (cell.kind) {
    case Cell::Key:
        return tr("Key %1").arg(cell.number);
    case Cell::KnobLeft:
        return tr("Knob %1 left turn").arg(cell.number);
    case Cell::KnobRight:
        return tr("Knob %1 right turn").arg(cell.number);
    case Cell::KnobPress:
        return tr("Knob %1 press").arg(cell.number);
    case Cell::Led:
        return cell.name;
    }
    return QString();
}

QString LayoutSheetPainter::functionText(int layer, int dataIndex) const
{
    const KeyData *key = m_data.key(layer, dataIndex);
    if (!key)
        return QString();
    return KeyCaptions::plainText(KeyCaptions::caption(*key, KeyCaptions::Form::Full, KeyCaptions::Page::Other,
                                                       m_data.language, m_data.panel.name));
}

void LayoutSheetPainter::paintPage(QPainter &p, int layer) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(QRectF(QPointF(0, 0), m_page), Qt::white);

    double top = paintHeader(p, layer);

    // The panel as large as the page allows, leaving room for the notes below it.
    const double contentWidth = m_page.width() - 2 * kMargin;
    const double panelRoom = (m_page.height() - top - kMargin) * 0.58;
    double scale = kMaxPanelScale;
    if (m_panelSize.width() > 0)
        scale = std::min(scale, contentWidth / m_panelSize.width());
    if (m_panelSize.height() > 0)
        scale = std::min(scale, panelRoom / m_panelSize.height());
    const QPointF origin(kMargin + (contentWidth - m_panelSize.width() * scale) / 2, top + 40);

    QVector<Note> notes;
    for (const Cell &cell : m_cells) {
        const QRectF r(origin + cell.rect.topLeft() * scale, cell.rect.size() * scale);
        paintCell(p, cell, r, layer, notes);
    }
    top = origin.y() + m_panelSize.height() * scale + 40;
    top = paintLegend(p, top);
    paintNotes(p, notes, top);
    p.restore();
}

double LayoutSheetPainter::paintHeader(QPainter &p, int layer) const
{
    const double width = m_page.width() - 2 * kMargin;
    double y = kMargin;

    const QFont title = fontOf(62, true);
    p.setFont(title);
    p.setPen(kInk);
    const QFontMetricsF tm(title);
    p.drawText(QPointF(kMargin, y + tm.ascent()), m_data.modelText());
    const QFont small = fontOf(30);
    const QFontMetricsF sm(small);
    p.setFont(small);
    p.setPen(kFaint);
    const QString program = QStringLiteral("Macropad Studio");
    p.drawText(QPointF(kMargin + width - sm.horizontalAdvance(program), y + tm.ascent()), program);
    y += tm.lineSpacing() + 10;

    const QFont facts = fontOf(34);
    const QFontMetricsF fm(facts);
    p.setFont(facts);
    p.setPen(kInk);
    const QString line = QStringLiteral("%1    %2    %3")
                             .arg(tr("Firmware: %1").arg(m_data.firmwareText()),
                                  tr("Layer %1 of %2").arg(layer + 1).arg(m_data.layerCount),
                                  m_data.date.toString(Qt::ISODate));
    p.drawText(QPointF(kMargin, y + fm.ascent()), line);

    if (m_data.unsaved) {
        // A badge at the right: this paper may not be what the keypad does.
        const QFont badge = fontOf(34, true);
        const QFontMetricsF bm(badge);
        const QString text = tr("not saved to the keypad");
        const double w = bm.horizontalAdvance(text) + 40;
        const QRectF box(kMargin + width - w, y - 6, w, bm.height() + 12);
        p.setPen(QPen(kWarning, 5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box, 12, 12);
        p.setFont(badge);
        p.setPen(kWarning);
        p.drawText(QPointF(box.left() + 20, box.top() + 6 + bm.ascent()), text);
    }
    y += fm.lineSpacing() + 24;
    p.setPen(QPen(kFaint, 3));
    p.drawLine(QPointF(kMargin, y), QPointF(kMargin + width, y));
    return y + 20;
}

void LayoutSheetPainter::paintCell(QPainter &p, const Cell &cell, const QRectF &r, int layer,
                                   QVector<Note> &notes) const
{
    const bool knob = cell.kind != Cell::Key && cell.kind != Cell::Led;
    const double radius = std::min(r.width(), r.height()) * (knob ? 0.28 : 0.08);

    if (cell.kind == Cell::Led) {
        const bool known = m_data.lightingKnown.value(layer);
        const LayerLedConfigData lighting = m_data.ledConfigs.value(layer);
        p.setPen(QPen(kKeyBorder, 4));
        p.setBrush(known && cell.dataIndex < LayerLedConfigData::LED_COUNT
                       ? lighting.colors[cell.dataIndex].toColor()
                       : kKeyFill);
        p.drawRoundedRect(r, radius, radius);
        Fitted f;
        if (fitText(cell.name, r.size() - QSizeF(2 * kCellPadding, 2 * kCellPadding), kLabelPx, kTextMinPx,
                    true, &f)) {
            const QRectF plate = r.adjusted(kCellPadding, kCellPadding, -kCellPadding, -kCellPadding);
            const QRectF back((plate.center().x() - plate.width() / 2), plate.center().y() - f.height() / 2 - 4,
                              plate.width(), f.height() + 8);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, 220));
            p.drawRoundedRect(back, 8, 8);
            p.setPen(kInk);
            drawLines(p, f, plate, Qt::AlignCenter);
        }
        return;
    }

    const bool present = m_data.hasSlot(cell.dataIndex);
    QPen border(present ? (knob ? kKnobBorder : kKeyBorder) : kFaint, 4);
    if (!present)
        border.setStyle(Qt::DashLine);
    p.setPen(border);
    p.setBrush(present ? (knob ? kKnobFill : kKeyFill) : QColor(235, 235, 235));
    p.drawRoundedRect(r, radius, radius);

    // The label: the key's number, or the knob's number with the way it turns.
    const QRectF inner = r.adjusted(kCellPadding, kCellPadding, -kCellPadding, -kCellPadding);
    QString label;
    switch (cell.kind) {
    case Cell::Key: label = QString::number(cell.number); break;
    case Cell::KnobLeft: label = QStringLiteral("%1 %2").arg(kLeftTurn).arg(cell.number); break;
    case Cell::KnobRight: label = QStringLiteral("%1 %2").arg(kRightTurn).arg(cell.number); break;
    case Cell::KnobPress: label = QStringLiteral("%1 %2").arg(kPress).arg(cell.number); break;
    case Cell::Led: break;
    }
    const QFont labelFont = fontOf(std::min(kLabelPx, std::max(16, int(inner.height() / 4))), true);
    const QFontMetricsF lm(labelFont);
    p.setFont(labelFont);
    p.setPen(cell.kind == Cell::Key ? kNumber : kKnobBorder);
    const double labelX = knob ? inner.center().x() - lm.horizontalAdvance(label) / 2 : inner.left();
    p.drawText(QPointF(labelX, inner.top() + lm.ascent()), label);

    // The key's LED colour, where the keypad lights its keys and told us how.
    const int d = cell.dataIndex;
    if (cell.kind == Cell::Key && present && m_data.lightingKnown.value(layer) && d >= 0
        && d < LayerLedConfigData::LED_COUNT) {
        const double s = std::min(kSwatch, inner.height() / 4);
        const QRectF swatch(inner.right() - s, inner.top(), s, s);
        p.setPen(QPen(kKeyBorder, 3));
        p.setBrush(m_data.ledConfigs.value(layer).colors[d].toColor());
        p.drawRect(swatch);
    }
    if (!present)
        return;

    const double labelBottom = inner.top() + lm.height() + 6;
    // Round knob buttons lose their corners: keep the text off them.
    const double side = knob ? radius * 0.35 : 0;
    const QRectF body(inner.left() + side, labelBottom, inner.width() - 2 * side, inner.bottom() - labelBottom);
    const QString text = functionText(layer, d);
    Fitted f;
    if (text.isEmpty()) {
        p.setPen(kFaint);
        fitText(QStringLiteral("\u2014"), body.size(), kTextMaxPx, kTextMinPx, false, &f);
        drawLines(p, f, body, Qt::AlignCenter);
        return;
    }
    p.setPen(kInk);
    if (fitText(text, body.size(), kTextMaxPx, kTextMinPx, false, &f)) {
        drawLines(p, f, body, Qt::AlignCenter);
        return;
    }
    // Too long for the key even in small print: a numbered note below the panel holds it.
    const int number = notes.size() + 1;
    notes.append(Note{number, slotName(cell), text});
    if (fitText(QStringLiteral("[%1]").arg(number), body.size(), kTextMaxPx + 10, 12, true, &f))
        drawLines(p, f, body, Qt::AlignCenter);
}

double LayoutSheetPainter::paintLegend(QPainter &p, double top) const
{
    const bool anyKnob = std::any_of(m_cells.begin(), m_cells.end(), [](const Cell &c) {
        return c.kind == Cell::KnobLeft || c.kind == Cell::KnobRight || c.kind == Cell::KnobPress;
    });
    if (!anyKnob)
        return top;
    const QFont font = fontOf(28);
    const QFontMetricsF fm(font);
    p.setFont(font);
    p.setPen(kKnobBorder);
    const QString legend = QStringLiteral("%1 %2    %3 %4    %5 %6")
                               .arg(kLeftTurn, tr("Left turn"), kPress, tr("Press"), kRightTurn, tr("Right turn"));
    p.drawText(QPointF((m_page.width() - fm.horizontalAdvance(legend)) / 2, top + fm.ascent()), legend);
    return top + fm.lineSpacing() + 30;
}

void LayoutSheetPainter::paintNotes(QPainter &p, const QVector<Note> &notes, double top) const
{
    if (notes.isEmpty())
        return;
    const double width = m_page.width() - 2 * kMargin;
    const double room = m_page.height() - kMargin - top;
    // Every note whole: the print gets smaller before anything is left out.
    for (int px = kNotePx;; px -= 2) {
        const QFont head = fontOf(px, true);
        const QFont body = fontOf(px);
        const QFontMetricsF hm(head);
        const double indent = hm.horizontalAdvance(QStringLiteral("[00]  "));
        QVector<Fitted> blocks;
        double total = 0;
        for (const Note &n : notes) {
            Fitted f;
            f.font = body;
            f.lineHeight = QFontMetricsF(body).lineSpacing();
            f.lines = wrapLines(QStringLiteral("%1: %2").arg(n.slot, n.text), body, (width - indent) * kWidthSlack);
            total += f.height() + px / 2.0;
            blocks << f;
        }
        if (total > room && px > kNoteMinPx)
            continue;
        double y = top;
        for (int i = 0; i < notes.size(); ++i) {
            p.setFont(head);
            p.setPen(kInk);
            p.drawText(QPointF(kMargin, y + hm.ascent()), QStringLiteral("[%1]").arg(notes.at(i).number));
            drawLines(p, blocks.at(i), QRectF(kMargin + indent, y, width - indent, blocks.at(i).height()),
                      Qt::AlignLeft | Qt::AlignTop);
            y += blocks.at(i).height() + px / 2.0;
        }
        return;
    }
}
