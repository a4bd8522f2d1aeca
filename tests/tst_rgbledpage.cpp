// The RGB LED page in the window: effects offered per panel layout, mode and colour edits
// reaching exactly the right lighting flags, the picker following the selection, scaling,
// and the page as it looks in both languages.
#include "app/appconfig.h"
#include "i18n/uitext.h"
#include "app/widget.h"
#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "controls/rgbcolorpickerwidget.h"
#include "pages/rgbledpage.h"
#include "support/pageharness.h"
#include "support/windowharness.h"

#include <QButtonGroup>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

using testsupport::saveShot;
using testsupport::configFrom;

namespace {

// Renders go to $MACROPAD_SHOTS_DIR when it is set (for looking at the page by eye).
QStringList visibleModeTexts(RgbLedPage *page)
{
    QStringList texts;
    for (QPushButton *b : page->modeButtons())
        if (!b->isHidden())
            texts << b->text();
    return texts;
}

QPushButton *checkedModeButton(RgbLedPage *page)
{
    QPushButton *found = nullptr;
    for (QPushButton *b : page->modeButtons())
        if (b->isChecked()) {
            if (found)
                return nullptr; // two checked: as wrong as none
            found = b;
        }
    return found;
}

LayerLedConfigData lit(quint8 mode, const QColor &first)
{
    LayerLedConfigData c;
    c.mode = mode;
    c.colors[0] = LedColorData{quint8(first.red()), quint8(first.green()), quint8(first.blue())};
    return c;
}

bool anyColorDirty(const LayerLedConfigData &c)
{
    for (bool d : c.colorDirty)
        if (d)
            return true;
    return false;
}

} // namespace

class TstRgbLedPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }

    void effectsOfferedPerLayout_data()
    {
        QTest::addColumn<bool>("knobOnly");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("16 keys, 3 knobs")
            << false
            << QStringList{"Lights Off", "Steady Light", "Flowing Light", "Key Reactive",
                           "Rainbow Flow", "Wave", "Rainbow Marquee", "Breathing", "Ripple",
                           "Cross Ripple"};
        QTest::newRow("knob only with LEDs")
            << true
            << QStringList{"Lights Off", "Steady Light", "Key Reactive", "Forward Rainbow Flow",
                           "Reverse Rainbow Flow", "Breathing"};
    }

    void effectsOfferedPerLayout()
    {
        QFETCH(bool, knobOnly);
        QFETCH(QStringList, names);
        Widget w(configFrom(""));
        w.applyPhysicalLayout(knobOnly ? w.build0Plus1LayoutP1S1() : w.buildDefault16Plus3Layout());
        RgbLedPage *page = w.rgbLedPage();
        QVERIFY(page);

        const QVector<RgbModeOption> options = w.rgbModeOptionsForCurrentLayout();
        QCOMPARE(options.size(), names.size());
        QCOMPARE(visibleModeTexts(page), names);
        for (int i = 0; i < page->modeButtons().size(); ++i) {
            QPushButton *b = page->modeButtons().at(i);
            // Every cell stays so the grid keeps its shape; unused buttons are inert.
            QVERIFY(!page->modeCells().at(i)->isHidden());
            if (i < names.size()) {
                QCOMPARE(b->property("modeId").toInt(), i);
                QCOMPARE(page->modeGroup()->id(b), i);
                QVERIFY(b->isEnabled());
                QVERIFY(!b->testAttribute(Qt::WA_TransparentForMouseEvents));
            } else {
                QVERIFY(b->text().isEmpty());
                QVERIFY(!b->isEnabled());
                QVERIFY(!b->isChecked());
                QVERIFY(b->testAttribute(Qt::WA_TransparentForMouseEvents));
            }
        }
        // The default layer mode (1) is the checked effect.
        QCOMPARE(checkedModeButton(page), page->modeButtons().at(1));

        // The other layout offers the other table on the same buttons.
        w.applyPhysicalLayout(knobOnly ? w.buildDefault16Plus3Layout() : w.build0Plus1LayoutP1S1());
        QCOMPARE(visibleModeTexts(page).size(), knobOnly ? 10 : 6);
        QCOMPARE(page->modeButtons().at(3)->text(),
                 knobOnly ? QStringLiteral("Key Reactive") : QStringLiteral("Forward Rainbow Flow"));
    }

    void unofferedStoredModeBecomesLightsOff()
    {
        Widget w(configFrom(""));
        KeyboardData *m = w.keyboardData();
        m->loadLedConfigs({lit(7, Qt::red), lit(3, Qt::green), lit(9, Qt::blue), lit(5, Qt::red)});
        QVERIFY(!m->hasLedChanges());

        // The full table offers every stored mode: nothing moves.
        w.applyPhysicalLayout(w.buildDefault16Plus3Layout());
        QVERIFY(!m->hasLedChanges());

        // The knob-only layout has no mode 7: the current layer falls back to 0 and must be
        // saved; layers not yet shown keep theirs until they are.
        w.applyPhysicalLayout(w.build0Plus1LayoutP1S1());
        QCOMPARE(int(m->ledConfig(0).mode), 0);
        QVERIFY(m->ledConfig(0).modeDirty);
        QVERIFY(!anyColorDirty(m->ledConfig(0)));
        QCOMPARE(int(m->ledConfig(2).mode), 9);
        QVERIFY(!m->ledConfig(2).modeDirty);
        QCOMPARE(checkedModeButton(w.rgbLedPage()), w.rgbLedPage()->modeButtons().at(0));

        // Showing the page on another layer fixes that layer too; a valid mode stays.
        w.functionList()->setCurrentRow(3);
        m->setCurrentLayer(2);
        w.refreshPhysicalKeyDisplayMode();
        QCOMPARE(int(m->ledConfig(2).mode), 0);
        QVERIFY(m->ledConfig(2).modeDirty);
        m->setCurrentLayer(1);
        w.refreshPhysicalKeyDisplayMode();
        QCOMPARE(int(m->ledConfig(1).mode), 3);
        QVERIFY(!m->ledConfig(1).modeDirty);
        QCOMPARE(checkedModeButton(w.rgbLedPage())->text(), QStringLiteral("Forward Rainbow Flow"));
    }

    void modeClicksSetOnlyTheModeFlag()
    {
        Widget w(configFrom(""));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        KeyboardData *m = w.keyboardData();
        w.functionList()->setCurrentRow(3);
        RgbLedPage *page = w.rgbLedPage();

        QTest::mouseClick(page->modeButtons().at(7), Qt::LeftButton);
        QCOMPARE(int(m->ledConfig(0).mode), 7);
        QVERIFY(m->ledConfig(0).modeDirty);
        QVERIFY(!anyColorDirty(m->ledConfig(0)));
        QVERIFY(!m->ledConfig(1).anyDirty());
        QCOMPARE(checkedModeButton(page), page->modeButtons().at(7));

        // The same effect again is no change.
        m->clearChangeFlags();
        QTest::mouseClick(page->modeButtons().at(7), Qt::LeftButton);
        QVERIFY(!m->hasLedChanges());

        // Each layer keeps its own effect; the checked button follows the layer.
        QTest::mouseClick(w.layerButton(1), Qt::LeftButton);
        QCOMPARE(m->currentLayer(), 1);
        QCOMPARE(checkedModeButton(page), page->modeButtons().at(1));
        QTest::mouseClick(page->modeButtons().at(0), Qt::LeftButton);
        QCOMPARE(int(m->ledConfig(1).mode), 0);
        QTest::mouseClick(w.layerButton(0), Qt::LeftButton);
        QCOMPARE(checkedModeButton(page), page->modeButtons().at(7));

        // A hidden effect of the knob-only layout cannot be clicked into the model.
        w.applyPhysicalLayout(w.build0Plus1LayoutP1S1()); // mode 7 is moved to 0 here
        m->clearChangeFlags();
        QTest::mouseClick(page->modeButtons().at(8), Qt::LeftButton);
        QCOMPARE(int(m->ledConfig(0).mode), 0);
        QVERIFY(!m->hasLedChanges());
    }

    void colourEditsGoToTheSelectedKey()
    {
        Widget w(configFrom(""));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.applyPhysicalLayout(w.buildDefault16Plus3Layout());
        KeyboardData *m = w.keyboardData();
        RgbColorPickerWidget *picker = w.rgbLedPage()->colorPicker();

        // Off the page the picker is not connected to any key.
        w.selectButton(2);
        emit picker->colorChanged(QColor(1, 2, 3));
        QVERIFY(!m->hasLedChanges());

        w.functionList()->setCurrentRow(3);
        QVERIFY(w.isRgbLedPageActive());
        QTest::mouseClick(w.buttonAt(2), Qt::LeftButton);
        QCOMPARE(m->selectedKey(), 2);
        const QPoint spot(picker->width() / 3, picker->squareHeight() / 4);
        QTest::mousePress(picker, Qt::LeftButton, {}, spot);
        QTest::mouseRelease(picker, Qt::LeftButton, {}, spot);
        const QColor picked = picker->color();
        QCOMPARE(m->ledConfig(0).colors[2].toColor().rgb(), picked.rgb());
        for (int i = 0; i < LayerLedConfigData::LED_COUNT; ++i)
            QCOMPARE(m->ledConfig(0).colorDirty[size_t(i)], i == 2);
        QVERIFY(!m->ledConfig(0).modeDirty);
        QVERIFY(!m->ledConfig(1).anyDirty());
        auto *key2 = qobject_cast<KeyButton *>(w.buttonAt(2));
        QCOMPARE(key2->customColor().rgb(), picked.rgb());

        // The very same colour again leaves the flags as they were.
        m->clearChangeFlags();
        QTest::mousePress(picker, Qt::LeftButton, {}, spot);
        QTest::mouseRelease(picker, Qt::LeftButton, {}, spot);
        QVERIFY(!m->hasLedChanges());

        // A knob action has no light: it cannot be picked here, and with one selected
        // before the page showed, moving the picker changes nothing.
        w.selectButton(16);
        QCOMPARE(m->selectedKey(), 2);
        w.functionList()->setCurrentRow(0);
        w.selectButton(16);
        QCOMPARE(m->selectedKey(), w.dataIndexFromButtonIndex(16));
        picker->setColor(QColor(9, 9, 9));
        w.functionList()->setCurrentRow(3);
        QCOMPARE(picker->color().rgb(), QColor(9, 9, 9).rgb()); // not moved to any key's colour
        emit picker->colorChanged(QColor(200, 100, 50));
        QVERIFY(!m->hasLedChanges());

        // With nothing selected nothing changes either.
        m->selectKey(-1);
        emit picker->colorChanged(QColor(200, 100, 50));
        QVERIFY(!m->hasLedChanges());
    }

    void pickerFollowsSelectionAndLayer()
    {
        Widget w(configFrom(""));
        w.applyPhysicalLayout(w.buildDefault16Plus3Layout());
        KeyboardData *m = w.keyboardData();
        m->setLedColor(0, 5, LedColorData{10, 200, 30});
        m->setLedColor(1, 5, LedColorData{0, 0, 255});
        RgbColorPickerWidget *picker = w.rgbLedPage()->colorPicker();
        QSignalSpy announced(picker, &RgbColorPickerWidget::colorChanged);

        w.selectButton(5);
        w.functionList()->setCurrentRow(3); // entering the page shows the key's colour
        QCOMPARE(picker->color().rgb(), QColor(10, 200, 30).rgb());
        w.selectButton(0);
        QCOMPARE(picker->color().rgb(), QColor(255, 255, 0).rgb()); // never set: the default yellow
        QVERIFY(w.keyFunctionDisplay()->toPlainText().isEmpty());
        m->setCurrentLayer(1);
        w.selectButton(5);
        QCOMPARE(picker->color().rgb(), QColor(0, 0, 255).rgb());
        QCOMPARE(announced.count(), 0); // showing a stored colour is no edit
        QVERIFY(m->ledConfig(0).colorDirty[5] && !m->ledConfig(0).colorDirty[0]);
    }

    void chineseEffectNames()
    {
        Widget w(configFrom("language=ch"));
        w.applyPhysicalLayout(w.buildDefault16Plus3Layout());
        RgbLedPage *page = w.rgbLedPage();
        QCOMPARE(page->modeButtons().at(0)->text(), QStringLiteral("关闭灯光"));
        QCOMPARE(page->modeButtons().at(9)->text(), QStringLiteral("十字涟漪"));
        QCOMPARE(page->modeButtons().at(9)->property("modeId").toInt(), 9);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.functionList()->setCurrentRow(3);
        QTest::mouseClick(page->modeButtons().at(9), Qt::LeftButton);
        QCOMPARE(int(w.keyboardData()->ledConfig(0).mode), 9);
        page->resize(1100, 460);
        saveShot(page, QStringLiteral("rgbledpage-zh"));
        UiText::setLanguage(UiText::Language::English);
    }

    void pageScaling()
    {
        Widget w(configFrom(""));
        RgbLedPage *page = w.rgbLedPage();
        page->updateRgbLedPageStyle(0.5); // counts as 0.8
        QCOMPARE(page->modeButtons().at(0)->minimumHeight(), 42);
        QCOMPARE(page->modeCells().at(0)->minimumHeight(), 42);
        QCOMPARE(page->colorPicker()->minimumSize(), QSize(120, 100));
        QVERIFY(page->modeButtons().at(0)->styleSheet().contains(QLatin1String("font-size:13px")));
        page->updateRgbLedPageStyle(2.0);
        QCOMPARE(page->modeButtons().at(0)->minimumHeight(), 104);
        QCOMPARE(page->colorPicker()->minimumSize(), QSize(300, 250));
        QVERIFY(page->modeButtons().at(0)->styleSheet().contains(QLatin1String("font-size:32px")));
        QCOMPARE(page->content()->minimumHeight(), 0);
    }

    void rendersInEnglish()
    {
        Widget w(configFrom(""));
        w.applyPhysicalLayout(w.buildDefault16Plus3Layout());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.selectButton(3);
        w.functionList()->setCurrentRow(3);
        QCoreApplication::processEvents();
        saveShot(w.rgbLedPage(), QStringLiteral("rgbledpage-en"));
        saveShot(&w, QStringLiteral("window-rgb-en"));
        // The page is laid out: both panels side by side, the picker has room.
        QVERIFY(w.rgbLedPage()->colorPicker()->height() >= 100);
        RgbLedPage *page = w.rgbLedPage();
        const auto x = [page](int i) {
            return page->modeButtons().at(i)->mapTo(page, QPoint(0, 0)).x();
        };
        QVERIFY(x(1) > x(0)); // two columns
        QCOMPARE(x(2), x(0));
    }
};

QTEST_MAIN(TstRgbLedPage)
#include "tst_rgbledpage.moc"
