// Several keypads on the bus: the link lists them all, tells them apart (serial number, else
// path), opens the one asked for, and keeps listing while one is open.
#include "app/keypadsummary.h"
#include "device/hidmanager.h"
#include "sim/currentfirmware.h"
#include "sim/legacyfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"

#include <QSignalSpy>
#include <QtTest>

using Fw = sim::CurrentFirmware;
using sim::SimBus;

namespace {

HIDManager *mgr()
{
    return HIDManager::instance();
}

QStringList identities(const QVector<KeypadEntry> &list)
{
    QStringList out;
    for (const KeypadEntry &e : list)
        out << e.identity();
    return out;
}

} // namespace

class TstKeypadListing : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { testsupport::resetDeviceLink(); }

    // Two of the same model and a third of another, one without a serial number, a mouse
    // on the bus: three entries in the link's order, each by the interface it opens.
    void listsEveryKeypadOnce()
    {
        SimBus::plug(0x046D, 0xC077, nullptr, SimBus::interfaceZeroOnly()); // a mouse
        const int a = SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId,
                                   std::make_shared<Fw>());
        const int other = SimBus::plug(0x1189, 0x8840, std::make_shared<Fw>(), SimBus::interfaceZeroOnly());
        const int b = SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId,
                                   std::make_shared<Fw>());
        SimBus::setSerialNumber(b, QString());
        SimBus::resetCounters();
        QVERIFY(mgr()->tryOpenDevice());
        QCOMPARE(SimBus::enumerateCount(), 1);

        const QVector<KeypadEntry> list = mgr()->keypads();
        auto serial = [](int id) { return QStringLiteral("%1").arg(id, 4, 10, QLatin1Char('0')); };
        QCOMPARE(identities(list),
                 QStringList({QStringLiteral("4C4A:4155 serial ") + serial(a),
                              QStringLiteral("4C4A:4155 path ") + QString::fromUtf8(SimBus::pathOf(b, 1)),
                              QStringLiteral("1189:8840 serial ") + serial(other)}));
        QCOMPARE(list[0].path, SimBus::pathOf(a, 1));
        QCOMPARE(list[2].path, SimBus::pathOf(other, 0));
        QVERIFY(list[0].matches(serial(a)));
        QVERIFY(list[1].matches(QString::fromUtf8(SimBus::pathOf(b, 1))));
        QVERIFY(!list[1].matches(QStringLiteral("0004")));
        // Nothing preferred: the first found opens, as with one keypad.
        QCOMPARE(mgr()->devicePath(), SimBus::pathOf(a, 1));
        QCOMPARE(mgr()->openKeypadIdentity(), list[0].identity());
    }

    // The preferred keypad opens, by serial number or by path; one that is not plugged
    // leaves the choice to the order, and the preference stands for when it comes.
    void opensThePreferredKeypad()
    {
        auto plugTwins = [] {
            const int first = SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId,
                                           std::make_shared<Fw>());
            const int second = SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId,
                                            std::make_shared<Fw>());
            SimBus::setSerialNumber(second, QString());
            return std::make_pair(first, second);
        };
        auto [first, second] = plugTwins();
        mgr()->setPreferredKeypad(QString::fromUtf8(SimBus::pathOf(second, 1)));
        QVERIFY(mgr()->tryOpenDevice());
        QCOMPARE(mgr()->devicePath(), SimBus::pathOf(second, 1));
        testsupport::resetDeviceLink();

        std::tie(first, second) = plugTwins();
        mgr()->setPreferredKeypad(QStringLiteral("0042"));
        QVERIFY(mgr()->tryOpenDevice());
        QCOMPARE(mgr()->devicePath(), SimBus::pathOf(first, 1));
        mgr()->disconnectDevice();
        QVERIFY(testsupport::waitDisconnected());
        const int late = SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId,
                                      std::make_shared<Fw>());
        SimBus::setSerialNumber(late, QStringLiteral("0042"));
        QVERIFY(mgr()->tryOpenDevice());
        QCOMPARE(mgr()->devicePath(), SimBus::pathOf(late, 1));
        QCOMPARE(mgr()->openKeypadIdentity(), QStringLiteral("4C4A:4155 serial 0042"));
    }

    // For a console list every keypad is opened in turn and asked, the legacy ones by their
    // own probe; nothing stays open that was not open before.
    void surveyNamesEveryModel()
    {
        Fw::Identity six;
        six.keyCount = 6;
        six.encoderCount = 1;
        auto small = std::make_shared<Fw>();
        small->setIdentity(six);
        SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, std::make_shared<Fw>());
        SimBus::plug(0x514C, 0x8850, small);
        auto legacy = std::make_shared<sim::LegacyFirmware>(sim::LegacyFirmware::Generation::R10Udav);
        SimBus::plug(0x1189, 0x8840, legacy);
        const QVector<KeypadEntry> list = mgr()->surveyKeypads();
        QCOMPARE(list.size(), 3);
        for (const KeypadEntry &e : list)
            QVERIFY2(e.modelKnown, qPrintable(e.identity()));
        QCOMPARE(int(list[0].model.keyCount), 16);
        QCOMPARE(int(list[1].model.keyCount), 6);
        QVERIFY(!list[1].legacy);
        QVERIFY(list[2].legacy);
        QCOMPARE(list[2].legacyModel.format, int(LegacyDeviceInfo::R10Udav));
        QVERIFY(!mgr()->isConnected());
        // As the chooser names them, and a keypad not asked yet.
        const auto en = UiText::Language::English;
        QCOMPARE(KeypadSummary::chooserText(list[0], en), QStringLiteral("16 keys, 3 knobs · serial ") + list[0].serial);
        QCOMPARE(KeypadSummary::chooserText(list[1], UiText::Language::Chinese),
                 QStringLiteral("6个按键、1个旋钮 · 序列号 ") + list[1].serial);
        KeypadEntry unknown = list[2];
        unknown.modelKnown = false;
        unknown.serial.clear();
        QCOMPARE(KeypadSummary::chooserText(unknown, en),
                 QStringLiteral("Keypad 1189:8840 · path ") + QString::fromUtf8(unknown.path));
    }

    // While one is open the bus is walked once per tick, a keypad plugged meanwhile is listed
    // without disturbing the open one, and the open one's model is learnt once asked.
    void listsWhileOneIsOpen()
    {
        const int a = testsupport::plugAndConnect(std::make_shared<Fw>());
        QVERIFY(a > 0);
        DeviceInfo info;
        QVERIFY(mgr()->readDeviceInfo(info));
        QVector<KeypadEntry> list = mgr()->keypads();
        QCOMPARE(list.size(), 1);
        QVERIFY(list[0].modelKnown && !list[0].legacy);
        QCOMPARE(list[0].model.keyCount, info.keyCount);

        QSignalSpy changed(mgr(), &HIDManager::keypadsChanged);
        QSignalSpy lost(mgr(), &HIDManager::deviceDisconnected);
        SimBus::resetCounters();
        const int b = SimBus::plug(0x514C, 0x8850, std::make_shared<Fw>());
        QVERIFY(changed.wait(3000));
        list = mgr()->keypads();
        QCOMPARE(list.size(), 2);
        QVERIFY(list[0].modelKnown);
        QVERIFY(!list[1].modelKnown);
        QCOMPARE(list[1].path, SimBus::pathOf(b, 1));
        QTest::qWait(3 * HIDManager::SCAN_INTERVAL_MS);
        const int ticks = SimBus::enumerateCount();
        QVERIFY2(ticks >= 3 && ticks <= 6, qPrintable(QString::number(ticks)));
        QCOMPARE(lost.count(), 0);
        QCOMPARE(mgr()->devicePath(), SimBus::pathOf(a, 1));

        SimBus::unplug(b);
        QVERIFY(changed.wait(3000));
        QCOMPARE(mgr()->keypads().size(), 1);
        QVERIFY(mgr()->isConnected());
    }
};

QTEST_MAIN(TstKeypadListing)
#include "tst_keypadlisting.moc"
