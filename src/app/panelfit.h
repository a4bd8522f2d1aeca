#pragma once

#include "model/physicallayout.h"

#include <QRect>
#include <QSize>
#include <QVector>

// How big the panel picture is at a scale, and how the row beside it gives way so that the
// whole panel stays on screen: the key function display and the command column shrink to
// their minimums first, then the panel scales down below the window scale.
class PanelFit
{
public:
    // The panel frame's border (from the window style sheet): the same at every scale.
    static constexpr int FRAME_BORDER = 5;
    // Room below the panel inside its group at scale 1.
    static constexpr int GROUP_BOTTOM_MARGIN = 20;

    // Everything the row holds besides the panel, in pixels.
    struct Row {
        int width = 0;            // the whole row (the window width)
        int height = 0;           // height the panel's group may take
        int shareHeight = 0;      // height the layout gives the row anyway (0: unknown)
        int fixedWidth = 0;       // margins, spacings and the layer column
        int displayPreferred = 0; // key function display
        int displayMinimum = 0;
        int commandPreferred = 0; // Clear ... Save Settings
        int commandMinimum = 0;
    };
    struct Plan {
        int displayWidth = 0;
        int commandWidth = 0;
        double panelScale = 1.0;
    };

    explicit PanelFit(const PhysicalLayoutConfig &layout);

    // Sizes as the panel geometry lays them out at `scale` (same rounding).
    int keyEdge(double scale) const;
    QSize keyMatrixSize(double scale) const;
    QSize knobContainerSize(double scale) const;
    QSize frameSize(double scale) const;
    // The panel's whole group: the frame, the separate LED column right of it (on the
    // panels that have one) and the group's margins.
    QSize groupSize(double scale) const;
    // Width the separate LED column adds right of the frame; 0 for panels without one.
    int ledColumnWidth(double scale) const;

    // The largest panel scale up to `windowScale` whose group fits `room`, and the widths the
    // display and the command column keep.
    Plan plan(double windowScale, const Row &row) const;

    // The smallest panel scale the plan goes down to; below it a panel would be unusable.
    static constexpr double MINIMUM_PANEL_SCALE = 0.3;
    // How far past the window scale a panel may grow into room its group has anyway (a
    // small panel on a small window, any panel on a large screen).
    static constexpr double MAXIMUM_GROWTH = 1.5;

    // Where a knob button and its caption go: the button's widget (its picture's rectangle
    // grown into the free room below it and a little to the sides) and the band along the
    // widget's bottom that holds the caption.
    struct KnobFrame {
        QRect widget;
        int captionBand = 0;
    };
    // Frames for the knob buttons whose pictures sit at `icons` inside `area` (the knob
    // container). The band is two caption lines of `lineHeight` where the room below a
    // picture allows, else the picture gives way (down to 60 % of its height) and, at the
    // least, one line. Frames never overlap each other or another button's picture.
    static QVector<KnobFrame> knobFrames(const QVector<QRect> &icons, const QRect &area, int lineHeight,
                                         int sideRoom);

private:
    double largestFitting(double hi, const QSize &room) const;

    PhysicalLayoutConfig m_layout;
    int m_ledColumnBase = 0; // LED column width plus its offset at scale 1
};
