#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;

// Caption drawing shared by the panel's key and knob buttons. A caption is drawn on one line
// when it fits, else wrapped onto two (between words, never inside one), then in a smaller
// font down to a legible minimum, then with arrows for direction words ("Wheel ↓"), and only
// then cut in the middle, keeping its start and its last word ("LCtrl + … S"), which tells
// it apart from its neighbours. Macro arrows ("->") are drawn in blue.
namespace KeyCaption {

// Nearest integer, halves away from zero (the rounding used for every scaled size).
int roundHalfAway(double value);

// Smallest sizes a caption is drawn at, however small the panel gets: Chinese characters
// need a pixel more than Latin letters to stay legible.
constexpr int MINIMUM_LATIN_PX = 9;
constexpr int MINIMUM_WIDE_PX = 10;

// Smallest caption size in pixels for a button drawn at `scale`: 10 px at scale 1, never
// below MINIMUM_LATIN_PX.
int minimumPixelSize(double scale);
// `minimumPx`, raised to MINIMUM_WIDE_PX for a text with Chinese (or other wide) characters.
int minimumPixelSizeFor(const QString &text, int minimumPx);

// Room for the caption inside a button's rectangle: a margin on every side keeps the text
// off the rounded corners.
QRect captionBox(const QRect &buttonRect);

// A caption laid out for a box: the font it is drawn in and its one or two lines.
struct Fitted {
    QFont font;
    QStringList lines;
    bool elided = false;
    bool isEmpty() const { return lines.isEmpty(); }
};

// Lays `text` out inside `box`, starting at `font` and stepping its pixel size down to
// `minimumPx` (minimumPixelSizeFor the text). A caption drawn beside a `sibling` it must not
// be mistaken for (the other turn of a knob) keeps, when cut, the part where the two differ.
Fitted fit(const QString &text, const QSize &box, const QFont &font, int minimumPx,
           const QString &sibling = QString());

// Colour of the "->" separators in macro captions.
QColor arrowColor();

// True when dark text reads better than light text on `fill`.
bool isLight(const QColor &fill);

// Draws a fitted caption centred in `box`; lines containing "->" are drawn as parts in
// `textColor` separated by arrows in `arrow` (arrowColor() when invalid). With `plate` set, a
// dark rounded plate goes behind the text so it reads over a picture.
void draw(QPainter &painter, const QRect &box, const Fitted &caption, const QColor &textColor,
          bool plate = false, const QColor &arrow = QColor());

} // namespace KeyCaption
