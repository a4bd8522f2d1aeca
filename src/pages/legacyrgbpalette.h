#pragma once

#include "model/records.h"

#include <QColor>
#include <QString>
#include <QVector>

// Colours offered by the lighting pages of legacy keypads.
namespace LegacyRgbPalette {

struct NamedColor {
    QString name; // English, translated when shown
    QColor color;
};

// The 56 swatches of the "R10Udav" page, row by row, seven per row.
const QVector<QColor> &r10UdavSwatches();
// The seven colours an "Old" keypad can show, in the order of its palette codes.
const QVector<NamedColor> &oldColors();
// Index of the "Old" colour nearest to `color` (squared RGB distance; the first wins a tie).
int nearestOldColorIndex(const LedColorData &color);

} // namespace LegacyRgbPalette
