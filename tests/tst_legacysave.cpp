// Saving to a legacy keypad: every key function through each generation's simulated keypad
// and back, the order and pacing of a save, skipped slots, failures, and saving from a
// worker while the user keeps editing.
#include "model/keyboarddata.h"
#include "support/legacytestkit.h"
#include "support/logcapture.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QtTest>

using namespace LegacyHIDManager;
using legacytest::describe;
using legacytest::LegacyKeypad;
using testsupport::LogCapture;
using Gen = sim::LegacyFirmware::Generation;

Q_DECLARE_METATYPE(KeyData)

namespace {

KeyData basic(quint8 usage)
{
    KeyData k;
    k.setBasicKey(usage);
    return k;
}

KeyData combo(quint8 modifiers, const QByteArray &keys)
{
    KeyData k;
    k.setCombination(modifiers, keys);
    return k;
}

KeyData macro(std::initializer_list<MacroStepData> steps)
{
    KeyData k;
    k.setMacro(QVector<MacroStepData>(steps));
    return k;
}

KeyData media(quint16 usage)
{
    KeyData k;
    k.setMultimedia(usage);
    return k;
}

KeyData mouse(quint8 action)
{
    KeyData k;
    k.setMouseAction(action);
    return k;
}

// A record the keypad already holds before the save: a basic Space key.
QByteArray spaceRecord(Gen gen, int keyNumber, int layer)
{
    QByteArray r(gen == Gen::R10Udav ? 62 : 60, '\0');
    r[0] = char(keyNumber);
    r[1] = char(layer + 1);
    r[2] = 1;
    if (gen == Gen::R10Udav) {
        r[3] = 1;
        r[4] = 1;
        r[7] = 0x2C;
    } else {
        r[8] = 1;
        r[10] = 0x2C;
    }
    return r;
}

void edit(KeyboardData &model, int layer, int slot, const KeyData &function)
{
    KeyData *key = model.keyDataAt(layer, slot);
    QVERIFY(key);
    const bool dirty = key->dirty;
    *key = function;
    key->dirty = dirty;
    model.markKeyChanged(layer, slot);
}

} // namespace

class TestLegacySave : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void nothingToSave();
    void saveOrderAndPacing();
    void lightingOnlySave();
    void oldSkippedSlots();
    void saveFailures();
    void workerSaveKeepsLaterEdits();
};

void TestLegacySave::roundTrip_data()
{
    QTest::addColumn<int>("generation");
    QTest::addColumn<int>("slot");
    QTest::addColumn<KeyData>("written");
    QTest::addColumn<QString>("readBack");

    const int R = int(Gen::R10Udav);
    const int O = int(Gen::Old);
    QVector<MacroStepData> long25;
    QStringList kept18;
    for (int i = 0; i < 25; ++i)
        long25.append({0, quint8(0x04 + i), 0});
    KeyData longMacro;
    longMacro.setMacro(long25);
    for (int i = 0; i < 18; ++i)
        kept18 << QStringLiteral("P%1/0").arg(legacytest::hex(0x04 + i, 2));
    for (int i = 17; i >= 0; --i)
        kept18 << QStringLiteral("R%1/20").arg(legacytest::hex(0x04 + i, 2));

    QTest::newRow("R10 basic") << R << 2 << basic(0x04) << "basic 04";
    QTest::newRow("R10 basic on the last knob slot") << R << 24 << basic(0x29) << "basic 29";
    QTest::newRow("R10 basic modifier") << R << 2 << basic(0xE1) << "macro PE1/0 RE1/20";
    QTest::newRow("R10 Ctrl+Shift+A")
        << R << 2 << combo(0x03, QByteArray("\x04", 1))
        << "macro PE0/0 PE1/20 P04/20 R04/20 RE1/20 RE0/20";
    QTest::newRow("R10 right Alt with two keys")
        << R << 2 << combo(0x40, QByteArray("\x04\x05", 2))
        << "macro PE6/0 P04/20 P05/20 R05/20 R04/20 RE6/20";
    QTest::newRow("R10 macro keeps each delay")
        << R << 2 << macro({{0, 0x04, 0}, {1, 0x04, 20}, {0, 0x05, 35}, {1, 0x05, 20}})
        << "macro P04/0 P05/35 R05/20 R04/20";
    QTest::newRow("R10 macro with modifier and long delay")
        << R << 2 << macro({{0, 0xE0, 10}, {0, 0x06, 500}, {1, 0x06, 20}, {1, 0xE0, 20}})
        << "macro PE0/10 P06/500 R06/20 RE0/20";
    QTest::newRow("R10 one delayed press") << R << 2 << macro({{0, 0x04, 1000}, {1, 0x04, 20}})
                                           << "macro P04/1000 R04/20";
    QTest::newRow("R10 macro of 25 presses keeps 18") << R << 2 << longMacro
                                                      << "macro " + kept18.join(QLatin1Char(' '));
    QTest::newRow("R10 multimedia") << R << 2 << media(0x00E9) << "media 00E9";
    QTest::newRow("R10 multimedia high byte") << R << 2 << media(0x0223) << "media 0223";
    for (int action = 0; action < 16; ++action)
        QTest::addRow("R10 mouse %d", action) << R << 2 << mouse(quint8(action))
                                              << QStringLiteral("mouse %1").arg(action);
    QTest::newRow("R10 mouse 16") << R << 2 << mouse(16) << "empty";
    QTest::newRow("R10 empty") << R << 2 << KeyData() << "empty";

    QTest::newRow("Old basic") << O << 2 << basic(0x04) << "basic 04";
    QTest::newRow("Old basic modifier") << O << 2 << basic(0xE1) << "macro PE1/0 RE1/20";
    QTest::newRow("Old Ctrl+Shift+A") << O << 2 << combo(0x03, QByteArray("\x04", 1))
                                      << "macro PE0/0 PE1/0 P04/0 R04/20 RE1/20 RE0/20";
    QTest::newRow("Old macro of two keys") << O << 2
                                           << macro({{0, 0x04, 0}, {1, 0x04, 20}, {0, 0x05, 20}, {1, 0x05, 20}})
                                           << "macro P04/0 P05/0 R05/20 R04/20";
    QTest::newRow("Old per-key delay") << O << 2 << macro({{0, 0x04, 150}, {1, 0x04, 20}})
                                       << "macro P04/150 R04/20";
    QTest::newRow("Old one delay for the whole key")
        << O << 2 << macro({{0, 0x04, 150}, {1, 0x04, 20}, {0, 0x05, 40}, {1, 0x05, 20}})
        << "macro P04/150 P05/150 R05/20 R04/20";
    QTest::newRow("Old modifier macro with delay")
        << O << 2 << macro({{0, 0xE2, 70}, {0, 0x2B, 0}, {1, 0x2B, 20}, {1, 0xE2, 20}})
        << "macro PE2/70 P2B/70 R2B/20 RE2/20";
    QTest::newRow("Old multimedia") << O << 2 << media(0x0192) << "media 0192";
    for (int action = 0; action < 16; ++action)
        QTest::addRow("Old mouse %d", action) << O << 2 << mouse(quint8(action))
                                              << (action <= 10 ? QStringLiteral("mouse %1").arg(action)
                                                               : QStringLiteral("empty"));
    QTest::newRow("Old empty") << O << 2 << KeyData() << "empty";
    QTest::newRow("Old knob left") << O << 16 << basic(0x50) << "basic 50";
    QTest::newRow("Old knob right") << O << 17 << basic(0x4F) << "basic 4F";
    QTest::newRow("Old knob press") << O << 18 << media(0x00E2) << "media 00E2";
}

void TestLegacySave::roundTrip()
{
    QFETCH(int, generation);
    QFETCH(int, slot);
    QFETCH(KeyData, written);
    QFETCH(QString, readBack);

    const Gen gen = Gen(generation);
    LegacyKeypad pad(gen);
    const LegacyDeviceInfo info = pad.info();
    const int number = legacyKeyNumber(info, slot);
    QVERIFY(number > 0);
    pad.firmware().setRecord(1, number, spaceRecord(gen, number, 1));

    KeyboardData model;
    edit(model, 1, slot, written);
    QVERIFY(saveDirtyConfiguration(pad.device(), info, model));
    QVERIFY(!model.hasUnsavedChanges());
    QCOMPARE(pad.firmware().commitCount(), 1);

    // What survives a power cycle is what was committed.
    pad.firmware().powerCycle();
    QVector<QVector<KeyData>> layers;
    QVERIFY(readAllLegacyLayers(pad.device(), info, layers));
    for (int s = 0; s < 25; ++s) {
        const QString expected = s == slot ? readBack : QStringLiteral("empty");
        QCOMPARE(describe(layers[1][s]) + QStringLiteral(" @%1").arg(s),
                 expected + QStringLiteral(" @%1").arg(s));
    }
    for (int s = 0; s < 25; ++s) {
        QCOMPARE(describe(layers[0][s]), QStringLiteral("empty"));
        QCOMPARE(describe(layers[2][s]), QStringLiteral("empty"));
    }
}

void TestLegacySave::nothingToSave()
{
    for (Gen gen : {Gen::R10Udav, Gen::Old}) {
        LegacyKeypad pad(gen);
        KeyboardData model;
        LogCapture log;
        QVERIFY(saveDirtyConfiguration(pad.device(), pad.info(), model));
        QCOMPARE(pad.written().size(), 0);
        QCOMPARE(pad.firmware().commitCount(), 0);
        QVERIFY(log.contains(gen == Gen::R10Udav ? QStringLiteral("Legacy save done writes= 0 fmt= R10Udav")
                                                 : QStringLiteral("Legacy save done writes= 0 fmt= Old")));
    }
}

void TestLegacySave::saveOrderAndPacing()
{
    LegacyKeypad pad(Gen::R10Udav);
    KeyboardData model;
    edit(model, 2, 1, basic(0x06));
    edit(model, 0, 5, basic(0x05));
    edit(model, 0, 3, basic(0x04));
    model.setLedMode(1, 4);
    // A layer the keypad does not have is never written.
    edit(model, 3, 0, basic(0x07));

    LogCapture log;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(saveDirtyConfiguration(pad.device(), pad.info(), model));
    const qint64 ms = clock.elapsed();
    // Three keys and one lighting layer 20 ms apart, then 200 ms after the commit.
    QVERIFY2(ms >= 4 * 20 + 200, qPrintable(QString::number(ms)));

    QStringList heads;
    for (const QByteArray &r : pad.written())
        heads << QString::fromLatin1(r.left(5).toHex());
    QCOMPARE(heads, (QStringList{QStringLiteral("03fd040101"), QStringLiteral("03fd060101"),
                                 QStringLiteral("03fd020301"), QStringLiteral("03feb00104"),
                                 QStringLiteral("03fdfeff00")}));
    QVERIFY(log.contains(QStringLiteral("Legacy save done writes= 3 fmt= R10Udav")));
    QVERIFY(!model.keyDataAt(0, 3)->dirty);
    QVERIFY(!model.keyDataAt(2, 1)->dirty);
    QVERIFY(model.keyDataAt(3, 0)->dirty);
    QVERIFY(!model.hasLedChanges());
    QVERIFY(!pad.firmware().hasUncommittedChanges());
}

void TestLegacySave::lightingOnlySave()
{
    for (Gen gen : {Gen::R10Udav, Gen::Old}) {
        LegacyKeypad pad(gen);
        KeyboardData model;
        model.setLedColor(2, 0, {0, 0, 255});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(saveDirtyConfiguration(pad.device(), pad.info(), model));
        QVERIFY(clock.elapsed() >= 200);
        const QVector<QByteArray> sent = pad.written();
        // No key report; the lighting, then the commit.
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent[0].left(4).toHex(), gen == Gen::R10Udav ? QByteArray("03feb002") : QByteArray("03feb003"));
        QCOMPARE(sent[1].toHex(), legacyCommitReport().toHex());
        QCOMPARE(pad.firmware().commitCount(), 1);
        if (gen == Gen::Old)
            QCOMPARE(int(pad.firmware().oldLightingCode(2)), 0x61);
        else
            QCOMPARE(pad.firmware().lighting(2).colors[0], (LedColorData{0, 0, 255}));
        QVERIFY(!model.hasUnsavedChanges());
    }
}

void TestLegacySave::oldSkippedSlots()
{
    LegacyKeypad pad(Gen::Old);
    KeyboardData model;
    for (int slot : {0, 15, 19, 20, 24})
        edit(model, 0, slot, basic(0x04));
    LogCapture log;
    QVERIFY(saveDirtyConfiguration(pad.device(), pad.info(), model));
    for (int slot : {15, 19, 20, 24})
        QVERIFY2(log.contains(QStringLiteral("Legacy write skipped invalid key %1").arg(slot)),
                 qPrintable(QString::number(slot)));
    QVERIFY(!log.contains(QStringLiteral("Legacy write skipped invalid key 0")));
    // The keypad cannot hold them: their flags are cleared and nothing is sent for them.
    QVERIFY(!model.hasUnsavedChanges());
    const QVector<QByteArray> sent = pad.written();
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent[0].left(4).toHex(), QByteArray("03fd0101"));
    QCOMPARE(sent[1].toHex(), legacyCommitReport().toHex());
    for (int number = 2; number <= 24; ++number)
        QCOMPARE(pad.firmware().record(0, number)[2], char(0));

    // writeLegacyKey on its own: same verdict, and its argument checks.
    pad.clearWritten();
    QVERIFY(writeLegacyKey(pad.device(), pad.info(), 0, 15, basic(0x04)));
    QVERIFY(!writeLegacyKey(pad.device(), pad.info(), 3, 0, basic(0x04)));
    QVERIFY(!writeLegacyKey(pad.device(), pad.info(), -1, 0, basic(0x04)));
    QVERIFY(!writeLegacyKey(nullptr, pad.info(), 0, 0, basic(0x04)));
    QVERIFY(!writeLegacyKey(pad.device(), LegacyDeviceInfo(), 0, 0, basic(0x04)));
    QCOMPARE(pad.written().size(), 0);
}

void TestLegacySave::saveFailures()
{
    {
        // The second key write fails: no commit, so neither key is kept by the keypad and
        // both stay changed for the next save.
        LegacyKeypad pad(Gen::R10Udav);
        KeyboardData model;
        edit(model, 0, 1, basic(0x04));
        edit(model, 0, 3, basic(0x05));
        sim::SimBus::unplugAfterReports(pad.id(), 1);
        LogCapture log;
        QVERIFY(!saveDirtyConfiguration(pad.device(), pad.info(), model));
        QVERIFY(log.contains(QStringLiteral("Legacy write failed R10Udav layer= 0 key= 3 name= 4")));
        QVERIFY(log.contains(QStringLiteral("Legacy save failed layer= 0 key= 3")));
        QVERIFY(model.keyDataAt(0, 1)->dirty);
        QVERIFY(model.keyDataAt(0, 3)->dirty);
        QCOMPARE(pad.firmware().commitCount(), 0);
    }
    {
        LegacyKeypad pad(Gen::Old);
        KeyboardData model;
        edit(model, 1, 0, basic(0x04));
        sim::SimBus::unplugAfterReports(pad.id(), 1);
        LogCapture log;
        QVERIFY(!saveDirtyConfiguration(pad.device(), pad.info(), model));
        QVERIFY(log.contains(QStringLiteral("Legacy save commit packet failed")));
        QVERIFY(!log.contains(QStringLiteral("Legacy save done")));
    }
    {
        // A function the keypad cannot encode stops the save before anything is sent.
        LegacyKeypad pad(Gen::Old);
        KeyboardData model;
        KeyData bogus = basic(0x04);
        bogus.type = 9;
        edit(model, 0, 0, bogus);
        edit(model, 0, 1, basic(0x05));
        LogCapture log;
        QVERIFY(!saveDirtyConfiguration(pad.device(), pad.info(), model));
        QVERIFY(log.contains(QStringLiteral("Legacy write encode failed Old layer= 0 key= 0")));
        QVERIFY(log.contains(QStringLiteral("Legacy save failed layer= 0 key= 0")));
        QCOMPARE(pad.written().size(), 0);
        QVERIFY(model.keyDataAt(0, 0)->dirty);
        QVERIFY(model.keyDataAt(0, 1)->dirty);
    }
    {
        LegacyKeypad pad(Gen::R10Udav);
        KeyboardData model;
        model.setLedMode(0, 9);
        sim::SimBus::failWrites(pad.id(), 1);
        LogCapture log;
        QVERIFY(!saveDirtyConfiguration(pad.device(), pad.info(), model));
        QVERIFY(log.contains(QStringLiteral("Legacy RGB write failed layer= 0")));
        QVERIFY(log.contains(QStringLiteral("Legacy RGB save failed")));
        QCOMPARE(pad.firmware().commitCount(), 0);
        QVERIFY(model.hasLedChanges());

        QVERIFY(!saveDirtyConfiguration(nullptr, pad.info(), model));
        QVERIFY(!saveDirtyConfiguration(pad.device(), LegacyDeviceInfo(), model));
    }
}

void TestLegacySave::workerSaveKeepsLaterEdits()
{
    LegacyKeypad pad(Gen::R10Udav);
    KeyboardData model;
    edit(model, 0, 0, basic(0x04));
    edit(model, 0, 1, basic(0x05));
    model.setLedMode(1, 3);
    const KeyboardSnapshot snap = model.snapshot();

    // The user edits key 1 and the lighting of layer 1 while the save is under way.
    edit(model, 0, 1, basic(0x06));
    model.setLedMode(1, 4);

    bool ok = false;
    const QPointer<KeyboardData> target(&model);
    std::unique_ptr<QThread> worker(QThread::create([&] {
        ok = saveDirtyConfiguration(pad.device(), pad.info(), target, snap);
    }));
    worker->start();
    QVERIFY(worker->wait(10000));
    QVERIFY(ok);
    // Acknowledgements arrive on the model's thread.
    QTRY_VERIFY(!model.keyDataAt(0, 0)->dirty);
    QCoreApplication::processEvents();
    QVERIFY(model.keyDataAt(0, 1)->dirty);
    QVERIFY(model.ledConfig(1).modeDirty);
    QCOMPARE(describe(decodeLegacyR10UdavRecord(
                 reinterpret_cast<const uchar *>(("\x03\xfa" + pad.firmware().record(0, 2)).constData()), 64)),
             QStringLiteral("basic 05"));

    // The next save carries the later edit.
    QVERIFY(saveDirtyConfiguration(pad.device(), pad.info(), model));
    QVERIFY(!model.hasUnsavedChanges());
    QCOMPARE(int(pad.firmware().lighting(1).mode), 4);
    QVector<QVector<KeyData>> layers;
    QVERIFY(readAllLegacyLayers(pad.device(), pad.info(), layers));
    QCOMPARE(describe(layers[0][1]), QStringLiteral("basic 06"));
}

QTEST_GUILESS_MAIN(TestLegacySave)
#include "tst_legacysave.moc"
