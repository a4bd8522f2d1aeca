// Unsaved changes in the window, against simulated keypads: closing asks first (and Save
// closes only once the save has ended with nothing left), and edits survive a keypad that
// leaves and comes back, as changes that only Save writes.
#include "app/unsavedchangesbox.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "sim/currentfirmware.h"
#include "sim/legacyfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/logcapture.h"
#include "support/windowharness.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QThreadPool>
#include <QtTest>

#include <memory>

using Fw = sim::CurrentFirmware;
using sim::SimBus;
using testsupport::configFrom;
using testsupport::LogCapture;
using testsupport::spinUntil;

namespace {

// The window the user has open, with the close question answered by the test.
struct Session {
    LogCapture log;
    Widget w;
    testsupport::ReadWatch reads{w};
    int answer = QMessageBox::Cancel;
    int asked = 0;
    QString text;
    QString details;
    bool offeredSave = false;

    explicit Session(const char *settings = "")
        : w(configFrom(settings))
    {
        w.setUnsavedQuestion([this](QMessageBox &box) {
            ++asked;
            text = box.text();
            details = box.informativeText();
            offeredSave = box.button(QMessageBox::Save) != nullptr;
            return answer;
        });
        w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT);
        w.show();
    }
    // Plugs `fw` and waits for the window's `reads`-th connect read.
    int plug(std::shared_ptr<sim::Firmware> fw, int nth, quint16 vid = testsupport::kDefaultVendorId,
             quint16 pid = testsupport::kDefaultProductId)
    {
        const int id = SimBus::plug(vid, pid, std::move(fw));
        return reads.waitLoaded(nth) ? id : 0;
    }
    bool unplug(int id)
    {
        SimBus::unplug(id);
        return spinUntil([this] { return !w.isDeviceConnected(); });
    }
    void edit(int key, quint8 usage)
    {
        w.keyboardData()->selectKey(key);
        w.keyboardData()->applyBaseKey(usage);
    }
    QString status() const { return w.statusLabel()->text(); }
    // Renders the window when MACROPAD_SHOTS_DIR names a directory.
    void shoot(const QString &name)
    {
        const QString shots = qEnvironmentVariable("MACROPAD_SHOTS_DIR");
        if (!shots.isEmpty() && QDir().mkpath(shots))
            w.grab().save(QStringLiteral("%1/unsaved-%2.png").arg(shots, name));
    }
};

} // namespace

class TstUnsavedChanges : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        testsupport::resetDeviceLink();
    }

    void promptInBothLanguages();
    void closeAsksFirst();
    void viewAsksBeforeReadingOver();
    void editsSurviveAReplug();
    void legacyEditsSurviveAReplug();
};

void TstUnsavedChanges::promptInBothLanguages()
{
    using S = UnsavedChangesBox::Situation;
    // Parented as the window parents it: the window's style sheet reaches the box.
    Widget window(configFrom(""));
    UnsavedChangesBox en(S::CanSave, 3, 2, UiText::Language::English, &window);
    QCOMPARE(en.windowTitle(), QStringLiteral("Unsaved changes"));
    QCOMPARE(en.text(), QStringLiteral("Save the changes to the keypad before closing?"));
    QCOMPARE(en.informativeText(),
             QStringLiteral("Changes not saved yet: 3\nChanges kept for a keypad that is not "
                            "connected: 2. They are lost when the window closes."));
    QCOMPARE(en.button(QMessageBox::Discard)->text(), QStringLiteral("Discard"));
    QCOMPARE(en.defaultButton(), en.button(QMessageBox::Save));

    UnsavedChangesBox zh(S::CanSave, 3, 0, UiText::Language::Chinese, &window);
    QCOMPARE(zh.windowTitle(), QStringLiteral("未保存的更改"));
    QCOMPARE(zh.informativeText(), QStringLiteral("尚未保存的更改：3项"));
    QCOMPARE(zh.button(QMessageBox::Save)->text(), QStringLiteral("保存"));
    QCOMPARE(zh.button(QMessageBox::Discard)->text(), QStringLiteral("不保存"));
    QCOMPARE(zh.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));

    UnsavedChangesBox away(S::KeypadAbsent, 2, 0, UiText::Language::Chinese, &window);
    QVERIFY(!away.button(QMessageBox::Save));
    QCOMPARE(away.escapeButton(), away.button(QMessageBox::Cancel));
    QCOMPARE(away.text(), QStringLiteral("这些更改所属的键盘未连接，无法保存。"));

    UnsavedChangesBox reread(S::Rereading, 2, 0, UiText::Language::Chinese, &window);
    QCOMPARE(reread.text(), QStringLiteral("重新读取键盘并放弃尚未保存的更改？"));
    QCOMPARE(reread.button(QMessageBox::Discard)->text(), QStringLiteral("重新读取"));
    QCOMPARE(reread.defaultButton(), reread.button(QMessageBox::Cancel));

    const QString shots = qEnvironmentVariable("MACROPAD_SHOTS_DIR");
    if (!shots.isEmpty() && QDir().mkpath(shots)) {
        for (QMessageBox *box : {static_cast<QMessageBox *>(&en), static_cast<QMessageBox *>(&zh),
                                 static_cast<QMessageBox *>(&away)}) {
            box->show();
            QVERIFY(QTest::qWaitForWindowExposed(box));
        }
        en.grab().save(shots + QStringLiteral("/unsaved-en.png"));
        zh.grab().save(shots + QStringLiteral("/unsaved-zh.png"));
        away.grab().save(shots + QStringLiteral("/unsaved-away-zh.png"));
    }
}

void TstUnsavedChanges::closeAsksFirst()
{
    Session s;
    auto fw = std::make_shared<Fw>();
    fw->fillFullConfiguration(2);
    const int id = s.plug(fw, 1);
    QVERIFY(id > 0);

    // Nothing changed: it just closes.
    QVERIFY(s.w.close());
    QCOMPARE(s.asked, 0);
    s.w.show();

    s.edit(0, 0x1D); // Z
    s.answer = QMessageBox::Cancel;
    QVERIFY(!s.w.close());
    QVERIFY(s.w.isVisible());
    QCOMPARE(s.text, QStringLiteral("Save the changes to the keypad before closing?"));
    QCOMPARE(s.details, QStringLiteral("Changes not saved yet: 1"));
    QVERIFY(s.offeredSave);

    s.answer = QMessageBox::Discard;
    QVERIFY(s.w.close());
    QCOMPARE(fw->requestCount(Fw::WriteKey), 0);
    s.w.show();

    // Save: the window stays until the save's task has ended, then closes with the key on
    // the keypad.
    s.answer = QMessageBox::Save;
    QVERIFY(!s.w.close());
    QVERIFY(spinUntil([&] { return !s.w.isVisible(); }, 10000));
    QCOMPARE(fw->keyRecord(0, 0), Fw::basicRecord(0x1D));
    QVERIFY(!s.w.keyboardData()->hasUnsavedChanges());
    QVERIFY(!s.w.isDeviceTaskRunning());
    s.w.show();

    // A save that fails keeps the window open and says so; the key stays changed.
    s.edit(1, 0x1B); // X
    Fw::FaultRule silent;
    silent.command = Fw::WriteKey;
    fw->addFault(silent);
    QVERIFY(!s.w.close());
    QMessageBox *refused = nullptr;
    QVERIFY(spinUntil([&] { return (refused = s.w.findChild<QMessageBox *>(QStringLiteral("closeRefusedBox"))); }, 10000));
    QVERIFY(refused->isVisible());
    QCOMPARE(refused->text(), QStringLiteral("The window stays open: not every change was saved."));
    QCOMPARE(refused->informativeText(), QStringLiteral("Changes not saved yet: 1"));
    QVERIFY(s.w.isVisible());
    QVERIFY(s.w.keyboardData()->keyDataAt(0, 1)->dirty);
    refused->close();
    fw->clearFaults();

    // The keypad gone, the change cannot be saved: Discard or Cancel only.
    QVERIFY(s.unplug(id));
    s.answer = QMessageBox::Cancel;
    QVERIFY(!s.w.close());
    QVERIFY(!s.offeredSave);
    QCOMPARE(s.text, QStringLiteral("The keypad these changes belong to is not connected, so they cannot be saved."));
    QCOMPARE(s.details, QStringLiteral("Changes not saved yet: 1\nConnect that keypad and press Save "
                                       "Settings to keep them."));
    s.answer = QMessageBox::Discard;
    QVERIFY(s.w.close());
}

// View Settings reads the keypad over the model: with edits not saved it asks first, and
// Cancel leaves the edit in place without a read.
void TstUnsavedChanges::viewAsksBeforeReadingOver()
{
    Session s;
    auto fw = std::make_shared<Fw>();
    fw->fillFullConfiguration(2);
    QVERIFY(s.plug(fw, 1) > 0);
    const KeyData onKeypad = *s.w.keyboardData()->keyDataAt(0, 0);

    s.edit(0, 0x1D); // Z
    const int reads = fw->requestCount(Fw::ReadLayer);
    s.answer = QMessageBox::Cancel;
    QTest::mouseClick(s.w.viewSettingsButton(), Qt::LeftButton);
    QCOMPARE(s.asked, 1);
    QCOMPARE(s.text, QStringLiteral("Read the keypad again and drop the changes not saved yet?"));
    QCOMPARE(s.details, QStringLiteral("Changes not saved yet: 1\nPress Save Settings first to keep them."));
    QTest::qWait(200);
    QCOMPARE(fw->requestCount(Fw::ReadLayer), reads);
    QVERIFY(s.w.keyboardData()->keyDataAt(0, 0)->dirty);

    s.answer = QMessageBox::Discard;
    QTest::mouseClick(s.w.viewSettingsButton(), Qt::LeftButton);
    QCOMPARE(s.asked, 2);
    QVERIFY(spinUntil([&] { return !s.w.keyboardData()->hasUnsavedChanges() && !s.w.isDeviceTaskRunning(); }, 10000));
    QVERIFY(fw->requestCount(Fw::ReadLayer) > reads);
    QVERIFY(s.w.keyboardData()->keyDataAt(0, 0)->sameFunction(onKeypad));

    // Nothing unsaved: View reads without a question.
    QTest::mouseClick(s.w.viewSettingsButton(), Qt::LeftButton);
    QVERIFY(spinUntil([&] { return !s.w.isDeviceTaskRunning(); }, 10000));
    QCOMPARE(s.asked, 2);
}

void TstUnsavedChanges::editsSurviveAReplug()
{
    Session s;
    auto fw = std::make_shared<Fw>();
    fw->fillFullConfiguration(2);
    int id = s.plug(fw, 1);
    QVERIFY(id > 0);
    const QByteArray keyBefore = fw->keyRecord(0, 2);
    KeyboardData *m = s.w.keyboardData();
    s.edit(2, 0x1D); // Z
    m->setLedColor(0, 3, LedColorData{0, 0, 255});

    QVERIFY(s.unplug(id));
    QVERIFY(!m->hasUnsavedChanges());
    QCOMPARE(s.w.pendingEdits().count(), 2);
    QCOMPARE(s.status(), QStringLiteral("Connect the device with a usb cable"));

    // The same keypad back: the fresh read, the edits on top of it, nothing written.
    fw->resetCounters();
    id = s.plug(fw, 2);
    QVERIFY(id > 0);
    QCOMPARE(s.status(), QStringLiteral("Unsaved changes restored: 2. Press Save to write them"));
    s.shoot(QStringLiteral("restored-en"));
    QVERIFY(s.w.pendingEdits().isEmpty());
    QVERIFY(m->keyDataAt(0, 2)->dirty);
    QCOMPARE(m->keyDataAt(0, 2)->keyCode, quint8(0x1D));
    QCOMPARE(s.w.buttonAt(2)->text(), QStringLiteral("Z"));
    QVERIFY(m->ledConfig(0).colorDirty[3] && !m->keyDataAt(0, 0)->dirty);
    QCOMPARE(fw->requestCount(Fw::WriteKey) + fw->requestCount(Fw::WriteLighting), 0);
    QCOMPARE(fw->keyRecord(0, 2), keyBefore);

    QTest::mouseClick(s.w.saveSettingsButton(), Qt::LeftButton);
    QVERIFY(spinUntil([&] { return !s.w.isDeviceTaskRunning() && !m->hasUnsavedChanges(); }, 10000));
    QCOMPARE(fw->keyRecord(0, 2), Fw::basicRecord(0x1D));
    QCOMPARE(fw->lightingColor(0, 3), (std::array<quint8, 3>{0, 0, 255}));

    // Another model in between does not get them; they wait for their own keypad.
    s.edit(4, 0x1B); // X
    QVERIFY(s.unplug(id));
    auto six = std::make_shared<Fw>();
    Fw::Identity sixKeys;
    sixKeys.keyCount = 6;
    sixKeys.encoderCount = 1;
    six->setIdentity(sixKeys);
    const int sixId = SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, six);
    SimBus::setLatency(sixId, 2);
    // Closed with Save while it is being read (the edit might be its own): once the read
    // shows it is not, the window stays open rather than lose the edit.
    QVERIFY(spinUntil([&] { return s.w.isDeviceConnected() && s.w.isDeviceTaskRunning(); }));
    s.answer = QMessageBox::Save;
    QVERIFY(!s.w.close());
    QCOMPARE(s.details, QStringLiteral("Changes not saved yet: 1"));
    QMessageBox *refused = nullptr;
    QVERIFY(spinUntil([&] { return (refused = s.w.findChild<QMessageBox *>(QStringLiteral("closeRefusedBox"))); }, 10000));
    refused->close();
    QVERIFY(s.w.isVisible());
    QVERIFY(s.reads.waitLoaded(3));
    QVERIFY(!m->hasUnsavedChanges());
    QCOMPARE(s.status(), QStringLiteral("Device connected"));
    QVERIFY(s.log.contains(QStringLiteral("Widget: unsaved changes kept for another keypad: 1")));
    QCOMPARE(six->requestCount(Fw::WriteKey), 0);
    QVERIFY(s.unplug(sixId));
    QVERIFY(s.plug(fw, 4) > 0);
    QCOMPARE(s.status(), QStringLiteral("Unsaved changes restored: 1. Press Save to write them"));
    QCOMPARE(m->keyDataAt(0, 4)->keyCode, quint8(0x1B));
}

void TstUnsavedChanges::legacyEditsSurviveAReplug()
{
    Session s("language=ch");
    auto fw = std::make_shared<sim::LegacyFirmware>(sim::LegacyFirmware::Generation::Old);
    fw->loadDemoConfiguration();
    int id = s.plug(fw, 1, 0x1189, 0x8840);
    QVERIFY(id > 0 && s.w.isLegacyDevice());
    KeyboardData *m = s.w.keyboardData();
    s.edit(0, 0x1B); // X
    const int commits = fw->commitCount();
    const QByteArray before = fw->record(0, 1);

    QVERIFY(s.unplug(id));
    id = s.plug(fw, 2, 0x1189, 0x8840);
    QVERIFY(id > 0);
    QCOMPARE(s.status(), QStringLiteral("已恢复未保存的更改：1项，请点击“保存设置”写入键盘"));
    s.shoot(QStringLiteral("restored-zh"));
    QVERIFY(m->keyDataAt(0, 0)->dirty);
    QCOMPARE(fw->commitCount(), commits);
    QCOMPARE(fw->record(0, 1), before);

    s.answer = QMessageBox::Save;
    QVERIFY(!s.w.close());
    QVERIFY(spinUntil([&] { return !s.w.isVisible(); }, 10000));
    QCOMPARE(fw->commitCount(), commits + 1);
    const QByteArray written = fw->record(0, 1);
    QVERIFY(written != before);
    fw->powerCycle();
    QCOMPARE(fw->record(0, 1), written);
    QVERIFY(!m->hasUnsavedChanges());
}

QTEST_MAIN(TstUnsavedChanges)
#include "tst_unsavedchanges.moc"
