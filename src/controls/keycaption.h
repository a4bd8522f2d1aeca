#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

// Caption drawing shared by the panel's key and knob buttons: both cut long captions
// to what fits on the cap and draw macro arrows in blue.
namespace KeyCaption {

// Nearest integer, halves away from zero (the rounding used for every scaled size).
int roundHalfAway(double value);

// How many characters fit on a cap whose side is `sideLength` pixels.
int lengthLimit(int sideLength);

// Keeps the end of `text` (the most recent part of a key sequence) when it is too long.
QString limitedText(const QString& text, int sideLength);

// Colour of the "->" separators in macro captions.
QColor arrowColor();

// Draws the already limited `text` centred in `rect`; text containing "->" is drawn as
// one row of parts in `textColor` separated by arrows in arrowColor().
void draw(QPainter& painter, const QRect& rect, const QString& text, const QColor& textColor);

} // namespace KeyCaption
