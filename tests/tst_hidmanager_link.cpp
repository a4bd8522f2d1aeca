// Finding, opening, watching and losing the keypad.
#include "device/hidmanager.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/logcapture.h"
#include "support/scriptedfirmware.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QtConcurrent>

#include <atomic>

using sim::InterfaceSpec;
using sim::SimBus;
using testsupport::ScriptedFirmware;

namespace {

HIDManager *mgr()
{
    return HIDManager::instance();
}

std::shared_ptr<ScriptedFirmware> keypad()
{
    return std::make_shared<ScriptedFirmware>();
}

QByteArray keyWritePacket()
{
    return ScriptedFirmware::request(1, 0, 3, 10, QByteArray::fromHex("00000000000000010004"));
}

} // namespace

class TestHidManagerLink : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { testsupport::resetDeviceLink(); }

    // Runs first: a manager first asked for on a worker still lives on the application's thread, so its
    // timers and signals work.
    void instanceBelongsToApplicationThread()
    {
        HIDManager *fromWorker = QtConcurrent::run([] { return HIDManager::instance(); }).result();
        QCOMPARE(fromWorker, mgr());
        QCOMPARE(mgr()->thread(), QCoreApplication::instance()->thread());
    }

    // Only interface 0, without the vendor page: the first walk passes it by, the second
    // takes it; both walks log every interface they judge.
    void interfaceZeroFallback()
    {
        testsupport::LogCapture log;
        const int id = testsupport::plugAndConnect(keypad(), 0x1189, 0x8830, SimBus::interfaceZeroOnly());
        QVERIFY(id > 0);
        const QString path = QString::fromLatin1(SimBus::pathOf(id, 0));
        QCOMPARE(mgr()->devicePath(), SimBus::pathOf(id, 0));
        QCOMPARE(mgr()->vendorId(), quint16(0x1189));
        QCOMPARE(mgr()->productId(), quint16(0x8830));
        const QStringList candidates = log.matching(QStringLiteral("HIDManager: candidate path="));
        QCOMPARE(candidates,
                 (QStringList{QStringLiteral("HIDManager: candidate path= %1 itf= 0 usagePage= 1 usage= 6 pass= 0").arg(path),
                              QStringLiteral("HIDManager: candidate path= %1 itf= 0 usagePage= 1 usage= 6 pass= 1").arg(path)}));
        QCOMPARE(log.matching(QStringLiteral("HIDManager: opened path=")),
                 QStringList{QStringLiteral("HIDManager: opened path= %1 vid= 1189 pid= 8830").arg(path)});
        QVERIFY(log.contains(QStringLiteral("HIDManager: monitoring started")));
    }

    // The vendor page wins over interface 0 of the same keypad, whatever the order.
    void vendorInterfacePreferred()
    {
        const int id = testsupport::plugAndConnect(keypad(), 0x514C, 0x8850);
        QVERIFY(id > 0);
        QCOMPARE(mgr()->devicePath(), SimBus::pathOf(id, 1));
    }

    // With two keypads present, the pair listed first wins, not the first one plugged.
    void firstListedPairWins()
    {
        SimBus::plug(0x514C, 0x8851, keypad()); // last in the list
        SimBus::plug(0x1189, 0x8842, keypad()); // third
        SimBus::plug(0x046D, 0xC52B, nullptr);  // not a keypad
        const int first = SimBus::plug(0x4C4A, 0x4155, keypad(), SimBus::interfaceZeroOnly());
        mgr()->startMonitoring();
        QVERIFY(testsupport::waitConnected());
        QCOMPARE(mgr()->vendorId(), quint16(0x4C4A));
        QCOMPARE(mgr()->productId(), quint16(0x4155));
        QCOMPARE(mgr()->devicePath(), SimBus::pathOf(first, 0));
    }

    // An interface that cannot be opened (held by another program, no permission) is
    // skipped; the next acceptable one is tried, then the next pair.
    void refusedInterfaceSkipped()
    {
        QVector<InterfaceSpec> itfs{{0, 0x0001, 0x0006, false}, {1, 0xFF00, 0x0001, true}};
        const int a = testsupport::plugAndConnect(keypad(), 0x1189, 0x8842, itfs);
        QVERIFY(a > 0);
        QCOMPARE(mgr()->devicePath(), SimBus::pathOf(a, 0));
        testsupport::resetDeviceLink();

        const int refusing = SimBus::plug(0x4C4A, 0x4155, keypad());
        SimBus::setRefuseOpen(refusing, true);
        const int b = testsupport::plugAndConnect(keypad(), 0x514C, 0x8851);
        QVERIFY(b > 0);
        QCOMPARE(mgr()->devicePath(), SimBus::pathOf(b, 1));
    }

    // While nothing is there, one tick walks the bus once, not once per candidate pair.
    void idleTickEnumeratesOnce()
    {
        SimBus::plug(0x046D, 0xC52B, nullptr);
        SimBus::resetCounters();
        for (int i = 0; i < 5; ++i)
            QVERIFY(!mgr()->tryOpenDevice());
        QCOMPARE(SimBus::enumerateCount(), 5);
        QVERIFY(!mgr()->isConnected());
    }

    void startMonitoringTwice()
    {
        testsupport::LogCapture log;
        const int timersBefore = mgr()->findChildren<QTimer *>().size();
        mgr()->startMonitoring();
        QVERIFY(mgr()->isMonitoring());
        const int timersAfter = mgr()->findChildren<QTimer *>().size();
        QVERIFY(timersAfter <= timersBefore + 1);
        QTest::qWait(200);
        QTimer *scan = nullptr;
        for (QTimer *t : mgr()->findChildren<QTimer *>())
            if (t->isActive() && t->interval() == HIDManager::SCAN_INTERVAL_MS)
                scan = t;
        QVERIFY(scan);
        const int before = scan->remainingTime();
        mgr()->startMonitoring();
        QCOMPARE(mgr()->findChildren<QTimer *>().size(), timersAfter);
        QVERIFY2(scan->remainingTime() <= before, "a running scan must not be restarted");
        QCOMPARE(log.count(QStringLiteral("HIDManager: monitoring started")), 1);
        mgr()->stopMonitoring();
        QVERIFY(!mgr()->isMonitoring());
        mgr()->startMonitoring();
        QCOMPARE(mgr()->findChildren<QTimer *>().size(), timersAfter);
    }

    // Unplugged while idle: the probe notices within about a second, reports the loss once,
    // scans again half a second later and finds the keypad when it comes back.
    void unplugWhileIdle()
    {
        const int id = testsupport::plugAndConnect(keypad());
        QVERIFY(id > 0);
        QVERIFY(!mgr()->isMonitoring());
        QSignalSpy lost(mgr(), &HIDManager::deviceDisconnected);
        QSignalSpy found(mgr(), &HIDManager::deviceConnected);
        testsupport::LogCapture log;
        QElapsedTimer t;
        t.start();
        SimBus::unplug(id);
        QVERIFY(lost.wait(3000));
        const qint64 noticed = t.elapsed();
        QVERIFY2(noticed < 2000, qPrintable(QString::number(noticed)));
        QVERIFY(!mgr()->isConnected());
        QCOMPARE(mgr()->vendorId(), quint16(0));
        QVERIFY(mgr()->devicePath().isEmpty());
        QCOMPARE(log.count(QStringLiteral("HIDManager: device closed")), 1);
        QVERIFY(!mgr()->isMonitoring());
        QVERIFY(QTest::qWaitFor([] { return mgr()->isMonitoring(); }, 3000));
        QVERIFY2(t.elapsed() - noticed >= 400, "scanning resumes half a second after the loss");
        QTest::qWait(300);
        QCOMPARE(lost.count(), 1);
        QCOMPARE(found.count(), 0);

        SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, keypad());
        QVERIFY(found.wait(3000));
        QVERIFY(mgr()->isConnected());
        QCOMPARE(lost.count(), 1);
    }

    // The keypad vanishes in the middle of a command running on a worker: the command fails
    // fast, the device closes, the loss is reported once on the manager's thread.
    void unplugDuringCommand()
    {
        const int id = testsupport::plugAndConnect(keypad());
        QVERIFY(id > 0);
        QThread *signalThread = nullptr;
        connect(mgr(), &HIDManager::deviceDisconnected, this,
                [&signalThread] { signalThread = QThread::currentThread(); }, Qt::DirectConnection);
        QSignalSpy lost(mgr(), &HIDManager::deviceDisconnected);
        testsupport::LogCapture log;
        SimBus::unplugAfterReports(id, 1);
        const QByteArray packet = keyWritePacket();
        QElapsedTimer t;
        t.start();
        QFuture<bool> op = QtConcurrent::run([packet] {
            return mgr()->runLegacy([&](hid_device *) {
                return mgr()->sendWithRetry(reinterpret_cast<const unsigned char *>(packet.constData()), 0, 3, 0, {4});
            });
        });
        QVERIFY(QTest::qWaitFor([&] { return op.isFinished(); }, 5000));
        QVERIFY(!op.result());
        QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(log.contains(QStringLiteral("HIDManager: waitAck hid_read error")));
        QVERIFY(lost.wait(2000) || lost.count() == 1);
        QCOMPARE(signalThread, mgr()->thread());
        QVERIFY(!mgr()->isConnected());
        QVERIFY(!mgr()->isBusy());
        QTest::qWait(1200); // the probe and the rescan must not report it again
        QCOMPARE(lost.count(), 1);
        QCOMPARE(SimBus::writtenReports(id).size(), 1);
        disconnect(mgr(), &HIDManager::deviceDisconnected, this, nullptr);
    }

    // The alive probe must not read while an operation holds the device: a report waiting
    // for that operation would be lost to it.
    void probeKeepsAwayFromOperations()
    {
        const int id = testsupport::plugAndConnect(keypad());
        QVERIFY(id > 0);
        std::atomic<bool> release{false};
        std::atomic<int> pendingAtEnd{-1};
        QFuture<bool> op = QtConcurrent::run([&] {
            return mgr()->runLegacy([&](hid_device *) {
                while (!release.load())
                    QThread::msleep(5);
                pendingAtEnd = SimBus::pendingInputCount(id);
                return true;
            });
        });
        QVERIFY(QTest::qWaitFor([] { return mgr()->isBusy(); }, 2000));
        SimBus::injectInput(id, ScriptedFirmware::ack(6, 0, 0, 3, 0));
        QTest::qWait(2300); // two probe periods
        release = true;
        QVERIFY(QTest::qWaitFor([&] { return op.isFinished(); }, 2000));
        QCOMPARE(pendingAtEnd.load(), 1);
        QVERIFY(!mgr()->isBusy());
        // Once the device is free again the probe reads (and drops) it.
        QVERIFY(QTest::qWaitFor([id] { return SimBus::pendingInputCount(id) == 0; }, 2500));
        QVERIFY(mgr()->isConnected());
    }

    // Disconnecting from the GUI thread while a worker uses the handle waits for the worker:
    // the handle is never closed under it.
    void disconnectWaitsForOperation()
    {
        const int id = testsupport::plugAndConnect(keypad());
        QVERIFY(id > 0);
        QSignalSpy lost(mgr(), &HIDManager::deviceDisconnected);
        std::atomic<bool> started{false};
        const QByteArray report = QByteArray(1, char(3)) + keyWritePacket() + QByteArray(1, '\0');
        QFuture<int> op = QtConcurrent::run([&] {
            int ret = 0;
            mgr()->runLegacy([&](hid_device *dev) {
                started = true;
                QThread::msleep(300);
                ret = hid_write(dev, reinterpret_cast<const unsigned char *>(report.constData()), size_t(report.size()));
                return true;
            });
            return ret;
        });
        QVERIFY(QTest::qWaitFor([&] { return started.load(); }, 2000));
        mgr()->disconnectDevice();
        QVERIFY(mgr()->isConnected()); // not yet: the worker still holds the device
        QVERIFY(QTest::qWaitFor([&] { return op.isFinished(); }, 3000));
        QCOMPARE(op.result(), 65);
        QVERIFY(testsupport::waitDisconnected(2000));
        QTest::qWait(100);
        QCOMPARE(lost.count(), 1);
        QCOMPARE(SimBus::openHandleCount(id), 0);
    }

    // The legacy entry point lends the handle under the lock and returns the callee's answer.
    void runLegacyLendsHandle()
    {
        bool busyInside = false;
        hid_device *seen = reinterpret_cast<hid_device *>(1);
        QVERIFY(!mgr()->runLegacy([&](hid_device *dev) {
            seen = dev;
            return false;
        }));
        QVERIFY(!seen);
        const int id = testsupport::plugAndConnect(keypad());
        QVERIFY(id > 0);
        QVERIFY(mgr()->runLegacy([&](hid_device *dev) {
            seen = dev;
            busyInside = mgr()->isBusy();
            return true;
        }));
        QVERIFY(seen);
        QVERIFY(busyInside);
        QVERIFY(!mgr()->isBusy());
        QVERIFY(!mgr()->runLegacy(nullptr));
    }
};

QTEST_GUILESS_MAIN(TestHidManagerLink)
#include "tst_hidmanager_link.moc"
