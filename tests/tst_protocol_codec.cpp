// Key records and layer-read replies, checked on bytes alone (no keypad needed).
#include "device/hidmanager.h"
#include "device/keyrecord.h"
#include "device/layerreadsession.h"
#include "sim/currentfirmware.h"

#include <QtTest>

using Fw = sim::CurrentFirmware;
using Outcome = LayerReadSession::Outcome;

namespace {

QByteArray hexBytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

QByteArray macroPayload(int steps, int claimedSteps = -1)
{
    QByteArray p;
    p.append(char(claimedSteps < 0 ? steps : claimedSteps));
    for (int i = 0; i < steps; ++i) {
        p.append(char(i % 2));          // press, release, ...
        p.append(char(0x04 + i % 20));  // usage
        p.append(char(i & 0xFF));       // delay low
        p.append(char(1));              // delay high: 256 + i
    }
    return p;
}

QVector<Fw::Step> steps(int n)
{
    QVector<Fw::Step> s;
    for (int i = 0; i < n; ++i)
        s.append({quint8(i % 2), quint8(0x04 + i % 20), quint16(20 + i)});
    return s;
}

// Exactly 64 bytes on the heap, so a read past the report is caught by the address sanitizer.
Outcome feed(LayerReadSession &s, const QByteArray &report)
{
    QByteArray copy = report;
    return s.handleReport(reinterpret_cast<const unsigned char *>(copy.constData()), copy.size());
}

} // namespace

class TestProtocolCodec : public QObject
{
    Q_OBJECT

private slots:
    void decodeRecord_data();
    void decodeRecord();
    void decodeRejectsNullAndShort();
    void encodeRecord_data();
    void encodeRecord();
    void encodeDecodeRoundTrip();
    void macroChunksJoinInOrder();
    void layerRepliesOutOfOrderChunks();
    void layerRepliesOversizedLengths();
    void layerRepliesChunkBookkeeping();
    void layerRepliesFiltering();
};

void TestProtocolCodec::decodeRecord_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("type");
    // Type-specific expectation: usage / media / action / modifiers, and list contents.
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("comboKeys");
    QTest::addColumn<int>("stepCount");

    const QByteArray none;
    QTest::newRow("basic A") << Fw::basicRecord(0x04) << true << 0 << 0x04 << none << 0;
    QTest::newRow("basic, empty payload") << Fw::recordWithPayload(0, {}) << false << 0 << 0 << none << 0;
    QTest::newRow("multimedia E9 00") << hexBytes("020000000000000200e900") << true << 2 << 0xE9 << none << 0;
    QTest::newRow("multimedia, one byte") << Fw::recordWithPayload(2, hexBytes("e9")) << false << 0 << 0 << none << 0;
    QTest::newRow("mouse 5") << Fw::mouseRecord(5) << true << 3 << 5 << none << 0;
    QTest::newRow("mouse 200 kept") << Fw::mouseRecord(200) << true << 3 << 200 << none << 0;
    QTest::newRow("combination 2 keys, length 4")
        << Fw::recordWithPayload(4, hexBytes("03021d06")) << true << 4 << 0x03 << hexBytes("1d06") << 0;
    QTest::newRow("combination 2 keys, length 3")
        << Fw::recordWithPayload(4, hexBytes("030206")) << false << 0 << 0 << none << 0;
    QTest::newRow("combination 0 keys") << Fw::recordWithPayload(4, hexBytes("0500")) << true << 4 << 0x05 << none << 0;
    QTest::newRow("combination 6 keys")
        << Fw::combinationRecord(0x01, hexBytes("040506070809")) << true << 4 << 0x01 << hexBytes("040506070809") << 0;
    QTest::newRow("combination 7 keys") << Fw::combinationRecord(0x01, hexBytes("0405060708090a")) << false << 0 << 0
                                        << none << 0;
    QTest::newRow("combination filtered (modifier, duplicate, zero)")
        << Fw::combinationRecord(0x00, hexBytes("04e1040005")) << true << 4 << 0 << hexBytes("0405") << 0;
    QTest::newRow("macro 1 step") << Fw::recordWithPayload(1, macroPayload(1)) << true << 1 << 0 << none << 1;
    QTest::newRow("macro 0 steps") << Fw::recordWithPayload(1, macroPayload(0)) << false << 0 << 0 << none << 0;
    QTest::newRow("macro 64 steps, payload 257") << Fw::recordWithPayload(1, macroPayload(64)) << true << 1 << 0
                                                 << none << 64;
    QTest::newRow("macro 65 steps") << Fw::recordWithPayload(1, macroPayload(65)) << false << 0 << 0 << none << 0;
    QTest::newRow("macro claims 3 steps, carries 2")
        << Fw::recordWithPayload(1, macroPayload(2, 3)) << false << 0 << 0 << none << 0;
    QTest::newRow("macro, empty payload") << Fw::recordWithPayload(1, {}) << false << 0 << 0 << none << 0;
    QTest::newRow("type 5") << Fw::recordWithPayload(5, hexBytes("04")) << false << 0 << 0 << none << 0;
    QTest::newRow("type FF") << Fw::recordWithPayload(0xFF, hexBytes("04")) << false << 0 << 0 << none << 0;
    QByteArray overrun = Fw::basicRecord(0x04);
    overrun[7] = 2; // claims a 2-byte payload, carries 1
    QTest::newRow("payload length overruns the record") << overrun << false << 0 << 0 << none << 0;
    QByteArray huge = Fw::basicRecord(0x04);
    huge[7] = char(0xFF);
    huge[8] = char(0xFF);
    QTest::newRow("payload length 65535") << huge << false << 0 << 0 << none << 0;
    QTest::newRow("header only") << QByteArray(9, '\0') << false << 0 << 0 << none << 0;
}

void TestProtocolCodec::decodeRecord()
{
    QFETCH(QByteArray, record);
    QFETCH(bool, ok);
    QFETCH(int, type);
    QFETCH(int, value);
    QFETCH(QByteArray, comboKeys);
    QFETCH(int, stepCount);

    KeyData out;
    out.setBasicKey(0x2C); // a failed decode must leave this untouched
    const bool decoded = HIDManager::decodeKeyData(reinterpret_cast<const unsigned char *>(record.constData()),
                                                   record.size(), out);
    QCOMPARE(decoded, ok);
    if (!ok) {
        QCOMPARE(int(out.type), int(KeyType::Basic));
        QCOMPARE(int(out.keyCode), 0x2C);
        return;
    }
    QCOMPARE(int(out.type), type);
    QVERIFY(out.dirty);
    QVERIFY(!out.fullText.isEmpty() || type == KeyType::Mouse);
    switch (type) {
    case KeyType::Basic:
        QCOMPARE(int(out.keyCode), value);
        break;
    case KeyType::Multimedia:
        QCOMPARE(int(out.mediaUsage), value);
        break;
    case KeyType::Mouse:
        QCOMPARE(int(out.mouseAction), value);
        break;
    case KeyType::Combination:
        QCOMPARE(int(out.modifierBits), value);
        QCOMPARE(out.comboKeys, comboKeys);
        break;
    case KeyType::Macro: {
        QCOMPARE(out.macroSteps.size(), stepCount);
        // Step i of macroPayload: action i%2, usage 4+i%20, delay 256+i.
        for (int i = 0; i < stepCount; ++i) {
            QCOMPARE(int(out.macroSteps[i].action), i % 2);
            QCOMPARE(int(out.macroSteps[i].keyCode), 0x04 + i % 20);
            QCOMPARE(int(out.macroSteps[i].delayMs), 256 + i);
        }
        break;
    }
    }
}

void TestProtocolCodec::decodeRejectsNullAndShort()
{
    KeyData out;
    QVERIFY(!HIDManager::decodeKeyData(nullptr, 20, out));
    const QByteArray rec = Fw::basicRecord(0x04);
    QVERIFY(!HIDManager::decodeKeyData(reinterpret_cast<const unsigned char *>(rec.constData()), 8, out));
    QVERIFY(!HIDManager::decodeKeyData(reinterpret_cast<const unsigned char *>(rec.constData()), -1, out));
    QCOMPARE(int(out.type), int(KeyType::Empty));
    QVERIFY(!HIDManager::decodeMacroKey({}, out));

    // A release step carries any non-zero action byte; it reads back as 1.
    QByteArray payload = hexBytes("01" "07" "2c" "1400");
    KeyData macro;
    const QByteArray r = Fw::recordWithPayload(1, payload);
    QVERIFY(HIDManager::decodeKeyData(reinterpret_cast<const unsigned char *>(r.constData()), r.size(), macro));
    QCOMPARE(int(macro.macroSteps.at(0).action), 1);
    QCOMPARE(int(macro.macroSteps.at(0).delayMs), 20);
}

void TestProtocolCodec::encodeRecord_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("basic 04") << 0 << hexBytes("00000000000000010004");
    QTest::newRow("multimedia E9") << 1 << hexBytes("020000000000000200e900");
    QTest::newRow("mouse 3") << 2 << hexBytes("03000000000000010003");
    QTest::newRow("seven combo keys sent as six") << 3 << hexBytes("0400000000000008000206040506070809");
    QTest::newRow("macro, release flag normalised") << 4 << hexBytes("0100000000000009" "00" "02" "0004e803" "01042c01");
}

void TestProtocolCodec::encodeRecord()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, expected);
    KeyData k;
    switch (kind) {
    case 0:
        k.setBasicKey(0x04);
        break;
    case 1:
        k.setMultimedia(0x00E9);
        break;
    case 2:
        k.setMouseAction(3);
        break;
    case 3:
        k.setCombination(0x02, {});
        k.comboKeys = hexBytes("04050607080910"); // seven, bypassing the setter's cap
        break;
    case 4:
        k.setMacro({{0, 0x04, 1000}, {7, 0x04, 300}});
        break;
    }
    QCOMPARE(KeyRecord::encode(k).toHex(), expected.toHex());
}

void TestProtocolCodec::encodeDecodeRoundTrip()
{
    QVector<KeyData> keys(6);
    keys[0].setBasicKey(0x29);
    keys[1].setMultimedia(0x0223);
    keys[2].setMouseAction(15);
    keys[3].setCombination(0x81, hexBytes("1d1b06"));
    QVector<MacroStepData> full;
    for (int i = 0; i < 64; ++i)
        full.append({quint8(i % 2), quint8(0x04 + i / 2), quint16(i * 150)});
    keys[4].setMacro(full);
    keys[5].setMacro(full.mid(0, 12));
    for (const KeyData &k : keys) {
        const QByteArray rec = KeyRecord::encode(k);
        KeyData back;
        QVERIFY(KeyRecord::decode(reinterpret_cast<const unsigned char *>(rec.constData()), rec.size(), back));
        QVERIFY2(back.sameFunction(k), qPrintable(k.fullText));
        QCOMPARE(back.fullText, k.fullText);
    }
    // The 64-step record is 266 bytes: five chunks, the last of 42.
    const QVector<QByteArray> c = KeyRecord::chunks(KeyRecord::encode(keys[4]));
    QCOMPARE(c.size(), 5);
    QCOMPARE(c.last().size(), 266 - 4 * 56);
    QCOMPARE(KeyRecord::chunks(KeyRecord::encode(keys[5])).size(), 2);

    KeyData empty;
    QVERIFY(KeyRecord::encode(empty).isEmpty());
}

void TestProtocolCodec::macroChunksJoinInOrder()
{
    const QByteArray rec = Fw::macroRecord(steps(20)); // 90 bytes
    KeyData out;
    QVERIFY(HIDManager::decodeMacroKey({rec.left(56), rec.mid(56)}, out));
    QCOMPARE(out.macroSteps.size(), 20);
    QCOMPARE(int(out.macroSteps[19].delayMs), 39);
    // Swapped chunks are a different byte stream and must not decode as the macro.
    KeyData swapped;
    QVERIFY(!HIDManager::decodeMacroKey({rec.mid(56), rec.left(56)}, swapped));
}

void TestProtocolCodec::layerRepliesOutOfOrderChunks()
{
    const QByteArray rec = Fw::macroRecord(steps(30)); // 130 bytes: 56 + 56 + 18
    auto chunk = [&](int n, int count = 3) {
        const QByteArray data = rec.mid(n * 56, 56);
        return Fw::dataReport(Fw::MacroChunkReply, 1, 7, quint8(n), QByteArray(1, char(count)) + char(data.size()) + data);
    };
    LayerReadSession s(1, 25);
    QCOMPARE(feed(s, chunk(2)), Outcome::ChunkStored);
    QCOMPARE(feed(s, chunk(0)), Outcome::ChunkStored);
    QCOMPARE(s.pendingMacros(), 1);
    QCOMPARE(int(s.keys()[7].type), int(KeyType::Empty));
    QCOMPARE(feed(s, chunk(1)), Outcome::KeyStored);
    QCOMPARE(s.pendingMacros(), 0);
    QCOMPARE(int(s.keys()[7].type), int(KeyType::Macro));
    QCOMPARE(s.keys()[7].macroSteps.size(), 30);
    QCOMPARE(int(s.keys()[7].macroSteps[29].keyCode), 0x04 + 29 % 20);

    // A repeated chunk of a finished macro opens a new (incomplete) entry and changes nothing.
    QCOMPARE(feed(s, chunk(1)), Outcome::ChunkStored);
    QCOMPARE(s.keys()[7].macroSteps.size(), 30);
    QCOMPARE(feed(s, Fw::ackReport(Fw::Ack, 0, 1, 0xFF, 0)), Outcome::Finished);
}

void TestProtocolCodec::layerRepliesOversizedLengths()
{
    LayerReadSession s(0, 25);
    // A key record whose length byte claims more than the 58 bytes the report holds.
    for (int len : {59, 64, 200, 255}) {
        QByteArray r = Fw::dataReport(Fw::KeyRecordReply, 0, 3, quint8(len), Fw::basicRecord(0x04));
        QCOMPARE(feed(s, r), Outcome::Ignored);
    }
    QCOMPARE(int(s.keys()[3].type), int(KeyType::Empty));
    // 58 exactly is the largest record the report carries; here it holds a 49-byte payload
    // the basic key type does not mind.
    QByteArray padded = Fw::recordWithPayload(0, QByteArray(1, char(0x05)) + QByteArray(48, '\0'));
    QCOMPARE(padded.size(), 58);
    QCOMPARE(feed(s, Fw::dataReport(Fw::KeyRecordReply, 0, 3, 58, padded)), Outcome::KeyStored);
    QCOMPARE(int(s.keys()[3].keyCode), 0x05);

    // The record's own payload length overrunning the record length fails the decode and
    // leaves the slot as it was.
    QByteArray overrun = Fw::basicRecord(0x06);
    overrun[7] = 40;
    QCOMPARE(feed(s, Fw::dataReport(Fw::KeyRecordReply, 0, 3, quint8(overrun.size()), overrun)),
             Outcome::KeyRejected);
    QCOMPARE(int(s.keys()[3].keyCode), 0x05);

    // A chunk claiming more than the 56 data bytes of its report.
    const QByteArray data(56, '\x11');
    for (int len : {57, 255}) {
        QByteArray r = Fw::dataReport(Fw::MacroChunkReply, 0, 4, 0, QByteArray(1, char(1)) + char(len) + data);
        QCOMPARE(feed(s, r), Outcome::Ignored);
    }
    QCOMPARE(s.pendingMacros(), 0);
}

void TestProtocolCodec::layerRepliesChunkBookkeeping()
{
    const QByteArray rec = Fw::macroRecord(steps(20)); // 90 bytes: 2 chunks
    auto chunk = [&](int n, int count, int dataFrom) {
        const QByteArray data = rec.mid(dataFrom, 56);
        return Fw::dataReport(Fw::MacroChunkReply, 2, 5, quint8(n), QByteArray(1, char(count)) + char(data.size()) + data);
    };

    LayerReadSession s(2, 25);
    QCOMPARE(feed(s, chunk(0, 2, 0)), Outcome::ChunkStored);
    // A later chunk that claims a larger count and a number beyond the list of this key.
    QCOMPARE(feed(s, chunk(5, 9, 56)), Outcome::Ignored);
    QCOMPARE(feed(s, chunk(2, 2, 56)), Outcome::Ignored);
    // The count differs from the first chunk's: not part of this macro.
    QCOMPARE(feed(s, chunk(1, 3, 56)), Outcome::Ignored);
    QCOMPARE(s.pendingMacros(), 1);
    QCOMPARE(feed(s, chunk(1, 2, 56)), Outcome::KeyStored);
    QCOMPARE(s.keys()[5].macroSteps.size(), 20);

    // A first chunk that announces no chunks at all ends that key at once.
    LayerReadSession zero(2, 25);
    QCOMPARE(feed(zero, chunk(0, 0, 0)), Outcome::KeyRejected);
    QCOMPARE(zero.pendingMacros(), 0);

    // A chunk length of 0 is a chunk all the same: the macro completes once all arrived.
    LayerReadSession withEmpty(2, 25);
    QCOMPARE(feed(withEmpty, chunk(0, 3, 0)), Outcome::ChunkStored);
    QCOMPARE(feed(withEmpty, chunk(1, 3, 56)), Outcome::ChunkStored);
    QCOMPARE(feed(withEmpty, chunk(2, 3, 500)), Outcome::KeyStored);
    QCOMPARE(withEmpty.keys()[5].macroSteps.size(), 20);

    // A macro that is still incomplete at the end is dropped.
    LayerReadSession partial(2, 25);
    QCOMPARE(feed(partial, chunk(0, 2, 0)), Outcome::ChunkStored);
    QCOMPARE(feed(partial, Fw::ackReport(Fw::Ack, 0, 2, 0xFF, 0)), Outcome::Finished);
    QCOMPARE(int(partial.keys()[5].type), int(KeyType::Empty));
}

void TestProtocolCodec::layerRepliesFiltering()
{
    // A 6-key, 1-knob keypad has 9 writable slots: a record for key 12 is not its own.
    LayerReadSession s(1, 9);
    QCOMPARE(feed(s, Fw::dataReport(Fw::KeyRecordReply, 1, 12, 10, Fw::basicRecord(0x04))), Outcome::Ignored);
    QCOMPARE(feed(s, Fw::dataReport(Fw::KeyRecordReply, 1, 8, 10, Fw::basicRecord(0x04))), Outcome::KeyStored);
    QCOMPARE(int(s.keys()[12].type), int(KeyType::Empty));
    QCOMPARE(int(s.keys()[8].keyCode), 0x04);
    // Key index 0xFE / 0xFF in a record: beyond any limit.
    QCOMPARE(feed(s, Fw::dataReport(Fw::KeyRecordReply, 1, 0xFF, 10, Fw::basicRecord(0x04))), Outcome::Ignored);

    // Another layer, a zero record length, a broken checksum, a short report, another report ID.
    QCOMPARE(feed(s, Fw::dataReport(Fw::KeyRecordReply, 2, 1, 10, Fw::basicRecord(0x04))), Outcome::Ignored);
    QCOMPARE(feed(s, Fw::dataReport(Fw::KeyRecordReply, 1, 1, 0, Fw::basicRecord(0x04))), Outcome::Ignored);
    QByteArray bad = Fw::dataReport(Fw::KeyRecordReply, 1, 1, 10, Fw::basicRecord(0x04));
    bad[63] = char(bad[63] ^ 1);
    QCOMPARE(feed(s, bad), Outcome::Ignored);
    QCOMPARE(feed(s, Fw::dataReport(Fw::KeyRecordReply, 1, 1, 10, Fw::basicRecord(0x04)).left(63)), Outcome::Ignored);
    QByteArray otherId = Fw::dataReport(Fw::KeyRecordReply, 1, 1, 10, Fw::basicRecord(0x04));
    otherId[0] = 2;
    QCOMPARE(feed(s, otherId), Outcome::Ignored);
    QCOMPARE(int(s.keys()[1].type), int(KeyType::Empty));
    QCOMPARE(feed(s, QByteArray()), Outcome::Ignored);

    // End replies: another layer or key does not end this read; a non-zero status does.
    QCOMPARE(feed(s, Fw::ackReport(Fw::Ack, 0, 0, 0xFF, 0)), Outcome::Ignored);
    QCOMPARE(feed(s, Fw::ackReport(Fw::Ack, 0, 1, 0xFE, 0)), Outcome::Ignored);
    QByteArray badEnd = Fw::ackReport(Fw::Ack, 0, 1, 0xFF, 0);
    badEnd[8] = char(badEnd[8] ^ 0x40);
    QCOMPARE(feed(s, badEnd), Outcome::Ignored);
    QCOMPARE(feed(s, Fw::ackReport(Fw::Ack, 0, 1, 0xFF, 0).left(8)), Outcome::Ignored);
    QCOMPARE(feed(s, Fw::ackReport(Fw::Ack, 9, 1, 0xFF, 0)), Outcome::Finished);
}

QTEST_GUILESS_MAIN(TestProtocolCodec)
#include "tst_protocol_codec.moc"
