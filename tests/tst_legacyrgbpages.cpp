// The lighting pages of legacy keypads: enabled only for their own generation, the modes
// and colours they set in the model, the nearest-colour highlight of the "Old" page, and
// their look.
#include "app/appconfig.h"
#include "i18n/uitext.h"
#include "app/widget.h"
#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "pages/legacyoldrgbledpage.h"
#include "pages/legacyrgbledpage.h"
#include "pages/legacyrgbpalette.h"
#include "support/pageharness.h"
#include "support/windowharness.h"

#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

using testsupport::saveShot;
using testsupport::deviceRead;
using Kind = testsupport::KeypadKind;
using testsupport::configFrom;

namespace {

bool highlighted(QPushButton *modeButton)
{
    return modeButton->styleSheet().contains(QLatin1String("background:#f2f2f2"));
}

int highlightedCount(const QList<QPushButton *> &buttons)
{
    int n = 0;
    for (QPushButton *b : buttons)
        n += highlighted(b) ? 1 : 0;
    return n;
}

bool allEnabled(const QList<QPushButton *> &buttons, bool enabled)
{
    for (QPushButton *b : buttons)
        if (b->isEnabled() != enabled)
            return false;
    return true;
}

LayerLedConfigData layer(quint8 mode, LedColorData first)
{
    LayerLedConfigData c;
    c.mode = mode;
    c.colors[0] = first;
    return c;
}

} // namespace

class TstLegacyRgbPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }

    void palettes()
    {
        const QVector<QColor> &swatches = LegacyRgbPalette::r10UdavSwatches();
        QCOMPARE(swatches.size(), 56);
        QCOMPARE(swatches.at(7), QColor(160, 0, 0));    // row 2 starts
        QCOMPARE(swatches.at(34), QColor(145, 15, 255)); // end of row 5
        QCOMPARE(swatches.at(55), QColor(200, 200, 150));
        QCOMPARE(LegacyRgbPalette::oldColors().size(), 7);
        QCOMPARE(LegacyRgbPalette::oldColors().at(3).name, QStringLiteral("Green"));
    }

    void nearestOldColour_data()
    {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("index");
        QTest::newRow("near red") << 250 << 10 << 10 << 0;
        QTest::newRow("exact purple") << 128 << 0 << 128 << 6;
        QTest::newRow("black is nearest purple") << 0 << 0 << 0 << 6;
        QTest::newRow("default yellow") << 255 << 255 << 0 << 2;
        QTest::newRow("red/orange tie: the first") << 255 << 64 << 30 << 0;
        QTest::newRow("teal is cyan") << 0 << 200 << 200 << 4;
        QTest::newRow("white is yellow") << 255 << 255 << 255 << 2;
    }

    void nearestOldColour()
    {
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        QFETCH(int, index);
        QCOMPARE(LegacyRgbPalette::nearestOldColorIndex(LedColorData{quint8(r), quint8(g), quint8(b)}),
                 index);
    }

    void disabledWithoutALegacyKeypad()
    {
        Widget w(configFrom(""));
        // First with no keypad read at all, then after reading a current-protocol keypad.
        for (int round = 0; round < 2; ++round) {
            LegacyRgbLedPage *r10 = w.legacyRgbLedPage();
            LegacyOldRgbLedPage *old = w.legacyOldRgbLedPage();
            QVERIFY(r10 && old);
            QVERIFY(allEnabled(r10->modeButtons(), false));
            QVERIFY(allEnabled(r10->colorButtons(), false));
            QCOMPARE(highlightedCount(r10->modeButtons()), 0);
            QVERIFY(allEnabled(old->modeButtons(), false));
            QVERIFY(allEnabled(old->colorButtons(), false));
            QCOMPARE(highlightedCount(old->modeButtons()), 0);
            QCOMPARE(old->currentColorIndex(), -1);
            for (QPushButton *b : old->colorButtons())
                QVERIFY(b->styleSheet().contains(QLatin1String("border:1px solid #202020")));
            // Handlers refuse without their keypad.
            w.selectButton(0);
            r10->setLegacyRgbMode(3);
            r10->setLegacyRgbColor(Qt::green);
            old->setLegacyOldRgbMode(3);
            old->setLegacyOldRgbColor(3);
            QVERIFY(!w.keyboardData()->hasLedChanges());
            deviceRead(w, Kind::Current);
        }
    }

    void r10UdavPage()
    {
        Widget w(configFrom(""));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        KeyboardData *m = w.keyboardData();
        deviceRead(w, Kind::R10Udav);
        LegacyRgbLedPage *page = w.legacyRgbLedPage();

        w.selectButton(17); // a knob action, picked before the page shows
        w.functionList()->setCurrentRow(3);
        QCOMPARE(w.functionStack()->currentWidget(), page);
        QVERIFY(w.isRgbLedPageActive());
        QVERIFY(allEnabled(page->modeButtons(), true));
        QVERIFY(allEnabled(page->colorButtons(), false)); // a knob has no colour
        QCOMPARE(highlightedCount(page->modeButtons()), 1);
        QVERIFY(highlighted(page->modeButtons().at(1)));
        page->setLegacyRgbColor(Qt::green);
        QVERIFY(!m->hasLedChanges());

        // A key: the swatches apply to its LED, and the panel shows the colour.
        QTest::mouseClick(w.buttonAt(4), Qt::LeftButton);
        QCOMPARE(m->selectedKey(), 4);
        QVERIFY(allEnabled(page->colorButtons(), true));
        QTest::mouseClick(page->colorButtons().at(10), Qt::LeftButton); // (120, 255, 0)
        QCOMPARE(m->ledConfig(0).colors[4], (LedColorData{120, 255, 0}));
        for (int i = 0; i < LayerLedConfigData::LED_COUNT; ++i)
            QCOMPARE(m->ledConfig(0).colorDirty[size_t(i)], i == 4);
        QVERIFY(!m->ledConfig(0).modeDirty);
        QCOMPARE(qobject_cast<KeyButton *>(w.buttonAt(4))->customColor(), QColor(120, 255, 0));

        QTest::mouseClick(page->modeButtons().at(5), Qt::LeftButton);
        QCOMPARE(int(m->ledConfig(0).mode), 5);
        QVERIFY(m->ledConfig(0).modeDirty);
        QVERIFY(highlighted(page->modeButtons().at(5)));
        QCOMPARE(highlightedCount(page->modeButtons()), 1);
        page->setLegacyRgbMode(6); // beyond the six modes
        QCOMPARE(int(m->ledConfig(0).mode), 5);

        // The "Old" page's handlers do nothing on this keypad.
        m->clearChangeFlags();
        w.legacyOldRgbLedPage()->setLegacyOldRgbColor(0);
        w.legacyOldRgbLedPage()->setLegacyOldRgbMode(2);
        QVERIFY(!m->hasLedChanges());

        // The second layer has its own mode.
        QTest::mouseClick(w.layerButton(1), Qt::LeftButton);
        QVERIFY(highlighted(page->modeButtons().at(1)));
        QTest::mouseClick(w.layerButton(0), Qt::LeftButton);
        w.setFixedSize(1500, 1000);
        QTest::qWait(50);
        saveShot(&w, QStringLiteral("legacy-r10udav-window"));

        // The keypad leaves: the page stays routed but goes inert.
        w.onDeviceDisconnected();
        QCOMPARE(w.functionStack()->currentWidget(), page);
        QVERIFY(allEnabled(page->modeButtons(), false));
        QVERIFY(allEnabled(page->colorButtons(), false));
        QCOMPARE(highlightedCount(page->modeButtons()), 0);
    }

    void oldPage()
    {
        Widget w(configFrom(""));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        KeyboardData *m = w.keyboardData();
        deviceRead(w, Kind::Old);
        m->loadLedConfigs({layer(9, {250, 10, 10}), layer(2, {0, 0, 250}), layer(0, {255, 255, 0}),
                           LayerLedConfigData()});
        LegacyOldRgbLedPage *page = w.legacyOldRgbLedPage();

        w.functionList()->setCurrentRow(3);
        QCOMPARE(w.functionStack()->currentWidget(), page);
        QVERIFY(!w.isRgbLedPageActive());
        QVERIFY(allEnabled(page->modeButtons(), true));
        QVERIFY(allEnabled(page->colorButtons(), true));
        // Mode 9 has no button: the last one stands for it. (250, 10, 10) is nearest red.
        QCOMPARE(page->currentModeIndex(), 5);
        QVERIFY(highlighted(page->modeButtons().at(5)));
        QCOMPARE(highlightedCount(page->modeButtons()), 1);
        QCOMPARE(page->currentColorIndex(), 0);
        QCOMPARE(page->colorButtons().at(0)->text(), QStringLiteral("Red"));
        QVERIFY(page->colorButtons().at(0)->styleSheet().contains(QLatin1String("border:3px solid #ffffff")));
        QVERIFY(page->colorButtons().at(1)->styleSheet().contains(QLatin1String("border:1px solid #202020")));
        QCOMPARE(page->colorButtons().at(6)->property("legacyOldRgbColor").toString(),
                 QStringLiteral("#800080"));

        // "Green" sets the layer's one colour (LED 0) whatever key is selected.
        w.selectButton(7);
        QTest::mouseClick(page->colorButtons().at(3), Qt::LeftButton);
        QCOMPARE(m->ledConfig(0).colors[0], (LedColorData{0, 255, 0}));
        for (int i = 0; i < LayerLedConfigData::LED_COUNT; ++i)
            QCOMPARE(m->ledConfig(0).colorDirty[size_t(i)], i == 0);
        QVERIFY(!m->ledConfig(0).modeDirty);
        QCOMPARE(page->currentColorIndex(), 3);
        QCOMPARE(qobject_cast<KeyButton *>(w.buttonAt(7))->hasCustomColor(), false);

        QTest::mouseClick(page->modeButtons().at(2), Qt::LeftButton);
        QCOMPARE(int(m->ledConfig(0).mode), 2);
        QVERIFY(m->ledConfig(0).modeDirty);
        QVERIFY(!m->ledConfig(1).anyDirty());

        // The other layer shows its own state; the R10Udav handlers do nothing here.
        QTest::mouseClick(w.layerButton(1), Qt::LeftButton);
        QCOMPARE(page->currentColorIndex(), 5);
        QCOMPARE(page->currentModeIndex(), 2);
        w.legacyRgbLedPage()->setLegacyRgbMode(4);
        w.legacyRgbLedPage()->setLegacyRgbColor(Qt::red);
        QVERIFY(!m->ledConfig(1).anyDirty());
        saveShot(page, QStringLiteral("legacy-old-page"));
    }

    void chineseTexts()
    {
        Widget w(configFrom("language=ch"));
        deviceRead(w, Kind::Old);
        QCOMPARE(w.legacyOldRgbLedPage()->colorButtons().at(0)->text(), QStringLiteral("红色"));
        QCOMPARE(w.legacyOldRgbLedPage()->modeButtons().at(5)->text(), QStringLiteral("灯光模式5"));
        QCOMPARE(w.legacyRgbLedPage()->modeButtons().at(0)->text(), QStringLiteral("灯光模式0"));
        w.legacyOldRgbLedPage()->resize(1100, 300);
        saveShot(w.legacyOldRgbLedPage(), QStringLiteral("legacy-old-page-zh"));
        w.legacyRgbLedPage()->resize(1100, 480);
        saveShot(w.legacyRgbLedPage(), QStringLiteral("legacy-r10udav-page-zh"));
        UiText::setLanguage(UiText::Language::English);
    }
};

QTEST_MAIN(TstLegacyRgbPages)
#include "tst_legacyrgbpages.moc"
