#include "pages/legacyrgbpalette.h"

namespace LegacyRgbPalette {

const QVector<QColor> &r10UdavSwatches()
{
    static const QVector<QColor> swatches = {
        {255, 0, 0},     {255, 128, 60},  {255, 255, 60},  {0, 255, 0},     {0, 255, 255},
        {0, 0, 255},     {128, 0, 128},   {160, 0, 0},     {255, 170, 0},   {255, 255, 150},
        {120, 255, 0},   {0, 139, 139},   {0, 0, 139},     {255, 0, 255},   {139, 0, 0},
        {255, 145, 0},   {255, 215, 0},   {0, 240, 130},   {210, 245, 245}, {135, 205, 225},
        {70, 0, 130},    {255, 95, 95},   {255, 205, 105}, {255, 250, 95},  {0, 110, 0},
        {0, 125, 140},   {0, 120, 125},   {225, 225, 245}, {255, 190, 205}, {255, 205, 0},
        {210, 180, 0},   {140, 150, 0},   {0, 255, 120},   {80, 0, 150},    {145, 15, 255},
        {255, 70, 0},    {255, 80, 0},    {190, 255, 0},   {135, 255, 125}, {135, 190, 190},
        {180, 215, 225}, {130, 130, 200}, {255, 255, 140}, {255, 125, 0},   {165, 165, 110},
        {30, 135, 30},   {0, 100, 235},   {0, 130, 235},   {215, 175, 245}, {255, 0, 255},
        {255, 100, 0},   {155, 190, 105}, {45, 255, 0},    {0, 190, 100},   {130, 130, 195},
        {200, 200, 150},
    };
    return swatches;
}

const QVector<NamedColor> &oldColors()
{
    static const QVector<NamedColor> colors = {
        {QStringLiteral("Red"), QColor(255, 0, 0)},
        {QStringLiteral("Orange"), QColor(255, 128, 60)},
        {QStringLiteral("Yellow"), QColor(255, 255, 60)},
        {QStringLiteral("Green"), QColor(0, 255, 0)},
        {QStringLiteral("Cyan"), QColor(0, 255, 255)},
        {QStringLiteral("Blue"), QColor(0, 0, 255)},
        {QStringLiteral("Purple"), QColor(128, 0, 128)},
    };
    return colors;
}

int nearestOldColorIndex(const LedColorData &color)
{
    const QVector<NamedColor> &colors = oldColors();
    int best = 0;
    int bestDistance = -1;
    for (int i = 0; i < colors.size(); ++i) {
        const QColor &c = colors.at(i).color;
        const int dr = int(color.r) - c.red();
        const int dg = int(color.g) - c.green();
        const int db = int(color.b) - c.blue();
        const int distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace LegacyRgbPalette
