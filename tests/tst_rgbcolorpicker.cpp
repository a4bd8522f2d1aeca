#include "controls/rgbcolorpickerwidget.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

QImage render(QWidget& w)
{
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img.convertToFormat(QImage::Format_ARGB32);
}

QRgb hsv(double h, double s, double v)
{
    return QColor::fromHsvF(h, s, v).rgb();
}

bool isWhite(QRgb p)
{
    return qAlpha(p) > 200 && qRed(p) > 220 && qGreen(p) > 220 && qBlue(p) > 220;
}

// Sent directly: QTest would move a press at (0, 0) to the widget's centre.
void press(QWidget& w, int x, int y)
{
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(x, y), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

void drag(QWidget& w, int x, int y)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
}

} // namespace

class TstRgbColorPicker : public QObject
{
    Q_OBJECT
private slots:
    void startsRedWithMarkersAtTheEdges();
    void areasAndGap_data();
    void areasAndGap();
    void dragMapsAndClamps();
    void setColorIsSilent();
    void drawnPixelsFollowHueAndSize();
    void gradientsMatchQColor_data();
    void gradientsMatchQColor();
};

void TstRgbColorPicker::startsRedWithMarkersAtTheEdges()
{
    RgbColorPickerWidget picker;
    QCOMPARE(picker.color(), QColor::fromHsvF(0, 1, 1));
    QCOMPARE(picker.color().rgb(), qRgb(255, 0, 0));
    QCOMPARE(picker.sizeHint(), QSize(220, 200));
    QCOMPARE(picker.minimumSizeHint(), QSize(120, 100));
    QCOMPARE(picker.minimumSize(), QSize(120, 100));
    QCOMPARE(picker.sizePolicy().verticalPolicy(), QSizePolicy::Expanding);

    picker.resize(220, 200);
    const QImage img = render(picker);
    // Hue marker: a white line at x = 0 from row 172 down to the bottom row.
    QVERIFY(isWhite(img.pixel(0, 185)));
    QVERIFY(isWhite(img.pixel(0, 199)));
    QVERIFY(!isWhite(img.pixel(20, 185)));
    // Square marker: a white ring centred on the top right corner (220, 0).
    bool ring = false;
    for (int x = 208; x < 214; ++x)
        for (int y = 0; y < 4; ++y)
            ring = ring || isWhite(img.pixel(x, y));
    QVERIFY(ring);
    QVERIFY(!isWhite(img.pixel(150, 5)));
}

void TstRgbColorPicker::areasAndGap_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("squareLast");
    QTest::addColumn<int>("hueFirst");

    QTest::newRow("minimum height") << 100 << 53 << 76;
    QTest::newRow("preferred") << 200 << 153 << 176;
    QTest::newRow("tall") << 400 << 353 << 376;
}

void TstRgbColorPicker::areasAndGap()
{
    QFETCH(int, height);
    QFETCH(int, squareLast);
    QFETCH(int, hueFirst);

    RgbColorPickerWidget picker;
    picker.resize(200, height);
    QCOMPARE(picker.height(), height);
    QCOMPARE(picker.squareHeight(), squareLast + 1);
    QCOMPARE(picker.hueBarTop(), hueFirst);
    QSignalSpy spy(&picker, &RgbColorPickerWidget::colorChanged);

    // Every row between the square and the bar is dead, as is everything below the bar.
    for (int y = squareLast + 1; y < hueFirst; ++y) {
        press(picker, 100, y);
        QTest::mouseRelease(&picker, Qt::LeftButton, {}, QPoint(100, y));
    }
    for (int y : {hueFirst + 20, height - 1}) {
        press(picker, 100, y);
        QTest::mouseRelease(&picker, Qt::LeftButton, {}, QPoint(100, y));
    }
    QCOMPARE(spy.count(), 0);
    QCOMPARE(picker.color(), QColor::fromHsvF(0, 1, 1));
    // Moving without a drag in progress changes nothing either.
    drag(picker, 50, 10);
    QCOMPARE(spy.count(), 0);

    // Last square row: the darkest value the square offers.
    press(picker, 0, squareLast);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(picker.saturation(), 0.0);
    QCOMPARE(picker.value(), 1.0 - double(squareLast) / double(squareLast + 1));
    QTest::mouseRelease(&picker, Qt::LeftButton, {}, QPoint(0, squareLast));

    // First and last hue rows.
    press(picker, 100, hueFirst);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(picker.hue(), 0.5);
    QTest::mouseRelease(&picker, Qt::LeftButton, {}, QPoint(100, hueFirst));
    press(picker, 50, hueFirst + 19);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(picker.hue(), 0.25);
    QCOMPARE(spy.last().first().value<QColor>(), picker.color());
}

void TstRgbColorPicker::dragMapsAndClamps()
{
    RgbColorPickerWidget picker;
    picker.resize(200, 200);
    QSignalSpy spy(&picker, &RgbColorPickerWidget::colorChanged);

    press(picker, 50, 77); // S = 154: value 1 - 77/154 = 0.5
    QCOMPARE(spy.count(), 1);
    QCOMPARE(picker.saturation(), 0.25);
    QCOMPARE(picker.value(), 0.5);
    QCOMPARE(spy.last().first().value<QColor>(), QColor::fromHsvF(0, 0.25, 0.5));

    // Out past the right edge and above the top: clamped, still announced on each move.
    drag(picker, 199, 77);
    drag(picker, 400, -30);
    drag(picker, 1000, 77);
    QCOMPARE(spy.count(), 4);
    QCOMPARE(picker.saturation(), 199.0 / 200.0);
    drag(picker, 400, -30);
    QCOMPARE(picker.value(), 1.0);
    // Down into the gap and the hue bar: the square drag keeps the value at its floor.
    drag(picker, -20, 190);
    QCOMPARE(picker.saturation(), 0.0);
    QCOMPARE(picker.value(), 1.0 - 153.0 / 154.0);
    QCOMPARE(picker.hue(), 0.0);
    QCOMPARE(spy.count(), 6);

    // Release ends the drag: later moves are ignored and release emits nothing.
    QTest::mouseRelease(&picker, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(spy.count(), 6);
    drag(picker, 100, 50);
    QCOMPARE(spy.count(), 6);

    // A hue drag only moves the hue, never saturation or value; the right end stays
    // short of a full turn so the colour does not jump back to red.
    press(picker, 100, 185);
    drag(picker, 20, 10);
    QCOMPARE(picker.hue(), 0.1);
    drag(picker, 500, 185);
    QCOMPARE(picker.hue(), 199.0 / 200.0);
    QCOMPARE(picker.saturation(), 0.0);
    QCOMPARE(spy.count(), 9);
    QCOMPARE(spy.last().first().value<QColor>(), picker.color());
    QTest::mouseRelease(&picker, Qt::LeftButton, {}, QPoint(500, 185));
}

void TstRgbColorPicker::setColorIsSilent()
{
    RgbColorPickerWidget picker;
    picker.resize(220, 200);
    QSignalSpy spy(&picker, &RgbColorPickerWidget::colorChanged);

    picker.setColor(QColor(128, 128, 128));
    QCOMPARE(picker.hue(), 0.0);
    QCOMPARE(picker.saturation(), 0.0);
    QVERIFY(qAbs(picker.value() - 128.0 / 255.0) < 1e-4);
    QCOMPARE(picker.color().rgb(), qRgb(128, 128, 128));

    picker.setColor(QColor(0, 0, 255));
    QVERIFY(qAbs(picker.hue() - 2.0 / 3.0) < 1e-4);
    QCOMPARE(picker.color().rgb(), qRgb(0, 0, 255));

    const QColor before = picker.color();
    picker.setColor(QColor());
    QCOMPARE(picker.color(), before);
    QVERIFY(qAbs(picker.hue() - 2.0 / 3.0) < 1e-4);
    QCOMPARE(picker.saturation(), 1.0);
    QCOMPARE(spy.count(), 0);

    // A colour set from outside must not swallow the next user drag.
    press(picker, 0, 0);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(picker.color().rgb(), qRgb(255, 255, 255));
}

void TstRgbColorPicker::drawnPixelsFollowHueAndSize()
{
    RgbColorPickerWidget picker;
    picker.resize(220, 200);

    auto checkSquare = [&](double hue) {
        const QImage img = render(picker);
        const int w = picker.width();
        const int sq = picker.squareHeight();
        // Points clear of the rounded outline and of the marker.
        for (const QPoint& p : {QPoint(w / 2, sq / 2), QPoint(30, sq - 20), QPoint(w - 30, 25)}) {
            const QRgb expected = hsv(hue, double(p.x()) / (w - 1), 1.0 - double(p.y()) / (sq - 1));
            if (QRect(p - QPoint(14, 14), QSize(28, 28)).contains(
                    QPoint(qRound(picker.saturation() * w), qRound((1 - picker.value()) * sq))))
                continue;
            QCOMPARE(QColor(img.pixel(p)), QColor(expected));
        }
        // The hue bar runs through the hues left to right.
        const int barRow = picker.hueBarTop() + 10;
        for (int x : {40, w / 2 + 15, w - 30})
            QCOMPARE(QColor(img.pixel(x, barRow)), QColor(hsv(double(x) / (w - 1), 1, 1)));
        QCOMPARE(img.pixel(w / 2, sq + 10), QRgb(0)); // the gap stays transparent
    };

    checkSquare(0.0);
    // The cached square must follow a new hue, whether set from outside or dragged.
    picker.setColor(QColor::fromHsvF(1.0 / 3.0, 0.5, 0.5));
    checkSquare(1.0 / 3.0);
    press(picker, 154, 190);
    QTest::mouseRelease(&picker, Qt::LeftButton, {}, QPoint(154, 190));
    checkSquare(0.7);
    // ... and a new size.
    picker.resize(300, 260);
    checkSquare(0.7);
    picker.resize(160, 260);
    checkSquare(0.7);
}

void TstRgbColorPicker::gradientsMatchQColor_data()
{
    QTest::addColumn<double>("hue");
    QTest::addColumn<QSize>("size");

    QTest::newRow("red") << 0.0 << QSize(220, 154);
    QTest::newRow("sector edge 1/6") << 1.0 / 6.0 << QSize(97, 61);
    QTest::newRow("green") << 1.0 / 3.0 << QSize(120, 54);
    QTest::newRow("cyan") << 0.5 << QSize(440, 354);
    QTest::newRow("sector 4") << 0.7 << QSize(33, 40);
    QTest::newRow("magenta side") << 0.9 << QSize(128, 77);
    QTest::newRow("just below a turn") << 439.0 / 440.0 << QSize(64, 64);
    QTest::newRow("one column") << 0.25 << QSize(1, 40);
    QTest::newRow("one row") << 0.6 << QSize(50, 1);
}

void TstRgbColorPicker::gradientsMatchQColor()
{
    QFETCH(double, hue);
    QFETCH(QSize, size);

    // Every pixel exactly as QColor converts HSV(hue, i / (w - 1), 1 - j / (h - 1)).
    const QImage square = RgbColorPickerWidget::buildSquareImage(hue, size.width(), size.height());
    QCOMPARE(square.size(), size);
    auto frac = [](int i, int n) { return n < 2 ? 0.0 : double(i) / (n - 1); };
    for (int j = 0; j < size.height(); ++j)
        for (int i = 0; i < size.width(); ++i) {
            const QRgb expected = hsv(hue, frac(i, size.width()), 1.0 - frac(j, size.height()));
            if (square.pixel(i, j) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2): %3 instead of %4")
                                     .arg(i).arg(j)
                                     .arg(QColor(square.pixel(i, j)).name(), QColor(expected).name())));
        }

    const QImage bar = RgbColorPickerWidget::buildHueImage(size.width());
    QCOMPARE(bar.size(), QSize(size.width(), 20));
    for (int i = 0; i < size.width(); ++i) {
        QCOMPARE(bar.pixel(i, 0), hsv(frac(i, size.width()), 1, 1));
        QCOMPARE(bar.pixel(i, 19), bar.pixel(i, 0));
    }
}

QTEST_MAIN(TstRgbColorPicker)
#include "tst_rgbcolorpicker.moc"
