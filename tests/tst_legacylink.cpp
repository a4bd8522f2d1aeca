// The legacy link against the simulated legacy keypad: probe, layer reads of both
// generations, lighting reads and writes, and the serialisation through the device link.
#include "device/hidmanager.h"
#include "model/keyboarddata.h"
#include "support/legacytestkit.h"
#include "support/logcapture.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>

using namespace LegacyHIDManager;
using legacytest::describe;
using legacytest::LegacyKeypad;
using testsupport::LogCapture;
using Gen = sim::LegacyFirmware::Generation;

namespace {

// An "Old" record holding one basic key.
QByteArray oldBasicRecord(int keyNumber, int layer, quint8 usage)
{
    QByteArray r(60, '\0');
    r[0] = char(keyNumber);
    r[1] = char(layer + 1);
    r[2] = 1;
    r[8] = 1;
    r[10] = char(usage);
    return r;
}

QByteArray r10BasicRecord(int keyNumber, int layer, quint8 usage)
{
    QByteArray r(62, '\0');
    r[0] = char(keyNumber);
    r[1] = char(layer + 1);
    r[2] = 1;
    r[3] = 1;
    r[4] = 1;
    r[7] = char(usage);
    return r;
}

bool isInitial(const LegacyDeviceInfo &i)
{
    return !i.valid && i.keyCount == 0 && i.encoderCount == 0 && i.layerCount == 3
           && i.version == 0 && i.shape == 0 && i.format == 0;
}

LegacyDeviceInfo junkInfo()
{
    LegacyDeviceInfo i;
    i.valid = true;
    i.keyCount = 9;
    i.encoderCount = 9;
    i.layerCount = 9;
    i.version = 99;
    i.shape = 9;
    i.format = 1;
    return i;
}

} // namespace

class TestLegacyLink : public QObject
{
    Q_OBJECT

private slots:
    void probeAnswers_data();
    void probeAnswers();
    void probeFailures();
    void layerReadOrder();
    void layerReadFaults();
    void demoConfiguration();
    void lightingRead();
    void lightingWrite();
    void serialisedThroughDeviceLink();
};

void TestLegacyLink::probeAnswers_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("latencyMs");
    QTest::addColumn<int>("expectedShape");
    QTest::addColumn<QString>("logLine");

    QTest::newRow("version 10 is R10Udav") << 10 << 2 << 0 << 2
                                           << "Legacy probe: K= 15 E= 3 Ver= 10 Shape= 2 Fmt= R10Udav";
    QTest::newRow("version 9 is Old, shape ignored") << 9 << 5 << 0 << 0
                                                     << "Legacy probe: K= 15 E= 3 Ver= 9 Shape= 0 Fmt= Old";
    QTest::newRow("version 8") << 8 << 0 << 0 << 0 << "Legacy probe: K= 15 E= 3 Ver= 8 Shape= 0 Fmt= Old";
    // The answer arrives during the tenth 50 ms read and is taken like the first.
    QTest::newRow("late answer") << 12 << 1 << 470 << 1
                                 << "Legacy probe: K= 15 E= 3 Ver= 12 Shape= 1 Fmt= R10Udav";
}

void TestLegacyLink::probeAnswers()
{
    QFETCH(int, version);
    QFETCH(int, shape);
    QFETCH(int, latencyMs);
    QFETCH(int, expectedShape);
    QFETCH(QString, logLine);

    const Gen gen = version >= 10 ? Gen::R10Udav : Gen::Old;
    LegacyKeypad pad(std::make_shared<sim::LegacyFirmware>(gen, 15, 3, quint8(version), quint8(shape)));
    sim::SimBus::setLatency(pad.id(), latencyMs);
    LogCapture log;
    LegacyDeviceInfo info = junkInfo();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(probeLegacyDeviceInfo(pad.device(), info));
    QVERIFY(clock.elapsed() >= latencyMs);
    QVERIFY(info.valid);
    QCOMPARE(int(info.keyCount), 15);
    QCOMPARE(int(info.encoderCount), 3);
    QCOMPARE(int(info.layerCount), 3);
    QCOMPARE(int(info.version), version);
    QCOMPARE(int(info.shape), expectedShape);
    QCOMPARE(info.format, version >= 10 ? 1 : 0);
    QVERIFY2(log.contains(logLine), qPrintable(log.lines().join(QLatin1Char('\n'))));

    const QVector<QByteArray> sent = pad.written();
    QCOMPARE(sent.size(), 1);
    QByteArray request(65, '\0');
    request[0] = 0x03;
    request[1] = request[2] = request[3] = char(0xFB);
    QCOMPARE(sent[0].toHex(), request.toHex());

    // A late reply to an earlier request, still waiting, is not taken for the answer.
    sim::SimBus::setLatency(pad.id(), 0);
    QByteArray stale(64, '\0');
    stale[0] = 0x03;
    stale[1] = 11;
    stale[2] = 7;
    stale[3] = 16;
    stale[4] = 3;
    sim::SimBus::injectInput(pad.id(), stale);
    sim::SimBus::injectInput(pad.id(), stale);
    info = junkInfo();
    QVERIFY(probeLegacyDeviceInfo(pad.device(), info));
    QCOMPARE(int(info.version), version);
    QCOMPARE(int(info.keyCount), 15);

    // The two halves alone.
    pad.clearWritten();
    sim::SimBus::injectInput(pad.id(), stale);
    QVERIFY(sendLegacyInfoRequest(pad.device()));
    unsigned char buffer[65];
    QVERIFY(readLegacyInfoResponse(pad.device(), buffer));
    QCOMPARE(int(buffer[4]), version);
    QCOMPARE(pad.written().size(), 1);
}

void TestLegacyLink::probeFailures()
{
    LegacyDeviceInfo info = junkInfo();
    QVERIFY(!probeLegacyDeviceInfo(nullptr, info));
    QVERIFY(isInitial(info));
    QVERIFY(!sendLegacyInfoRequest(nullptr));
    unsigned char buffer[65];
    QVERIFY(!readLegacyInfoResponse(nullptr, buffer));

    {
        LegacyKeypad pad(Gen::R10Udav);
        sim::SimBus::failWrites(pad.id(), 1);
        LogCapture log;
        info = junkInfo();
        QVERIFY(!probeLegacyDeviceInfo(pad.device(), info));
        QVERIFY(isInitial(info));
        QVERIFY(log.contains(QStringLiteral("Legacy probe: request failed")));
    }
    {
        // A keypad that stays silent costs the twenty 50 ms reads, about one second.
        LegacyKeypad pad(Gen::Old);
        pad.firmware().setAnswersProbe(false);
        LogCapture log;
        info = junkInfo();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!probeLegacyDeviceInfo(pad.device(), info));
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms >= 900 && ms < 4000, qPrintable(QString::number(ms)));
        QVERIFY(isInitial(info));
        QVERIFY(log.contains(QStringLiteral("Legacy probe: no response")));
        QCOMPARE(log.count(QStringLiteral("Legacy probe: K=")), 0);

        clock.restart();
        QVERIFY(!readLegacyInfoResponse(pad.device(), buffer));
        QVERIFY(clock.elapsed() >= 900);
    }
}

void TestLegacyLink::layerReadOrder()
{
    {
        // "Old": 24 records; the knob actions come left, press, right and slot 15 has none.
        LegacyKeypad pad(Gen::Old);
        for (int number = 1; number <= 24; ++number)
            pad.firmware().setRecord(1, number, oldBasicRecord(number, 1, quint8(0x03 + number)));
        LogCapture log;
        QVector<KeyData> keys(3);
        QVERIFY(readLegacyLayer(pad.device(), pad.info(), 1, keys));
        QCOMPARE(keys.size(), 25);
        const int numberOfSlot[25] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                      14, 15, 0,  16, 18, 17, 19, 21, 20, 22, 24, 23};
        for (int slot = 0; slot < 25; ++slot) {
            const int n = numberOfSlot[slot];
            const QString expected = n ? QStringLiteral("basic ") + legacytest::hex(0x03 + n, 2)
                                       : QStringLiteral("empty");
            QCOMPARE(describe(keys[slot]) + QStringLiteral(" @%1").arg(slot),
                     expected + QStringLiteral(" @%1").arg(slot));
            QVERIFY(!keys[slot].dirty);
        }
        QVERIFY(log.contains(QStringLiteral("Legacy read layer ok layer= 1 packets= 24")));
        QCOMPARE(pad.written().size(), 1);
        QCOMPARE(pad.written()[0].left(5).toHex(), QByteArray("03fa0f0302"));
    }
    {
        LegacyKeypad pad(Gen::R10Udav);
        for (int number = 1; number <= 25; ++number)
            pad.firmware().setRecord(2, number, r10BasicRecord(number, 2, quint8(0x03 + number)));
        QVector<QVector<KeyData>> layers;
        LogCapture log;
        QVERIFY(readAllLegacyLayers(pad.device(), pad.info(), layers));
        QCOMPARE(layers.size(), 4);
        QVERIFY(layers[3].isEmpty());
        for (int l = 0; l < 3; ++l)
            QCOMPARE(layers[l].size(), 25);
        for (int slot = 0; slot < 25; ++slot) {
            QCOMPARE(describe(layers[2][slot]), QStringLiteral("basic ") + legacytest::hex(0x04 + slot, 2));
            QCOMPARE(describe(layers[0][slot]), QStringLiteral("empty"));
        }
        QCOMPARE(log.count(QStringLiteral("Legacy read layer ok layer=")), 3);
        const QVector<QByteArray> sent = pad.written();
        QCOMPARE(sent.size(), 3);
        for (int l = 0; l < 3; ++l)
            QCOMPARE(sent[l].left(5).toHex(), QByteArray("03fa1900") + QByteArray::number(l + 1).rightJustified(2, '0'));
    }
}

void TestLegacyLink::layerReadFaults()
{
    LegacyKeypad pad(Gen::R10Udav);
    for (int number = 1; number <= 25; ++number)
        pad.firmware().setRecord(0, number, r10BasicRecord(number, 0, 0x04));
    const LegacyDeviceInfo info = pad.info();
    QVector<KeyData> keys;

    // Arguments that allow no read send nothing.
    QVERIFY(!readLegacyLayer(nullptr, info, 0, keys));
    QCOMPARE(keys.size(), 25);
    QVERIFY(!readLegacyLayer(pad.device(), LegacyDeviceInfo(), 0, keys));
    QVERIFY(!readLegacyLayer(pad.device(), info, 3, keys));
    QVERIFY(!readLegacyLayer(pad.device(), info, -1, keys));
    QVector<QVector<KeyData>> layers;
    QVERIFY(!readAllLegacyLayers(nullptr, info, layers));
    QCOMPARE(layers.size(), 4);
    LegacyDeviceInfo noLayers = info;
    noLayers.layerCount = 0;
    QVERIFY(!readAllLegacyLayers(pad.device(), noLayers, layers));
    QCOMPARE(pad.written().size(), 0);

    {
        // Ten records, then silence: one 120 ms time-out ends the read, what came stays.
        pad.firmware().setRecordsPerLayerRead(10);
        LogCapture log;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!readLegacyLayer(pad.device(), info, 0, keys));
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms >= 100 && ms < 2000, qPrintable(QString::number(ms)));
        QVERIFY(log.contains(QStringLiteral("Legacy read layer timeout layer= 0 packet= 10")));
        for (int slot = 0; slot < 25; ++slot)
            QCOMPARE(describe(keys[slot]), slot < 10 ? QStringLiteral("basic 04") : QStringLiteral("empty"));

        layers = {QVector<KeyData>(25)};
        QVERIFY(!readAllLegacyLayers(pad.device(), info, layers));
        QCOMPARE(layers.size(), 4);
        QVERIFY(layers[0].isEmpty() || describe(layers[0][0]) == QStringLiteral("empty"));
        pad.firmware().setRecordsPerLayerRead(-1);
    }
    {
        // Leftovers of an earlier read do not shift the keys of the next one.
        QByteArray leftover(64, '\0');
        leftover[0] = 0x03;
        leftover[1] = char(0xFA);
        leftover[2] = 25;
        leftover[3] = 1;
        leftover[4] = 1;
        leftover[6] = 1;
        leftover[9] = 0x2C;
        for (int i = 0; i < 3; ++i)
            sim::SimBus::injectInput(pad.id(), leftover);
        QVERIFY(readLegacyLayer(pad.device(), info, 0, keys));
        QCOMPARE(describe(keys[0]), QStringLiteral("basic 04"));
        QCOMPARE(describe(keys[24]), QStringLiteral("basic 04"));
        QCOMPARE(sim::SimBus::pendingInputCount(pad.id()), 0);
    }
    {
        // Asking in the other generation's layout gets no answer at all.
        LegacyDeviceInfo wrong = info;
        wrong.format = LegacyDeviceInfo::Old;
        LogCapture log;
        QVERIFY(!readLegacyLayer(pad.device(), wrong, 0, keys));
        QVERIFY(log.contains(QStringLiteral("Legacy read layer timeout layer= 0 packet= 0")));
    }
    {
        sim::SimBus::failWrites(pad.id(), 1);
        LogCapture log;
        QVERIFY(!readLegacyLayer(pad.device(), info, 2, keys));
        QVERIFY(log.contains(QStringLiteral("Legacy read layer: request failed layer= 2")));
    }
    {
        // Replies cut short or turned to noise never crash the decoders.
        sim::SimBus::truncateReplies(pad.id(), 25, 7);
        QVERIFY(readLegacyLayer(pad.device(), info, 0, keys));
        for (const KeyData &k : keys)
            QCOMPARE(describe(k), QStringLiteral("empty"));
        sim::SimBus::garbleReplies(pad.id(), 25);
        QVERIFY(readLegacyLayer(pad.device(), info, 0, keys));
        QCOMPARE(keys.size(), 25);
    }
}

void TestLegacyLink::demoConfiguration()
{
    // The demo keypads hold a configuration whose knob lands where the panel expects it.
    for (Gen gen : {Gen::R10Udav, Gen::Old}) {
        LegacyKeypad pad(gen);
        pad.firmware().loadDemoConfiguration();
        QVERIFY(!pad.firmware().hasUncommittedChanges());
        QVector<QVector<KeyData>> layers;
        QVERIFY(readAllLegacyLayers(pad.device(), pad.info(), layers));
        QCOMPARE(describe(layers[0][0]), QStringLiteral("basic 04"));
        QVERIFY(describe(layers[0][1]).startsWith(QStringLiteral("macro PE0/")));
        QCOMPARE(describe(layers[1][0]), QStringLiteral("basic 1E"));
        QCOMPARE(describe(layers[0][16]), QStringLiteral("media 00EA"));
        QCOMPARE(describe(layers[0][17]), QStringLiteral("media 00E9"));
        QCOMPARE(describe(layers[0][18]), QStringLiteral("media 00E2"));
        QCOMPARE(describe(layers[0][15]), gen == Gen::R10Udav ? QStringLiteral("basic 13")
                                                               : QStringLiteral("empty"));
        if (gen == Gen::R10Udav) {
            QCOMPARE(describe(layers[2][19]), QStringLiteral("mouse 4"));
            QCOMPARE(describe(layers[2][20]), QStringLiteral("mouse 3"));
            QVector<LayerLedConfigData> lighting;
            QVERIFY(readLegacyRgbConfig(pad.device(), pad.info(), lighting));
            QCOMPARE(int(lighting[1].mode), 2);
            QCOMPARE(lighting[0].colors[0], (LedColorData{255, 0, 0}));
        }
    }
}

void TestLegacyLink::lightingRead()
{
    {
        LegacyKeypad pad(Gen::R10Udav);
        for (int l = 0; l < 3; ++l) {
            LayerLedConfigData c;
            c.mode = quint8(10 + l);
            for (int k = 0; k < 16; ++k)
                c.colors[size_t(k)] = {quint8(l), quint8(k), quint8(200 + k)};
            pad.firmware().setLighting(l, c);
        }
        // Layer 1 unanswered: the others still count, layer 1 keeps the default.
        pad.firmware().setSilentLightingLayers({1});
        LogCapture log;
        QVector<LayerLedConfigData> configs(1);
        QVERIFY(readLegacyRgbConfig(pad.device(), pad.info(), configs));
        QCOMPARE(configs.size(), 4);
        QCOMPARE(int(configs[0].mode), 10);
        QCOMPARE(int(configs[2].mode), 12);
        QCOMPARE(configs[2].colors[15], (LedColorData{2, 15, 215}));
        QCOMPARE(configs[0].colors[3], (LedColorData{0, 3, 203}));
        QCOMPARE(int(configs[1].mode), 1);
        QCOMPARE(configs[1].colors[0], (LedColorData{255, 255, 0}));
        QCOMPARE(int(configs[3].mode), 1);
        for (const auto &c : configs)
            QVERIFY(!c.anyDirty());
        QVERIFY(log.contains(QStringLiteral("Legacy RGB read timeout layer= 1")));
        const QVector<QByteArray> sent = pad.written();
        QCOMPARE(sent.size(), 3);
        QCOMPARE(sent[2].left(4).toHex(), QByteArray("03fab002"));

        pad.firmware().setSilentLightingLayers({0, 1, 2});
        QVERIFY(!readLegacyRgbConfig(pad.device(), pad.info(), configs));
    }
    {
        // "Old" lighting cannot be read: false at once, nothing sent.
        LegacyKeypad pad(Gen::Old);
        QVector<LayerLedConfigData> configs;
        QVERIFY(!readLegacyRgbConfig(pad.device(), pad.info(), configs));
        QCOMPARE(configs.size(), 4);
        QCOMPARE(pad.written().size(), 0);
    }
}

void TestLegacyLink::lightingWrite()
{
    {
        LegacyKeypad pad(Gen::R10Udav);
        KeyboardData model;
        // Nothing changed: nothing sent.
        QVERIFY(writeLegacyRgbConfig(pad.device(), pad.info(), model));
        QCOMPARE(pad.written().size(), 0);

        model.setLedColor(0, 4, {1, 2, 3});
        model.setLedMode(2, 6);
        QVERIFY(writeLegacyRgbConfig(pad.device(), pad.info(), model));
        const QVector<QByteArray> sent = pad.written();
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent[0].left(5).toHex(), QByteArray("03feb00001"));
        QCOMPARE(sent[1].left(5).toHex(), QByteArray("03feb00206"));
        QCOMPARE(pad.firmware().lighting(0).colors[4], (LedColorData{1, 2, 3}));
        QCOMPARE(int(pad.firmware().lighting(2).mode), 6);
        QVERIFY(!model.hasLedChanges());

        // A write the keypad does not take keeps the flags for the next save.
        model.setLedMode(1, 3);
        sim::SimBus::failWrites(pad.id(), 1);
        LogCapture log;
        QVERIFY(!writeLegacyRgbConfig(pad.device(), pad.info(), model));
        QVERIFY(log.contains(QStringLiteral("Legacy RGB write failed layer= 1")));
        QVERIFY(model.ledConfig(1).modeDirty);

        QVERIFY(!writeLegacyRgbConfig(nullptr, pad.info(), model));
        LegacyDeviceInfo unknown = pad.info();
        unknown.format = 7;
        pad.clearWritten();
        QVERIFY(writeLegacyRgbConfig(pad.device(), unknown, model));
        QCOMPARE(pad.written().size(), 0);
    }
    {
        // "Old": one palette colour and the mode (above 4 sent as 5), 1-based layer.
        LegacyKeypad pad(Gen::Old);
        KeyboardData model;
        model.setLedMode(0, 7);
        model.setLedColor(0, 0, {0, 250, 240});
        model.setLedColor(0, 1, {255, 0, 0});
        model.setLedMode(2, 2);
        QVERIFY(writeLegacyRgbConfig(pad.device(), pad.info(), model));
        QCOMPARE(int(pad.firmware().oldLightingCode(0)), 0x55);
        QCOMPARE(int(pad.firmware().oldLightingCode(1)), 0);
        // The untouched colour of layer 2 is the default yellow.
        QCOMPARE(int(pad.firmware().oldLightingCode(2)), 0x32);
        QCOMPARE(pad.written().size(), 2);
        QVERIFY(!model.hasLedChanges());

        model.setLedMode(1, 3);
        sim::SimBus::failWrites(pad.id(), 1);
        LogCapture log;
        QVERIFY(!writeLegacyOldRgbConfig(pad.device(), pad.info(), model));
        QVERIFY(log.contains(QStringLiteral("Legacy Old RGB write failed layer= 1")));
        QVERIFY(model.hasLedChanges());
    }
}

void TestLegacyLink::serialisedThroughDeviceLink()
{
    HIDManager *link = HIDManager::instance();
    link->stopMonitoring();
    link->disconnectDevice();

    // No keypad open: the call still runs, with a null handle, and fails cleanly.
    LegacyDeviceInfo info = junkInfo();
    bool sawBusy = false;
    QVERIFY(!link->runLegacy([&](hid_device *dev) {
        sawBusy = link->isBusy();
        return probeLegacyDeviceInfo(dev, info);
    }));
    QVERIFY(sawBusy);
    QVERIFY(!link->isBusy());
    QVERIFY(isInitial(info));

    sim::SimBus::reset();
    auto firmware = std::make_shared<sim::LegacyFirmware>(Gen::R10Udav);
    const int id = sim::SimBus::plug(0x1189, 0x8840, firmware);
    QVERIFY(link->tryOpenDevice());

    // The connect sequence: the current protocol's information request goes unanswered
    // (and leaves nothing behind), then the legacy probe finds the keypad.
    DeviceInfo current;
    QVERIFY(!link->readDeviceInfo(current));
    sim::SimBus::clearWrittenReports(id);

    // While a legacy call holds the handle the link reports busy, and a second legacy call
    // from another thread waits for the first instead of interleaving its reports.
    std::atomic<int> inside{0};
    std::atomic<int> maxInside{0};
    auto probe = [&] {
        return link->runLegacy([&](hid_device *dev) {
            const int now = ++inside;
            maxInside = qMax(maxInside.load(), now);
            LegacyDeviceInfo local;
            const bool ok = probeLegacyDeviceInfo(dev, local) && link->isBusy();
            QVector<QVector<KeyData>> layers;
            const bool read = readAllLegacyLayers(dev, local, layers);
            --inside;
            return ok && read;
        });
    };
    bool otherOk = false;
    std::unique_ptr<QThread> other(QThread::create([&] { otherOk = probe(); }));
    other->start();
    QVERIFY(probe());
    QVERIFY(other->wait(10000));
    QVERIFY(otherOk);
    QCOMPARE(maxInside.load(), 1);
    QVERIFY(!link->isBusy());
    // Each exchange is whole: probe, then three layer requests, twice.
    const QVector<QByteArray> sent = sim::SimBus::writtenReports(id);
    QCOMPARE(sent.size(), 8);
    link->disconnectDevice();
    sim::SimBus::reset();
}

QTEST_GUILESS_MAIN(TestLegacyLink)
#include "tst_legacylink.moc"
