// The window offers exactly the slots the connected keypad keeps: on every demo keypad the
// clickable panel buttons are the model's slots, each of them given a function and saved is
// on the keypad after a power cycle (and the save says so), a drawn slot the keypad lacks
// cannot be selected, and a fourth layer the window cannot show is left alone by Save.
#include "app/widget.h"
#include "sim/currentfirmware.h"
#include "sim/demokeypads.h"
#include "sim/legacyfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/windowharness.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

using sim::SimBus;
using testsupport::configFrom;
using testsupport::spinUntil;

namespace {

bool settled(const Widget &w)
{
    return w.isDeviceConnected() && !w.isDeviceTaskRunning();
}

// Clicks a button and lets the window take the click.
void click(QPushButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton);
    QCoreApplication::processEvents();
}

bool saveAndWait(Widget &w)
{
    if (!w.saveSettingsButton()->isEnabled())
        return false;
    click(w.saveSettingsButton());
    return spinUntil([&] { return settled(w) && w.saveSettingsButton()->isEnabled(); }, 20000);
}

bool viewAndWait(Widget &w)
{
    click(w.viewSettingsButton());
    return spinUntil([&] { return settled(w); }, 20000);
}

} // namespace

class TstKeypadSlots : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { testsupport::resetDeviceLink(); }
    void panelOffersWhatTheKeypadKeeps_data();
    void panelOffersWhatTheKeypadKeeps();
    void saveLeavesAFourthLayerAlone();
};

void TstKeypadSlots::panelOffersWhatTheKeypadKeeps_data()
{
    QTest::addColumn<QString>("keypad");
    for (const sim::DemoKeypad &d : sim::demoKeypads())
        QTest::newRow(qPrintable(d.name)) << d.name;
}

void TstKeypadSlots::panelOffersWhatTheKeypadKeeps()
{
    QFETCH(QString, keypad);
    Widget w(configFrom(""));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const int id = sim::plugDemoKeypad(keypad);
    QVERIFY(id > 0);
    QVERIFY(spinUntil([&] { return settled(w); }, 15000));

    if (const QString shots = qEnvironmentVariable("MPS_SHOTS_DIR"); !shots.isEmpty())
        w.grab().save(QStringLiteral("%1/slots-%2.png").arg(shots, keypad));

    // What can be clicked is what the keypad keeps; every other drawn button does nothing.
    const SlotMap &map = w.slotMap();
    QVector<int> clickable;
    const int before = w.keyboardData()->selectedKey();
    for (int b = 0; b < SlotMap::SLOT_COUNT; ++b) {
        QPushButton *button = w.buttonAt(b);
        if (!button || !button->isVisible())
            continue;
        if (!button->isEnabled()) {
            w.selectButton(b); // not even a direct call gets through
            QCOMPARE(w.keyboardData()->selectedKey(), before);
            continue;
        }
        clickable.append(w.dataIndexFromButtonIndex(b));
    }
    std::sort(clickable.begin(), clickable.end());
    QCOMPARE(clickable, map.offeredSlots());
    if (keypad == QLatin1String("old")) {
        QVector<int> old;
        for (int k = 0; k < 15; ++k)
            old.append(k);
        old << 16 << 17 << 18;
        QCOMPARE(clickable, old);
    }

    // Each of them, given its own key and saved, is what the keypad holds after a power cycle.
    for (int slot : qAsConst(clickable)) {
        click(w.buttonAt(w.buttonIndexFromDataIndex(slot)));
        QCOMPARE(w.keyboardData()->selectedKey(), slot);
        QVERIFY(w.keyboardData()->applyBaseKey(quint8(0x04 + slot)));
    }
    QVERIFY(saveAndWait(w));
    QCOMPARE(w.statusLabel()->text(), QStringLiteral("Saved successfully"));
    QVERIFY(!w.keyboardData()->hasUnsavedChanges());
    if (auto legacy = std::dynamic_pointer_cast<sim::LegacyFirmware>(SimBus::firmware(id)))
        legacy->powerCycle();
    QVERIFY(viewAndWait(w));
    for (int slot : qAsConst(clickable)) {
        const KeyData *key = w.keyboardData()->keyDataAt(0, slot);
        QVERIFY2(key->type == KeyType::Basic && key->keyCode == quint8(0x04 + slot),
                 qPrintable(QStringLiteral("slot %1: %2").arg(slot).arg(key->fullText)));
    }

    // Clear All clears the keypad's slots once each, and nothing a save could not write.
    QSignalSpy cleared(w.keyboardData(), &KeyboardData::keyButtonTextChanged);
    click(w.clearAllButton());
    QCOMPARE(cleared.count(), clickable.size());
    QCOMPARE(w.keyboardData()->unsavedItemCount(), clickable.size());
    QVERIFY(saveAndWait(w));
    QCOMPARE(w.statusLabel()->text(), QStringLiteral("Saved successfully"));
}

void TstKeypadSlots::saveLeavesAFourthLayerAlone()
{
    // A keypad that reports four layers: the window offers three, and what the fourth holds
    // stays exactly as it is, whatever is saved on the others.
    auto fw = std::make_shared<sim::CurrentFirmware>();
    sim::CurrentFirmware::Identity identity;
    identity.keyCount = 16;
    identity.encoderCount = 3;
    identity.layerCount = 4;
    fw->setIdentity(identity);
    fw->fillFullConfiguration(4);
    QVector<QByteArray> fourth;
    for (int k = 0; k < SlotMap::SLOT_COUNT; ++k)
        fourth.append(fw->keyRecord(3, k));
    const QByteArray fourthLighting = fw->lighting(3);

    Widget w(configFrom(""));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
    QVERIFY(spinUntil([&] { return settled(w); }, 15000));
    QVERIFY(!w.layerButton(2)->isHidden());

    for (int layer = 0; layer < 3; ++layer) {
        click(w.layerButton(layer));
        click(w.buttonAt(0));
        QVERIFY(w.keyboardData()->applyBaseKey(0x1B));
    }
    click(w.clearAllButton());
    QVERIFY(w.keyboardData()->hasUnsavedChanges());
    QVERIFY(saveAndWait(w));
    QCOMPARE(w.statusLabel()->text(), QStringLiteral("Saved successfully"));
    for (int k = 0; k < SlotMap::SLOT_COUNT; ++k)
        QCOMPARE(fw->keyRecord(3, k), fourth[k]);
    QCOMPARE(fw->lighting(3), fourthLighting);
}

QTEST_MAIN(TstKeypadSlots)
#include "tst_keypadslots.moc"
