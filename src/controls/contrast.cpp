#include "controls/contrast.h"

#include <algorithm>
#include <cmath>

namespace Contrast {

namespace {

double linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

QColor mix(const QColor &from, const QColor &to, double t)
{
    auto channel = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

// The least mix of `preferred` towards `target` that reaches `minimum`, or an invalid colour
// when even `target` itself does not.
QColor towards(const QColor &preferred, const QColor &target, const QColor &background, double minimum)
{
    if (ratio(target, background) < minimum)
        return QColor();
    double lo = 0.0;
    double hi = 1.0;
    for (int i = 0; i < 12; ++i) {
        const double mid = (lo + hi) / 2;
        (ratio(mix(preferred, target, mid), background) >= minimum ? hi : lo) = mid;
    }
    // Rounding to whole channels may land a hair short: step on until it holds.
    QColor c = mix(preferred, target, hi);
    for (double t = hi; ratio(c, background) < minimum && t < 1.0;) {
        t = std::min(1.0, t + 1.0 / 255);
        c = mix(preferred, target, t);
    }
    return c;
}

} // namespace

double luminance(const QColor &color)
{
    const QColor c = color.toRgb();
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

double ratio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor &preferred, const QColor &background, double minimum)
{
    const QColor p = preferred.toRgb();
    if (ratio(p, background) >= minimum)
        return QColor(p.red(), p.green(), p.blue());
    const QColor light = towards(p, Qt::white, background, minimum);
    const QColor dark = towards(p, Qt::black, background, minimum);
    if (!light.isValid())
        return dark.isValid() ? dark : QColor(Qt::black);
    if (!dark.isValid())
        return light;
    // The smaller change keeps more of the colour's own character.
    auto distance = [&p](const QColor &c) {
        return std::abs(c.red() - p.red()) + std::abs(c.green() - p.green()) + std::abs(c.blue() - p.blue());
    };
    return distance(light) <= distance(dark) ? light : dark;
}

} // namespace Contrast
