#include "controls/rgbcolorpickerwidget.h"

#include "controls/keycaption.h"

#include <QMouseEvent>
#include <QPainter>

#include <QVector>

#include <algorithm>

namespace {

// Fraction i / (n - 1), or 0 when the dimension is too small to have two ends.
double stepFraction(int i, int n)
{
    return n < 2 ? 0.0 : double(i) / double(n - 1);
}

// Builds the saturation/value square for one hue exactly as QColor::fromHsvF(h, s, v).rgb()
// would colour each pixel (same 16-bit quantisation, same sector arithmetic in the same
// order), but with the per-column factors computed once: rebuilding the square while the
// hue is dragged then costs a few multiplications per pixel instead of a QColor each.
class SquareGradient
{
public:
    SquareGradient(double hue, int width)
    {
        const int hueUnits = qRound(hue * 36000);
        const double h = hueUnits == 36000 ? 0.0 : hueUnits / 6000.0;
        const int sector = int(h);
        const double f = h - sector;
        // Where the value (V), the sector's varying channel (C) and the floor (P) go.
        static const int shifts[6][3] = {
            {16, 8, 0}, {8, 16, 0}, {8, 0, 16}, {0, 8, 16}, {0, 16, 8}, {16, 0, 8},
        };
        const int k = std::clamp(sector, 0, 5);
        m_shiftV = shifts[k][0];
        m_shiftC = shifts[k][1];
        m_shiftP = shifts[k][2];

        m_columns.resize(width);
        for (int i = 0; i < width; ++i) {
            Column& c = m_columns[i];
            const quint16 satUnits = units(stepFraction(i, width));
            c.gray = satUnits == 0;
            const double sat = satUnits / double(USHRT_MAX);
            c.floor = 1.0 - sat;
            c.varying = (sector & 1) ? 1.0 - (sat * f) : 1.0 - (sat * (1.0 - f));
        }
    }

    void fillRow(QRgb* line, double value) const
    {
        const quint16 valUnits = units(value);
        const double v = valUnits / double(USHRT_MAX);
        const QRgb vByte = toByte(valUnits);
        const QRgb grayPixel = 0xff000000u | (vByte << 16) | (vByte << 8) | vByte;
        const QRgb vPart = 0xff000000u | (vByte << m_shiftV);
        for (int i = 0; i < m_columns.size(); ++i) {
            const Column& c = m_columns[i];
            if (c.gray) {
                line[i] = grayPixel;
                continue;
            }
            const QRgb pByte = toByte(qRound((v * c.floor) * USHRT_MAX));
            const QRgb cByte = toByte(qRound((v * c.varying) * USHRT_MAX));
            line[i] = vPart | (cByte << m_shiftC) | (pByte << m_shiftP);
        }
    }

private:
    struct Column {
        double floor = 1.0;
        double varying = 1.0;
        bool gray = true;
    };

    static quint16 units(double fraction) { return quint16(qRound(fraction * USHRT_MAX)); }
    // QColor keeps 16-bit channels; the 8-bit value is the nearest x / 257.
    static QRgb toByte(int x) { return QRgb((2 * x + 257) / 514); }

    QVector<Column> m_columns;
    int m_shiftV = 16;
    int m_shiftC = 8;
    int m_shiftP = 0;
};

} // namespace

RgbColorPickerWidget::RgbColorPickerWidget(QWidget* parent)
    : QWidget(parent)
    , m_color(QColor::fromHsvF(0.0, 1.0, 1.0, 1.0))
{
    setMinimumSize(120, 100);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMouseTracking(true);
}

QSize RgbColorPickerWidget::sizeHint() const
{
    return QSize(220, 200);
}

QSize RgbColorPickerWidget::minimumSizeHint() const
{
    return QSize(120, 100);
}

void RgbColorPickerWidget::setColor(const QColor& color)
{
    if (!color.isValid())
        return;
    const QColor hsv = color.toHsv();
    const double hue = hsv.hsvHueF();
    m_hue = hue < 0.0 ? 0.0 : hue;
    m_saturation = hsv.hsvSaturationF();
    m_value = hsv.valueF();
    rebuildColor();
    update();
}

int RgbColorPickerWidget::effectiveHeight() const
{
    // Below 87 rows the square keeps a usable height of 40 and the bar may overlap it.
    const int h = height();
    return h >= 87 ? h : 86;
}

int RgbColorPickerWidget::squareHeight() const
{
    return effectiveHeight() - 46;
}

bool RgbColorPickerWidget::inSquare(const QPoint& pos) const
{
    return pos.x() >= 0 && pos.x() <= width() - 1 && pos.y() >= 0
        && pos.y() <= effectiveHeight() - 47;
}

bool RgbColorPickerWidget::inHueBar(const QPoint& pos) const
{
    const int h = height();
    return pos.x() >= 0 && pos.x() <= width() - 1 && pos.y() >= h - 24 && pos.y() <= h - 5;
}

double RgbColorPickerWidget::fractionFromX(int x) const
{
    const int w = width();
    if (w < 2)
        return 0.0;
    // Divided by the width, not width - 1: the rightmost column stays just below a full
    // turn, so the hue never wraps back to red at the right edge.
    return double(std::clamp(x, 0, w - 1)) / double(w);
}

double RgbColorPickerWidget::valueFromY(int y) const
{
    const int bottom = effectiveHeight() - 47;
    return 1.0 - double(std::clamp(y, 0, bottom)) / double(bottom + 1);
}

void RgbColorPickerWidget::rebuildColor()
{
    m_color = QColor::fromHsvF(m_hue, m_saturation, m_value, 1.0);
}

void RgbColorPickerWidget::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->localPos().toPoint();
    if (inSquare(pos)) {
        m_draggingSquare = true;
        m_draggingHue = false;
        m_saturation = fractionFromX(pos.x());
        m_value = valueFromY(pos.y());
    } else if (inHueBar(pos)) {
        m_draggingHue = true;
        m_draggingSquare = false;
        m_hue = fractionFromX(pos.x());
    } else {
        QWidget::mousePressEvent(event);
        return;
    }
    rebuildColor();
    emit colorChanged(m_color);
    update();
    QWidget::mousePressEvent(event);
}

void RgbColorPickerWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->localPos().toPoint();
    if (m_draggingSquare) {
        m_saturation = fractionFromX(pos.x());
        m_value = valueFromY(pos.y());
    } else if (m_draggingHue) {
        m_hue = fractionFromX(pos.x());
    } else {
        QWidget::mouseMoveEvent(event);
        return;
    }
    rebuildColor();
    emit colorChanged(m_color);
    update();
    QWidget::mouseMoveEvent(event);
}

void RgbColorPickerWidget::mouseReleaseEvent(QMouseEvent* event)
{
    m_draggingSquare = false;
    m_draggingHue = false;
    QWidget::mouseReleaseEvent(event);
}

QImage RgbColorPickerWidget::buildSquareImage(double hue, int width, int height)
{
    QImage image(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const SquareGradient gradient(hue, image.width());
    for (int j = 0; j < image.height(); ++j)
        gradient.fillRow(reinterpret_cast<QRgb*>(image.scanLine(j)), 1.0 - stepFraction(j, height));
    return image;
}

QImage RgbColorPickerWidget::buildHueImage(int width)
{
    QImage image(std::max(width, 0), HUE_BAR_HEIGHT, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    auto* first = reinterpret_cast<QRgb*>(image.scanLine(0));
    for (int i = 0; i < image.width(); ++i)
        first[i] = QColor::fromHsvF(stepFraction(i, width), 1.0, 1.0).rgb();
    for (int j = 1; j < image.height(); ++j)
        std::copy(first, first + image.width(), reinterpret_cast<QRgb*>(image.scanLine(j)));
    return image;
}

void RgbColorPickerWidget::ensureSquareImage(int w, int s)
{
    if (m_squareImage.width() == w && m_squareImage.height() == s && m_squareImageHue == m_hue)
        return;
    m_squareImage = buildSquareImage(m_hue, w, s);
    m_squareImageHue = m_hue;
}

void RgbColorPickerWidget::ensureHueImage(int w)
{
    if (m_hueImage.width() == w)
        return;
    m_hueImage = buildHueImage(w);
}

void RgbColorPickerWidget::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);

    const int w = width();
    const int h = height();
    const int s = squareHeight();

    painter.fillRect(rect(), Qt::transparent);

    ensureSquareImage(w, s);
    painter.drawImage(QRect(0, 0, w, s), m_squareImage);

    const QPen outline(QColor(255, 255, 255, 80), 1);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRect(0, 0, w, s), 16, 16);

    ensureHueImage(w);
    painter.drawImage(QRect(0, h - 24, w, HUE_BAR_HEIGHT), m_hueImage);
    painter.setPen(outline);
    painter.drawRoundedRect(QRect(0, h - 24, w, HUE_BAR_HEIGHT), 12, 12);

    QPen marker(Qt::white);
    marker.setWidth(3);
    painter.setPen(marker);
    painter.setBrush(Qt::NoBrush);
    const int cx = KeyCaption::roundHalfAway(m_saturation * w);
    const int cy = KeyCaption::roundHalfAway((1.0 - m_value) * s);
    painter.drawEllipse(QRect(QPoint(cx - 10, cy - 10), QPoint(cx + 9, cy + 9)));

    const int hx = KeyCaption::roundHalfAway(m_hue * w);
    painter.drawLine(hx, h - 28, hx, h - 1);
}
