#pragma once

#include <QPair>
#include <QRect>
#include <QString>
#include <QVector>

// One knob of a panel preset, as three buttons: turn left, turn right, press. Positions and
// sizes are pixels at window scale 1, relative to the knob container.
struct KnobDescriptor {
    enum Arrangement {
        // Press button in the middle of a row, the turn buttons left and right of it.
        Row,
        // Press button on top, the turn buttons side by side below it (a knob drawn from
        // above with its two directions).
        Triangle,
    };

    int firstIndex = 0;  // data index of the left turn; right turn +1, press +2
    int x = 0;           // top-left corner of the knob's cluster
    int y = 0;
    int turnSize = 80;   // edge of the two turn buttons
    int pressSize = 96;  // edge of the press button
    Arrangement arrangement = Row;
    int actionCount = 3;

    // Gap between the buttons of one knob at scale 1.
    static constexpr int BUTTON_GAP = 8;

    // Rectangles of the left-turn, right-turn and press buttons at the given scale,
    // relative to the knob container's content origin.
    QVector<QRect> buttonRects(double scale) const;
    int clusterWidth() const;
    int clusterHeight() const;
};

// A named panel preset: the grid of keys and the knobs of one keypad model. All sizes are
// pixels at window scale 1; the panel geometry multiplies them by the window scale.
struct PhysicalLayoutConfig {
    QString name;
    int rows = 0;
    int columns = 0;
    int keyCount = 0;
    int keySize = 0; // 0 means the window's default key edge
    int numberLabelX = 0; // 0 means the window's defaults for the label values
    int numberLabelY = 0;
    int numberLabelSize = 0;
    int numberLabelFontSize = 0;

    int keySpacing = 12;     // gap between keys of the matrix
    int panelSpacing = 28;   // gap between the key matrix and the knob container
    int panelMarginH = 26;   // inner margins of the panel frame
    int panelMarginV = 18;
    int groupTopMargin = 12; // room above the panel inside the key and knob group
    int keyFontSize = 10;    // caption point size of the keys
    double scaleFactor = 1.0; // caption size factor of the panel (bigger models, bigger text)
    bool knobsAbove = false; // knob container above the key matrix instead of beside it

    // Grid cell of each key (row-major by default), so sparse grids can place keys freely.
    QVector<QPair<int, int>> keyCells;

    QVector<KnobDescriptor> knobs;

    // Turn-only knobs (no press): left/right pairs for data indices 5..8, placed in a column
    // beside the keys.
    int turnOnlyKnobCount = 0;
    int turnOnlySize = 80;
    int turnOnlyGap = 20; // vertical gap between the two knobs

    // Rectangles of the turn-only buttons (left, right, left, right ...) at the given scale.
    QVector<QRect> turnOnlyRects(double scale) const;

    // The data indices the preset draws buttons for, ascending.
    QVector<int> usedDataIndices() const;
    // Cell of key k: keyCells[k] when given, else row-major.
    QPair<int, int> cellOfKey(int key) const;
    // Size of the knob container at scale 1 (empty when the preset has no knobs).
    int knobContainerWidth() const;
    int knobContainerHeight() const;
    bool hasKnobs() const { return !knobs.isEmpty() || turnOnlyKnobCount > 0; }
};

// Nearest integer, halves away from zero: the rounding of every scaled size.
inline int nearestPx(double value)
{
    return value >= 0 ? int(value + 0.5) : -int(-value + 0.5);
}
