#include "controls/dualcharbutton.h"
#include "controls/contrast.h"
#include "controls/keybutton.h"
#include "controls/keycaption.h"
#include "i18n/uitext.h"
#include "model/keynames.h"
#include "model/keynametable.h"
#include "pages/procreatetable.h"
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
    void take(int index)
    {
        ++calls;
        forcedIndex = index;
    }
};

QImage render(QWidget& w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// Macro arrows are blue, in the shade that keeps 4.5:1 on the key (a pale blue on grey).
bool isBlue(QRgb p)
{
    return qAlpha(p) > 0 && qBlue(p) > 200 && qBlue(p) - qRed(p) > 40;
}

bool isWhite(QRgb p)
{
    return qRed(p) > 240 && qGreen(p) > 240 && qBlue(p) > 240;
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

QString withArrows(QString name)
{
    const char *words[] = {"Up", "Down", "Left", "Right"};
    const ushort arrows[] = {0x2191, 0x2193, 0x2190, 0x2192};
    for (int i = 0; i < 4; ++i)
        name.replace(QRegularExpression(QStringLiteral("\\b%1\\b").arg(QLatin1String(words[i]))),
                     QString(QChar(arrows[i])));
    return name;
}

} // namespace

class TstKeyButton : public QObject
{
    Q_OBJECT
private slots:
    void captionLimit_data();
    void captionLimit();
    void everyNameFitsItsCap();
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
    QTest::addColumn<bool>("whole");

    QTest::newRow("short untouched") << 40 << "Esc" << true;
    QTest::newRow("combination keeps its start") << 80 << "LCtrl + C" << true;
    QTest::newRow("wraps onto two lines") << 80 << "LCtrl + LShift + A" << true;
    QTest::newRow("macro from its first step") << 80 << "t -> e -> s -> t" << true;
    QTest::newRow("too long: start and last word kept") << 59 << "Switch Between Previous and Current Color" << false;
    QTest::newRow("one long word") << 59 << "ABCDEFGHIJKLMNOPQRSTUVWXYZ" << false;
    QTest::newRow("empty") << 59 << "" << true;
}

void TstKeyButton::captionLimit()
{
    QFETCH(int, side);
    QFETCH(QString, caption);
    QFETCH(bool, whole);

    KeyButton button(caption);
    button.setBaseSize(side);
    QCOMPARE(button.keySize(), side);
    const QString shown = button.displayedText();
    const QStringList lines = shown.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(lines.size() <= 2);
    if (caption.isEmpty()) {
        QVERIFY(shown.isEmpty());
        return;
    }
    // The beginning of the name is always there; a cut leaves out a part of the middle
    // (marked "…") and keeps the last word, or cuts a single word at its end.
    QVERIFY2(shown.startsWith(caption.left(1)), qPrintable(shown));
    auto squeezed = [](QString t) { return t.remove(QRegularExpression(QStringLiteral("\\s"))); };
    if (whole) {
        QCOMPARE(squeezed(shown), squeezed(caption));
    } else {
        const QString cut = squeezed(shown);
        const int mark = cut.indexOf(QChar(0x2026));
        QVERIFY2(mark >= 0 && squeezed(caption).startsWith(cut.left(mark))
                     && squeezed(caption).endsWith(cut.mid(mark + 1)),
                 qPrintable(shown));
    }
}

void TstKeyButton::everyNameFitsItsCap()
{
    QStringList names;
    for (int u = 0; u < 256; ++u)
        names << keyName(quint8(u));
    for (int u = 0; u < 0x400; ++u)
        if (KeyNameTable::consumerUsage(quint16(u)))
            names << mediaName(quint16(u));
    for (int m = 0; m < 16; ++m)
        names << mouseLongName(quint8(m)) << mouseShortName(quint8(m));
    for (const ProcreateShortcut &p : procreateShortcuts())
        names << p.label << p.shortLabel;
    names << QStringLiteral("LCtrl + LShift + LAlt + LWin + A + B")
          << QStringLiteral("RCtrl + RShift + F12") << QStringLiteral("LShift -> H -> e -> l -> l -> o")
          << QStringLiteral("a -> b");
    names.removeDuplicates();
    // These must never be cut: they differ in their first word only (the wheel names as the
    // base keys page shows them, with arrows).
    const QStringList mustBeWhole = {QStringLiteral("Next Track"), QStringLiteral("Prev Track"),
                                     QStringLiteral("Mouse Wheel \u2193"), QStringLiteral("Ctrl+Wheel \u2193"),
                                     QStringLiteral("Play/Pause"), QStringLiteral("LCtrl + C")};

    QStringList faults;
    for (const UiText::Language lang : {UiText::Language::English, UiText::Language::Chinese}) {
        for (const double scale : {0.8, 1.0, 1.5}) {
            // 72 px is the smallest key of the presets.
            KeyButton button{QString()};
            button.setBaseSize(72);
            button.setScale(scale);
            const QRect box = KeyCaption::captionBox(QRect(0, 0, button.keySize(), button.keySize()));
            QHash<QString, QString> shownBy;
            for (const QString &english : names + mustBeWhole) {
                const QString name = UiText::text(english, lang);
                button.setText(name);
                const QString shown = button.displayedText();
                const QFont font = button.captionFont();
                const QFontMetrics fm(font);
                const QStringList lines = shown.split(QLatin1Char('\n'));
                const QString where = QStringLiteral("%1 @%2: \"%3\" shows \"%4\"")
                                          .arg(lang == UiText::Language::Chinese ? "zh" : "en")
                                          .arg(scale).arg(name, QString(shown).replace('\n', '|'));
                if (!shown.startsWith(name.left(1)))
                    faults << where + QStringLiteral(" (not its beginning)");
                for (const QString &line : lines)
                    if (fm.horizontalAdvance(line) > box.width())
                        faults << where + QStringLiteral(" (too wide)");
                if (lines.size() > 2 || lines.size() * fm.height() > button.keySize())
                    faults << where + QStringLiteral(" (too tall)");
                if (font.pixelSize() < KeyCaption::minimumPixelSize(scale))
                    faults << where + QStringLiteral(" (font below the minimum)");
                const bool whole = !shown.contains(QChar(0x2026));
                if (mustBeWhole.contains(english) && !whole)
                    faults << where + QStringLiteral(" (cut)");
                // Two distinct names shown whole never read the same (a direction word and
                // its arrow are the same name: "Mouse Wheel Down" may show "Mouse Wheel ↓").
                if (whole && shownBy.contains(shown) && withArrows(shownBy.value(shown)) != withArrows(name))
                    faults << where + QStringLiteral(" (looks like \"%1\")").arg(shownBy.value(shown));
                if (whole)
                    shownBy.insert(shown, name);
            }
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
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

    // Lit a little while hovered: white text keeps 4.5:1 on it (at 120 % it would not).
    hover(button, true);
    QCOMPARE(QColor(render(button).pixel(inside)), QColor(100, 100, 100).lighter(115));
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
    // Green and white do not reach 4.5:1 on this blue: both take a shade that does.
    QVERIFY(Contrast::ratio(button.numberColor(), button.fillColor()) >= Contrast::TEXT);
    QVERIFY(Contrast::ratio(button.captionColor(), button.fillColor()) >= Contrast::TEXT);
    // On a light LED colour the green number and the white caption would vanish.
    button.setText(QStringLiteral("Tab"));
    button.setAssigned(true);
    for (const QColor &light : {QColor(0, 255, 0), QColor(255, 255, 0), QColor(255, 255, 255)}) {
        button.setCustomColor(light);
        QVERIFY2(Contrast::ratio(button.numberColor(), light) >= Contrast::TEXT,
                 qPrintable(button.numberColor().name() + light.name()));
        if (light != Qt::white)
            QCOMPARE(columns(render(button), isWhite).first, -1);
    }
    button.setText(QString());
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
            gold = qRed(p) > 230 && qGreen(p) > 190 && qBlue(p) < qGreen(p) - 40;
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
    for (KeyButton *b : {knobSlot, plain})
        connect(b, &KeyButton::forwardedClick, &window, &ClickSink::take);
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

    // A button nobody takes forwarded clicks from is not swallowed.
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
    QCOMPARE(button->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);

    button->resize(size);
    page.show();
    QCOMPARE(button->cornerRect(), label);
    QCOMPARE(button->cornerFont().pointSize(), points);
    QVERIFY(button->cornerFont().bold());
    // The legend is drawn on the cap, inside its corner and nowhere else: against the same
    // key without one, every pixel that differs lies in the corner.
    DualCharButton *plain = new DualCharButton(QStringLiteral("1"), QString(), &page);
    plain->resize(size);
    plain->show();
    const QImage with = button->grab().toImage();
    const QImage without = plain->grab().toImage();
    int differing = 0;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
            if (with.pixel(x, y) != without.pixel(x, y)) {
                ++differing;
                QVERIFY2(label.contains(x, y), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
    QVERIFY(differing > 0);

    // The legend never swallows the click meant for the key.
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton, {}, label.center());
    QCOMPARE(clicks.count(), 1);
}

QTEST_MAIN(TstKeyButton)
#include "tst_keybutton.moc"
