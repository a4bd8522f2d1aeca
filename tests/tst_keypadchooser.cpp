// Several keypads plugged in the window: the chooser lists them, switching asks about
// unsaved edits first, and edits kept over a replug go back to their own keypad, never to
// its twin.
#include "app/startupsettings.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "device/hidmanager.h"
#include "model/keyboarddata.h"
#include "sim/currentfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/windowharness.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QStandardPaths>
#include <QThreadPool>
#include <QtTest>

using Fw = sim::CurrentFirmware;
using sim::SimBus;
using testsupport::configFrom;
using testsupport::spinUntil;

class TstKeypadChooser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        initKnobResources();
    }
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        testsupport::resetDeviceLink();
    }

    // Another keypad plugged in or pulled out while the open one saves: it is listed or
    // dropped, and the save goes on to its end on the keypad it began on.
    void othersComeAndGoDuringASave()
    {
        auto fw = std::make_shared<Fw>();
        const int a = SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
        Widget w(configFrom(""));
        testsupport::ReadWatch reads(w);
        QVERIFY(reads.waitLoaded(1, 8000));
        SimBus::setLatency(a, 40); // a save of some seconds: the list changes meanwhile
        QComboBox *chooser = w.keypadChooser();
        KeyboardData *m = w.keyboardData();
        auto editAndSave = [&](quint8 usage) {
            for (int k = 0; k < 12; ++k) {
                m->selectKey(k);
                m->applyBaseKey(usage);
            }
            w.onSaveSettingsClicked();
            return w.isDeviceTaskRunning();
        };
        QVERIFY(editAndSave(0x04));
        const int other = SimBus::plug(0x514C, 0x8850, std::make_shared<Fw>());
        QVERIFY(spinUntil([&] { return chooser->count() == 2; }, 3000));
        QVERIFY(w.isDeviceTaskRunning()); // listed while the save still runs
        QVERIFY(spinUntil([&] { return !w.isDeviceTaskRunning(); }, 30000));
        QCOMPARE(w.statusLabel()->text(), QStringLiteral("Saved successfully"));
        QCOMPARE(fw->keyRecord(0, 11), Fw::basicRecord(0x04));

        QVERIFY(editAndSave(0x05));
        SimBus::unplug(other);
        QVERIFY(spinUntil([&] { return chooser->count() == 0 && chooser->isHidden(); }, 3000));
        QVERIFY(w.isDeviceTaskRunning());
        QVERIFY(spinUntil([&] { return !w.isDeviceTaskRunning(); }, 30000));
        QCOMPARE(w.statusLabel()->text(), QStringLiteral("Saved successfully"));
        QCOMPARE(fw->keyRecord(0, 11), Fw::basicRecord(0x05));
        QCOMPARE(HIDManager::instance()->devicePath(), SimBus::pathOf(a, 1));
    }

    void chooseSwitchAndReplug()
    {
        StartupSettings::rememberKeypad(QString());
        auto twinA = std::make_shared<Fw>();
        auto twinB = std::make_shared<Fw>();
        Fw::Identity six;
        six.keyCount = 6;
        six.encoderCount = 1;
        auto small = std::make_shared<Fw>();
        small->setIdentity(six);
        const int a = SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, twinA);
        const int b = SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, twinB);
        const int c = SimBus::plug(0x514C, 0x8850, small);
        SimBus::setSerialNumber(c, QString()); // told apart by its path

        Widget w(configFrom(""));
        testsupport::ReadWatch reads(w);
        int answer = QMessageBox::Cancel;
        int asked = 0;
        w.setUnsavedQuestion([&](QMessageBox &) {
            ++asked;
            return answer;
        });
        w.resize(1024, 768);
        w.show();
        QVERIFY(reads.waitLoaded());
        QComboBox *chooser = w.keypadChooser();
        QVERIFY(spinUntil([&] { return chooser->count() == 3 && chooser->isVisible(); }));
        QCOMPARE(chooser->currentIndex(), 0);
        QVERIFY(chooser->itemText(0).startsWith(QStringLiteral("16 keys, 3 knobs · serial ")));
        QCOMPARE(chooser->itemText(1), QStringLiteral("Keypad 4C4A:4155 · serial %1").arg(b, 4, 10, QLatin1Char('0')));
        QCOMPARE(chooser->itemText(2), QStringLiteral("Keypad 514C:8850 · path ") + QString::fromUtf8(SimBus::pathOf(c, 1)));
        const QString identityB = chooser->itemData(1).toString();
        if (const QString shots = qEnvironmentVariable("MPS_SHOTS_DIR"); !shots.isEmpty() && QDir().mkpath(shots)) {
            for (const QSize &size : {QSize(800, 600), QSize(1024, 768)}) {
                for (bool chinese : {false, true}) {
                    w.setChinese(chinese);
                    w.resize(size);
                    QTest::qWait(250); // the resize settles on a timer
                    w.grab().save(QStringLiteral("%1/keypad-chooser-%2-%3.png")
                                      .arg(shots)
                                      .arg(size.width())
                                      .arg(chinese ? QStringLiteral("zh") : QStringLiteral("en")));
                }
            }
            w.setChinese(false);
        }

        // An edit on A: Cancel keeps A open and the edit in place.
        w.keyboardData()->selectKey(0);
        QVERIFY(w.keyboardData()->applyBaseKey(0x1B)); // X
        w.chooseKeypad(identityB);
        QCOMPARE(asked, 1);
        QCOMPARE(HIDManager::instance()->devicePath(), SimBus::pathOf(a, 1));
        QCOMPARE(chooser->currentIndex(), 0);
        QVERIFY(w.keyboardData()->hasUnsavedChanges());

        // Dropping the edit: B opens, without A's edit, and is remembered.
        answer = QMessageBox::Discard;
        reads.clear();
        w.chooseKeypad(identityB);
        QVERIFY(reads.waitLoaded(1, 8000));
        QCOMPARE(HIDManager::instance()->devicePath(), SimBus::pathOf(b, 1));
        QVERIFY(!w.keyboardData()->hasUnsavedChanges());
        QCOMPARE(chooser->currentIndex(), 1);
        QCOMPARE(StartupSettings::rememberedKeypad(), identityB);

        // An edit on B survives B's replug, and goes nowhere while its twin A is opened instead.
        QVERIFY(w.keyboardData()->applyBaseKey(0x1C)); // Y on the selected key
        QVERIFY(spinUntil([&] { return !w.isDeviceTaskRunning(); }));
        reads.clear();
        SimBus::unplug(b);
        QVERIFY(reads.waitLoaded(1, 8000)); // the link falls back to another keypad
        QVERIFY(HIDManager::instance()->devicePath() != SimBus::pathOf(b, 1));
        QVERIFY(!w.keyboardData()->hasUnsavedChanges());
        QCOMPARE(w.pendingEdits().count(), 1);
        QVERIFY2(w.statusLabel()->text().startsWith(QStringLiteral("The chosen keypad is not plugged in: now editing ")),
                 qPrintable(w.statusLabel()->text()));

        // B back: the chooser lists it, and choosing it brings its edit back.
        SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, twinB);
        QVERIFY(spinUntil([&] { return chooser->findData(identityB) >= 0; }, 3000));
        reads.clear();
        w.chooseKeypad(identityB);
        QVERIFY(reads.waitLoaded(1, 8000));
        QCOMPARE(w.keyboardData()->keyDataAt(0, 0)->keyCode, quint8(0x1C));
        QVERIFY(w.keyboardData()->hasUnsavedChanges());
        QCOMPARE(w.pendingEdits().count(), 0);
    }
};

QTEST_MAIN(TstKeypadChooser)
#include "tst_keypadchooser.moc"
