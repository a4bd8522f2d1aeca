// Repaint cost of the colour picker while the user drags, at 440 x 400 pixels.
// Prints the mean and worst repaint time per mouse move for:
//   - a drag in the saturation/value square (the gradients stay cached),
//   - a drag along the hue bar (the square is rebuilt for every new hue),
//   - the cost without caches: both gradients built afresh on every repaint, once with a
//     QColor per pixel (the straightforward way) and once with the widget's own builders.
// Target: a square drag repaints in under 4 ms.

#include "controls/rgbcolorpickerwidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

struct Figures {
    double meanMs = 0;
    double worstMs = 0;
};

void send(QWidget& w, QEvent::Type type, const QPoint& pos)
{
    QMouseEvent event(type, QPointF(pos), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

// Moves along `path`, repainting synchronously after each move; `extra` runs inside the
// timed section (used to add the uncached gradient builds).
template <typename Extra>
Figures dragAndRepaint(RgbColorPickerWidget& picker, const QVector<QPoint>& path, Extra extra)
{
    send(picker, QEvent::MouseButtonPress, path.first());
    picker.repaint();
    Figures f;
    QElapsedTimer timer;
    for (const QPoint& p : path) {
        timer.start();
        send(picker, QEvent::MouseMove, p);
        extra();
        picker.repaint();
        const double ms = timer.nsecsElapsed() / 1e6;
        f.meanMs += ms;
        f.worstMs = std::max(f.worstMs, ms);
    }
    send(picker, QEvent::MouseButtonRelease, path.last());
    f.meanMs /= path.size();
    return f;
}

void print(const char* label, const Figures& f)
{
    std::printf("%-44s mean %7.3f ms   worst %7.3f ms\n", label, f.meanMs, f.worstMs);
}

// The straightforward gradient: one QColor conversion per pixel.
QImage naiveSquare(double hue, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int j = 0; j < h; ++j) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(j));
        const double value = 1.0 - (h < 2 ? 0.0 : double(j) / (h - 1));
        for (int i = 0; i < w; ++i)
            line[i] = QColor::fromHsvF(hue, w < 2 ? 0.0 : double(i) / (w - 1), value).rgb();
    }
    return image;
}

QImage naiveHueBar(int w)
{
    QImage image(w, 20, QImage::Format_RGB32);
    for (int j = 0; j < 20; ++j)
        for (int i = 0; i < w; ++i)
            image.setPixel(i, j, QColor::fromHsvF(w < 2 ? 0.0 : double(i) / (w - 1), 1, 1).rgb());
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    RgbColorPickerWidget picker;
    picker.resize(440, 400);
    picker.show();
    QApplication::processEvents();

    const int w = picker.width();
    const int s = picker.squareHeight();
    const int hueRow = picker.hueBarTop() + 10;
    const int moves = 200;

    QVector<QPoint> squarePath;
    QVector<QPoint> huePath;
    for (int i = 0; i < moves; ++i) {
        squarePath << QPoint(10 + (i * 7) % (w - 20), 10 + (i * 5) % (s - 20));
        huePath << QPoint(5 + (i * 11) % (w - 10), hueRow);
    }

    std::printf("colour picker %d x %d, %d moves per drag\n", w, picker.height(), moves);
    // Warm up fonts, caches and the backing store.
    dragAndRepaint(picker, squarePath, [] {});

    const Figures naive = dragAndRepaint(picker, squarePath, [&] {
        const QImage square = naiveSquare(picker.hue(), w, s);
        const QImage bar = naiveHueBar(w);
        Q_UNUSED(square);
        Q_UNUSED(bar);
    });
    const Figures uncached = dragAndRepaint(picker, squarePath, [&] {
        const QImage square = RgbColorPickerWidget::buildSquareImage(picker.hue(), w, s);
        const QImage bar = RgbColorPickerWidget::buildHueImage(w);
        Q_UNUSED(square);
        Q_UNUSED(bar);
    });
    const Figures squareDrag = dragAndRepaint(picker, squarePath, [] {});
    const Figures hueDrag = dragAndRepaint(picker, huePath, [] {});

    print("before: QColor gradients on every repaint", naive);
    print("        own builders on every repaint", uncached);
    print("after:  square drag (cached gradients)", squareDrag);
    print("after:  hue drag (square rebuilt per hue)", hueDrag);
    std::printf("square drag target < 4 ms: %s\n", squareDrag.meanMs < 4.0 ? "met" : "MISSED");
    return 0;
}
