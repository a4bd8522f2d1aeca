// The separate LED column of the knob-only keypad: where it sits, how each LED shows its
// colour, when the LEDs can be picked, and the colour picker editing the picked LED.
#include "app/appconfig.h"
#include "app/standaloneledlayout.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "controls/rgbcolorpickerwidget.h"
#include "pages/rgbledpage.h"
#include "support/pageharness.h"
#include "support/windowharness.h"

#include <QFrame>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using testsupport::saveShot;
using testsupport::configFrom;

namespace {

QPushButton *led(const Widget &w, int i)
{
    return w.standaloneLedButtons().value(i);
}

} // namespace

class TstStandaloneLeds : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }

    void onlyTheKnobOnlyLayoutHasThem()
    {
        const StandaloneLedLayoutConfig none = StandaloneLedLayoutConfig::forLayout(
            QStringLiteral("Layout_0K_1E_P0_S0"));
        QVERIFY(!none.enabled);
        QVERIFY(none.leds.isEmpty());
        QCOMPARE(none.size, QSize(-1, -1));
        const StandaloneLedLayoutConfig c = StandaloneLedLayoutConfig::forLayout(
            QStringLiteral("Layout_0K_1E_P1_S1"));
        QVERIFY(c.enabled);
        QCOMPARE(c.leds.size(), 4);
        QCOMPARE(c.leds.at(2).name, QStringLiteral("LED3"));
        QCOMPARE(c.leds.at(2).rect, QRect(QPoint(0, 184), QPoint(109, 253)));

        Widget w(configFrom(""));
        w.applyPhysicalLayout(w.buildDefault16Plus3Layout());
        QVERIFY(!w.standaloneLedContainer()); // never needed, never made
        w.applyPhysicalLayout(w.build0Plus1LayoutP1S1());
        QVERIFY(w.standaloneLedContainer());
        QCOMPARE(w.standaloneLedContainer()->objectName(), QStringLiteral("standaloneLedContainer"));
        QVERIFY(!w.standaloneLedContainer()->isHidden());
        // Another layout hides the column but keeps it for later.
        w.applyPhysicalLayout(w.build0Plus1Layout());
        QVERIFY(w.standaloneLedContainer()->isHidden());
        w.applyPhysicalLayout(w.build0Plus1LayoutP1S1());
        QVERIFY(!w.standaloneLedContainer()->isHidden());
        QCOMPARE(w.standaloneLedButtons().size(), 4);
    }

    void geometryAtScaleOne()
    {
        Widget w(configFrom(""));
        w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT); // the first show takes its scale
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.applyPhysicalLayout(w.build0Plus1LayoutP1S1());
        QWidget *column = w.standaloneLedContainer();
        QFrame *frame = w.physicalPanelFrame();
        // The scale-1 sizes, at the scale of the panel (a panel in a roomy group grows).
        const auto sc = [&w](int v) { return nearestPx(v * w.panelScale()); };
        const auto expected = [&] {
            const QPoint f = frame->mapTo(column->parentWidget(), QPoint(0, 0));
            return QRect(f.x() + frame->width() + sc(33), f.y() + sc(18), sc(132), sc(356));
        };
        QTRY_COMPARE(column->geometry(), expected());
        QCOMPARE(led(w, 2)->geometry(), QRect(0, sc(184), sc(110), sc(70)));
        QCOMPARE(led(w, 0)->geometry(), QRect(0, 0, sc(110), sc(70)));
        QCOMPARE(led(w, 3)->text(), QStringLiteral("LED4"));
        QCOMPARE(led(w, 3)->property("ledIndex").toInt(), 3);

        // The column follows the frame when the window relays the panel out.
        w.resize(w.width() + 200, w.height());
        QTRY_COMPARE(column->geometry(), expected());
        saveShot(&w, QStringLiteral("standalone-leds-window"));
    }

    void coloursAndSelection()
    {
        Widget w(configFrom(""));
        w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        KeyboardData *m = w.keyboardData();
        m->setLedColor(0, 0, LedColorData{255, 255, 0});
        m->setLedColor(0, 1, LedColorData{0, 0, 255});
        m->setLedColor(0, 2, LedColorData{130, 130, 130}); // white would read 3.9:1: dark text
        m->setLedColor(0, 3, LedColorData{150, 150, 150}); // 150: dark text
        m->setLedColor(1, 1, LedColorData{10, 250, 10});
        m->clearChangeFlags();
        w.applyPhysicalLayout(w.build0Plus1LayoutP1S1());

        const auto style = [&](int i) { return led(w, i)->styleSheet(); };
        QVERIFY(style(0).contains(QLatin1String("background-color:#ffff00; color:#181818;")));
        QVERIFY(style(1).contains(QLatin1String("background-color:#0000ff; color:#ffffff;")));
        QVERIFY(style(2).contains(QLatin1String("color:#181818;")));
        QVERIFY(style(3).contains(QLatin1String("color:#181818;")));
        QVERIFY(style(0).contains(QStringLiteral("border:2px solid #5c5c5c; border-radius:%1px; font-size:%2px;")
                                      .arg(nearestPx(10 * w.panelScale())).arg(nearestPx(16 * w.panelScale()))));
        QVERIFY(style(0).contains(QLatin1String("QPushButton:checked { border:4px solid #ffffff; }")));

        // Outside the RGB LED page: coloured, but not pickable and none checked.
        for (QPushButton *b : w.standaloneLedButtons()) {
            QVERIFY(!b->isChecked());
            QVERIFY(b->testAttribute(Qt::WA_TransparentForMouseEvents));
            QCOMPARE(b->cursor().shape(), Qt::ArrowCursor);
        }
        w.selectStandaloneLedIndex(2);
        QCOMPARE(w.selectedStandaloneLed(), 0);

        // On the page: the first LED is picked and the picker shows its colour.
        RgbColorPickerWidget *picker = w.rgbLedPage()->colorPicker();
        QSignalSpy announced(picker, &RgbColorPickerWidget::colorChanged);
        w.functionList()->setCurrentRow(3);
        QVERIFY(led(w, 0)->isChecked());
        QCOMPARE(led(w, 0)->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!led(w, 0)->testAttribute(Qt::WA_TransparentForMouseEvents));
        QCOMPARE(picker->color().rgb(), QColor(255, 255, 0).rgb());

        QTest::mouseClick(led(w, 1), Qt::LeftButton);
        QCOMPARE(w.selectedStandaloneLed(), 1);
        QVERIFY(led(w, 1)->isChecked() && !led(w, 0)->isChecked());
        QCOMPARE(picker->color().rgb(), QColor(0, 0, 255).rgb());
        QCOMPARE(announced.count(), 0);

        // The picker now edits LED 2 of the layer (index 1), nothing else.
        emit picker->colorChanged(QColor(250, 250, 250));
        QCOMPARE(m->ledConfig(0).colors[1], (LedColorData{250, 250, 250}));
        for (int i = 0; i < LayerLedConfigData::LED_COUNT; ++i)
            QCOMPARE(m->ledConfig(0).colorDirty[size_t(i)], i == 1);
        QVERIFY(style(1).contains(QLatin1String("background-color:#fafafa; color:#181818;")));

        // Not an LED of the column: the first one is taken instead.
        w.selectStandaloneLedIndex(7);
        QCOMPARE(w.selectedStandaloneLed(), 0);
        QVERIFY(led(w, 0)->isChecked());

        // A layer switch shows that layer's colours.
        QTest::mouseClick(w.layerButton(1), Qt::LeftButton);
        QVERIFY(style(1).contains(QLatin1String("background-color:#0afa0a;")));
        w.setFixedSize(1500, 1000);
        QTest::qWait(100);
        saveShot(&w, QStringLiteral("standalone-leds-rgb-page"));

        // Leaving the page: checks go, colours stay.
        w.functionList()->setCurrentRow(0);
        for (QPushButton *b : w.standaloneLedButtons())
            QVERIFY(!b->isChecked());
        QVERIFY(!w.standaloneLedContainer()->isHidden());
        QVERIFY(style(1).contains(QLatin1String("background-color:#0afa0a;")));
        emit picker->colorChanged(QColor(1, 1, 1));
        QCOMPARE(m->ledConfig(1).colors[0], (LedColorData{255, 255, 0}));
    }
};

QTEST_MAIN(TstStandaloneLeds)
#include "tst_standaloneleds.moc"
