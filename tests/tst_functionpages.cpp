// The function pages: which page each row shows for each kind of keypad (no window needed),
// and a page built only when first shown looks as if it had been there all along.
#include "app/functionpages.h"
#include "app/pagerouting.h"
#include "app/widget.h"
#include "i18n/uitext.h"
#include "model/records.h"
#include "pages/mousepage.h"
#include "support/windowharness.h"

#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

using testsupport::configFrom;
using testsupport::spinUntil;

class TstFunctionPages : public QObject
{
    Q_OBJECT

private slots:
    void routingPerKeypad();
    void lateBuiltPageTakesScaleAndLanguage();
};

void TstFunctionPages::routingPerKeypad()
{
    using K = PageRouting::Keypad;
    QCOMPARE(PageRouting::keypadOf(false, LegacyDeviceInfo::R10Udav), K::Current); // no legacy link
    QCOMPARE(PageRouting::keypadOf(true, LegacyDeviceInfo::R10Udav), K::R10Udav);
    QCOMPARE(PageRouting::keypadOf(true, LegacyDeviceInfo::Old), K::Old);
    QCOMPARE(PageRouting::keypadOf(true, 7), K::Current); // a format the program does not know

    struct Case {
        PageRouting routing;
        PageRouting::Page lighting, macro;
        bool ledColours;
        const char *macroRow;
    };
    const Case cases[] = {
        {PageRouting(), PageRouting::RgbLed, PageRouting::Macro, true, "Macro Key"}, // no keypad
        {PageRouting(K::Current), PageRouting::RgbLed, PageRouting::Macro, true, "Macro Key"},
        {PageRouting(K::R10Udav), PageRouting::LegacyRgbLed, PageRouting::LegacyDelay, true, "DelaySetting"},
        // The "Old" keypad lights all keys in one colour: the panel keeps its captions.
        {PageRouting(K::Old), PageRouting::LegacyOldRgbLed, PageRouting::LegacyOldDelay, false, "DelaySetting"},
    };
    for (const Case &c : cases) {
        for (int row = 0; row < PageRouting::RowCount; ++row) {
            const PageRouting::Page expected = row == PageRouting::LightingRow ? c.lighting
                                             : row == PageRouting::MacroRow  ? c.macro
                                                                             : PageRouting::Page(row);
            QCOMPARE(c.routing.pageForRow(row), expected);
            QCOMPARE(c.routing.showsLedColours(row), row == PageRouting::LightingRow && c.ledColours);
        }
        QCOMPARE(c.routing.macroRowText(), QString::fromLatin1(c.macroRow));
    }
}

void TstFunctionPages::lateBuiltPageTakesScaleAndLanguage()
{
    Widget w(configFrom("language=en\n"));
    w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    FunctionPages *pages = w.functionPages();
    QVERIFY(pages->builtPage(PageRouting::BaseKeys)); // the page in view
    QVERIFY(!pages->builtPage(PageRouting::Mouse));
    QCOMPARE(w.functionStack()->count(), int(PageRouting::PageCount)); // the stand-ins keep the order
    QCOMPARE(w.functionList()->count(), PageRouting::RowCount);

    // Language and scale change while the page does not exist yet.
    w.setChinese(true);
    const QSize smaller(1200, 880); // scale 0.8
    w.resize(smaller);
    QVERIFY(spinUntil([&] { return w.laidOutSize() == smaller; }));
    QVERIFY(!pages->builtPage(PageRouting::Mouse));

    w.functionList()->setCurrentRow(4);
    auto *mouse = qobject_cast<MousePage *>(w.functionStack()->currentWidget());
    QVERIFY(mouse);
    QCOMPARE(w.functionStack()->indexOf(mouse), int(PageRouting::Mouse));
    QCOMPARE(w.functionList()->item(4)->text(), UiText::text(QStringLiteral("Mouse"), UiText::Language::Chinese));
    const auto buttons = mouse->findChildren<QPushButton *>();
    QPushButton *left = nullptr;
    for (QPushButton *b : buttons)
        if (b->text() == UiText::text(QStringLiteral("Mouse LeftKey"), UiText::Language::Chinese))
            left = b;
    QVERIFY2(left, "the page's texts are in Chinese");
    QCOMPARE(left->font().pixelSize(), 13); // 16 px at scale 1
    QCOMPARE(mouse->minimumHeight(), 240);  // the page area's height at 0.8
    w.setChinese(false);
}

QTEST_MAIN(TstFunctionPages)
#include "tst_functionpages.moc"
