#include "app/appconfig.h"
#include "model/layoutpresets.h"
#include "app/panelfit.h"
#include "app/widget.h"
#include "app/windowscaler.h"
#include "i18n/uitext.h"
#include "controls/fittinglabel.h"
#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "pages/multimediapage.h"
#include "support/logcapture.h"

#include <QDir>
#include <QFrame>
#include <QListWidget>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyleOptionButton>
#include <QTextEdit>
#include <QtTest>

namespace {

AppConfig config(const char *text)
{
    AppConfig c;
    c.parse(QByteArray(text));
    return c;
}

QSize sizeAtScale(double s)
{
    return QSize(qRound(Widget::DESIGN_WIDTH * s), qRound(Widget::DESIGN_HEIGHT * s));
}

// Resizes the shown window and lets the debounced relayout run.
bool resizeAndSettle(Widget &w, const QSize &size)
{
    w.resize(size);
    QTest::qWait(40);
    return QTest::qWaitFor([&] { return w.size() == size; }, 2000);
}

void saveShot(QWidget &w, const QString &name)
{
    const QString dir = qEnvironmentVariable("MPS_SHOTS_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    w.grab().save(QStringLiteral("%1/%2.png").arg(dir, name));
}

// The rectangle a push button leaves for its text (border and style-sheet padding taken off),
// and the room the text needs in the button's own font.
struct TextFit
{
    QRect room;
    QSize need;
};

TextFit textFitOf(QPushButton *b)
{
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    opt.icon = b->icon();
    opt.iconSize = b->iconSize();
    opt.features = b->isFlat() ? QStyleOptionButton::Flat : QStyleOptionButton::None;
    TextFit fit;
    fit.room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
    const QFontMetrics fm(b->font());
    fit.need = fm.boundingRect(QRect(0, 0, 4000, 4000), Qt::AlignCenter | Qt::TextShowMnemonic,
                               b->text())
                   .size();
    if (!b->icon().isNull())
        fit.need.rwidth() += b->iconSize().width() + 4;
    return fit;
}

} // namespace

class TstScaling : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void scaleFromWindowSize_data();
    void scaleFromWindowSize();
    void smallChangesAndBurstsOfResizes();
    void baseKeysFollowTheScaleFromTheFirstFrame();
    void scalerOnABareWindow();
    void widthBoundElements();
    void lightingPageAfterMaximised();
    void presetsStayInsideTheFrame_data();
    void presetsStayInsideTheFrame();
    void pageTextsFitTheirButtons_data();
    void pageTextsFitTheirButtons();
    void wholePanelOnCommonScreens_data();
    void wholePanelOnCommonScreens();
    void smallPanelGrowsIntoItsRoom();
};

void TstScaling::initTestCase()
{
    initKnobResources();
}

void TstScaling::scaleFromWindowSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("scale");
    QTest::newRow("design") << QSize(1500, 1100) << 1.0;
    QTest::newRow("narrow, floor") << QSize(1200, 1100) << 0.8;
    QTest::newRow("minimum window, floor") << QSize(1000, 600) << 0.8;
    QTest::newRow("double") << QSize(3000, 2200) << 2.0;
    QTest::newRow("height decides") << QSize(3000, 1650) << 1.5;
    QTest::newRow("width decides") << QSize(1800, 2200) << 1.2;
    QTest::newRow("just above floor") << QSize(1275, 1100) << 0.85;
}

void TstScaling::scaleFromWindowSize()
{
    QFETCH(QSize, size);
    QFETCH(double, scale);
    QVERIFY(qAbs(Widget::scaleForSize(size) - scale) < 1e-9);

    // The window itself: shown at the design size it starts at 1.0 and takes the new scale
    // once the resizing pauses, with the function buttons' font following.
    Widget w(config(""));
    w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.scaleRatio(), 1.0);
    QVERIFY(resizeAndSettle(w, size));
    QVERIFY(QTest::qWaitFor([&] { return qAbs(w.scaleRatio() - scale) < 1e-9; }, 2000));
    // 32 px at scale 1, scaled, never below 20; smaller (not below 14 px) where the window
    // is too narrow for the text beside the panel (see widthBoundElements).
    const int fontPx = qMax(20, qRound(32 * scale));
    const int px = w.saveSettingsButton()->font().pixelSize();
    QVERIFY2(px <= fontPx && px >= Widget::COMMAND_FONT_FLOOR_PX, qPrintable(QString::number(px)));
    if (size == QSize(1500, 1100) || size == QSize(3000, 2200))
        QCOMPARE(px, fontPx);
    // On a short window the four buttons share the row beside the panel instead.
    if (size.height() >= qRound(Widget::DESIGN_HEIGHT * scale))
        QCOMPARE(w.clearButton()->minimumHeight(), qMax(50, qRound(70 * scale)));
    else
        QVERIFY(w.clearButton()->minimumHeight() <= qMax(50, qRound(70 * scale)));
    QCOMPARE(w.functionList()->width(), qBound(100, qRound(120 * scale * 1.5 * 0.8), 250));
}

void TstScaling::smallChangesAndBurstsOfResizes()
{
    testsupport::LogCapture log;
    Widget w(config(""));
    w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(30);
    log.clear();
    const QString sheetAtOne = w.clearButton()->styleSheet();
    const QString listSheetAtOne = w.functionList()->styleSheet();

    // 1494 x 1100: scale 0.996, under the threshold. Neither fonts nor layout move.
    w.resize(1494, 1100);
    QCOMPARE(w.clearButton()->styleSheet(), sheetAtOne);
    QCOMPARE(w.functionList()->styleSheet(), listSheetAtOne);
    QTest::qWait(60);
    QCOMPARE(log.count(QStringLiteral("[Scale] relayout")), 0);
    QCOMPARE(w.scaleRatio(), 1.0);

    // 1484 x 1100: scale 0.9893, just over the threshold: fonts change at once, before any
    // event loop turn (the page in view too), and the relayout follows.
    const QString pageSheetAtOne = w.functionStack()->currentWidget()->styleSheet();
    const QString mediaSheetAtOne = w.multiMediaPage()->styleSheet();
    w.resize(1484, 1100);
    QVERIFY(w.clearButton()->styleSheet() != sheetAtOne);
    QVERIFY(w.functionStack()->currentWidget()->styleSheet() != pageSheetAtOne);
    QCOMPARE(log.count(QStringLiteral("[Scale] relayout")), 0);
    QVERIFY(QTest::qWaitFor([&] { return log.count(QStringLiteral("[Scale] relayout")) == 1; }, 2000));
    QVERIFY(qAbs(w.scaleRatio() - 1484 / 1500.0) < 1e-9);

    // A burst of resizes with no pause between them: one relayout, at the last size.
    log.clear();
    const QSize burst[] = {QSize(1600, 1200), QSize(1800, 1300), QSize(2100, 1500),
                           QSize(2400, 1700), QSize(2250, 1650)};
    for (const QSize &s : burst)
        w.resize(s);
    QTest::qWait(80);
    QCOMPARE(log.count(QStringLiteral("[Scale] relayout")), 1);
    QCOMPARE(w.scaleRatio(), 1.5);
    // The panel follows at that scale, or larger where its group has room for more.
    QVERIFY(w.panelScale() >= 1.5);
    QCOMPARE(w.buttonAt(0)->width(), qRound(w.currentLayout().keySize * w.panelScale()));
    // Pages out of view follow the relayout, one per event-loop turn: 18 px x 1.5 on the
    // media page.
    QVERIFY(QTest::qWaitFor([&] {
        return w.multiMediaPage()->styleSheet().contains(QLatin1String("font-size: 27px"));
    }, 2000));
    QVERIFY(w.multiMediaPage()->styleSheet() != mediaSheetAtOne);

    // Back and forth inside the burst: ending near the applied scale still applies the
    // last target (the fonts of the intermediate size must not stay).
    log.clear();
    w.resize(1500, 1100);
    w.resize(2251, 1651);
    QTest::qWait(80);
    QVERIFY(log.count(QStringLiteral("[Scale] relayout")) <= 1);
    QVERIFY(qAbs(w.scaleRatio() - 1.5) < 0.01);
    QCOMPARE(w.clearButton()->styleSheet(),
             QStringLiteral("QPushButton { font-size: 48px; font-weight: bold; min-height: 105px; }"));
}

// The key captions of the first page are sized for the window's scale in the first frame, as
// they are after any later rescale to the same size.
void TstScaling::baseKeysFollowTheScaleFromTheFirstFrame()
{
    Widget w(config(""));
    w.resize(1024, 768);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(QTest::qWaitFor([&] { return qAbs(w.scaleRatio() - 0.8) < 1e-9; }, 2000));
    QWidget *page = w.functionStack()->currentWidget();
    auto captionPx = [page](int usage) {
        for (QPushButton *b : page->findChildren<QPushButton *>())
            if (b->property("keycode").toInt() == usage)
                return QFontInfo(b->font()).pixelSize();
        return -1;
    };
    // 12 px and 10 px (Tab) at scale 1, times 1.5, at 0.8: 14 and 12.
    const int q = 0x14, tab = 0x2B;
    QCOMPARE(captionPx(q), 14);
    QCOMPARE(captionPx(tab), 12);
    QVERIFY(resizeAndSettle(w, QSize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT)));
    QCOMPARE(captionPx(q), 18);
    QVERIFY(resizeAndSettle(w, QSize(1024, 768)));
    QCOMPARE(captionPx(q), 14);
    QCOMPARE(captionPx(tab), 12);
}

// The scaler's decisions on a plain window: one relayout at the first show, fonts at every
// resize that changes the scale but one relayout for a burst, and a refit without relayout
// when only the size changes.
void TstScaling::scalerOnABareWindow()
{
    QWidget window;
    window.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT);
    WindowScaler scaler(&window);
    QSignalSpy first(&scaler, &WindowScaler::firstShown);
    QSignalSpy fonts(&scaler, &WindowScaler::fontsRescaled);
    QSignalSpy relayout(&scaler, &WindowScaler::relayoutRequested);
    QSignalSpy refit(&scaler, &WindowScaler::refitRequested);
    QSignalSpy rescaled(&scaler, &WindowScaler::rescaled);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(first.count(), 1);
    QCOMPARE(relayout.count(), 1);
    QCOMPARE(relayout.at(0).at(0).toDouble(), 1.0);
    QCOMPARE(fonts.count(), 0); // the relayout sets them: one pass over the fonts, not two
    QCOMPARE(scaler.laidOutSize(), window.size());
    window.hide();
    window.show();
    QCOMPARE(first.count(), 1);

    fonts.clear();
    relayout.clear();
    for (const QSize &s : {QSize(1200, 880), QSize(1350, 990), QSize(1425, 1045)})
        window.resize(s);
    QCOMPARE(fonts.count(), 3);
    QVERIFY(QTest::qWaitFor([&] { return rescaled.count() == 1; }, 2000));
    QCOMPARE(relayout.count(), 1);
    QVERIFY(qAbs(relayout.at(0).at(0).toDouble() - 0.95) < 1e-9);
    QVERIFY(qAbs(scaler.scaleRatio() - 0.95) < 1e-9);
    QCOMPARE(refit.count(), 0);

    fonts.clear();
    window.resize(1600, 1045);
    QVERIFY(QTest::qWaitFor([&] { return refit.count() == 1; }, 2000));
    QCOMPARE(fonts.count(), 0);
    QCOMPARE(relayout.count(), 1);
    QCOMPARE(scaler.laidOutSize(), QSize(1600, 1045));
}

void TstScaling::widthBoundElements()
{
    Widget w(config(""));
    w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.layerButton(0)->width(), 96);

    struct Case { QSize size; int layer; int display; };
    const Case cases[] = {
        {QSize(800, 600), 80, Widget::DISPLAY_MINIMUM_WIDTH}, // minimum window: gives way to the panel
        {QSize(1252, 1100), 80, 250},   // 250.4 rounds to the lower bound
        {QSize(1253, 1100), 80, 251},   // 250.6 rounds up, now above it
        {QSize(1500, 1100), 96, 300},
        {QSize(2000, 1100), 128, 400},  // wider only: the scale stays 1.0, the widths follow
        {QSize(2497, 1900), 160, 499},
        {QSize(2498, 1900), 160, 500},  // 499.6 rounds to the upper bound
        {QSize(3000, 2200), 192, 500},
    };
    for (const Case &c : cases) {
        QVERIFY(resizeAndSettle(w, c.size));
        const QString where = QStringLiteral("%1x%2").arg(c.size.width()).arg(c.size.height());
        // Two neighbouring sizes can give the same layer width, so wait for both widths the
        // relayout sets: the layer buttons alone may already be right before it ran.
        const auto displayWidth = [&] { return w.keyFunctionDisplay()->parentWidget()->width(); };
        QVERIFY2(QTest::qWaitFor([&] { return w.layerButton(0)->width() == c.layer && displayWidth() == c.display; },
                                 2000),
                 qPrintable(where + QStringLiteral(" layer %1 display %2")
                                        .arg(w.layerButton(0)->width())
                                        .arg(displayWidth())));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(w.layerButton(i)->maximumWidth(), c.layer);
        // The command buttons keep their texts whole however narrow the window gets.
        for (QPushButton *b : {w.clearButton(), w.clearAllButton(), w.viewSettingsButton(),
                               w.saveSettingsButton()}) {
            const TextFit fit = textFitOf(b);
            QVERIFY2(fit.need.width() <= fit.room.width() + 1,
                     qPrintable(QStringLiteral("%1 \"%2\" needs %3, has %4")
                                    .arg(where, b->text()).arg(fit.need.width()).arg(fit.room.width())));
        }
    }
}

void TstScaling::lightingPageAfterMaximised()
{
    struct Case { const char *name; int row; bool maximiseFirst; int expectedHeight; };
    const Case cases[] = {
        {"lighting page, restored from maximised", 3, true, 1100},
        {"lighting page, never maximised", 3, false, 1400},
        {"other page, restored from maximised", 0, true, 1400},
    };
    for (const Case &c : cases) {
        Widget w(config(""));
        w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.functionList()->setCurrentRow(c.row);
        QCOMPARE(w.isRgbLedPageActive(), c.row == 3);
        // A tall normal geometry: what the window manager hands back on restore.
        QVERIFY(resizeAndSettle(w, QSize(1600, 1400)));
        if (c.maximiseFirst) {
            w.setWindowState(Qt::WindowMaximized);
            QVERIFY(QTest::qWaitFor([&] { return w.isMaximized(); }, 2000));
            QTest::qWait(40);
            w.setWindowState(Qt::WindowNoState);
            QVERIFY(QTest::qWaitFor([&] { return !w.isMaximized(); }, 2000));
        }
        QTest::qWait(80);
        QVERIFY2(QTest::qWaitFor([&] { return w.height() == c.expectedHeight; }, 1000),
                 qPrintable(QStringLiteral("%1: height %2").arg(QLatin1String(c.name)).arg(w.height())));
        QCOMPARE(w.width(), 1600);
        // Once only: a later tall resize on the same page is the user's choice.
        if (c.expectedHeight == 1100) {
            QVERIFY(resizeAndSettle(w, QSize(1600, 1300)));
            QTest::qWait(40);
            QCOMPARE(w.height(), 1300);
        }
    }
}

void TstScaling::presetsStayInsideTheFrame_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("scale");
    for (double s : {0.8, 1.0, 1.5, 2.0})
        for (int code = 0; code <= 9; ++code)
            QTest::newRow(qPrintable(QStringLiteral("%1 @%2")
                                         .arg(LayoutPresets::buildForCode(code).name)
                                         .arg(s)))
                << code << s;
}

void TstScaling::presetsStayInsideTheFrame()
{
    QFETCH(int, code);
    QFETCH(double, scale);
    Widget w(config(""));
    w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT);
    const PhysicalLayoutConfig preset = LayoutPresets::buildForCode(code);
    w.applyPhysicalLayout(preset);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    KeyboardData *model = w.keyboardData();
    for (int d : preset.usedDataIndices()) {
        model->selectKey(d);
        model->applyBaseKey(quint8(0x04 + (d % 26)));
    }
    model->selectKey(-1);

    const QSize target = scale >= 1.0 ? sizeAtScale(scale) : QSize(1200, 1100);
    QVERIFY(resizeAndSettle(w, target));
    QVERIFY(QTest::qWaitFor([&] { return qAbs(w.scaleRatio() - scale) < 1e-9; }, 2000));
    QCoreApplication::processEvents();

    auto collect = [&]() {
        QVector<QRect> rects(Widget::TOTAL_BUTTON_COUNT);
        for (int b = 0; b < Widget::TOTAL_BUTTON_COUNT; ++b)
            if (QPushButton *button = w.buttonAt(b))
                rects[b] = QRect(button->mapTo(w.physicalPanelFrame(), QPoint(0, 0)), button->size());
        return rects;
    };

    QFrame *frame = w.physicalPanelFrame();
    const QRect frameRect = frame->rect();
    QVERIFY2(frame->parentWidget()->rect().contains(frame->geometry()),
             qPrintable(QStringLiteral("frame %1x%2 in group %3x%4")
                            .arg(frame->width()).arg(frame->height())
                            .arg(frame->parentWidget()->width()).arg(frame->parentWidget()->height())));

    // A panel may grow past the window scale into the room of its group.
    QVERIFY(w.panelScale() >= scale && w.panelScale() <= scale * PanelFit::MAXIMUM_GROWTH + 1e-9);
    const int keyEdge = qRound((preset.keySize > 0 ? preset.keySize : 80) * w.panelScale());
    const QVector<QRect> rects = collect();
    QVector<QRect> placed;
    for (int b = 0; b < Widget::TOTAL_BUTTON_COUNT; ++b) {
        QPushButton *button = w.buttonAt(b);
        if (!button)
            continue;
        const QRect r = rects.at(b);
        QVERIFY2(button->isVisible(), qPrintable(QString::number(b)));
        if (qobject_cast<KeyButton *>(button))
            QCOMPARE(r.width(), keyEdge);
        QVERIFY2(frameRect.adjusted(5, 5, -5, -5).contains(r),
                 qPrintable(QStringLiteral("slot %1 at %2,%3 %4x%5 outside frame %6x%7")
                                .arg(b).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())
                                .arg(frameRect.width()).arg(frameRect.height())));
        for (const QRect &other : qAsConst(placed))
            QVERIFY2(!other.intersects(r), qPrintable(QStringLiteral("slot %1 overlaps").arg(b)));
        placed.append(r);
    }

    // A preset applied to an already scaled window (a keypad plugged in after the resize)
    // lands where the relayout put it.
    w.applyPhysicalLayout(preset);
    QCoreApplication::processEvents();
    QCOMPARE(collect(), rects);

    saveShot(w, QStringLiteral("scale_%1_%2").arg(preset.name).arg(scale));
}

void TstScaling::pageTextsFitTheirButtons_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<bool>("chinese");
    for (double s : {0.8, 1.0, 1.5, 2.0}) {
        QTest::newRow(qPrintable(QStringLiteral("en @%1").arg(s))) << s << false;
        QTest::newRow(qPrintable(QStringLiteral("zh @%1").arg(s))) << s << true;
    }
}

void TstScaling::pageTextsFitTheirButtons()
{
    QFETCH(double, scale);
    QFETCH(bool, chinese);
    Widget w(config(chinese ? "language=ch" : "language=en"));
    w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QSize target = sizeAtScale(scale);
    QVERIFY(resizeAndSettle(w, target));
    QVERIFY(QTest::qWaitFor([&] { return qAbs(w.scaleRatio() - scale) < 1e-9; }, 2000));

    QStringList misfits;
    auto check = [&](QPushButton *b, const QString &where) {
        if (!b->isVisible() || b->text().isEmpty())
            return;
        const TextFit fit = textFitOf(b);
        // One pixel of slack for rounding in the style's own arithmetic.
        if (fit.need.width() > fit.room.width() + 1 || fit.need.height() > fit.room.height() + 1)
            misfits << QStringLiteral("%1 \"%2\": needs %3x%4, has %5x%6")
                           .arg(where, b->text().replace(QLatin1Char('\n'), QLatin1Char('|')))
                           .arg(fit.need.width()).arg(fit.need.height())
                           .arg(fit.room.width()).arg(fit.room.height());
    };

    for (QPushButton *b : {w.clearButton(), w.clearAllButton(), w.viewSettingsButton(), w.saveSettingsButton(),
                           w.layerButton(0), w.layerButton(1), w.layerButton(2)})
        check(b, QStringLiteral("window"));

    QListWidget *list = w.functionList();
    for (int row = 0; row < 7; ++row) {
        list->setCurrentRow(row);
        QTest::qWait(20);
        QWidget *page = w.functionStack()->currentWidget();
        const auto buttons = page->findChildren<QPushButton *>();
        for (QPushButton *b : buttons)
            check(b, QStringLiteral("page %1").arg(row));

        // The page list: every row's text inside its item.
        const QListWidgetItem *item = list->item(row);
        const QRect itemRect = list->visualItemRect(item);
        const int textWidth = QFontMetrics(list->font()).horizontalAdvance(item->text());
        if (textWidth > itemRect.width())
            misfits << QStringLiteral("list row %1 \"%2\": needs %3, has %4")
                           .arg(row).arg(item->text()).arg(textWidth).arg(itemRect.width());
        saveShot(w, QStringLiteral("scale_page%1_%2_%3").arg(row).arg(chinese ? "zh" : "en").arg(scale));
    }
    QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QLatin1Char('\n'))));
}

void TstScaling::wholePanelOnCommonScreens_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QSize>("screen");
    for (const QSize &screen : {QSize(800, 600), QSize(1024, 768), QSize(1280, 800), QSize(1366, 768),
                                QSize(1920, 1080)})
        for (int code = 0; code <= 9; ++code)
            QTest::newRow(qPrintable(QStringLiteral("%1 on %2x%3")
                                         .arg(LayoutPresets::buildForCode(code).name)
                                         .arg(screen.width()).arg(screen.height())))
                << code << screen;
}

// Every key, knob action and separate LED of every panel lies inside the window, unclipped
// by the widgets around it, and the page list shows all its rows, on the first show at the
// size a screen gives the window and again after resizing there from the design size.
void TstScaling::wholePanelOnCommonScreens()
{
    QFETCH(int, code);
    QFETCH(QSize, screen);
    Widget w(config(""));
    const QSize size = Widget::initialWindowSize(screen);
    w.resize(size);
    w.applyPhysicalLayout(LayoutPresets::buildForCode(code));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    auto check = [&](const QString &when) {
        QCoreApplication::processEvents();
        QStringList faults;
        QVector<QWidget *> controls;
        for (int b = 0; b < Widget::TOTAL_BUTTON_COUNT; ++b)
            if (QPushButton *button = w.buttonAt(b))
                controls << button;
        for (QPushButton *led : w.standaloneLedButtons())
            if (!led->isHidden())
                controls << led;
        for (QWidget *c : qAsConst(controls)) {
            const QRect inWindow(c->mapTo(&w, QPoint(0, 0)), c->size());
            if (!c->isVisible() || !w.rect().contains(inWindow)
                || c->visibleRegion() != QRegion(c->rect()))
                faults << QStringLiteral("%1 \"%2\" at %3,%4 %5x%6: visible %7x%8")
                              .arg(c->metaObject()->className(), c->property("buttonIndex").toString())
                              .arg(inWindow.x()).arg(inWindow.y()).arg(inWindow.width()).arg(inWindow.height())
                              .arg(c->visibleRegion().boundingRect().width())
                              .arg(c->visibleRegion().boundingRect().height());
        }
        if (w.functionList()->verticalScrollBar()->isVisible())
            faults << QStringLiteral("page list scrolls");
        // The pages below the panel and their list end inside the window too.
        for (QWidget *c : {static_cast<QWidget *>(w.functionList()), static_cast<QWidget *>(w.functionStack())}) {
            const QRect inWindow(c->mapTo(&w, QPoint(0, 0)), c->size());
            if (!w.rect().contains(inWindow))
                faults << QStringLiteral("%1 at %2,%3 %4x%5 leaves the window")
                              .arg(c->objectName()).arg(inWindow.x()).arg(inWindow.y())
                              .arg(inWindow.width()).arg(inWindow.height());
        }
        QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("%1 (%2x%3, panel scale %4): %5")
                                                  .arg(when).arg(w.width()).arg(w.height())
                                                  .arg(w.panelScale()).arg(faults.join(QStringLiteral("; ")))));
    };
    check(QStringLiteral("first show"));
    if (QTest::currentTestFailed())
        return;
    // On the smallest screen every page, not only the first, ends inside the window.
    if (screen == QSize(800, 600)) {
        QStringList outside;
        for (int row = 0; row < w.functionList()->count(); ++row) {
            w.functionList()->setCurrentRow(row);
            QCoreApplication::processEvents();
            const auto controls = w.functionStack()->currentWidget()->findChildren<QWidget *>();
            for (const QWidget *c : controls) {
                // What a scroll area holds is reached by scrolling; the area itself must fit.
                bool scrolled = false;
                for (const QWidget *p = c->parentWidget(); p && !scrolled; p = p->parentWidget())
                    scrolled = p->objectName() == QLatin1String("qt_scrollarea_viewport");
                const QRect inWindow(c->mapTo(&w, QPoint(0, 0)), c->size());
                if (!scrolled && c->isVisible() && !w.rect().contains(inWindow))
                    outside << QStringLiteral("page %1: %2 \"%3\" at %4,%5 %6x%7")
                                   .arg(row).arg(c->metaObject()->className(), c->objectName())
                                   .arg(inWindow.x()).arg(inWindow.y()).arg(inWindow.width()).arg(inWindow.height());
            }
        }
        w.functionList()->setCurrentRow(0);
        QVERIFY2(outside.isEmpty(), qPrintable(outside.mid(0, 8).join(QLatin1String("; "))));
    }
    saveShot(w, QStringLiteral("screen_%1_%2x%3").arg(LayoutPresets::buildForCode(code).name)
                    .arg(screen.width()).arg(screen.height()));
    QVERIFY(resizeAndSettle(w, QSize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT)));
    QVERIFY(resizeAndSettle(w, size));
    check(QStringLiteral("after a resize"));

    // The longest status the window shows stays whole on the smallest screen.
    auto *status = qobject_cast<FittingLabel *>(w.statusLabel());
    QVERIFY(status);
    for (const UiText::Language lang : {UiText::Language::English, UiText::Language::Chinese}) {
        status->setText(UiText::text(QStringLiteral("Connect the device with a usb cable"), lang));
        QVERIFY2(!status->displayedText().contains(QChar(0x2026)), qPrintable(status->displayedText()));
    }
}

// On a small screen a one-key pad grows past the window scale into the empty room of its
// group, so its caption is not drawn at the smallest size, while the pages below keep the
// height they have under a panel that does not grow.
void TstScaling::smallPanelGrowsIntoItsRoom()
{
    Widget w(config(""));
    w.resize(Widget::initialWindowSize(QSize(1024, 768)));
    w.applyPhysicalLayout(LayoutPresets::build6Plus1Layout());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCoreApplication::processEvents();
    QCOMPARE(w.panelScale(), w.scaleRatio());
    const int pagesHeight = w.functionStack()->height();

    w.applyPhysicalLayout(LayoutPresets::build1Plus0Layout());
    QCoreApplication::processEvents();
    QVERIFY2(w.panelScale() > w.scaleRatio() + 0.1, qPrintable(QString::number(w.panelScale())));
    QVERIFY(w.panelScale() <= w.scaleRatio() * PanelFit::MAXIMUM_GROWTH + 1e-9);
    QCOMPARE(w.functionStack()->height(), pagesHeight);
    QPushButton *key = w.buttonAt(0);
    QVERIFY(key && key->visibleRegion() == QRegion(key->rect()));

    // On a large screen too it grows with the window into its room, as the rest of the
    // window does, and the pages keep what they have.
    QVERIFY(resizeAndSettle(w, QSize(2250, 1650)));
    QVERIFY2(w.panelScale() > w.scaleRatio() + 0.1, qPrintable(QString::number(w.panelScale())));
    QVERIFY(w.panelScale() <= w.scaleRatio() * PanelFit::MAXIMUM_GROWTH + 1e-9);
}

QTEST_MAIN(TstScaling)
#include "tst_scaling.moc"
