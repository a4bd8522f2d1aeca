// Lighting end to end: the user changes effects and colours on the lighting pages of the real
// window, presses Save, and the simulated keypad holds exactly that, on every protocol path
// (current protocol, the knob-only keypad with separate LEDs, legacy "R10Udav" and "Old").
#include "app/widget.h"
#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "controls/rgbcolorpickerwidget.h"
#include "device/hidmanager.h"
#include "pages/legacyoldrgbledpage.h"
#include "pages/legacyrgbledpage.h"
#include "pages/legacyrgbpalette.h"
#include "pages/rgbledpage.h"
#include "sim/currentfirmware.h"
#include "sim/legacyfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/logcapture.h"
#include "support/windowharness.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QThreadPool>
#include <QtTest>

#include <memory>

using Fw = sim::CurrentFirmware;
using sim::SimBus;
using testsupport::configFrom;
using testsupport::LogCapture;
using testsupport::spinUntil;

namespace {


bool saved(const Widget &w)
{
    return w.statusLabel()->text() == QStringLiteral("Saved successfully");
}

std::array<quint8, 3> rgb(const QColor &c)
{
    return {quint8(c.red()), quint8(c.green()), quint8(c.blue())};
}

std::array<quint8, 3> rgb(int r, int g, int b)
{
    return {quint8(r), quint8(g), quint8(b)};
}

// Presses and releases in the picker as a user picking a colour would.
QColor pick(RgbColorPickerWidget *picker, QPoint at)
{
    QTest::mousePress(picker, Qt::LeftButton, {}, at);
    QTest::mouseRelease(picker, Qt::LeftButton, {}, at);
    return picker->color();
}

QVector<std::array<quint8, 3>> sixteen(const std::array<quint8, 3> &c)
{
    return QVector<std::array<quint8, 3>>(16, c);
}

QPushButton *buttonWithText(const QList<QPushButton *> &buttons, const QString &text)
{
    for (QPushButton *b : buttons)
        if (b->text() == text)
            return b;
    return nullptr;
}

} // namespace

class TstLightingE2e : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        testsupport::resetDeviceLink();
    }

    void currentKeypadSavesModeAndKeyColours()
    {
        LogCapture log;
        Widget w(configFrom(""));
        testsupport::ReadWatch reads(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto fw = std::make_shared<Fw>();
        fw->setLighting(0, Fw::lightingPayload(1, sixteen(rgb(20, 20, 20))));
        fw->setLighting(1, Fw::lightingPayload(4, sixteen(rgb(0, 0, 200))));
        fw->setKeyRecord(0, 2, Fw::basicRecord(0x04));
        SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
        QVERIFY(reads.waitLoaded(1, 8000));
        KeyboardData *m = w.keyboardData();
        QVERIFY(!m->hasUnsavedChanges());

        // The lighting page shows what the keypad holds.
        w.functionList()->setCurrentRow(3);
        RgbLedPage *page = w.rgbLedPage();
        QVERIFY(page->modeButtons().at(1)->isChecked());
        QCOMPARE(qobject_cast<KeyButton *>(w.buttonAt(2))->customColor(), QColor(20, 20, 20));

        // Breathing for the layer, a colour for key 3 and another for key 6; key 3 also
        // gets a new function in the same save.
        QTest::mouseClick(page->modeButtons().at(7), Qt::LeftButton);
        RgbColorPickerWidget *picker = page->colorPicker();
        QTest::mouseClick(w.buttonAt(2), Qt::LeftButton);
        const QColor first = pick(picker, QPoint(picker->width() / 2, 10));
        QTest::mouseClick(w.buttonAt(5), Qt::LeftButton);
        const QColor second = pick(picker, QPoint(10, picker->squareHeight() / 2));
        QVERIFY(first.rgb() != second.rgb());
        QTest::mouseClick(w.buttonAt(2), Qt::LeftButton);
        QVERIFY(m->applyBaseKey(0x05));

        fw->resetCounters();
        QTest::mouseClick(w.saveSettingsButton(), Qt::LeftButton);
        QVERIFY(spinUntil([&] { return saved(w); }, 8000));

        QCOMPARE(fw->lightingMode(0), quint8(7));
        QCOMPARE(fw->lightingColor(0, 2), rgb(first));
        QCOMPARE(fw->lightingColor(0, 5), rgb(second));
        QCOMPARE(fw->lightingColor(0, 0), rgb(20, 20, 20));
        QCOMPARE(fw->lightingColor(0, 15), rgb(20, 20, 20));
        QCOMPARE(fw->keyRecord(0, 2), Fw::basicRecord(0x05));
        // One lighting write for the one changed layer; the other layer untouched.
        QCOMPARE(fw->requestCount(Fw::WriteLighting), 1);
        QCOMPARE(fw->lightingMode(1), quint8(4));
        QVERIFY(!m->hasUnsavedChanges());

        // Nothing left: a second Save sends nothing.
        fw->resetCounters();
        QTest::mouseClick(w.saveSettingsButton(), Qt::LeftButton);
        QVERIFY(log.contains(QStringLiteral("Save: nothing to save")));
        QCOMPARE(fw->totalRequests(), 0);
    }

    void knobOnlyKeypadSavesItsSeparateLeds()
    {
        LogCapture log;
        Widget w(configFrom(""));
        testsupport::ReadWatch reads(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto fw = std::make_shared<Fw>();
        Fw::Identity id;
        id.keyCount = 0;
        id.encoderCount = 1;
        id.variantP = 1;
        id.shape = 1;
        id.layerCount = 3;
        fw->setIdentity(id);
        // Mode 7 means nothing to this keypad: it only has effects 0 to 5.
        fw->setLighting(0, Fw::lightingPayload(7, sixteen(rgb(255, 255, 0))));
        fw->setLighting(1, Fw::lightingPayload(5, sixteen(rgb(1, 2, 3))));
        SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
        QVERIFY(reads.waitLoaded(1, 8000));
        QCOMPARE(w.currentLayout().name, QStringLiteral("Layout_0K_1E_P1_S1"));
        KeyboardData *m = w.keyboardData();

        w.functionList()->setCurrentRow(3);
        RgbLedPage *page = w.rgbLedPage();
        QCOMPARE(int(m->ledConfig(0).mode), 0);
        QVERIFY(m->ledConfig(0).modeDirty);
        QVERIFY(page->modeButtons().at(0)->isChecked());

        // LED3 of the column, a colour from the picker.
        QPushButton *led3 = w.standaloneLedButtons().value(2);
        QVERIFY(led3);
        QTest::mouseClick(led3, Qt::LeftButton);
        QCOMPARE(w.selectedStandaloneLed(), 2);
        RgbColorPickerWidget *picker = page->colorPicker();
        const QColor c = pick(picker, QPoint(picker->width() - 5, picker->squareHeight() - 20));

        QTest::mouseClick(w.saveSettingsButton(), Qt::LeftButton);
        QVERIFY(spinUntil([&] { return saved(w); }, 8000));
        QCOMPARE(fw->lightingMode(0), quint8(0));
        QCOMPARE(fw->lightingColor(0, 2), rgb(c));
        QCOMPARE(fw->lightingColor(0, 1), rgb(255, 255, 0));
        QCOMPARE(fw->lightingMode(1), quint8(5)); // a valid mode is left alone
        QVERIFY(!m->hasUnsavedChanges());
    }

    void r10UdavKeypadSavesModeAndKeyColours()
    {
        LogCapture log;
        Widget w(configFrom(""));
        testsupport::ReadWatch reads(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto fw = std::make_shared<sim::LegacyFirmware>(sim::LegacyFirmware::Generation::R10Udav);
        fw->loadDemoConfiguration();
        const LayerLedConfigData before = fw->lighting(0);
        SimBus::plug(0x1189, 0x8840, fw);
        QVERIFY(reads.waitLoaded(1, 10000));
        QVERIFY(w.isLegacyDevice());
        KeyboardData *m = w.keyboardData();
        QVERIFY(!m->hasUnsavedChanges());

        w.functionList()->setCurrentRow(3);
        LegacyRgbLedPage *page = w.legacyRgbLedPage();
        QCOMPARE(w.functionStack()->currentWidget(), page);
        QTest::mouseClick(buttonWithText(page->modeButtons(), QStringLiteral("LED Mode4")), Qt::LeftButton);
        QTest::mouseClick(w.buttonAt(1), Qt::LeftButton);
        QTest::mouseClick(page->colorButtons().at(12), Qt::LeftButton); // (0, 0, 139)
        QTest::mouseClick(w.buttonAt(9), Qt::LeftButton);
        QTest::mouseClick(page->colorButtons().at(35), Qt::LeftButton); // (255, 70, 0)
        QCOMPARE(qobject_cast<KeyButton *>(w.buttonAt(9))->customColor(), QColor(255, 70, 0));

        QTest::mouseClick(w.saveSettingsButton(), Qt::LeftButton);
        QVERIFY(spinUntil([&] { return saved(w); }, 10000));
        // Committed: the keypad still has it after a power cycle.
        fw->powerCycle();
        const LayerLedConfigData after = fw->lighting(0);
        QCOMPARE(int(after.mode), 4);
        QCOMPARE(after.colors[1], (LedColorData{0, 0, 139}));
        QCOMPARE(after.colors[9], (LedColorData{255, 70, 0}));
        QCOMPARE(after.colors[0], before.colors[0]);
        QCOMPARE(after.colors[15], before.colors[15]);
        QVERIFY(!m->hasUnsavedChanges());
    }

    void oldKeypadSavesOneColourPerLayer()
    {
        LogCapture log;
        Widget w(configFrom(""));
        testsupport::ReadWatch reads(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto fw = std::make_shared<sim::LegacyFirmware>(sim::LegacyFirmware::Generation::Old);
        SimBus::plug(0x1189, 0x8840, fw);
        QVERIFY(reads.waitLoaded(1, 10000));
        KeyboardData *m = w.keyboardData();

        w.functionList()->setCurrentRow(3);
        LegacyOldRgbLedPage *page = w.legacyOldRgbLedPage();
        QCOMPARE(w.functionStack()->currentWidget(), page);
        QVERIFY(!w.isRgbLedPageActive());
        QTest::mouseClick(w.buttonAt(6), Qt::LeftButton); // any key: the colour is the layer's
        QTest::mouseClick(buttonWithText(page->colorButtons(), QStringLiteral("Green")), Qt::LeftButton);
        QTest::mouseClick(page->modeButtons().at(2), Qt::LeftButton);
        QTest::mouseClick(w.layerButton(1), Qt::LeftButton);
        QTest::mouseClick(buttonWithText(page->colorButtons(), QStringLiteral("Blue")), Qt::LeftButton);
        QTest::mouseClick(page->modeButtons().at(5), Qt::LeftButton);
        QCOMPARE(page->currentColorIndex(), 5);

        QTest::mouseClick(w.saveSettingsButton(), Qt::LeftButton);
        QVERIFY(spinUntil([&] { return saved(w); }, 10000));
        fw->powerCycle();
        QCOMPARE(fw->oldLightingCode(0), quint8(0x40 | 2)); // green, mode 2
        QCOMPARE(fw->oldLightingCode(1), quint8(0x60 | 5)); // blue, mode 5
        QCOMPARE(fw->oldLightingCode(2), quint8(0));        // never changed, never written
        QVERIFY(!m->hasUnsavedChanges());
    }
};

QTEST_MAIN(TstLightingE2e)
#include "tst_lighting_e2e.moc"
