// Framing of the current protocol on the wire: report bytes, acknowledgement matching,
// flushing and the send-with-retry pattern, against a simulated keypad.
#include "device/hidmanager.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/logcapture.h"
#include "support/scriptedfirmware.h"

#include <QElapsedTimer>
#include <QTest>

using sim::SimBus;
using testsupport::ScriptedFirmware;

Q_DECLARE_METATYPE(QVector<QByteArray>)

namespace {

using Replies = QVector<QByteArray>;

QByteArray brokenChecksum(QByteArray ack)
{
    ack[8] = char(quint8(ack[8]) ^ 0x01);
    return ack;
}

QByteArray withReportId(QByteArray r, quint8 id)
{
    r[0] = char(id);
    return r;
}

// A basic key 0x04 for layer 1, key 2: the command, the record and its checksum.
QByteArray basicKeyPacket()
{
    QByteArray p(63, '\0');
    const QByteArray head = QByteArray::fromHex("0101020a" "00000000000000" "0100" "04");
    p.replace(0, head.size(), head);
    p[62] = char(HIDManager::calcChecksum(reinterpret_cast<const unsigned char *>(p.constData()), 62));
    return p;
}

} // namespace

class TestHidManager : public QObject
{
    Q_OBJECT

    std::shared_ptr<ScriptedFirmware> m_fw;
    int m_id = 0;
    HIDManager *mgr() const { return HIDManager::instance(); }

private slots:
    void init()
    {
        m_fw = std::make_shared<ScriptedFirmware>();
        m_id = testsupport::plugAndConnect(m_fw);
        QVERIFY(m_id > 0);
        SimBus::clearWrittenReports(m_id);
    }
    void cleanup() { testsupport::resetDeviceLink(); }

    void calcChecksum_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("len");
        QTest::addColumn<int>("expected");
        QTest::newRow("three bytes") << QByteArray::fromHex("010204") << 3 << 0x07;
        QTest::newRow("empty range") << QByteArray::fromHex("010204") << 0 << 0;
        QTest::newRow("negative length") << QByteArray::fromHex("010204") << -5 << 0;
        QTest::newRow("only the given length") << QByteArray::fromHex("0102ff") << 2 << 0x03;
        QTest::newRow("information request") << QByteArray::fromHex("0b") + QByteArray(61, '\0') << 62 << 0x0b;
        QTest::newRow("lighting read, layer 2") << QByteArray::fromHex("0a02fe") + QByteArray(59, '\0') << 62 << 0xf6;
        QTest::newRow("layer read, layer 3") << QByteArray::fromHex("0403ff") + QByteArray(59, '\0') << 62 << (3 ^ 0xfb);
        QTest::newRow("even run of 0xff") << QByteArray(62, char(0xff)) << 62 << 0;
    }
    void calcChecksum()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, len);
        QFETCH(int, expected);
        QCOMPARE(int(HIDManager::calcChecksum(reinterpret_cast<const unsigned char *>(bytes.constData()), len)),
                 expected);
    }

    // One request on the wire: 65 bytes, report ID 3, the 63-byte packet, a zero at the end;
    // a refused write is reported and logged but does not drop the keypad.
    void sendPacketFraming()
    {
        const QByteArray packet = basicKeyPacket();
        QCOMPARE(quint8(packet[62]), quint8(0x0d));
        QVERIFY(mgr()->runLegacy([&](hid_device *) { return mgr()->sendPacket(packet.constData(), 63); }));
        const QVector<QByteArray> written = SimBus::writtenReports(m_id);
        QCOMPARE(written.size(), 1);
        QCOMPARE(written[0].size(), 65);
        QCOMPARE(quint8(written[0][0]), quint8(3));
        QCOMPARE(written[0].mid(1, 63), packet);
        QCOMPARE(quint8(written[0][64]), quint8(0));

        testsupport::LogCapture log;
        SimBus::failWrites(m_id, 1);
        QVERIFY(!mgr()->runLegacy([&](hid_device *) { return mgr()->sendPacket(packet.constData(), 63); }));
        QCOMPARE(log.matching("HIDManager: sendPacket failed ret=").value(0),
                 QStringLiteral("HIDManager: sendPacket failed ret= -1 err= write failed"));
        QVERIFY(mgr()->isConnected());
        QVERIFY(mgr()->runLegacy([&](hid_device *) { return mgr()->sendPacket(packet.constData(), 63); }));

        // A caller's longer buffer is cut at the report's size, a null one sends zeros.
        const QByteArray big(200, char(0x55));
        QVERIFY(mgr()->runLegacy([&](hid_device *) { return mgr()->sendPacket(big.constData(), 200); }));
        QCOMPARE(SimBus::writtenReports(m_id).last(), QByteArray(1, char(3)) + QByteArray(64, char(0x55)));

        mgr()->disconnectDevice();
        QVERIFY(!mgr()->sendPacket(packet.constData(), 63));
    }

    void waitAck_data()
    {
        QTest::addColumn<Replies>("input");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("status"); // -1: left as preset
        QTest::addColumn<bool>("timesOut");
        QTest::addColumn<QString>("logLine");
        // Waiting for layer 1, key 2, packet 0.
        QTest::newRow("matching ACK") << Replies{ScriptedFirmware::ack(6, 0, 1, 2, 0)} << true << 0 << false << QString();
        QTest::newRow("wrong ACK skipped, right one taken")
            << Replies{ScriptedFirmware::ack(6, 0, 1, 3, 0), ScriptedFirmware::ack(6, 0, 1, 2, 0)} << true << 0 << false
            << QStringLiteral("HIDManager: waitAck wrong ACK layer= 1 key= 3 pkt= 0");
        QTest::newRow("ACK for another packet only")
            << Replies{ScriptedFirmware::ack(6, 0, 1, 2, 1)} << false << -1 << true
            << QStringLiteral("HIDManager: waitAck timeout layer= 1 key= 2 pkt= 0");
        QTest::newRow("NAK for any key ends at once")
            << Replies{ScriptedFirmware::ack(7, 5, 3, 9, 4), ScriptedFirmware::ack(6, 0, 1, 2, 0)} << false << 5 << false
            << QStringLiteral("HIDManager: waitAck NAK status= 5");
        QTest::newRow("ACK with status 1") << Replies{ScriptedFirmware::ack(6, 1, 1, 2, 0)} << false << 1 << false
                                           << QString();
        QTest::newRow("ACK with status 4") << Replies{ScriptedFirmware::ack(6, 4, 1, 2, 0)} << false << 4 << false
                                           << QString();
        QTest::newRow("8-byte ACK skipped") << Replies{ScriptedFirmware::ack(6, 0, 1, 2, 0, 8)} << false << -1 << true
                                            << QStringLiteral("HIDManager: waitAck skip cmd=0x6");
        QTest::newRow("9-byte ACK taken") << Replies{ScriptedFirmware::ack(6, 0, 1, 2, 0, 9)} << true << 0 << false
                                          << QString();
        QTest::newRow("bad checksum skipped")
            << Replies{brokenChecksum(ScriptedFirmware::ack(6, 0, 1, 2, 0))} << false << -1 << true
            << QStringLiteral("HIDManager: waitAck checksum err");
        QTest::newRow("other report ID ignored")
            << Replies{withReportId(ScriptedFirmware::ack(6, 0, 1, 2, 0), 2)} << false << -1 << true << QString();
        QTest::newRow("unexpected command skipped")
            << Replies{ScriptedFirmware::ack(9, 0, 1, 2, 0), ScriptedFirmware::ack(6, 0, 1, 2, 0)} << true << 0 << false
            << QStringLiteral("HIDManager: waitAck skip cmd=0x9");
        QTest::newRow("garbage then ACK")
            << Replies{QByteArray::fromHex("03"), QByteArray(64, char(0xa5)), ScriptedFirmware::ack(6, 0, 1, 2, 0)}
            << true << 0 << false << QString();
    }
    void waitAck()
    {
        QFETCH(Replies, input);
        QFETCH(bool, ok);
        QFETCH(int, status);
        QFETCH(bool, timesOut);
        QFETCH(QString, logLine);
        for (const QByteArray &r : input)
            SimBus::injectInput(m_id, r);
        testsupport::LogCapture log;
        unsigned char st = 0xEE;
        QElapsedTimer t;
        t.start();
        bool result = false;
        mgr()->runLegacy([&](hid_device *) {
            result = mgr()->waitAck(1, 2, 0, &st);
            return true;
        });
        const qint64 ms = t.elapsed();
        QCOMPARE(result, ok);
        QCOMPARE(int(st), status < 0 ? 0xEE : status);
        if (timesOut)
            QVERIFY2(ms >= 480 && ms < 3000, qPrintable(QString::number(ms)));
        else
            QVERIFY2(ms < 400, qPrintable(QString::number(ms)));
        if (!logLine.isEmpty())
            QVERIFY2(log.contains(logLine), qPrintable(log.lines().join('\n')));
        if (!timesOut)
            QVERIFY(!log.contains(QStringLiteral("waitAck timeout")));
        QVERIFY(mgr()->isConnected());
        // Without a status pointer the answer still counts.
        SimBus::injectInput(m_id, ScriptedFirmware::ack(6, 0, 1, 2, 0));
        QVERIFY(mgr()->runLegacy([&](hid_device *) { return mgr()->waitAck(1, 2, 0, nullptr); }));
    }

    // Reports left over from an earlier exchange are thrown away, 33 reads at most per call.
    void flushRxBuffer()
    {
        testsupport::LogCapture log;
        mgr()->runLegacy([&](hid_device *) {
            mgr()->flushRxBuffer();
            return true;
        });
        QVERIFY(!log.contains(QStringLiteral("flushed")));
        for (int i = 0; i < 3; ++i)
            SimBus::injectInput(m_id, ScriptedFirmware::ack(6, 0, 0, quint8(i), 0));
        mgr()->runLegacy([&](hid_device *) {
            mgr()->flushRxBuffer();
            return true;
        });
        QCOMPARE(log.matching(QStringLiteral("flushed")), QStringList{QStringLiteral("HIDManager: flushed 3 stale packets")});
        QCOMPARE(SimBus::pendingInputCount(m_id), 0);

        log.clear();
        for (int i = 0; i < 40; ++i)
            SimBus::injectInput(m_id, ScriptedFirmware::ack(6, 0, 0, quint8(i), 0));
        mgr()->runLegacy([&](hid_device *) {
            mgr()->flushRxBuffer();
            return true;
        });
        QCOMPARE(log.matching(QStringLiteral("flushed")), QStringList{QStringLiteral("HIDManager: flushed 32 stale packets")});
        QCOMPARE(SimBus::pendingInputCount(m_id), 7);
    }

    void sendWithRetry_data()
    {
        QTest::addColumn<QVector<Replies>>("script"); // replies per attempt
        QTest::addColumn<QString>("finals");          // "key", "chunk" or "none"
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<int>("lastStatus");
        const QByteArray good = ScriptedFirmware::ack(6, 0, 1, 2, 0);
        QTest::newRow("acknowledged at once") << QVector<Replies>{{good}} << "key" << true << 1 << 0;
        QTest::newRow("status 1 is retried") << QVector<Replies>{{ScriptedFirmware::ack(6, 1, 1, 2, 0)}, {good}}
                                             << "key" << true << 2 << 0;
        QTest::newRow("status 4 ends a key write")
            << QVector<Replies>{{ScriptedFirmware::ack(6, 4, 1, 2, 0)}, {good}} << "key" << false << 1 << 4;
        QTest::newRow("status 2 is retried for a key")
            << QVector<Replies>{{ScriptedFirmware::ack(6, 2, 1, 2, 0)}, {good}} << "key" << true << 2 << 0;
        QTest::newRow("status 2 ends a macro chunk")
            << QVector<Replies>{{ScriptedFirmware::ack(6, 2, 1, 2, 0)}, {good}} << "chunk" << false << 1 << 2;
        QTest::newRow("status 4 is retried for a clear")
            << QVector<Replies>{{ScriptedFirmware::ack(6, 4, 1, 2, 0)}, {ScriptedFirmware::ack(6, 4, 1, 2, 0)},
                                {ScriptedFirmware::ack(6, 4, 1, 2, 0)}, {good}}
            << "none" << false << 3 << 4;
        QTest::newRow("final NAK status ends at once")
            << QVector<Replies>{{ScriptedFirmware::ack(7, 4, 0, 0, 0)}, {good}} << "key" << false << 1 << 4;
        QTest::newRow("NAK 1 then wrong ACK then ACK")
            << QVector<Replies>{{ScriptedFirmware::ack(7, 1, 0, 0, 0)}, {ScriptedFirmware::ack(6, 0, 1, 3, 0), good}}
            << "key" << true << 2 << 0;
    }
    void sendWithRetry()
    {
        QFETCH(QVector<Replies>, script);
        QFETCH(QString, finals);
        QFETCH(bool, ok);
        QFETCH(int, attempts);
        QFETCH(int, lastStatus);
        for (const Replies &r : script)
            m_fw->scriptNext(r);
        const QByteArray packet = basicKeyPacket();
        const auto *p = reinterpret_cast<const unsigned char *>(packet.constData());
        unsigned char st = 0xEE;
        const bool result = mgr()->runLegacy([&](hid_device *) {
            if (finals == QLatin1String("key"))
                return mgr()->sendWithRetry(p, 1, 2, 0, {4}, &st);
            if (finals == QLatin1String("chunk"))
                return mgr()->sendWithRetry(p, 1, 2, 0, {2, 4}, &st);
            return mgr()->sendWithRetry(p, 1, 2, 0, {}, &st);
        });
        QCOMPARE(result, ok);
        QCOMPARE(int(st), lastStatus);
        const QVector<QByteArray> written = SimBus::writtenReports(m_id);
        QCOMPARE(written.size(), attempts);
        for (const QByteArray &w : written)
            QCOMPARE(w.mid(1, 63), packet); // every attempt repeats the same bytes
    }

    // A keypad that never answers: three attempts of 500 ms and two 50 ms pauses.
    void sendWithRetryGivesUp()
    {
        m_fw->scriptAlways({});
        testsupport::LogCapture log;
        const QByteArray packet = basicKeyPacket();
        QElapsedTimer t;
        t.start();
        unsigned char st = 0xEE;
        const bool ok = mgr()->runLegacy([&](hid_device *) {
            return mgr()->sendWithRetry(reinterpret_cast<const unsigned char *>(packet.constData()), 1, 2, 0, {4}, &st);
        });
        const qint64 ms = t.elapsed();
        QVERIFY(!ok);
        QCOMPARE(int(st), 0);
        QVERIFY2(ms >= 1550 && ms < 4000, qPrintable(QString::number(ms)));
        QCOMPARE(SimBus::writtenReports(m_id).size(), 3);
        QCOMPARE(log.count(QStringLiteral("HIDManager: waitAck timeout layer= 1 key= 2 pkt= 0")), 3);
        QVERIFY(mgr()->isConnected());
    }

    // A late answer to a failed attempt must not be taken for the answer to the next one:
    // the flush before each repeat drops it.
    void retryFlushesLateAnswers()
    {
        // The first attempt is refused, and behind the refusal comes a success for the same
        // request: without the flush the second attempt would take it as its own answer.
        m_fw->scriptNext({ScriptedFirmware::ack(6, 1, 1, 2, 0), ScriptedFirmware::ack(6, 0, 1, 2, 0)});
        m_fw->scriptNext({ScriptedFirmware::ack(6, 3, 1, 2, 0)});
        m_fw->scriptNext({ScriptedFirmware::ack(6, 0, 1, 2, 0)});
        SimBus::setLatency(m_id, 1);
        const QByteArray packet = basicKeyPacket();
        unsigned char st = 0;
        const bool ok = mgr()->runLegacy([&](hid_device *) {
            return mgr()->sendWithRetry(reinterpret_cast<const unsigned char *>(packet.constData()), 1, 2, 0, {4}, &st);
        });
        QVERIFY(ok);
        QCOMPARE(SimBus::writtenReports(m_id).size(), 3);
    }

    void primitivesWithoutDevice()
    {
        mgr()->disconnectDevice();
        QVERIFY(testsupport::waitDisconnected());
        unsigned char st = 0xEE;
        QVERIFY(!mgr()->waitAck(0, 0, 0, &st));
        QCOMPARE(int(st), 0xEE);
        mgr()->flushRxBuffer();
        QElapsedTimer t;
        t.start();
        const QByteArray packet = basicKeyPacket();
        bool sawNull = false;
        QVERIFY(!mgr()->runLegacy([&](hid_device *dev) {
            sawNull = dev == nullptr;
            return mgr()->sendWithRetry(reinterpret_cast<const unsigned char *>(packet.constData()), 0, 0, 0);
        }));
        QVERIFY(sawNull);
        QVERIFY(t.elapsed() < 500); // no pauses for a keypad that is not there
    }
};

QTEST_GUILESS_MAIN(TestHidManager)
#include "tst_hidmanager.moc"
