#pragma once

#include <QColor>

// Legibility of colours by the WCAG 2.1 measure: relative luminance and contrast ratio.
// Texts on the panel take the colour they are meant to have (green numbers, white or gold
// captions, blue macro arrows) only where it stands out from what it is drawn on; elsewhere
// the nearest lighter or darker shade that does.
namespace Contrast {

// Smallest ratio for text, and for the parts of a control that show its state.
constexpr double TEXT = 4.5;
constexpr double GRAPHICS = 3.0;

// Relative luminance of an sRGB colour (0 black .. 1 white); alpha is ignored.
double luminance(const QColor &color);
// (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on white.
double ratio(const QColor &a, const QColor &b);
// `preferred` when it reaches `minimum` against `background`, else `preferred` mixed
// towards white or black (whichever gets there with the smaller change, white first) just
// far enough. Pure white or black always reaches 4.5 on an opaque background.
QColor readableOn(const QColor &preferred, const QColor &background, double minimum = TEXT);

} // namespace Contrast
