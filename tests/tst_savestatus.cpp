// What the window's status line says while it reads and saves, in both languages, and that
// it says it at the right moment: progress while saving (Save and View off), success only once
// the save has ended (a Save clicked right then is taken), what did not take, an incomplete
// read (whose unread keys keep their content), and why a click was refused.
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "device/hidmanager.h"
#include "sim/currentfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/logcapture.h"
#include "support/windowharness.h"

#include <QMessageBox>
#include <QLabel>
#include <QPushButton>
#include <QThreadPool>
#include <QtConcurrent>
#include <QtTest>

#include <atomic>
#include <memory>

using Fw = sim::CurrentFirmware;
using sim::SimBus;
using testsupport::configFrom;
using testsupport::LogCapture;
using testsupport::spinUntil;

namespace {

struct Texts {
    QString connected, saved, nothing, busy, incomplete, notTaken;
};

Texts texts(bool chinese)
{
    if (chinese)
        return {QStringLiteral("设备已连接"), QStringLiteral("保存成功"),
                QStringLiteral("没有需要保存的更改"), QStringLiteral("键盘正忙，请稍后再试"),
                QStringLiteral("读取不完整：部分按键未能读取。请点击查看配置重新读取"),
                QStringLiteral("2个按键未能写入键盘：第1层按键3、第2层按键5。请再次点击保存设置重试")};
    return {QStringLiteral("Device connected"), QStringLiteral("Saved successfully"),
            QStringLiteral("Nothing to save"), QStringLiteral("The keypad is busy: try again in a moment"),
            QStringLiteral("Read incomplete: some keys could not be read. Press View Settings to read again"),
            QStringLiteral("2 keys did not take: layer 1 key 3, layer 2 key 5. Press Save to try again")};
}

KeyData basic(quint8 usage)
{
    KeyData k;
    k.setBasicKey(usage);
    return k;
}

} // namespace

class TstSaveStatus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        testsupport::resetDeviceLink();
    }
    void statusTellsTheTruth_data();
    void statusTellsTheTruth();
};

void TstSaveStatus::statusTellsTheTruth_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::newRow("English") << false;
    QTest::newRow("Chinese") << true;
}

void TstSaveStatus::statusTellsTheTruth()
{
    QFETCH(bool, chinese);
    const Texts t = texts(chinese);
    LogCapture log;
    Widget w(configFrom(chinese ? "language=CH\n" : ""));
    testsupport::ReadWatch reads(w);
    // View after a failed save reads over the changes it kept, as the user would choose.
    w.setUnsavedQuestion([](QMessageBox &) { return int(QMessageBox::Discard); });
    QLabel *status = w.statusLabel();
    auto fw = std::make_shared<Fw>();
    QVector<Fw::Step> steps;
    for (int i = 0; i < 20; ++i)
        steps.append({quint8(i % 2), 0x0B, 30});
    fw->setKeyRecord(0, 5, Fw::macroRecord(steps)); // two chunks when read
    fw->setKeyRecord(0, 7, Fw::basicRecord(0x04));
    const int id = SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
    QVERIFY(spinUntil([&] { return reads.loads() > 0; }, 8000));
    QVERIFY(spinUntil([&] { return !w.isDeviceTaskRunning(); }));
    QCOMPARE(status->text(), t.connected);
    KeyboardData *m = w.keyboardData();

    // Nothing changed: said for a moment, then the status is back.
    QTest::mouseClick(w.saveSettingsButton(), Qt::LeftButton);
    QCOMPARE(status->text(), t.nothing);
    QVERIFY(log.contains(QStringLiteral("Save: nothing to save")));
    QVERIFY(spinUntil([&] { return status->text() == t.connected; }, 3000));

    // A save in progress: counted, with Save and View off; success only once it has ended.
    SimBus::setLatency(id, 10);
    for (int k = 0; k < 4; ++k)
        QVERIFY(m->setKeyAt(1, k, basic(quint8(0x10 + k))));
    QTest::mouseClick(w.saveSettingsButton(), Qt::LeftButton);
    QVERIFY(!w.saveSettingsButton()->isEnabled() && !w.viewSettingsButton()->isEnabled());
    QCOMPARE(status->text(), chinese ? QStringLiteral("正在保存第1项，共4项…") : QStringLiteral("Saving 1 of 4…"));
    QVERIFY(spinUntil([&] { return status->text() == t.saved; }, 8000));
    QVERIFY(!w.isDeviceTaskRunning());
    QVERIFY(w.saveSettingsButton()->isEnabled() && w.viewSettingsButton()->isEnabled());

    // A second Save right then is taken, not refused.
    log.clear();
    reads.clear();
    QVERIFY(m->setKeyAt(1, 9, basic(0x2C)));
    QTest::mouseClick(w.saveSettingsButton(), Qt::LeftButton);
    QVERIFY(!log.contains(QStringLiteral("Save: device busy")));
    QVERIFY(spinUntil([&] { return !w.isDeviceTaskRunning() && status->text() == t.saved; }, 8000));
    QCOMPARE(fw->keyRecord(1, 9), Fw::basicRecord(0x2C));
    QVERIFY(!m->hasUnsavedChanges());
    SimBus::setLatency(id, 0);

    // Writes the keypad acknowledges and drops are named, and stay changed.
    for (const auto &slot : {qMakePair(0, 2), qMakePair(1, 4)}) {
        Fw::FaultRule dropped;
        dropped.kind = Fw::FaultKind::DropWrite;
        dropped.layer = slot.first;
        dropped.key = slot.second;
        dropped.times = 1;
        fw->addFault(dropped);
        QVERIFY(m->setKeyAt(slot.first, slot.second, basic(0x1E)));
    }
    QTest::mouseClick(w.saveSettingsButton(), Qt::LeftButton);
    QVERIFY(spinUntil([&] { return status->text() == t.notTaken; }, 8000));
    QVERIFY(m->keyDataAt(0, 2)->dirty && m->keyDataAt(1, 4)->dirty);
    testsupport::spinFor(1700);
    QCOMPARE(status->text(), t.notTaken); // not a moment: it stays until something else happens

    // A read that lost a macro's second chunk: said, and the macro keeps what it showed.
    QVERIFY(spinUntil([&] { return !w.isDeviceTaskRunning(); }));
    fw->setKeyRecord(0, 7, Fw::basicRecord(0x05));
    fw->setReplyHook([](quint8 command, QVector<QByteArray> &replies) {
        for (int i = 0; command == Fw::ReadLayer && i < replies.size(); ++i)
            if (quint8(replies[i][1]) == Fw::MacroChunkReply && replies[i][4] == 1) {
                replies.removeAt(i);
                return;
            }
    });
    log.clear();
    reads.clear();
    QTest::mouseClick(w.viewSettingsButton(), Qt::LeftButton);
    QVERIFY(reads.waitReread(1, 15000));
    QCOMPARE(status->text(), t.incomplete);
    QCOMPARE(m->keyDataAt(0, 5)->type, KeyType::Macro);
    QCOMPARE(m->keyDataAt(0, 7)->keyCode, quint8(0x05));
    fw->setReplyHook({});
    log.clear();
    reads.clear();
    QTest::mouseClick(w.viewSettingsButton(), Qt::LeftButton);
    QVERIFY(reads.waitReread(1, 8000));
    QCOMPARE(status->text(), t.connected);

    // Another exchange holds the keypad: View says so for a moment, then the status is back.
    std::atomic<bool> holding{false}, letGo{false};
    QFuture<void> holder = QtConcurrent::run([&] {
        HIDManager::instance()->runLegacy([&](hid_device *) {
            holding = true;
            while (!letGo)
                QThread::msleep(1);
            return true;
        });
    });
    QVERIFY(spinUntil([&] { return holding.load(); }));
    QTest::mouseClick(w.viewSettingsButton(), Qt::LeftButton);
    QCOMPARE(status->text(), t.busy);
    QVERIFY(log.contains(QStringLiteral("View: device busy")));
    letGo = true;
    holder.waitForFinished();
    QVERIFY(spinUntil([&] { return status->text() == t.connected; }, 3000));
}

QTEST_MAIN(TstSaveStatus)
#include "tst_savestatus.moc"
