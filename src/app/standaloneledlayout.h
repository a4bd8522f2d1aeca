#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>

// One separate LED drawn beside the panel: its index into the layer's colours, its button
// rectangle in design pixels relative to the LED column, and its name.
struct StandaloneLedItem {
    int ledIndex = 0;
    QRect rect; // inclusive left/top/right/bottom as designed
    QString name;
};

// How the separate LEDs of a panel layout are drawn. Only the knob-only keypad with four
// separate LEDs has them; for every other layout the record is disabled and has no items.
struct StandaloneLedLayoutConfig {
    bool enabled = false;
    bool visibleOutsideRgbPage = true;
    bool selectOnlyOnRgbPage = true;
    QSize size{-1, -1};
    QPoint offset{18, 18};
    int fontSize = 16;
    int cornerRadius = 10;
    int borderWidth = 2;
    int checkedBorderWidth = 4;
    QColor borderColor{92, 92, 92};
    QColor checkedBorderColor{255, 255, 255};
    QVector<StandaloneLedItem> leds;

    static StandaloneLedLayoutConfig forLayout(const QString &layoutName);
};
