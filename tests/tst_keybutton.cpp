#include "controls/dualcharbutton.h"
#include "controls/keybutton.h"
#include "controls/keycaption.h"
#include "support/hoverinput.h"

#include <QEnterEvent>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

using testsupport::hover;

namespace {

// Stands in for the main window: records what a forwarded panel click carried.
class ClickSink : public QWidget
{
    Q_OBJECT
public:
    int calls = 0;
    QVariant forcedIndex;

public slots:
    void onButtonClicked()
    {
        ++calls;
        forcedIndex = property("_forcedClickIndex");
    }
};

QImage render(QWidget& w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

bool isBlue(QRgb p)
{
    return qAlpha(p) > 0 && qBlue(p) > 180 && qRed(p) < 140 && qBlue(p) - qRed(p) > 80;
}

bool isWhite(QRgb p)
{
    return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200;
}

// Horizontal extent of the pixels matching `pred`; (-1, -1) when none.
template <typename Pred>
QPair<int, int> columns(const QImage& img, Pred pred)
{
    int lo = -1;
    int hi = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (pred(img.pixel(x, y))) {
                lo = lo < 0 ? x : std::min(lo, x);
                hi = std::max(hi, x);
            }
    return qMakePair(lo, hi);
}

} // namespace

class TstKeyButton : public QObject
{
    Q_OBJECT
private slots:
    void captionLimit_data();
    void captionLimit();
    void sizeFollowsBaseAndScale();
    void fillAndRing();
    void macroArrowsDrawnBlueAndCentred();
    void forcedClickForKnobSlots();
    void hoverGrowsAndRecentres();
    void dualCharCornerLabel_data();
    void dualCharCornerLabel();
};

void TstKeyButton::captionLimit_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");

    QTest::newRow("59 keeps last 4") << 59 << "ABCDEFG" << "DEFG";
    QTest::newRow("60 keeps last 5") << 60 << "ABCDEFG" << "CDEFG";
    QTest::newRow("79 keeps last 5") << 79 << "ABCDEFG" << "CDEFG";
    QTest::newRow("80 keeps last 6") << 80 << "ABCDEFG" << "BCDEFG";
    QTest::newRow("99 keeps last 6") << 99 << "ABCDEFG" << "BCDEFG";
    QTest::newRow("100 shows 7") << 100 << "ABCDEFG" << "ABCDEFG";
    QTest::newRow("100 cuts 8") << 100 << "ABCDEFGH" << "BCDEFGH";
    QTest::newRow("short untouched") << 40 << "Esc" << "Esc";
    QTest::newRow("macro keeps its end") << 80 << "a->b->c->d" << "->c->d";
    QTest::newRow("empty") << 59 << "" << "";
}

void TstKeyButton::captionLimit()
{
    QFETCH(int, side);
    QFETCH(QString, caption);
    QFETCH(QString, shown);

    KeyButton button(caption);
    button.setBaseSize(side);
    QCOMPARE(button.keySize(), side);
    QCOMPARE(button.displayedText(), shown);
    QCOMPARE(KeyCaption::limitedText(caption, side), shown);
}

void TstKeyButton::sizeFollowsBaseAndScale()
{
    KeyButton button(QStringLiteral("A"));
    QCOMPARE(button.size(), QSize(80, 80));
    QVERIFY(button.isCheckable());
    QVERIFY(button.isFlat());
    QVERIFY(button.hasMouseTracking());

    button.setScale(1.25);
    QCOMPARE(button.keySize(), 100);
    QCOMPARE(button.size(), QSize(100, 100));

    // 50 x 0.25 = 12.5: halves go away from zero.
    button.setBaseSize(50);
    button.setScale(0.25);
    QCOMPARE(button.keySize(), 13);
    QCOMPARE(button.size(), QSize(13, 13));

    button.setCornerRadius(-3);
    QCOMPARE(button.cornerRadius(), 0);
    button.setCornerRadius(14);
    QCOMPARE(button.cornerRadius(), 14);

    // A rescale while hovered keeps the hover growth.
    button.setScale(1.0);
    hover(button, true);
    QCOMPARE(button.size(), QSize(54, 54));
    button.setScale(2.0);
    QCOMPARE(button.keySize(), 100);
    QCOMPARE(button.size(), QSize(104, 104));
}

void TstKeyButton::fillAndRing()
{
    KeyButton button{QString()};
    button.setBaseSize(80);

    // A point clear of the rounded corners and of the ring.
    const QPoint inside(12, 40);

    QCOMPARE(QColor(render(button).pixel(inside)), QColor(100, 100, 100));

    hover(button, true);
    QCOMPARE(QColor(render(button).pixel(inside)), QColor(100, 100, 100).lighter(120));
    hover(button, false);

    button.setChecked(true);
    QImage img = render(button);
    QCOMPARE(QColor(img.pixel(inside)), QColor(100, 100, 100).lighter(110));
    // The gold ring runs 2 px inside the edge (3 px wide, centred on x = 2..3).
    const QColor ring(img.pixel(2, 40));
    QVERIFY2(ring.red() > 200 && ring.green() > 170 && ring.blue() < 60,
             qPrintable(ring.name()));

    // Checked wins over hover.
    hover(button, true);
    QCOMPARE(QColor(render(button).pixel(inside)), QColor(100, 100, 100).lighter(110));
    hover(button, false);
    button.setChecked(false);

    button.setCustomColor(QColor(0, 128, 255));
    QVERIFY(button.hasCustomColor());
    QCOMPARE(QColor(render(button).pixel(inside)), QColor(0, 128, 255));
    button.clearCustomColor();
    QVERIFY(!button.hasCustomColor());
    QCOMPARE(QColor(render(button).pixel(inside)), QColor(100, 100, 100));
}

void TstKeyButton::macroArrowsDrawnBlueAndCentred()
{
    KeyButton button(QStringLiteral("a->b"));
    button.setBaseSize(100);
    button.setAssigned(true);
    QImage img = render(button);

    const auto blue = columns(img, isBlue);
    const auto white = columns(img, isWhite);
    QVERIFY2(blue.first >= 0, "no blue arrow drawn");
    QVERIFY2(white.first >= 0, "no caption letters drawn");
    // a, then the arrow, then b.
    QVERIFY(white.first < blue.first);
    QVERIFY(blue.second < white.second);
    // The row is centred as one piece.
    const double middle = (std::min(white.first, blue.first) + std::max(white.second, blue.second)) / 2.0;
    QVERIFY2(qAbs(middle - 50.0) <= 4.0, qPrintable(QString::number(middle)));

    // Leading arrow: no empty part drawn before it, the arrow comes first.
    button.setText(QStringLiteral("->b"));
    img = render(button);
    const auto blue2 = columns(img, isBlue);
    const auto white2 = columns(img, isWhite);
    QVERIFY(blue2.first >= 0 && white2.first >= 0);
    QVERIFY(blue2.first < white2.first);

    // No arrow, no blue.
    button.setText(QStringLiteral("Tab"));
    QCOMPARE(columns(render(button), isBlue).first, -1);

    // Unassigned captions are grey, not white; a selected key's caption is gold.
    button.setAssigned(false);
    QCOMPARE(columns(render(button), isWhite).first, -1);
    button.setChecked(true);
    img = render(button);
    bool gold = false;
    for (int y = 30; y < 70 && !gold; ++y)
        for (int x = 20; x < 80 && !gold; ++x) {
            const QRgb p = img.pixel(x, y);
            gold = qRed(p) > 230 && qGreen(p) > 190 && qBlue(p) < 60;
        }
    QVERIFY(gold);
}

void TstKeyButton::forcedClickForKnobSlots()
{
    ClickSink window;
    window.resize(400, 300);
    KeyButton* knobSlot = new KeyButton(QStringLiteral("K7"), &window);
    knobSlot->setProperty("buttonIndex", 7);
    KeyButton* plain = new KeyButton(QStringLiteral("K5"), &window);
    plain->setProperty("buttonIndex", 5);
    plain->move(100, 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QSignalSpy knobClicks(knobSlot, &QAbstractButton::clicked);
    QTest::mouseClick(knobSlot, Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(window.calls, 1);
    QCOMPARE(window.forcedIndex.toInt(), 7);
    QCOMPARE(knobClicks.count(), 0);
    QVERIFY(!knobSlot->isChecked());
    QVERIFY(!knobSlot->isDown());

    for (int index : {6, 8}) {
        knobSlot->setProperty("buttonIndex", index);
        QTest::mouseClick(knobSlot, Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(window.forcedIndex.toInt(), index);
    }
    QCOMPARE(window.calls, 3);
    QCOMPARE(knobClicks.count(), 0);

    QSignalSpy plainClicks(plain, &QAbstractButton::clicked);
    QTest::mouseClick(plain, Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(plainClicks.count(), 1);
    QVERIFY(plain->isChecked());
    QCOMPARE(window.calls, 3);

    // Without a "buttonIndex" the button behaves like any push button.
    KeyButton* untagged = new KeyButton(QStringLiteral("X"), &window);
    untagged->move(200, 0);
    untagged->show();
    QSignalSpy untaggedClicks(untagged, &QAbstractButton::clicked);
    QTest::mouseClick(untagged, Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(untaggedClicks.count(), 1);
    QCOMPARE(window.calls, 3);

    // In a window that has no click handler the click is not swallowed.
    QWidget bare;
    KeyButton* orphan = new KeyButton(QStringLiteral("K6"), &bare);
    orphan->setProperty("buttonIndex", 6);
    bare.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bare));
    QSignalSpy orphanClicks(orphan, &QAbstractButton::clicked);
    QTest::mouseClick(orphan, Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(orphanClicks.count(), 1);
    QVERIFY(!bare.property("_forcedClickIndex").isValid());
}

void TstKeyButton::hoverGrowsAndRecentres()
{
    QWidget cell;
    cell.resize(100, 100);
    KeyButton* button = new KeyButton(QStringLiteral("A"), &cell);
    button->move(10, 10);

    hover(*button, true);
    QVERIFY(button->isHovered());
    QCOMPARE(button->geometry(), QRect(8, 8, 84, 84));
    QCOMPARE(button->keySize(), 80);

    hover(*button, false);
    QVERIFY(!button->isHovered());
    QCOMPARE(button->geometry(), QRect(10, 10, 80, 80));

    // Odd space left over: integer division toward zero.
    cell.resize(101, 97);
    hover(*button, true);
    QCOMPARE(button->pos(), QPoint(8, 6));

    // A top-level key has no cell to centre in and just grows.
    KeyButton lone(QStringLiteral("B"));
    lone.move(30, 30);
    const QPoint before = lone.pos();
    hover(lone, true);
    QCOMPARE(lone.size(), QSize(84, 84));
    QCOMPARE(lone.pos(), before);
}

void TstKeyButton::dualCharCornerLabel_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("label");
    QTest::addColumn<int>("points");

    QTest::newRow("50x40") << QSize(50, 40) << QRect(2, 2, 21, 17) << 6;
    QTest::newRow("200x100") << QSize(200, 100) << QRect(6, 6, 84, 42) << 15;
    QTest::newRow("300x200 font capped") << QSize(300, 200) << QRect(9, 9, 126, 84) << 18;
    QTest::newRow("halves away") << QSize(50, 50) << QRect(2, 2, 21, 21) << 8;
}

void TstKeyButton::dualCharCornerLabel()
{
    QFETCH(QSize, size);
    QFETCH(QRect, label);
    QFETCH(int, points);

    QWidget page;
    DualCharButton* button = new DualCharButton(QStringLiteral("1"), QStringLiteral("!"), &page);
    QCOMPARE(button->text(), QStringLiteral("1"));
    QCOMPARE(button->mainText(), QStringLiteral("1"));
    QCOMPARE(button->cornerText(), QStringLiteral("!"));
    QCOMPARE(button->cornerLabel()->text(), QStringLiteral("!"));
    QVERIFY(button->cornerLabel()->testAttribute(Qt::WA_TransparentForMouseEvents));
    QCOMPARE(button->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);

    button->resize(size);
    page.show();
    QCOMPARE(button->cornerLabel()->geometry(), label);
    QCOMPARE(button->cornerLabel()->font().pointSize(), points);
    QVERIFY(button->cornerLabel()->font().bold());
    QVERIFY(button->cornerLabel()->isVisible());

    // The label never swallows the click meant for the key.
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton, {}, label.center());
    QCOMPARE(clicks.count(), 1);
}

QTEST_MAIN(TstKeyButton)
#include "tst_keybutton.moc"
