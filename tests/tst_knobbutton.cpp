#include "controls/knobbutton.h"
#include "support/hoverinput.h"

#include <QEnterEvent>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>

using testsupport::hover;

namespace {

QStringList g_messages;
QtMessageHandler g_previous = nullptr;

void captureMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    g_messages << message;
    if (g_previous)
        g_previous(type, context, message);
}

// Paints the button alone on a transparent ground (no window background).
QImage render(QWidget& w)
{
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img.convertToFormat(QImage::Format_ARGB32);
}

// Bounding box of the pixels that are not fully transparent.
QRect opaqueBox(const QImage& img)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 0)
                box |= QRect(x, y, 1, 1);
    return box;
}

bool anyPixel(const QImage& img, const std::function<bool(QRgb)>& pred)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (pred(img.pixel(x, y)))
                return true;
    return false;
}

} // namespace

class TstKnobButton : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void embeddedImages_data();
    void embeddedImages();
    void imageScaledAndCentred();
    void scaledSizeAndFont();
    void imageLoadFailures();
    void ringAndHover();
    void captionColoursAndArrows();
    void captionFitsOverThePicture();
    void clickEmittedWhateverTheSlot();
};

void TstKnobButton::initTestCase()
{
    initKnobResources();
    initKnobResources(); // a second registration must be harmless
}

void TstKnobButton::embeddedImages_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("left") << KnobButton::leftImagePath() << QSize(114, 97);
    QTest::newRow("right") << KnobButton::rightImagePath() << QSize(114, 97);
    QTest::newRow("press") << KnobButton::pressImagePath() << QSize(150, 150);
    QTest::newRow("press left") << KnobButton::pressLeftImagePath() << QSize(114, 97);
    QTest::newRow("press right") << KnobButton::pressRightImagePath() << QSize(114, 97);
}

void TstKnobButton::embeddedImages()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);

    QVERIFY(path.startsWith(QStringLiteral(":/images/image/KN_")));
    QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), size);
    QVERIFY(image.hasAlphaChannel());
    // A picture on a transparent ground: corners clear, something drawn in the middle.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QVERIFY(opaqueBox(image).contains(QPoint(size.width() / 2, size.height() / 2 + 10))
            || opaqueBox(image).width() > size.width() / 2);

    KnobButton button(path, QString());
    QVERIFY(button.hasImage());
    QCOMPARE(button.image().size(), size);
}

void TstKnobButton::imageScaledAndCentred()
{
    KnobButton button(KnobButton::leftImagePath(), QString());
    QCOMPARE(button.size(), QSize(80, 80));
    QVERIFY(button.isCheckable());
    QVERIFY(button.isFlat());
    // 114 x 97 into 68 x 68, aspect kept with integer arithmetic.
    QCOMPARE(button.scaledImage().size(), QSize(68, 57));

    // Drawn at ((80 - 68) / 2, (80 - 57) / 2) = (6, 11): compare where the picture's own
    // opaque pixels land.
    const QRect inImage = opaqueBox(button.scaledImage().toImage().convertToFormat(QImage::Format_ARGB32));
    const QRect onButton = opaqueBox(render(button));
    QCOMPARE(onButton, inImage.translated(6, 11));

    KnobButton press(KnobButton::pressImagePath(), QString());
    QCOMPARE(press.scaledImage().size(), QSize(68, 68));
}

void TstKnobButton::scaledSizeAndFont()
{
    KnobButton button(KnobButton::leftImagePath(), QStringLiteral("Vol+"));
    const QSize before = button.scaledImage().size();

    button.setScaledSize(0);
    button.setScaledSize(-4);
    button.setScaledSize(80);
    QCOMPARE(button.scaledSize(), 80);
    QCOMPARE(button.size(), QSize(80, 80));
    QCOMPARE(button.scaledImage().size(), before);

    QCOMPARE(button.captionPointSize(), 10);
    button.setScaledSize(120);
    QCOMPARE(button.size(), QSize(120, 120));
    QCOMPARE(button.scaledImage().size(), QSize(102, 86)); // fit into round(0.85 x 120)
    QCOMPARE(button.captionPointSize(), 15);

    // 100 / 80 x 10 = 12.5 rounds away from zero.
    button.setScaledSize(100);
    QCOMPARE(button.captionPointSize(), 13);

    button.setTextBaseFontSize(1);
    QCOMPARE(button.textBaseFontSize(), 1);
    button.setTextBaseFontSize(0);
    QCOMPARE(button.textBaseFontSize(), 1);
    button.setTextBaseFontSize(-7);
    QCOMPARE(button.textBaseFontSize(), 1);
    button.setTextBaseFontSize(2);
    QCOMPARE(button.textBaseFontSize(), 2);
}

void TstKnobButton::imageLoadFailures()
{
    g_messages.clear();
    g_previous = qInstallMessageHandler(captureMessages);

    KnobButton noImage(QString(), QStringLiteral("Mute"));
    KnobButton missing(QStringLiteral(":/images/image/KN_Missing.png"), QStringLiteral("Mute"));

    qInstallMessageHandler(g_previous);
    g_previous = nullptr;

    QVERIFY(!noImage.hasImage());
    QVERIFY(noImage.scaledImage().isNull());
    QVERIFY(!missing.hasImage());
    QVERIFY(missing.scaledImage().isNull());

    const QStringList failures = g_messages.filter(QStringLiteral("Failed to load image:"));
    QCOMPARE(failures.size(), 1);
    QVERIFY(failures.first().contains(QStringLiteral("KN_Missing.png")));

    // Without an image the button still paints its caption and survives a resize.
    missing.setScaledSize(90);
    QVERIFY(!render(missing).isNull());
}

void TstKnobButton::ringAndHover()
{
    KnobButton button{QString(), QString()};
    const QPoint centre(40, 40);
    const QPoint onRing(3, 40); // the 3 px ring drawn on the ellipse inset by 3

    QCOMPARE(qAlpha(render(button).pixel(centre)), 0);

    hover(button, true);
    QVERIFY(button.isHovered());
    QCOMPARE(button.size(), QSize(80, 80)); // knobs do not grow
    const int hoverAlpha = qAlpha(render(button).pixel(centre));
    QVERIFY2(qAbs(hoverAlpha - 40) <= 2, qPrintable(QString::number(hoverAlpha)));

    // Selected and hovered: only the ring, no hover fill.
    button.setChecked(true);
    QImage img = render(button);
    QCOMPARE(qAlpha(img.pixel(centre)), 0);
    const QColor ring = QColor::fromRgba(img.pixel(onRing));
    QVERIFY2(ring.alpha() > 100 && ring.red() > 200 && ring.green() > 160 && ring.blue() < 80,
             qPrintable(ring.name(QColor::HexArgb)));

    hover(button, false);
    QVERIFY(!button.isHovered());
    button.setChecked(false);
    QCOMPARE(qAlpha(render(button).pixel(onRing)), 0);
}

void TstKnobButton::captionColoursAndArrows()
{
    auto isWhite = [](QRgb p) { return qAlpha(p) > 200 && qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200; };
    auto isGold = [](QRgb p) { return qAlpha(p) > 200 && qRed(p) > 230 && qGreen(p) > 190 && qBlue(p) < 60; };
    auto isBlue = [](QRgb p) { return qAlpha(p) > 120 && qBlue(p) > 180 && qRed(p) < 140; };

    KnobButton button(QString(), QStringLiteral("Ctrl"));
    QVERIFY(!anyPixel(render(button), isWhite));

    button.setSetState(true);
    QVERIFY(button.isSetState());
    QVERIFY(anyPixel(render(button), isWhite));

    button.setChecked(true);
    const QImage checked = render(button);
    QVERIFY(anyPixel(checked, isGold));
    QVERIFY(!anyPixel(checked, isWhite));
    button.setChecked(false);

    QVERIFY(!anyPixel(render(button), isBlue));
    button.setText(QStringLiteral("a->b"));
    QVERIFY(anyPixel(render(button), isBlue));
}

void TstKnobButton::captionFitsOverThePicture()
{
    // A small turn button with a long name: the beginning stays, wrapped and shrunk down to
    // the minimum, cut only at its end.
    KnobButton button(KnobButton::leftImagePath(), QStringLiteral("Mouse Wheel Down"));
    button.setScaledSize(51);
    button.setCaptionMinimumPixelSize(8);
    button.setSetState(true);
    const QString shown = button.displayedText();
    QVERIFY2(shown.startsWith(QLatin1String("Mouse")), qPrintable(shown));
    const QFontMetrics fm(button.captionFont());
    QVERIFY(button.captionFont().pixelSize() >= 8);
    for (const QString &line : shown.split(QLatin1Char('\n')))
        QVERIFY2(fm.horizontalAdvance(line) <= 51, qPrintable(line));
    QVERIFY(shown.count(QLatin1Char('\n')) <= 1);
}

void TstKnobButton::clickEmittedWhateverTheSlot()
{
    // Knob actions sit in panel slots 6 to 8 on some panels; unlike key buttons they
    // report their clicks through the clicked signal.
    QWidget window;
    KnobButton* button = new KnobButton(KnobButton::pressImagePath(), QStringLiteral("P"), &window);
    button->setProperty("buttonIndex", 7);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QSignalSpy clicks(button, &QAbstractButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(clicks.count(), 1);
    QVERIFY(button->isChecked());
}

QTEST_MAIN(TstKnobButton)
#include "tst_knobbutton.moc"
