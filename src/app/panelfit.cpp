#include "app/panelfit.h"

#include "app/standaloneledlayout.h"

#include <algorithm>
#include <climits>

namespace {

int scaled(int base, double scale, int minimum = 0)
{
    return std::max(minimum, nearestPx(base * scale));
}

// A hovered key grows by this much; its holder leaves the room.
constexpr int kHoverRoom = 4;
constexpr int kKnobPadding = 10;

} // namespace

PanelFit::PanelFit(const PhysicalLayoutConfig &layout)
    : m_layout(layout)
{
    const StandaloneLedLayoutConfig leds = StandaloneLedLayoutConfig::forLayout(layout.name);
    if (leds.enabled && !leds.leds.isEmpty())
        m_ledColumnBase = leds.offset.x() + leds.size.width();
}

int PanelFit::keyEdge(double scale) const
{
    return nearestPx((m_layout.keySize > 0 ? m_layout.keySize : 80) * scale);
}

QSize PanelFit::keyMatrixSize(double scale) const
{
    if (m_layout.keyCount <= 0)
        return QSize(0, 0);
    int rows = 0;
    int columns = 0;
    for (int k = 0; k < m_layout.keyCount; ++k) {
        const QPair<int, int> cell = m_layout.cellOfKey(k);
        rows = std::max(rows, cell.first + 1);
        columns = std::max(columns, cell.second + 1);
    }
    const int holder = keyEdge(scale) + kHoverRoom;
    const int gap = std::max(0, scaled(m_layout.keySpacing, scale) - kHoverRoom);
    return QSize(columns * holder + (columns - 1) * gap, rows * holder + (rows - 1) * gap);
}

QSize PanelFit::knobContainerSize(double scale) const
{
    if (!m_layout.hasKnobs())
        return QSize(0, 0);
    // Every button is scaled on its own, so the container is measured from the buttons
    // rather than scaled as a whole: no button may end outside it.
    QRect all;
    for (const KnobDescriptor &knob : m_layout.knobs)
        for (const QRect &r : knob.buttonRects(scale))
            all |= r;
    for (const QRect &r : m_layout.turnOnlyRects(scale))
        all |= r;
    const int pad = scaled(kKnobPadding, scale);
    return QSize(all.right() + 1 + 2 * pad, all.bottom() + 1 + 2 * pad);
}

QSize PanelFit::frameSize(double scale) const
{
    const QSize keys = keyMatrixSize(scale);
    const QSize knobs = knobContainerSize(scale);
    const bool both = !keys.isEmpty() && !knobs.isEmpty();
    const int spacing = both ? scaled(m_layout.panelSpacing, scale) : 0;
    QSize content;
    if (m_layout.knobsAbove)
        content = QSize(std::max(keys.width(), knobs.width()), keys.height() + spacing + knobs.height());
    else
        content = QSize(keys.width() + spacing + knobs.width(), std::max(keys.height(), knobs.height()));
    const int mh = scaled(m_layout.panelMarginH, scale);
    const int mv = scaled(m_layout.panelMarginV, scale);
    return QSize(content.width() + 2 * mh + 2 * FRAME_BORDER,
                 content.height() + 2 * mv + 2 * FRAME_BORDER);
}

int PanelFit::ledColumnWidth(double scale) const
{
    if (m_ledColumnBase <= 0)
        return 0;
    const StandaloneLedLayoutConfig leds = StandaloneLedLayoutConfig::forLayout(m_layout.name);
    return nearestPx(leds.offset.x() * scale) + std::max(1, nearestPx(leds.size.width() * scale));
}

QSize PanelFit::groupSize(double scale) const
{
    const QSize frame = frameSize(scale);
    int height = frame.height();
    if (m_ledColumnBase > 0) {
        const StandaloneLedLayoutConfig leds = StandaloneLedLayoutConfig::forLayout(m_layout.name);
        height = std::max(height, nearestPx(leds.offset.y() * scale)
                                      + std::max(1, nearestPx(leds.size.height() * scale)));
    }
    return QSize(frame.width() + ledColumnWidth(scale),
                 height + scaled(m_layout.groupTopMargin, scale) + scaled(GROUP_BOTTOM_MARGIN, scale));
}

double PanelFit::largestFitting(double hi, const QSize &room) const
{
    auto fits = [&](double s) {
        const QSize g = groupSize(s);
        return g.width() <= room.width() && g.height() <= room.height();
    };
    if (hi <= MINIMUM_PANEL_SCALE || fits(hi))
        return std::max(hi, 0.0);
    double lo = MINIMUM_PANEL_SCALE;
    if (!fits(lo))
        return lo;
    // Sizes grow with the scale (up to a pixel of rounding), so halving finds the edge.
    for (int i = 0; i < 14; ++i) {
        const double mid = (lo + hi) / 2;
        (fits(mid) ? lo : hi) = mid;
    }
    return lo;
}

PanelFit::Plan PanelFit::plan(double windowScale, const Row &row) const
{
    const int dMin = std::min(row.displayMinimum, row.displayPreferred);
    const int cMin = std::min(row.commandMinimum, row.commandPreferred);
    const int avail = row.width - row.fixedWidth;

    Plan p;
    p.displayWidth = row.displayPreferred;
    p.commandWidth = row.commandPreferred;
    // The height decides first (the row's neighbours cannot give any); then the width.
    p.panelScale = largestFitting(windowScale, QSize(INT_MAX / 4, row.height));
    const int free = avail - groupSize(p.panelScale).width();
    if (free >= row.displayPreferred + row.commandPreferred) {
        // A small panel on a small window (a six-key pad, a lone knob) would leave most of
        // its group empty while its captions sit at their smallest, and on a large screen
        // any panel would stay small beside large command buttons: it grows into the room
        // the row has anyway, without taking any from the pages below or the columns
        // beside it.
        const double limit = windowScale * MAXIMUM_GROWTH;
        if (row.shareHeight > 0 && limit > p.panelScale) {
            const QSize room(avail - p.displayWidth - p.commandWidth, std::min(row.height, row.shareHeight));
            p.panelScale = std::max(p.panelScale, largestFitting(limit, room));
        }
        return p;
    }

    const int slackD = row.displayPreferred - dMin;
    const int slackC = row.commandPreferred - cMin;
    const int give = row.displayPreferred + row.commandPreferred - std::max(free, dMin + cMin);
    if (slackD + slackC > 0) {
        const int takeD = nearestPx(double(give) * slackD / (slackD + slackC));
        p.displayWidth = row.displayPreferred - std::min(takeD, slackD);
        p.commandWidth = row.commandPreferred - std::min(give - takeD, slackC);
    }
    if (free < dMin + cMin)
        p.panelScale = largestFitting(p.panelScale, QSize(avail - p.displayWidth - p.commandWidth, row.height));
    return p;
}

QVector<PanelFit::KnobFrame> PanelFit::knobFrames(const QVector<QRect> &icons, const QRect &area,
                                                  int lineHeight, int sideRoom)
{
    QVector<KnobFrame> frames;
    frames.reserve(icons.size());
    for (int i = 0; i < icons.size(); ++i) {
        const QRect icon = icons.at(i);
        const QRect wide = icon.adjusted(-sideRoom, 0, sideRoom, 0);
        // Free rows below the picture: down to the next picture under it (or to the
        // container's edge), keeping a pixel between them.
        int below = area.bottom() - icon.bottom();
        for (int j = 0; j < icons.size(); ++j) {
            const QRect other = icons.at(j);
            if (j == i || other.top() <= icon.bottom() || other.right() < wide.left()
                || other.left() > wide.right())
                continue;
            below = std::min(below, other.top() - icon.bottom() - 2);
        }
        const int grow = std::max(0, std::min(below, 2 * lineHeight));
        int band = std::min(2 * lineHeight, grow + icon.height() * 2 / 5);
        band = std::max(band, std::min(lineHeight, icon.height() + grow - 1));
        KnobFrame f;
        f.widget = QRect(wide.left(), icon.top(), wide.width(), icon.height() + grow);
        f.captionBand = band;
        frames.append(f);
    }
    return frames;
}
