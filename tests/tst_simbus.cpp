// The simulated bus must keep hidapi's contract, or tests against it prove nothing about the
// real device: return values, blocking and non-blocking reads, unplugging, faults.
#include "sim/simbus.h"
#include "support/scriptedfirmware.h"

#include <QElapsedTimer>
#include <QTest>
#include <QtConcurrent>

#include <hidapi.h>

#include <atomic>

using sim::SimBus;
using testsupport::ScriptedFirmware;

namespace {

QByteArray report65(quint8 cmd, quint8 layer = 0, quint8 key = 0)
{
    return QByteArray(1, char(3)) + ScriptedFirmware::request(cmd, layer, key, 0) + QByteArray(1, '\0');
}

int write(hid_device *dev, const QByteArray &r)
{
    return hid_write(dev, reinterpret_cast<const unsigned char *>(r.constData()), size_t(r.size()));
}

QByteArray readNow(hid_device *dev, int *ret = nullptr, int size = 65)
{
    QByteArray buf(size, '\0');
    const int r = hid_read_timeout(dev, reinterpret_cast<unsigned char *>(buf.data()), size_t(size), 0);
    if (ret)
        *ret = r;
    return r > 0 ? buf.left(r) : QByteArray();
}

hid_device *openFirst(int id, int itf = 1)
{
    return hid_open_path(SimBus::pathOf(id, itf).constData());
}

} // namespace

class TestSimBus : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SimBus::reset(); }

    void enumerationFiltersAndFrees()
    {
        const int a = SimBus::plug(0x1189, 0x8842, nullptr);
        const int b = SimBus::plug(0x514C, 0x8851, nullptr, SimBus::interfaceZeroOnly());
        SimBus::plug(0x046D, 0xC52B, nullptr); // a mouse receiver next to them

        hid_device_info *all = hid_enumerate(0, 0);
        int count = 0;
        for (hid_device_info *d = all; d; d = d->next)
            ++count;
        QCOMPARE(count, 5); // 2 + 1 + 2 interfaces
        hid_free_enumeration(all);

        hid_device_info *one = hid_enumerate(0x1189, 0x8842);
        QVERIFY(one && one->next && !one->next->next);
        QCOMPARE(QByteArray(one->path), SimBus::pathOf(a, 0));
        QCOMPARE(int(one->interface_number), 0);
        QCOMPARE(int(one->next->usage_page), 0xFF00);
        QCOMPARE(int(one->next->usage), 1);
        QCOMPARE(int(one->next->interface_number), 1);
        hid_free_enumeration(one);

        QVERIFY(!hid_enumerate(0x1189, 0x9999));
        hid_free_enumeration(nullptr);

        SimBus::unplug(b);
        hid_device_info *after = hid_enumerate(0x514C, 0);
        QVERIFY(!after);
        QCOMPARE(SimBus::enumerateCount(), 4);
    }

    void openRefusalAndClose()
    {
        QVector<sim::InterfaceSpec> itfs = SimBus::standardInterfaces();
        itfs[1].refuseOpen = true;
        const int id = SimBus::plug(0x1189, 0x8842, nullptr, itfs);
        QVERIFY(!openFirst(id, 1));
        QVERIFY(hid_error(nullptr) != nullptr);
        QVERIFY(!hid_open_path("sim/keypad999/if0"));
        QVERIFY(!hid_open_path(nullptr));

        hid_device *dev = openFirst(id, 0);
        QVERIFY(dev);
        QCOMPARE(SimBus::openHandleCount(id), 1);
        SimBus::setRefuseOpen(id, true);
        QVERIFY(!openFirst(id, 0));
        hid_close(dev);
        QCOMPARE(SimBus::openHandleCount(id), 0);
    }

    // Reads: 0 when nothing waits (non-blocking), a timed read waits for a report that is
    // due within its timeout, a short buffer gets the head of the report.
    void readConventionsAndLatency()
    {
        auto fw = std::make_shared<ScriptedFirmware>();
        const int id = SimBus::plug(0x1189, 0x8842, fw);
        hid_device *dev = openFirst(id);
        QVERIFY(dev);
        QCOMPARE(hid_set_nonblocking(dev, 1), 0);
        unsigned char buf[65];
        QCOMPARE(hid_read(dev, buf, sizeof buf), 0);

        QCOMPARE(write(dev, report65(1, 2, 3)), 65);
        int ret = -2;
        const QByteArray ack = readNow(dev, &ret);
        QCOMPARE(ret, 64);
        QCOMPARE(ack.left(6), QByteArray::fromHex("030600020300"));

        SimBus::setLatency(id, 40);
        QCOMPARE(write(dev, report65(5, 1, 4)), 65);
        QCOMPARE(hid_read(dev, buf, sizeof buf), 0); // not yet on the wire
        QCOMPARE(hid_read_timeout(dev, buf, sizeof buf, 5), 0);
        QElapsedTimer t;
        t.start();
        QCOMPARE(hid_read_timeout(dev, buf, sizeof buf, 2000), 64);
        QVERIFY2(t.elapsed() >= 20 && t.elapsed() < 1500, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(int(buf[1]), 6);

        SimBus::setLatency(id, 0);
        write(dev, report65(9, 0, 0xFE));
        const QByteArray head = readNow(dev, &ret, 2);
        QCOMPARE(ret, 2);
        QCOMPARE(head, QByteArray::fromHex("0306"));
        hid_close(dev);
    }

    // A vanished keypad answers every later call with -1, also a read that is already
    // blocked waiting on another thread.
    void unplugFailsEveryCall()
    {
        auto fw = std::make_shared<ScriptedFirmware>();
        const int id = SimBus::plug(0x1189, 0x8842, fw);
        hid_device *dev = openFirst(id);
        QVERIFY(dev);
        std::atomic<int> blockedResult{1};
        QFuture<void> reader = QtConcurrent::run([&] {
            unsigned char buf[65];
            blockedResult = hid_read(dev, buf, sizeof buf); // blocking mode by default
        });
        QTest::qWait(50);
        QCOMPARE(blockedResult.load(), 1);
        SimBus::unplug(id);
        reader.waitForFinished();
        QCOMPARE(blockedResult.load(), -1);
        QCOMPARE(write(dev, report65(1)), -1);
        unsigned char buf[65];
        QCOMPARE(hid_read_timeout(dev, buf, sizeof buf, 0), -1);
        QVERIFY(hid_error(dev));
        QVERIFY(!SimBus::isPlugged(id));
        QVERIFY(!hid_enumerate(0x1189, 0x8842));
        hid_close(dev);

        // After the n-th write from now: that write still succeeds, its reply never comes.
        const int id2 = SimBus::plug(0x1189, 0x8842, fw);
        dev = openFirst(id2);
        SimBus::unplugAfterReports(id2, 2);
        QCOMPARE(write(dev, report65(1)), 65);
        QCOMPARE(readNow(dev).size(), 64);
        QCOMPARE(write(dev, report65(1)), 65);
        int ret = 0;
        readNow(dev, &ret);
        QCOMPARE(ret, -1);
        QCOMPARE(write(dev, report65(1)), -1);
        QCOMPARE(SimBus::writtenReports(id2).size(), 2);
        hid_close(dev);
    }

    void replyFaults()
    {
        auto fw = std::make_shared<ScriptedFirmware>();
        const int id = SimBus::plug(0x1189, 0x8842, fw);
        hid_device *dev = openFirst(id);
        int ret = 0;

        SimBus::dropReplies(id, 1);
        write(dev, report65(1));
        readNow(dev, &ret);
        QCOMPARE(ret, 0);
        write(dev, report65(1));
        QCOMPARE(readNow(dev).size(), 64);

        SimBus::truncateReplies(id, 1, 8);
        write(dev, report65(1, 0, 7));
        const QByteArray shortAck = readNow(dev);
        QCOMPARE(shortAck, ScriptedFirmware::ack(6, 0, 0, 7, 0, 8));

        SimBus::garbleReplies(id, 1);
        write(dev, report65(1, 0, 7));
        const QByteArray garbage = readNow(dev);
        QCOMPARE(garbage.size(), 64);
        QCOMPARE(int(garbage[0]), 3);
        QVERIFY(garbage != ScriptedFirmware::ack(6, 0, 0, 7, 0));

        SimBus::setSilent(id, true);
        write(dev, report65(11));
        readNow(dev, &ret);
        QCOMPARE(ret, 0);
        QCOMPARE(fw->requestCount(), 4); // a silent keypad's firmware hears nothing either
        SimBus::setSilent(id, false);

        SimBus::failWrites(id, 1);
        QCOMPARE(write(dev, report65(1)), -1);
        QVERIFY(hid_error(dev));
        QCOMPARE(write(dev, report65(1)), 65);

        SimBus::injectInput(id, QByteArray::fromHex("0399"));
        QCOMPARE(SimBus::pendingInputCount(id), 2);
        hid_close(dev);
        QCOMPARE(SimBus::pendingInputCount(id), 0); // nobody left to read them
    }

    void recordsEveryWrittenReport()
    {
        auto fw = std::make_shared<ScriptedFirmware>();
        const int id = SimBus::plug(0x1189, 0x8842, fw);
        hid_device *dev = openFirst(id);
        const QByteArray a = report65(1, 1, 2);
        const QByteArray b = report65(5, 3, 24);
        write(dev, a);
        SimBus::setSilent(id, true);
        write(dev, b);
        QCOMPARE(SimBus::writtenReports(id), (QVector<QByteArray>{a, b}));
        SimBus::clearWrittenReports(id);
        QVERIFY(SimBus::writtenReports(id).isEmpty());
        hid_close(dev);
        SimBus::unplug(id);
        QCOMPARE(SimBus::firmware(id), std::shared_ptr<sim::Firmware>(fw)); // inspectable after unplug
    }

    // Several threads writing and reading one keypad while another plugs and unplugs:
    // under the sanitizers this shows the bus keeps its own state consistent.
    void concurrentUse()
    {
        auto fw = std::make_shared<ScriptedFirmware>();
        const int id = SimBus::plug(0x1189, 0x8842, fw);
        std::atomic<int> acks{0};
        auto worker = [&] {
            hid_device *dev = openFirst(id);
            hid_set_nonblocking(dev, 1);
            for (int i = 0; i < 200; ++i) {
                write(dev, report65(1, 0, quint8(i % 25)));
                unsigned char buf[65];
                while (hid_read(dev, buf, sizeof buf) > 0)
                    ++acks;
            }
            hid_close(dev);
        };
        QFuture<void> f1 = QtConcurrent::run(worker);
        QFuture<void> f2 = QtConcurrent::run(worker);
        for (int i = 0; i < 50; ++i) {
            const int other = SimBus::plug(0x1189, 0x8840, nullptr);
            hid_free_enumeration(hid_enumerate(0, 0));
            SimBus::unplug(other);
        }
        f1.waitForFinished();
        f2.waitForFinished();
        QCOMPARE(fw->requestCount(), 400);
        QVERIFY(acks.load() > 0);
        QCOMPARE(SimBus::openHandleCount(id), 0);
    }
};

QTEST_GUILESS_MAIN(TestSimBus)
#include "tst_simbus.moc"
