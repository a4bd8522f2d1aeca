// Byte level of the legacy link: record decoders of both generations on raw buffers, the
// key-write encoder, lighting reports and the packet/slot/key-number mappings.
#include "device/legacyhidmanager.h"
#include "support/legacytestkit.h"

#include <QtTest>

using namespace LegacyHIDManager;
using legacytest::describe;
using legacytest::hex;

Q_DECLARE_METATYPE(KeyData)

namespace {

// A 65-byte report with the given bytes set; everything else 0.
QByteArray report(std::initializer_list<std::pair<int, int>> bytes, int size = REPORT_SIZE)
{
    QByteArray r(size, '\0');
    r[0] = 0x03;
    for (const auto &b : bytes)
        r[b.first] = char(b.second);
    return r;
}

// Hex in the order of the report; spaces allowed. The rest of the report must be zero.
void compareReport(const QByteArray &actual, const QByteArray &expectedHex)
{
    const QByteArray expected = QByteArray::fromHex(expectedHex);
    QCOMPARE(actual.size(), REPORT_SIZE);
    QCOMPARE(actual.left(expected.size()).toHex(' '), expected.toHex(' '));
    QCOMPARE(actual.mid(expected.size()), QByteArray(REPORT_SIZE - expected.size(), '\0'));
}

QString steps(int n, bool old, quint16 pressDelay)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << QStringLiteral("P%1/%2").arg(hex(4 + i, 2)).arg(old ? pressDelay : 0);
    for (int i = n - 1; i >= 0; --i)
        out << QStringLiteral("R%1/20").arg(hex(4 + i, 2));
    return QStringLiteral("macro ") + out.join(QLatin1Char(' '));
}

KeyData macroOf(std::initializer_list<MacroStepData> steps)
{
    KeyData k;
    k.setMacro(QVector<MacroStepData>(steps));
    return k;
}

} // namespace

class TestLegacyCodec : public QObject
{
    Q_OBJECT

private slots:
    void r10UdavRecords_data();
    void r10UdavRecords();
    void oldRecords_data();
    void oldRecords();
    void mouseRecords_data();
    void mouseRecords();
    void packetAndKeyNumbers();
    void keyWriteReports_data();
    void keyWriteReports();
    void unwritableKeys();
    void oldColorCode_data();
    void oldColorCode();
    void lightingAndControlReports();
};

void TestLegacyCodec::r10UdavRecords_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one key, no delay") << report({{4, 1}, {6, 1}, {9, 0x04}}) << "basic 04";
    QTest::newRow("one key with delay") << report({{4, 1}, {6, 1}, {8, 5}, {9, 0x04}})
                                        << "macro P04/5 R04/20";
    QTest::newRow("delay high byte") << report({{4, 1}, {6, 1}, {7, 1}, {8, 2}, {9, 0x04}})
                                     << "macro P04/258 R04/20";
    QTest::newRow("modifier F1 alone") << report({{4, 1}, {6, 1}, {9, 0xF1}})
                                       << "macro PE0/0 RE0/20";
    QTest::newRow("modifier F8 is right GUI") << report({{4, 1}, {6, 1}, {9, 0xF8}})
                                              << "macro PE7/0 RE7/20";
    QTest::newRow("raw modifier usage is no basic key")
        << report({{4, 1}, {6, 1}, {9, 0xE1}}) << "macro PE1/0 RE1/20";
    QTest::newRow("modifier plus key") << report({{4, 1}, {6, 2}, {9, 0xF2}, {11, 20}, {12, 0x04}})
                                       << "macro PE1/0 P04/20 R04/20 RE1/20";
    QTest::newRow("key 0 skipped") << report({{4, 1}, {6, 2}, {12, 0x05}}) << "basic 05";
    QTest::newRow("no entries") << report({{4, 1}, {6, 0}, {9, 0x04}}) << "empty";
    QTest::newRow("all keys 0") << report({{4, 1}, {6, 3}}) << "empty";
    QTest::newRow("kind 0") << report({{4, 0}, {6, 1}, {9, 0x04}}) << "empty";
    QTest::newRow("kind FF") << report({{4, 0xFF}, {6, 1}, {9, 0x04}}) << "empty";
    QTest::newRow("kind 7") << report({{4, 7}, {6, 1}, {9, 0x04}}) << "empty";
    QTest::newRow("multimedia") << report({{4, 2}, {9, 0xE9}}) << "media 00E9";
    QTest::newRow("multimedia high byte 12") << report({{4, 2}, {9, 0x92}, {12, 0x01}, {10, 0x77}})
                                             << "media 0192";
    QTest::newRow("multimedia 0") << report({{4, 2}}) << "empty";

    // A count of 40 is capped at 18 entries (bytes 7 to 60); bytes past 60 never count.
    QByteArray capped = report({{4, 1}, {6, 40}});
    for (int i = 0; i < 18; ++i)
        capped[9 + 3 * i] = char(0x04 + i);
    for (int i = 61; i < REPORT_SIZE; ++i)
        capped[i] = char(0x2C);
    QTest::newRow("count 40 read as 18") << capped << steps(18, false, 0);

    // Short reads: what was not read counts as 0.
    QTest::newRow("short read") << report({{4, 1}, {6, 2}, {9, 0x04}}, 10) << "basic 04";
    QTest::newRow("read cut before key") << report({{4, 1}, {6, 1}}, 9) << "empty";
}

void TestLegacyCodec::r10UdavRecords()
{
    QFETCH(QByteArray, packet);
    QFETCH(QString, expected);
    const auto *data = reinterpret_cast<const unsigned char *>(packet.constData());
    const KeyData key = decodeLegacyR10UdavRecord(data, packet.size());
    QCOMPARE(describe(key), expected);
    QVERIFY(!key.dirty);
    LegacyDeviceInfo info;
    info.format = LegacyDeviceInfo::R10Udav;
    QCOMPARE(describe(decodeLegacyRecord(info, data, packet.size())), expected);
}

void TestLegacyCodec::oldRecords_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one key") << report({{4, 1}, {10, 1}, {12, 0x04}}) << "basic 04";
    QTest::newRow("one key, delay 100") << report({{4, 1}, {5, 100}, {10, 1}, {12, 0x04}})
                                        << "macro P04/100 R04/20";
    QTest::newRow("delay little-endian") << report({{4, 1}, {5, 0x2C}, {6, 0x01}, {10, 1}, {12, 0x04}})
                                         << "macro P04/300 R04/20";
    QTest::newRow("shared modifier, two keys")
        << report({{4, 1}, {10, 2}, {11, 0x01}, {12, 0x04}, {13, 0x01}, {14, 0x05}})
        << "macro PE0/0 P04/0 P05/0 R05/20 R04/20 RE0/20";
    QTest::newRow("shared modifier, two keys, delay 30")
        << report({{4, 1}, {5, 30}, {10, 2}, {11, 0x01}, {12, 0x04}, {13, 0x01}, {14, 0x05}})
        << "macro PE0/30 P04/30 P05/30 R05/20 R04/20 RE0/20";
    QTest::newRow("Ctrl+Shift+A") << report({{4, 1}, {10, 1}, {11, 0x03}, {12, 0x04}})
                                  << "macro PE0/0 PE1/0 P04/0 R04/20 RE1/20 RE0/20";
    QTest::newRow("modifiers in order of first appearance")
        << report({{4, 1}, {10, 2}, {11, 0x80}, {12, 0x04}, {13, 0x81}, {14, 0x05}})
        << "macro PE7/0 PE0/0 P04/0 P05/0 R05/20 R04/20 RE0/20 RE7/20";
    QTest::newRow("modifier alone") << report({{4, 1}, {5, 7}, {10, 1}, {11, 0x02}})
                                    << "macro PE1/7 RE1/20";
    QTest::newRow("duplicate keys kept") << report({{4, 1}, {10, 2}, {12, 0x04}, {14, 0x04}})
                                         << "macro P04/0 P04/0 R04/20 R04/20";
    QTest::newRow("no pairs") << report({{4, 1}, {10, 0}, {12, 0x04}}) << "empty";
    QTest::newRow("kind 0") << report({{4, 0}, {10, 1}, {12, 0x04}}) << "empty";
    QTest::newRow("multimedia") << report({{4, 2}, {11, 0xE9}}) << "media 00E9";
    QTest::newRow("multimedia little-endian") << report({{4, 2}, {11, 0x92}, {12, 0x01}})
                                              << "media 0192";
    QTest::newRow("multimedia 0") << report({{4, 2}, {9, 0xE9}}) << "empty";

    // The record has room for 20 entries (bytes 11 to 50): a larger count never reads on.
    QByteArray hostile = report({{4, 1}, {10, 255}});
    for (int j = 0; j < 20; ++j)
        hostile[12 + 2 * j] = char(0x04 + j);
    for (int i = 51; i < REPORT_SIZE; ++i)
        hostile[i] = char(0x2C);
    QTest::newRow("count 255 limited to 20") << hostile << steps(20, true, 0);
    QTest::newRow("count 255 on a short read")
        << report({{4, 1}, {10, 255}, {12, 0x04}, {14, 0x05}}, 15)
        << "macro P04/0 P05/0 R05/20 R04/20";
}

void TestLegacyCodec::oldRecords()
{
    QFETCH(QByteArray, packet);
    QFETCH(QString, expected);
    const auto *data = reinterpret_cast<const unsigned char *>(packet.constData());
    const KeyData key = decodeLegacyOldRecord(data, packet.size());
    QCOMPARE(describe(key), expected);
    QVERIFY(!key.dirty);
    QCOMPARE(describe(decodeLegacyRecord(LegacyDeviceInfo(), data, packet.size())), expected);
}

void TestLegacyCodec::mouseRecords_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QByteArray>("r10udav");
    QTest::addColumn<QByteArray>("old");

    // a = byte 5, p = byte 9, t = byte 12, w = byte 21 ("R10Udav"); m = 11, t = 12, w = 15 ("Old").
    struct Row { int action, a, p, m, t, w; };
    const Row rows[] = {
        {0, 1, 0, 0, 1, 0},       {1, 1, 0, 0, 2, 0},       {2, 1, 0, 0, 4, 0},
        {3, 1, 0, 0, 0, 1},       {4, 1, 0, 0, 0, 0xFF},    {5, 1, 0xF1, 1, 0, 1},
        {6, 1, 0xF1, 1, 0, 0xFF}, {7, 1, 0xF2, 2, 0, 1},    {8, 1, 0xF2, 2, 0, 0xFF},
        {9, 1, 0xF3, 4, 0, 1},    {10, 1, 0xF3, 4, 0, 0xFF}, {11, 4, 1, 1, 0, 0},
        {12, 4, 2, 2, 0, 0},      {13, 4, 3, 3, 0, 0},      {14, 4, 4, 4, 0, 0},
        {15, 4, 5, 5, 0, 0},
    };
    for (const Row &r : rows) {
        // "Old" keypads know no swipes: those rows read back as nothing there.
        QTest::addRow("action %d", r.action)
            << r.action << report({{4, 3}, {5, r.a}, {9, r.p}, {12, r.t}, {21, r.w}})
            << report({{4, 3}, {11, r.m}, {12, r.t}, {15, r.w}});
    }
    QTest::newRow("unknown combination") << -1 << report({{4, 3}, {5, 1}, {9, 0xF4}, {21, 1}})
                                         << report({{4, 3}, {11, 8}, {15, 1}});
    QTest::newRow("click with modifier") << -1 << report({{4, 3}, {5, 1}, {9, 0xF1}, {12, 1}})
                                         << report({{4, 3}, {11, 1}, {12, 1}});
    QTest::newRow("all zero") << -1 << report({{4, 3}}) << report({{4, 3}});
}

void TestLegacyCodec::mouseRecords()
{
    QFETCH(int, action);
    QFETCH(QByteArray, r10udav);
    QFETCH(QByteArray, old);
    const QString expected = action < 0 ? QStringLiteral("empty") : QStringLiteral("mouse %1").arg(action);
    const QString expectedOld = action < 0 || action > 10 ? QStringLiteral("empty") : expected;
    QCOMPARE(describe(decodeLegacyR10UdavRecord(reinterpret_cast<const uchar *>(r10udav.constData()),
                                                r10udav.size())),
             expected);
    QCOMPARE(describe(decodeLegacyOldRecord(reinterpret_cast<const uchar *>(old.constData()),
                                            old.size())),
             expectedOld);
}

void TestLegacyCodec::packetAndKeyNumbers()
{
    LegacyDeviceInfo r10;
    r10.format = LegacyDeviceInfo::R10Udav;
    LegacyDeviceInfo old;

    for (int n = 0; n < 25; ++n)
        QCOMPARE(legacySlotForPacket(r10, n), n);
    QCOMPARE(legacySlotForPacket(r10, 25), -1);

    const int oldSlots[24] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                              12, 13, 14, 16, 18, 17, 19, 21, 20, 22, 24, 23};
    QSet<int> filled;
    for (int n = 0; n < 24; ++n) {
        QCOMPARE(legacySlotForPacket(old, n), oldSlots[n]);
        filled.insert(oldSlots[n]);
    }
    QCOMPARE(filled.size(), 24);
    QVERIFY(!filled.contains(15));
    QCOMPARE(legacySlotForPacket(old, 24), -1);
    QCOMPARE(legacySlotForPacket(old, -1), -1);

    for (int slot = 0; slot < 25; ++slot)
        QCOMPARE(legacyKeyNumber(r10, slot), slot + 1);
    QCOMPARE(legacyKeyNumber(r10, 25), 0);
    QCOMPARE(legacyKeyNumber(r10, -1), 0);
    for (int slot = 0; slot < 15; ++slot)
        QCOMPARE(legacyKeyNumber(old, slot), slot + 1);
    QCOMPARE(legacyKeyNumber(old, 15), 0);
    QCOMPARE(legacyKeyNumber(old, 16), 16);
    QCOMPARE(legacyKeyNumber(old, 17), 18);
    QCOMPARE(legacyKeyNumber(old, 18), 17);
    for (int slot = 19; slot < 26; ++slot)
        QCOMPARE(legacyKeyNumber(old, slot), 0);
    // A written key comes back in the slot it was written from.
    for (int slot = 0; slot < 25; ++slot) {
        const int number = legacyKeyNumber(old, slot);
        if (number)
            QCOMPARE(legacySlotForPacket(old, number - 1), slot);
    }
}

void TestLegacyCodec::keyWriteReports_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("slot");
    QTest::addColumn<KeyData>("key");
    QTest::addColumn<QByteArray>("expected");

    const int R = LegacyDeviceInfo::R10Udav;
    const int O = LegacyDeviceInfo::Old;
    const KeyData shiftA = macroOf({{0, 0xE1, 0}, {0, 0x04, 30}, {1, 0x04, 20}, {1, 0xE1, 20}});
    KeyData ctrlShiftA;
    ctrlShiftA.setCombination(0x03, QByteArray("\x04", 1));
    KeyData a;
    a.setBasicKey(0x04);
    KeyData shift;
    shift.setBasicKey(0xE1);
    KeyData none;
    none.setBasicKey(0);
    KeyData media;
    media.setMultimedia(0x0192);
    KeyData ctrlWheelDown;
    ctrlWheelDown.setMouseAction(6);
    KeyData like;
    like.setMouseAction(15);
    KeyData bogusMouse;
    bogusMouse.setMouseAction(20);
    KeyData ctrlAB;
    ctrlAB.setCombination(0x01, QByteArray("\x04\x05", 2));

    QTest::newRow("R10 macro: releases dropped, modifier as F2")
        << R << 0 << 4 << shiftA << QByteArray("03fd 05 01 01 01 02 0000f2 001e04");
    QTest::newRow("R10 Ctrl+Shift+A")
        << R << 0 << 4 << ctrlShiftA << QByteArray("03fd 05 01 01 01 03 0000f1 0014f2 001404");
    QTest::newRow("R10 basic key") << R << 1 << 0 << a << QByteArray("03fd 01 02 01 01 01 000004");
    QTest::newRow("R10 basic modifier sent as it is")
        << R << 0 << 0 << shift << QByteArray("03fd 01 01 01 01 01 0000e1");
    QTest::newRow("R10 basic key 0") << R << 0 << 0 << none << QByteArray("03fd 01 01 00");
    QTest::newRow("R10 empty") << R << 2 << 24 << KeyData() << QByteArray("03fd 19 03 00");
    QTest::newRow("R10 multimedia")
        << R << 2 << 0 << media << QByteArray("03fd 01 03 02 01 01 0000 92 0000 01");
    QTest::newRow("R10 mouse Ctrl+Wheel Down")
        << R << 0 << 16 << ctrlWheelDown
        << QByteArray("03fd 11 01 03 01 05 0000 f1 0000 00 0000000000000000 ff");
    QTest::newRow("R10 mouse Like") << R << 0 << 0 << like << QByteArray("03fd 01 01 03 04 05 0000 05");
    QTest::newRow("R10 mouse above 15") << R << 0 << 0 << bogusMouse << QByteArray("03fd 01 01 03 01 05");

    QTest::newRow("Old macro: one pair, modifier in the mask")
        << O << 0 << 4 << shiftA << QByteArray("03fd 05 01 01 0000 000000 01 02 04");
    QTest::newRow("Old Ctrl+Shift+A") << O << 0 << 4 << ctrlShiftA
                                      << QByteArray("03fd 05 01 01 0000 000000 01 03 04");
    QTest::newRow("Old macro delay from first press")
        << O << 0 << 0 << macroOf({{0, 0x04, 300}, {1, 0x04, 20}, {0, 0x05, 7}})
        << QByteArray("03fd 01 01 01 2c01 000000 02 0004 0005");
    QTest::newRow("Old modifier alone") << O << 0 << 0 << shift
                                        << QByteArray("03fd 01 01 01 0000 000000 01 02 00");
    QTest::newRow("Old mask on every pair") << O << 1 << 2 << ctrlAB
                                            << QByteArray("03fd 03 02 01 0000 000000 02 0104 0105");
    QTest::newRow("Old knob press slot 18 is key 17")
        << O << 0 << 18 << a << QByteArray("03fd 11 01 01 0000 000000 01 00 04");
    QTest::newRow("Old knob right slot 17 is key 18")
        << O << 0 << 17 << a << QByteArray("03fd 12 01 01 0000 000000 01 00 04");
    QTest::newRow("Old multimedia") << O << 0 << 0 << media
                                    << QByteArray("03fd 01 01 02 0000 000000 01 92 01");
    QTest::newRow("Old mouse Alt+Wheel Up") << O << 0 << 0 << KeyData([] { KeyData k; k.setMouseAction(9); return k; }())
                                            << QByteArray("03fd 01 01 03 0000 000000 03 04 00 0000 01");
    QTest::newRow("Old empty") << O << 2 << 14 << KeyData() << QByteArray("03fd 0f 03 00");
}

void TestLegacyCodec::keyWriteReports()
{
    QFETCH(int, format);
    QFETCH(int, layer);
    QFETCH(int, slot);
    QFETCH(KeyData, key);
    QFETCH(QByteArray, expected);
    LegacyDeviceInfo info;
    info.valid = true;
    info.format = format;
    QByteArray out;
    QCOMPARE(int(encodeLegacyKeyReport(info, layer, slot, key, out)), int(EncodeResult::Ok));
    compareReport(out, expected);
}

void TestLegacyCodec::unwritableKeys()
{
    LegacyDeviceInfo r10;
    r10.valid = true;
    r10.format = LegacyDeviceInfo::R10Udav;
    LegacyDeviceInfo old;
    old.valid = true;
    KeyData a;
    a.setBasicKey(0x04);
    QByteArray out("x");

    QCOMPARE(int(encodeLegacyKeyReport(old, 0, 15, a, out)), int(EncodeResult::NoKeyNumber));
    QVERIFY(out.isEmpty());
    QCOMPARE(int(encodeLegacyKeyReport(old, 0, 19, a, out)), int(EncodeResult::NoKeyNumber));
    QCOMPARE(int(encodeLegacyKeyReport(r10, 0, 25, a, out)), int(EncodeResult::NoKeyNumber));

    KeyData bogus = a;
    bogus.type = 9;
    QCOMPARE(int(encodeLegacyKeyReport(r10, 0, 0, bogus, out)), int(EncodeResult::BadType));
    QVERIFY(out.isEmpty());
    QCOMPARE(int(encodeLegacyKeyReport(old, 0, 0, bogus, out)), int(EncodeResult::BadType));

    // 25 press steps: "R10Udav" keeps the first 18 entries, "Old" the first 18 pairs.
    QVector<MacroStepData> presses;
    for (int i = 0; i < 25; ++i)
        presses.append({0, quint8(0x04 + i), quint16(i)});
    KeyData long25;
    long25.setMacro(presses);
    QCOMPARE(int(encodeLegacyKeyReport(r10, 0, 0, long25, out)), int(EncodeResult::Ok));
    QCOMPARE(quint8(out[6]), quint8(18));
    QCOMPARE(quint8(out[7 + 3 * 17 + 2]), quint8(0x04 + 17));
    QCOMPARE(quint8(out[7 + 3 * 17 + 1]), quint8(17));
    QCOMPARE(out.mid(7 + 3 * 18), QByteArray(REPORT_SIZE - 7 - 3 * 18, '\0'));
    QCOMPARE(int(encodeLegacyKeyReport(old, 0, 0, long25, out)), int(EncodeResult::Ok));
    QCOMPARE(quint8(out[10]), quint8(18));
    QCOMPARE(quint8(out[12 + 2 * 17]), quint8(0x04 + 17));
    QCOMPARE(out.mid(11 + 2 * 18), QByteArray(REPORT_SIZE - 11 - 2 * 18, '\0'));
}

void TestLegacyCodec::oldColorCode_data()
{
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("code");

    QTest::newRow("white is yellow") << 255 << 255 << 255 << 48;
    QTest::newRow("black is purple") << 0 << 0 << 0 << 112;
    QTest::newRow("purple") << 128 << 0 << 128 << 112;
    QTest::newRow("near cyan") << 0 << 250 << 240 << 80;
    QTest::newRow("red") << 255 << 0 << 0 << 16;
    QTest::newRow("orange") << 255 << 128 << 60 << 32;
    QTest::newRow("yellow") << 255 << 255 << 60 << 48;
    QTest::newRow("model default yellow") << 255 << 255 << 0 << 48;
    QTest::newRow("green") << 0 << 255 << 0 << 64;
    QTest::newRow("blue") << 0 << 0 << 255 << 96;
    // Equally far from red and from orange: the earlier palette entry wins.
    QTest::newRow("tie red/orange") << 255 << 64 << 30 << 16;
    QTest::newRow("one step toward orange") << 255 << 65 << 30 << 32;
}

void TestLegacyCodec::oldColorCode()
{
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QFETCH(int, code);
    QCOMPARE(int(legacyOldRgbColorCode(LedColorData{quint8(r), quint8(g), quint8(b)})), code);
}

void TestLegacyCodec::lightingAndControlReports()
{
    LegacyDeviceInfo r10;
    r10.format = LegacyDeviceInfo::R10Udav;
    compareReport(legacyLayerRequest(r10, 2), "03fa 19 00 03");
    compareReport(legacyLayerRequest(LegacyDeviceInfo(), 0), "03fa 0f 03 01");
    compareReport(legacyCommitReport(), "03fd feff");
    compareReport(legacyRgbReadRequest(2), "03fa b0 02");

    LayerLedConfigData config;
    config.mode = 7;
    config.colors[0] = {0, 250, 240};
    config.colors[1] = {1, 2, 3};
    // Byte 12: colour code OR mode, a mode above 4 sent as 5; layer 1-based.
    compareReport(legacyOldRgbWriteReport(0, config), "03feb0 01 08 0000000000 01 00 55");
    config.mode = 4;
    config.colors[0] = {255, 0, 0};
    compareReport(legacyOldRgbWriteReport(2, config), "03feb0 03 08 0000000000 01 00 14");
    config.mode = 5;
    compareReport(legacyOldRgbWriteReport(1, config), "03feb0 02 08 0000000000 01 00 15");

    // "R10Udav": 0-based layer, mode, then the 16 colours.
    LayerLedConfigData full;
    full.mode = 3;
    for (int k = 0; k < 16; ++k)
        full.colors[size_t(k)] = {quint8(k), quint8(0x40 + k), quint8(0x80 + k)};
    QByteArray hex("03feb0 01 03");
    for (int k = 0; k < 16; ++k)
        hex += QByteArray(1, char(k)).toHex() + QByteArray(1, char(0x40 + k)).toHex()
               + QByteArray(1, char(0x80 + k)).toHex();
    compareReport(legacyRgbWriteReport(1, full), hex);
}

QTEST_GUILESS_MAIN(TestLegacyCodec)
#include "tst_legacycodec.moc"
