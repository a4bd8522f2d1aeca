// Current-protocol commands against the simulated keypad: the exact bytes on the wire,
// what the keypad ends up holding, and how refusals, silence and broken replies are handled.
#include "device/hidmanager.h"
#include "model/readcoverage.h"
#include "sim/currentfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/keydatatestkit.h"
#include "support/logcapture.h"
#include "support/reportbytes.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

using Fw = sim::CurrentFirmware;
using sim::SimBus;
using keydatatest::basic;
using testsupport::hex;
using testsupport::packet;

namespace {

KeyData macro(int steps)
{
    QVector<MacroStepData> s;
    for (int i = 0; i < steps; ++i)
        s.append({quint8(i % 2), quint8(0x04 + i / 2), quint16(10 * i)});
    KeyData k;
    k.setMacro(s);
    return k;
}

QVector<Fw::Step> fwSteps(int n)
{
    QVector<Fw::Step> s;
    for (int i = 0; i < n; ++i)
        s.append({quint8(i % 2), quint8(0x04 + i / 2), quint16(10 * i)});
    return s;
}

} // namespace

Q_DECLARE_METATYPE(KeyData)

class TestProtocolCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { testsupport::resetDeviceLink(); }

    void deviceInformation();
    void deviceInformationIgnoredOrRefused();
    void writePackets_data();
    void writePackets();
    void writeRangeAndBadRecords();
    void writeRetriesAndFinalStatuses();
    void layerRead();
    void layerReadUntrustedReplies();
    void layerReadWithoutEnd();

private:
    // Packets (report ID stripped) the program wrote since the last clear.
    QVector<QByteArray> written(int command = -1) const;

    std::shared_ptr<Fw> m_fw;
    int m_id = 0;
    HIDManager *m_mgr = nullptr;
};

void TestProtocolCommands::init()
{
    m_fw = std::make_shared<Fw>();
    m_id = testsupport::plugAndConnect(m_fw);
    QVERIFY(m_id > 0);
    m_mgr = HIDManager::instance();
    SimBus::clearWrittenReports(m_id);
}

QVector<QByteArray> TestProtocolCommands::written(int command) const
{
    QVector<QByteArray> out;
    for (const QByteArray &r : SimBus::writtenReports(m_id)) {
        if (r.size() != 65 || quint8(r[0]) != 3 || r[64] != 0)
            out.append(QByteArray("malformed report"));
        else if (command < 0 || quint8(r[1]) == command)
            out.append(r.mid(1, 63));
    }
    return out;
}

void TestProtocolCommands::deviceInformation()
{
    testsupport::LogCapture log;
    Fw::Identity id;
    id.keyCount = 16;
    id.encoderCount = 3;
    id.extraKeyCount = 0;
    id.layerCount = 4;
    id.variantP = 2;
    id.shape = 5;
    id.variantB = 9;
    m_fw->setIdentity(id);

    DeviceInfo info;
    QVERIFY(m_mgr->readDeviceInfo(info));
    QVERIFY(info.valid);
    QCOMPARE(int(info.keyCount), 16);
    QCOMPARE(int(info.encoderCount), 3);
    QCOMPARE(int(info.extraKeyCount), 0);
    QCOMPARE(int(info.layerCount), 4);
    QCOMPARE(int(info.variantP), 2);
    QCOMPARE(int(info.shape), 5);
    QCOMPARE(int(info.variantB), 9);
    QCOMPARE(info.writableKeyLimit(), 25);
    QCOMPARE(m_mgr->deviceInfo().keyCount, info.keyCount);
    QVERIFY(!m_mgr->isBusy());

    // The request: command 11, zeros, checksum 11.
    const QVector<QByteArray> sent = written();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent[0].toHex(), packet(hex("0b")).toHex());
    QCOMPARE(quint8(sent[0][62]), quint8(11));
    QVERIFY(log.contains(QStringLiteral("HIDManager: readDeviceInfo request sent")));
    QVERIFY(log.contains(QStringLiteral("HIDManager: device info K= 16 E= 3 D= 0 L= 4 P= 2 S= 5 B= 9")));

    // A 6-key, 1-knob keypad: nine writable slots, remembered for the writes.
    id.keyCount = 6;
    id.encoderCount = 1;
    m_fw->setIdentity(id);
    QVERIFY(m_mgr->readDeviceInfo(info));
    QCOMPARE(info.writableKeyLimit(), 9);
    QCOMPARE(m_mgr->writableKeyLimit(), 9);

    // Closing the device forgets it, so writes fall back to all 25 slots.
    m_mgr->disconnectDevice();
    QVERIFY(testsupport::waitDisconnected());
    QCOMPARE(m_mgr->writableKeyLimit(), 25);
    QVERIFY(!m_mgr->readDeviceInfo(info));
    QVERIFY(!info.valid);
}

void TestProtocolCommands::deviceInformationIgnoredOrRefused()
{
    testsupport::LogCapture log;
    DeviceInfo info;

    // A length byte below 7 is not an answer: the read runs into its 250 ms time-out and
    // the device stays open (which is how a legacy keypad is told apart).
    Fw::Identity id;
    id.lengthByte = 6;
    m_fw->setIdentity(id);
    QElapsedTimer t;
    t.start();
    QVERIFY(!m_mgr->readDeviceInfo(info));
    QVERIFY2(t.elapsed() >= 240, qPrintable(QString::number(t.elapsed())));
    QVERIFY(t.elapsed() < 3000);
    QVERIFY(!info.valid);
    QVERIFY(log.contains(QStringLiteral("HIDManager: readDeviceInfo timeout")));
    QVERIFY(m_mgr->isConnected());
    m_fw->setIdentity(Fw::Identity());

    // A broken checksum is no answer either.
    m_fw->addFault({Fw::FaultKind::BadChecksum, Fw::ReadInfo, -1, -1, 1});
    QVERIFY(!m_mgr->readDeviceInfo(info));
    QVERIFY(!info.valid);

    // A refusal ends the wait at once, with its status in the log.
    log.clear();
    m_fw->addFault({Fw::FaultKind::Nak, Fw::ReadInfo, -1, -1, 1, 0x21});
    QVERIFY(!m_mgr->readDeviceInfo(info));
    QVERIFY(log.contains(QStringLiteral("HIDManager: readDeviceInfo NAK status= 33")));
    QVERIFY(!log.contains(QStringLiteral("HIDManager: readDeviceInfo timeout")));

    // Stale input waiting from before is flushed, not taken for the answer.
    SimBus::injectInput(m_id, Fw::dataReport(Fw::ReadInfo, 0, 0, 7, hex("01010101010101")));
    QVERIFY(m_mgr->readDeviceInfo(info));
    QCOMPARE(int(info.keyCount), 16);

    // Unplugged mid-read: a read error closes the device.
    SimBus::unplugAfterReports(m_id, 1);
    QVERIFY(!m_mgr->readDeviceInfo(info));
    QVERIFY(testsupport::waitDisconnected());
}

void TestProtocolCommands::writePackets_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("key");
    QTest::addColumn<KeyData>("data");
    QTest::addColumn<QVector<QByteArray>>("packets");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("basic 04 on layer 1, key 2")
        << 1 << 2 << basic(0x04) << QVector<QByteArray>{packet(hex("0101020a" "00000000000000" "0100" "04"))}
        << hex("00000000000000010004");

    KeyData media;
    media.setMultimedia(0x00E9);
    QTest::newRow("multimedia E9 00") << 0 << 0 << media
                                      << QVector<QByteArray>{packet(hex("0100000b" "02000000000000" "0200" "e900"))}
                                      << hex("020000000000000200e900");

    KeyData mouse;
    mouse.setMouseAction(7);
    QTest::newRow("mouse 7") << 3 << 24 << mouse << QVector<QByteArray>{packet(hex("0103180a" "03000000000000" "0100" "07"))}
                             << hex("03000000000000010007");

    KeyData combo;
    combo.setCombination(0x05, {});
    combo.comboKeys = hex("04050607080910"); // seven keys: only six travel
    QTest::newRow("seven-key combination sent as six")
        << 2 << 4 << combo << QVector<QByteArray>{packet(hex("01020411" "04000000000000" "0800" "0506" "040506070809"))}
        << hex("040000000000000800" "0506040506070809");

    // 11 steps: record 9 + 1 + 44 = 54 bytes, one chunk.
    const QByteArray rec11 = Fw::macroRecord(fwSteps(11));
    QCOMPARE(rec11.size(), 54);
    QTest::newRow("11-step macro in one chunk")
        << 1 << 3 << macro(11) << QVector<QByteArray>{packet(hex("0201030001") + char(54) + rec11)} << rec11;

    // 12 steps: 58 bytes, chunks of 56 and 2.
    const QByteArray rec12 = Fw::macroRecord(fwSteps(12));
    QCOMPARE(rec12.size(), 58);
    QTest::newRow("12-step macro in chunks of 56 and 2")
        << 0 << 7 << macro(12)
        << QVector<QByteArray>{packet(hex("0200070002") + char(56) + rec12.left(56)),
                               packet(hex("0200070102") + char(2) + rec12.mid(56))}
        << rec12;

    // 64 steps: 266 bytes, five chunks.
    const QByteArray rec64 = Fw::macroRecord(fwSteps(64));
    QVector<QByteArray> five;
    for (int c = 0; c < 5; ++c)
        five.append(packet(hex("0203") + char(9) + char(c) + char(5) + char(rec64.mid(c * 56, 56).size())
                           + rec64.mid(c * 56, 56)));
    QTest::newRow("64-step macro in five chunks") << 3 << 9 << macro(64) << five << rec64;

    QTest::newRow("clear") << 2 << 11 << KeyData() << QVector<QByteArray>{packet(hex("05020b"))} << QByteArray();
}

void TestProtocolCommands::writePackets()
{
    QFETCH(int, layer);
    QFETCH(int, key);
    QFETCH(KeyData, data);
    QFETCH(QVector<QByteArray>, packets);
    QFETCH(QByteArray, stored);

    m_fw->setKeyRecord(layer, key, Fw::basicRecord(0x2C)); // something to overwrite or clear
    QVERIFY(m_mgr->writeKey(layer, key, data));
    const QVector<QByteArray> sent = written();
    QCOMPARE(sent.size(), packets.size());
    for (int i = 0; i < sent.size(); ++i)
        QCOMPARE(sent[i].toHex(), packets[i].toHex());
    QCOMPARE(m_fw->keyRecord(layer, key).toHex(), stored.toHex());
    QVERIFY(!m_mgr->isBusy());
}

void TestProtocolCommands::writeRangeAndBadRecords()
{
    testsupport::LogCapture log;

    // A 6-key, 1-knob keypad owns slots 0-8: writing slot 12 sends nothing and succeeds.
    Fw::Identity id;
    id.keyCount = 6;
    id.encoderCount = 1;
    m_fw->setIdentity(id);
    DeviceInfo info;
    QVERIFY(m_mgr->readDeviceInfo(info));
    SimBus::clearWrittenReports(m_id);
    QVERIFY(m_mgr->writeKey(0, 12, basic(0x04)));
    QVERIFY(m_mgr->writeKey(0, 9, macro(3)));
    QVERIFY(m_mgr->clearKey(0, 24));
    QVERIFY(written().isEmpty());
    QVERIFY(log.contains(QStringLiteral("HIDManager: skip key outside current model 12")));
    QVERIFY(log.contains(QStringLiteral("HIDManager: skip macro outside current model 9")));
    QVERIFY(log.contains(QStringLiteral("HIDManager: skip clear outside current model 24")));
    QVERIFY(m_mgr->writeKey(0, 8, basic(0x04)));
    QCOMPARE(written().size(), 1);

    // Records that cannot be written fail without traffic.
    SimBus::clearWrittenReports(m_id);
    KeyData bad = basic(0x04);
    bad.type = 5;
    QVERIFY(!m_mgr->writeKey(0, 1, bad));
    QVERIFY(log.contains(QStringLiteral("HIDManager: sendWriteKey bad type")));
    KeyData noSteps;
    noSteps.setMacro({});
    QVERIFY(!m_mgr->writeKey(0, 1, noSteps));
    QVERIFY(log.contains(QStringLiteral("HIDManager: sendWriteMacro bad step count 0")));
    KeyData tooMany = macro(64);
    tooMany.macroSteps.append(tooMany.macroSteps.first());
    QVERIFY(!m_mgr->writeKey(0, 1, tooMany));
    QVERIFY(log.contains(QStringLiteral("HIDManager: sendWriteMacro bad step count 65")));
    QVERIFY(written().isEmpty());

    // Without a device every entry point fails at once.
    m_mgr->disconnectDevice();
    QVERIFY(testsupport::waitDisconnected());
    QVERIFY(!m_mgr->writeKey(0, 1, basic(0x04)));
    QVERIFY(!m_mgr->clearKey(0, 1));
    QVector<KeyData> keys;
    QVERIFY(!m_mgr->readLayer(0, keys));
}

void TestProtocolCommands::writeRetriesAndFinalStatuses()
{
    testsupport::LogCapture log;

    // Status 4 refuses a key for good: one packet, no repeat.
    m_fw->addFault({Fw::FaultKind::AckStatus, Fw::WriteKey, 0, 3, 1, 4});
    QVERIFY(!m_mgr->writeKey(0, 3, basic(0x04)));
    QCOMPARE(written(Fw::WriteKey).size(), 1);

    // Status 1 is worth repeating: the second attempt gets through.
    SimBus::clearWrittenReports(m_id);
    m_fw->addFault({Fw::FaultKind::AckStatus, Fw::WriteKey, 0, 3, 1, 1});
    QVERIFY(m_mgr->writeKey(0, 3, basic(0x05)));
    QCOMPARE(written(Fw::WriteKey).size(), 2);
    QCOMPARE(written(Fw::WriteKey)[0], written(Fw::WriteKey)[1]);
    QCOMPARE(m_fw->keyRecord(0, 3), Fw::basicRecord(0x05));

    // A NAK, a broken acknowledgement and an acknowledgement for another key each cost an
    // attempt; three of them fail the write.
    SimBus::clearWrittenReports(m_id);
    m_fw->addFault({Fw::FaultKind::Nak, Fw::ClearKey, 1, 1, 1, 1});
    m_fw->addFault({Fw::FaultKind::BadChecksum, Fw::ClearKey, 1, 1, 1});
    m_fw->addFault({Fw::FaultKind::WrongAck, Fw::ClearKey, 1, 1, 1});
    QElapsedTimer t;
    t.start();
    QVERIFY(!m_mgr->clearKey(1, 1));
    QCOMPARE(written(Fw::ClearKey).size(), 3);
    QVERIFY(log.contains(QStringLiteral("HIDManager: waitAck NAK status= 1")));
    QVERIFY(log.contains(QStringLiteral("HIDManager: waitAck checksum err")));
    QVERIFY(log.contains(QStringLiteral("HIDManager: waitAck wrong ACK layer= 1 key= 2 pkt= 0")));
    // Two of the three attempts wait out their 500 ms.
    QVERIFY2(t.elapsed() >= 950, qPrintable(QString::number(t.elapsed())));

    // A macro chunk refused with status 2 ends the write without the "failed" line.
    log.clear();
    SimBus::clearWrittenReports(m_id);
    m_fw->addFault({Fw::FaultKind::AckStatus, Fw::WriteMacroChunk, 2, 6, 1, 2});
    QVERIFY(!m_mgr->writeKey(2, 6, macro(20)));
    QCOMPARE(written(Fw::WriteMacroChunk).size(), 1);
    QVERIFY(!log.contains(QStringLiteral("HIDManager: sendWriteMacro pkt")));

    // A lost acknowledgement of chunk 0 makes the host send it again; the keypad takes the
    // repeat and the macro still arrives whole.
    SimBus::clearWrittenReports(m_id);
    m_fw->addFault({Fw::FaultKind::BadChecksum, Fw::WriteMacroChunk, 2, 6, 1});
    QVERIFY(m_mgr->writeKey(2, 6, macro(20)));
    QVector<QByteArray> chunks = written(Fw::WriteMacroChunk);
    QCOMPARE(chunks.size(), 3);
    QCOMPARE(chunks[0], chunks[1]);
    QCOMPARE(int(quint8(chunks[2][3])), 1);
    QCOMPARE(m_fw->keyRecord(2, 6), Fw::macroRecord(fwSteps(20)));

    // Silence on the second chunk: three attempts, then the "failed" line; the keypad keeps
    // what it had.
    log.clear();
    SimBus::clearWrittenReports(m_id);
    m_fw->setKeyRecord(1, 6, Fw::basicRecord(0x2C));
    Fw::FaultRule silentChunk{Fw::FaultKind::Silence, Fw::WriteMacroChunk, 1, 6};
    silentChunk.chunk = 1;
    m_fw->addFault(silentChunk);
    t.restart();
    QVERIFY(!m_mgr->writeKey(1, 6, macro(20)));
    chunks = written(Fw::WriteMacroChunk);
    QCOMPARE(chunks.size(), 4);
    QCOMPARE(int(quint8(chunks[3][3])), 1);
    QVERIFY(log.contains(QStringLiteral("HIDManager: sendWriteMacro pkt 1 failed")));
    QCOMPARE(m_fw->keyRecord(1, 6), Fw::basicRecord(0x2C));
    // Three waits of 500 ms and two pauses of 50 ms, with a generous upper bound.
    QVERIFY2(t.elapsed() >= 1550 && t.elapsed() < 6000, qPrintable(QString::number(t.elapsed())));
    QVERIFY(log.contains(QStringLiteral("HIDManager: waitAck timeout layer= 1 key= 6 pkt= 1")));
}

void TestProtocolCommands::layerRead()
{
    testsupport::LogCapture log;
    // Layer 1 holds one key of every kind, two macros among them; the keypad sends the
    // records and chunks in a shuffled order.
    KeyData media, mouse, combo;
    media.setMultimedia(0x00E9);
    mouse.setMouseAction(3);
    combo.setCombination(0x11, hex("1d06"));
    QVector<KeyData> expected(25);
    expected[0] = basic(0x04);
    expected[1] = media;
    expected[2] = mouse;
    expected[3] = combo;
    expected[4] = macro(64);
    expected[5] = macro(12);
    expected[20] = basic(0x29);
    m_fw->setKeyRecord(1, 0, Fw::basicRecord(0x04));
    m_fw->setKeyRecord(1, 1, Fw::multimediaRecord(0x00E9));
    m_fw->setKeyRecord(1, 2, Fw::mouseRecord(3));
    m_fw->setKeyRecord(1, 3, Fw::combinationRecord(0x11, hex("1d06")));
    m_fw->setKeyRecord(1, 4, Fw::macroRecord(fwSteps(64)));
    m_fw->setKeyRecord(1, 5, Fw::macroRecord(fwSteps(12)));
    m_fw->setKeyRecord(1, 20, Fw::basicRecord(0x29));
    m_fw->setKeyRecord(0, 9, Fw::basicRecord(0x05)); // another layer: not asked for
    m_fw->setReplyShuffleSeed(7);

    QVector<KeyData> keys(3); // whatever the caller passes is replaced
    QVERIFY(m_mgr->readLayer(1, keys));
    QCOMPARE(keys.size(), 25);
    for (int k = 0; k < 25; ++k) {
        QVERIFY2(keys[k].sameFunction(expected[k]), qPrintable(QStringLiteral("key %1").arg(k)));
        QCOMPARE(keys[k].fullText, expected[k].fullText);
    }
    QVERIFY(!m_mgr->isBusy());

    const QVector<QByteArray> sent = written();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent[0].toHex(), packet(hex("0401ff")).toHex());
    QCOMPARE(quint8(sent[0][62]), quint8(1 ^ 0xFB));
    QVERIFY(log.contains(QStringLiteral("HIDManager: readLayer done layer= 1")));
    QVERIFY(log.contains(QStringLiteral("HIDManager: readLayer macro key= 4 steps= 64")));
    QVERIFY(log.contains(QStringLiteral("HIDManager: readLayer raw key= 3 layer= 1 type=0x4 len= 13")));

    // Other seeds, other orders: the same result.
    for (quint32 seed : {1u, 2u, 99u}) {
        m_fw->setReplyShuffleSeed(seed);
        QVERIFY(m_mgr->readLayer(1, keys));
        QVERIFY(keys[4].sameFunction(expected[4]) && keys[5].sameFunction(expected[5]));
    }

    // An end report with a non-zero status still ends the read as a success.
    m_fw->setLayerEndStatus(3);
    QVERIFY(m_mgr->readLayer(1, keys));
    QVERIFY(keys[0].sameFunction(expected[0]));

    // Layers outside 0-3 are refused without traffic.
    SimBus::clearWrittenReports(m_id);
    QVERIFY(!m_mgr->readLayer(4, keys));
    QVERIFY(!m_mgr->readLayer(-1, keys));
    QVERIFY(written().isEmpty());

    // A 6-key, 1-knob keypad: records beyond its nine slots are not taken.
    Fw::Identity id;
    id.keyCount = 6;
    id.encoderCount = 1;
    m_fw->setIdentity(id);
    DeviceInfo info;
    QVERIFY(m_mgr->readDeviceInfo(info));
    m_fw->setKeyRecord(1, 8, Fw::basicRecord(0x06));
    m_fw->setKeyRecord(1, 12, Fw::basicRecord(0x07));
    QVERIFY(m_mgr->readLayer(1, keys));
    QCOMPARE(int(keys[8].keyCode), 0x06);
    QCOMPARE(int(keys[12].type), int(KeyType::Empty));
    QCOMPARE(int(keys[20].type), int(KeyType::Empty));
}

void TestProtocolCommands::layerReadUntrustedReplies()
{
    m_fw->setKeyRecord(2, 0, Fw::basicRecord(0x04));
    m_fw->setKeyRecord(2, 1, Fw::macroRecord(fwSteps(20)));
    // Forged reports slipped in before the end of the layer.
    m_fw->setReplyHook([](quint8 command, QVector<QByteArray> &replies) {
        if (command != Fw::ReadLayer)
            return;
        QVector<QByteArray> forged;
        // A record length reaching past the report.
        forged << Fw::dataReport(Fw::KeyRecordReply, 2, 6, 250, Fw::basicRecord(0x05));
        // A record whose payload length overruns its record length.
        QByteArray overrun = Fw::basicRecord(0x05);
        overrun[7] = 30;
        forged << Fw::dataReport(Fw::KeyRecordReply, 2, 7, quint8(overrun.size()), overrun);
        // Chunks: one too long, one beyond its key's chunk list, one disagreeing on the count.
        forged << Fw::dataReport(Fw::MacroChunkReply, 2, 8, 0, hex("01ff") + QByteArray(56, '\x01'));
        forged << Fw::dataReport(Fw::MacroChunkReply, 2, 9, 0, hex("0238") + Fw::macroRecord(fwSteps(20)).left(56));
        forged << Fw::dataReport(Fw::MacroChunkReply, 2, 9, 7, hex("0922") + Fw::macroRecord(fwSteps(20)).mid(56));
        forged << Fw::dataReport(Fw::MacroChunkReply, 2, 9, 1, hex("0322") + Fw::macroRecord(fwSteps(20)).mid(56));
        // The real key 0 again with a broken checksum and other content.
        QByteArray broken = Fw::dataReport(Fw::KeyRecordReply, 2, 0, 10, Fw::basicRecord(0x2C));
        broken[63] = char(broken[63] ^ 0x55);
        forged << broken;
        // A report for another layer, and an end report for another layer.
        forged << Fw::dataReport(Fw::KeyRecordReply, 1, 10, 10, Fw::basicRecord(0x2C));
        forged << Fw::ackReport(Fw::Ack, 0, 1, 0xFF, 0);
        replies = forged + replies;
    });
    // What arrived whole is decoded, but a read with damaged or unfinished records is not
    // complete: those slots are not known.
    QVector<QVector<KeyData>> layers;
    QVector<LayerLedConfigData> leds;
    ReadCoverage read;
    QVERIFY(!m_mgr->readBack({2}, {}, layers, leds, read));
    const QVector<KeyData> &keys = layers[2];
    QCOMPARE(int(keys[0].keyCode), 0x04);
    QCOMPARE(keys[1].macroSteps.size(), 20);
    for (int k : {6, 7, 8, 9, 10})
        QCOMPARE(int(keys[k].type), int(KeyType::Empty));
    QVERIFY(read.keyRead(2, 0) && read.keyRead(2, 1));
    for (int k : {2, 3, 4, 5, 6, 7, 8, 9, 10, 24})
        QVERIFY(!read.keyRead(2, k));
    QVERIFY(!read.keyRead(1, 0) && !read.lightingRead(2));

    // Intact, the same layer reads complete, unassigned slots included.
    m_fw->setReplyHook({});
    QVERIFY(m_mgr->readBack({2}, {}, layers, leds, read));
    QVERIFY(!read.keys[2].contains(false));

    // A macro whose last chunk never comes leaves its slot unknown, the others known.
    m_fw->setReplyHook([](quint8 command, QVector<QByteArray> &replies) {
        if (command == Fw::ReadLayer)
            replies.removeAt(replies.size() - 2);
    });
    QVERIFY(!m_mgr->readBack({2}, {}, layers, leds, read));
    QCOMPARE(int(layers[2][1].type), int(KeyType::Empty));
    QVERIFY(read.keyRead(2, 0) && !read.keyRead(2, 1) && read.keyRead(2, 2));
}

void TestProtocolCommands::layerReadWithoutEnd()
{
    testsupport::LogCapture log;
    m_fw->setKeyRecord(0, 2, Fw::basicRecord(0x04));
    m_fw->setKeyRecord(0, 3, Fw::macroRecord(fwSteps(20)));
    // The keypad sends its records but never the end: the read runs out after 5 s and keeps
    // what it decoded; the half-sent macro is dropped.
    m_fw->setReplyHook([](quint8 command, QVector<QByteArray> &replies) {
        if (command != Fw::ReadLayer)
            return;
        replies.removeLast(); // the end
        replies.removeLast(); // the macro's last chunk
    });
    QVector<KeyData> keys;
    QElapsedTimer t;
    t.start();
    QVERIFY(!m_mgr->readLayer(0, keys));
    QVERIFY2(t.elapsed() >= 4900 && t.elapsed() < 15000, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(keys.size(), 25);
    QCOMPARE(int(keys[2].keyCode), 0x04);
    QCOMPARE(int(keys[3].type), int(KeyType::Empty));
    QVERIFY(log.contains(QStringLiteral("HIDManager: readLayer timeout layer= 0")));
    QVERIFY(m_mgr->isConnected());

    // Pulled out while the layer is read: the read error closes the device.
    m_fw->setReplyHook({});
    SimBus::unplugAfterReports(m_id, 1);
    QVERIFY(!m_mgr->readLayer(0, keys));
    QVERIFY(log.contains(QStringLiteral("HIDManager: sendReadLayer hid_read error")));
    QVERIFY(testsupport::waitDisconnected());
}

QTEST_GUILESS_MAIN(TestProtocolCommands)
#include "tst_protocol_commands.moc"
