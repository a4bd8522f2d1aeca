// The demo's simulated keypads: each must come up through the real link and read back as a
// sound configuration, or the demo shows a broken program that is not broken.
#include "device/hidmanager.h"
#include "device/legacyhidmanager.h"
#include "sim/demokeypads.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"

#include <QTest>
#include <QtConcurrent>

#include <set>

namespace {

HIDManager *mgr()
{
    return HIDManager::instance();
}

// Commands block; run them on a worker as the program does, keeping the event loop alive.
template <typename F>
auto onWorker(F f)
{
    auto fut = QtConcurrent::run(f);
    [&] { QVERIFY(QTest::qWaitFor([&] { return fut.isFinished(); }, 60000)); }();
    return fut.result();
}

bool install(const QString &name)
{
    return sim::installDemoKeypad({QStringLiteral("macropad-studio-demo"), QStringLiteral("--keypad"), name,
                                   QStringLiteral("--latency"), QStringLiteral("0")});
}

} // namespace

class TestSimBusDemo : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { testsupport::resetDeviceLink(); }

    void names()
    {
        QStringList names;
        for (const sim::DemoKeypad &d : sim::demoKeypads())
            names << d.name;
        QCOMPARE(names.size(), 12);
        QCOMPARE(names.first(), sim::defaultDemoKeypadName());
        QVERIFY(names.contains(QStringLiteral("r10udav")));
        QVERIFY(names.contains(QStringLiteral("old")));
        QCOMPARE(int(std::set<QString>(names.begin(), names.end()).size()), 12);

        QVERIFY(!install(QStringLiteral("no-such-keypad")));
        QVERIFY(!hid_enumerate(0, 0)); // nothing plugged for a name nobody knows
        QVERIFY(sim::installDemoKeypad({QStringLiteral("macropad-studio-demo")}));
        hid_device_info *devs = hid_enumerate(0, 0);
        QVERIFY(devs);
        QCOMPARE(devs->product_id, 0x8842);
        hid_free_enumeration(devs);
    }

    // Each current-protocol keypad reports the identity its panel is chosen by, and every
    // layer reads back whole (keys and lighting).
    void currentKeypads_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("kedps"); // K, E, D, P, S
        QTest::newRow("16k3e") << "16k3e" << QByteArray::fromHex("1003000000");
        QTest::newRow("16k3e-s1") << "16k3e-s1" << QByteArray::fromHex("1003000001");
        QTest::newRow("16k3e-s2") << "16k3e-s2" << QByteArray::fromHex("1003000002");
        QTest::newRow("16k3e-s3") << "16k3e-s3" << QByteArray::fromHex("1003000003");
        QTest::newRow("6k1e") << "6k1e" << QByteArray::fromHex("0601000000");
        QTest::newRow("6k0e") << "6k0e" << QByteArray::fromHex("0600000000");
        QTest::newRow("1k0e") << "1k0e" << QByteArray::fromHex("0100000000");
        QTest::newRow("0k1e") << "0k1e" << QByteArray::fromHex("0001000000");
        QTest::newRow("0k1e-p1s1") << "0k1e-p1s1" << QByteArray::fromHex("0001000101");
        QTest::newRow("5k2e") << "5k2e" << QByteArray::fromHex("0502000000");
    }
    void currentKeypads()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, kedps);
        QVERIFY(install(name));
        mgr()->startMonitoring();
        QVERIFY(testsupport::waitConnected());
        DeviceInfo info;
        QVERIFY(onWorker([&] { return mgr()->readDeviceInfo(info); }));
        QVERIFY(info.valid);
        QByteArray got;
        for (quint8 v : {info.keyCount, info.encoderCount, info.extraKeyCount, info.variantP, info.shape})
            got.append(char(v));
        QCOMPARE(got.toHex(), kedps.toHex());
        QCOMPARE(int(info.layerCount), 3); // the layers the window can show
        QVector<QVector<KeyData>> layers;
        QVector<LayerLedConfigData> leds;
        QVERIFY(onWorker([&] { return mgr()->readAllConfiguration(layers, leds); }));
        int assigned = 0;
        for (int k = 0; k < info.writableKeyLimit(); ++k)
            assigned += layers[0][k].type != KeyType::Empty ? 1 : 0;
        QVERIFY2(assigned >= qMin(3, info.writableKeyLimit()), qPrintable(QString::number(assigned)));
        QVERIFY(leds[0].colors[0] != LedColorData({255, 255, 0}));
    }

    // The default keypad looks used: every kind of function on several layers, a macro too
    // long for one report, coloured lighting.
    void defaultKeypadIsLivedIn()
    {
        QVERIFY(sim::installDemoKeypad({}));
        mgr()->startMonitoring();
        QVERIFY(testsupport::waitConnected());
        DeviceInfo info;
        QVERIFY(onWorker([&] { return mgr()->readDeviceInfo(info); }));
        QVector<QVector<KeyData>> layers;
        QVector<LayerLedConfigData> leds;
        QVERIFY(onWorker([&] { return mgr()->readAllConfiguration(layers, leds); }));
        std::set<int> types;
        std::set<int> layersUsed;
        int longestMacro = 0;
        for (int l = 0; l < 4; ++l) {
            for (const KeyData &k : layers[l]) {
                if (k.type == KeyType::Empty)
                    continue;
                types.insert(k.type);
                layersUsed.insert(l);
                if (k.type == KeyType::Macro)
                    longestMacro = qMax(longestMacro, k.macroSteps.size());
            }
        }
        QCOMPARE(int(types.size()), 5);
        QVERIFY(layersUsed.size() >= 3);
        QVERIFY2(10 + 4 * longestMacro > 56, "a macro spans several reports");
        std::set<int> modes;
        for (const LayerLedConfigData &l : leds)
            modes.insert(l.mode);
        QVERIFY(modes.size() >= 3);
        QCOMPARE(layers[0][8].macroSteps.first().keyCode, quint8(0xE1));
    }

    // The legacy keypads stay silent to the current protocol and answer the legacy probe.
    void legacyKeypads_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::newRow("r10udav") << "r10udav" << int(LegacyDeviceInfo::R10Udav);
        QTest::newRow("old") << "old" << int(LegacyDeviceInfo::Old);
    }
    void legacyKeypads()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        QVERIFY(install(name));
        mgr()->startMonitoring();
        QVERIFY(testsupport::waitConnected());
        DeviceInfo info;
        QVERIFY(!onWorker([&] { return mgr()->readDeviceInfo(info); }));
        QVERIFY(mgr()->isConnected());
        LegacyDeviceInfo legacy;
        QVERIFY(onWorker([&] {
            return mgr()->runLegacy([&](hid_device *dev) { return LegacyHIDManager::probeLegacyDeviceInfo(dev, legacy); });
        }));
        QVERIFY(legacy.valid);
        QCOMPARE(legacy.format, format);
    }
};

QTEST_GUILESS_MAIN(TestSimBusDemo)
#include "tst_simbus_demo.moc"
