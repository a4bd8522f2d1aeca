#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// Colour chooser of the lighting page: a saturation/value square above a hue bar.
// Pressing or dragging in either area announces the new colour through colorChanged;
// setColor() shows a stored colour without announcing anything.
class RgbColorPickerWidget : public QWidget
{
    Q_OBJECT

public:
    explicit RgbColorPickerWidget(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    void setColor(const QColor& color);
    QColor color() const { return m_color; }
    double hue() const { return m_hue; }
    double saturation() const { return m_saturation; }
    double value() const { return m_value; }

    // Rows of the saturation/value square (0 .. squareHeight() - 1) and of the hue bar.
    int squareHeight() const;

    // The gradients as drawn: pixel (i, j) of the square is HSV(hue, i / (w - 1),
    // 1 - j / (s - 1)); every row of the bar runs through the hues left to right.
    static QImage buildSquareImage(double hue, int width, int height);
    static QImage buildHueImage(int width);
    int hueBarTop() const { return height() - 24; }
    static constexpr int HUE_BAR_HEIGHT = 20;

signals:
    void colorChanged(QColor color);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int effectiveHeight() const;
    bool inSquare(const QPoint& pos) const;
    bool inHueBar(const QPoint& pos) const;
    double fractionFromX(int x) const;
    double valueFromY(int y) const;
    void rebuildColor();
    void ensureSquareImage(int w, int s);
    void ensureHueImage(int w);

    double m_hue = 0.0;
    double m_saturation = 1.0;
    double m_value = 1.0;
    QColor m_color;
    bool m_draggingSquare = false;
    bool m_draggingHue = false;

    // Gradient caches: the square depends on hue and size, the bar on the width only.
    QImage m_squareImage;
    double m_squareImageHue = -1.0;
    QImage m_hueImage;
};
