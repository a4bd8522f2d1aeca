// A keypad that is present but may not be opened (no udev rule, so the hidraw node is
// root's) must be reported as such, once, and the report must go away when the keypad
// opens or leaves the bus.
#include "app/appconfig.h"
#include "i18n/uitext.h"
#include "app/widget.h"
#include "controls/contrast.h"
#include "controls/knobbutton.h"
#include "device/deviceaccess.h"
#include "device/hidmanager.h"
#include "sim/currentfirmware.h"
#include "sim/demokeypads.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

using sim::SimBus;

class TstAccessDenied : public QObject
{
    Q_OBJECT

    HIDManager *mgr() const { return HIDManager::instance(); }

private slots:
    void initTestCase() { initKnobResources(); }
    void cleanup();
    void classifiesOpenFailures_data();
    void classifiesOpenFailures();
    void unreadableNodeIsDenied();
    void refusedKeypadIsReportedOnceThenOpens();
    void removingRefusedKeypadClearsTheReport();
    void anOpenableInterfaceOrKeypadWins();
    void demoKeypadCanRefuse();
    void windowShowsTheRefusal_data();
    void windowShowsTheRefusal();
};

void TstAccessDenied::cleanup()
{
    testsupport::resetDeviceLink();
    // One pass over the now empty bus settles the flag for the next test.
    mgr()->tryOpenDevice();
    QVERIFY(!mgr()->isAccessDenied());
}

void TstAccessDenied::classifiesOpenFailures_data()
{
    QTest::addColumn<int>("openErrno");
    QTest::addColumn<QString>("hidError");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("denied");
    const QByteArray gone("/dev/hidraw-that-does-not-exist-9");
    QTest::newRow("EACCES") << EACCES << QString() << gone << true;
    QTest::newRow("EPERM") << EPERM << QString() << gone << true;
    QTest::newRow("hidapi message, errno lost")
        << 0 << QStringLiteral("Failed to open a device with path '/dev/hidraw3': Permission denied") << gone
        << true;
    QTest::newRow("node vanished") << ENOENT
                                   << QStringLiteral("Failed to open a device with path '/dev/hidraw3': No such file or directory")
                                   << gone << false;
    QTest::newRow("busy") << EBUSY << QStringLiteral("Device or resource busy") << gone << false;
    QTest::newRow("nothing known") << 0 << QString() << QByteArray() << false;
    QTest::newRow("not a node path") << 0 << QString() << QByteArray("sim:1:1") << false;
}

void TstAccessDenied::classifiesOpenFailures()
{
    QFETCH(int, openErrno);
    QFETCH(QString, hidError);
    QFETCH(QByteArray, path);
    QFETCH(bool, denied);
    QCOMPARE(DeviceAccess::isPermissionDenied(openErrno, hidError, path.isEmpty() ? nullptr : path.constData()),
             denied);
}

void TstAccessDenied::unreadableNodeIsDenied()
{
    // hidapi in a translated locale says "Permission denied" in another language and may
    // have lost errno: the node itself tells. Root may open anything, so this needs a user.
    if (::geteuid() == 0)
        QSKIP("root is never refused a file");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray node = QFile::encodeName(dir.filePath(QStringLiteral("hidraw5")));
    QFile f(QString::fromLocal8Bit(node));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QCOMPARE(::chmod(node.constData(), 0600), 0);
    QVERIFY(!DeviceAccess::isPermissionDenied(0, QString(), node.constData()));
    QCOMPARE(::chmod(node.constData(), 0400), 0);
    QVERIFY(DeviceAccess::isPermissionDenied(0, QStringLiteral("Keine Berechtigung"), node.constData()));
}

void TstAccessDenied::refusedKeypadIsReportedOnceThenOpens()
{
    QSignalSpy denied(mgr(), &HIDManager::deviceAccessDenied);
    QSignalSpy cleared(mgr(), &HIDManager::deviceAccessDeniedCleared);
    QSignalSpy connected(mgr(), &HIDManager::deviceConnected);
    QStringList order;
    auto c1 = connect(mgr(), &HIDManager::deviceAccessDeniedCleared, this, [&] { order << QStringLiteral("cleared"); });
    auto c2 = connect(mgr(), &HIDManager::deviceConnected, this, [&] {
        order << QStringLiteral("connected");
        // By the time the window hears of the connection the refusal is already over.
        QVERIFY(!mgr()->isAccessDenied());
    });

    const int id = SimBus::plug(0x1189, 0x8842, std::make_shared<sim::CurrentFirmware>());
    SimBus::setRefuseOpen(id, true);
    mgr()->startMonitoring();
    QVERIFY(denied.wait(3000));
    QVERIFY(mgr()->isAccessDenied());
    QVERIFY(!mgr()->isConnected());

    // The scan keeps going (the user may install the rule and re-plug), but says it once.
    QTest::qWait(3 * HIDManager::SCAN_INTERVAL_MS);
    QVERIFY(mgr()->isMonitoring());
    QCOMPARE(denied.count(), 1);
    QCOMPARE(cleared.count(), 0);

    // The rule took effect: the next pass opens the keypad.
    SimBus::setRefuseOpen(id, false);
    QVERIFY(testsupport::waitConnected());
    QCOMPARE(cleared.count(), 1);
    QCOMPARE(connected.count(), 1);
    QCOMPARE(order, (QStringList{QStringLiteral("cleared"), QStringLiteral("connected")}));
    QCOMPARE(denied.count(), 1);
    disconnect(c1);
    disconnect(c2);
}

void TstAccessDenied::removingRefusedKeypadClearsTheReport()
{
    QSignalSpy denied(mgr(), &HIDManager::deviceAccessDenied);
    QSignalSpy cleared(mgr(), &HIDManager::deviceAccessDeniedCleared);
    QSignalSpy connected(mgr(), &HIDManager::deviceConnected);

    const int id = SimBus::plug(0x514C, 0x8851, std::make_shared<sim::CurrentFirmware>());
    SimBus::setRefuseOpen(id, true);
    mgr()->startMonitoring();
    QVERIFY(denied.wait(3000));

    SimBus::unplug(id);
    QVERIFY(cleared.wait(3000));
    QVERIFY(!mgr()->isAccessDenied());
    QCOMPARE(connected.count(), 0);

    // Plugged in again, still without the rule: reported again.
    const int again = SimBus::plug(0x514C, 0x8851, std::make_shared<sim::CurrentFirmware>());
    SimBus::setRefuseOpen(again, true);
    QVERIFY(denied.wait(3000));
    QCOMPARE(denied.count(), 2);
    QCOMPARE(connected.count(), 0);
}

void TstAccessDenied::anOpenableInterfaceOrKeypadWins()
{
    QSignalSpy denied(mgr(), &HIDManager::deviceAccessDenied);

    // Vendor interface refused, interface 0 open to us: the second walk takes interface 0.
    QVector<sim::InterfaceSpec> itfs = SimBus::standardInterfaces();
    for (sim::InterfaceSpec &s : itfs)
        s.refuseOpen = s.number != 0;
    const int half = SimBus::plug(0x1189, 0x8830, std::make_shared<sim::CurrentFirmware>(), itfs);
    mgr()->startMonitoring();
    QVERIFY(testsupport::waitConnected());
    QCOMPARE(mgr()->devicePath(), SimBus::pathOf(half, 0));
    QCOMPARE(denied.count(), 0);
    testsupport::resetDeviceLink();

    // A refused keypad listed first and an open one listed later: the open one is used and
    // nothing is reported.
    const int refused = SimBus::plug(0x4C4A, 0x4155, std::make_shared<sim::CurrentFirmware>());
    SimBus::setRefuseOpen(refused, true);
    SimBus::plug(0x514C, 0x8851, std::make_shared<sim::CurrentFirmware>());
    mgr()->startMonitoring();
    QVERIFY(testsupport::waitConnected());
    QCOMPARE(mgr()->vendorId(), quint16(0x514C));
    QVERIFY(!mgr()->isAccessDenied());
    QCOMPARE(denied.count(), 0);
}

void TstAccessDenied::demoKeypadCanRefuse()
{
    // scripts/demo --no-access shows the refusal without hardware.
    QVERIFY(sim::installDemoKeypad({QStringLiteral("macropad-studio-demo"), QStringLiteral("--no-access")}));
    QVERIFY(!mgr()->tryOpenDevice());
    QVERIFY(mgr()->isAccessDenied());
    testsupport::resetDeviceLink();

    QVERIFY(sim::installDemoKeypad({QStringLiteral("macropad-studio-demo")}));
    QVERIFY(mgr()->tryOpenDevice());
    QVERIFY(!mgr()->isAccessDenied());
}

void TstAccessDenied::windowShowsTheRefusal_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("deniedText");
    QTest::addColumn<QString>("connectText");
    QTest::addColumn<QString>("connectedText");
    QTest::newRow("English") << QByteArray("language=en")
                             << QStringLiteral("No access to the keypad")
                             << QStringLiteral("Connect the device with a usb cable")
                             << QStringLiteral("Device connected");
    QTest::newRow("Chinese") << QByteArray("language=ch")
                             << QStringLiteral("无法访问键盘")
                             << QStringLiteral("请用USB线连接设备") << QStringLiteral("设备已连接");
}

void TstAccessDenied::windowShowsTheRefusal()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, deniedText);
    QFETCH(QString, connectText);
    QFETCH(QString, connectedText);
    AppConfig config;
    config.parse(settings);

    // A keypad without the rule, plugged in before the program starts.
    int id = SimBus::plug(0x1189, 0x8842, std::make_shared<sim::CurrentFirmware>());
    SimBus::setRefuseOpen(id, true);
    {
        Widget w(config);
        w.show();
        QLabel *status = w.statusLabel();
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), deniedText, 3000);
        // Bold in the size of every status, readable on the bar (4.5:1 on #383838).
        const QColor text(QRegularExpression(QStringLiteral("color: (#[0-9A-Fa-f]{6})"))
                              .match(status->styleSheet()).captured(1));
        QVERIFY2(Contrast::ratio(text, QColor(0x38, 0x38, 0x38)) >= Contrast::TEXT, qPrintable(text.name()));
        QVERIFY(status->styleSheet().contains(QLatin1String("font-weight: bold")));
        QVERIFY(!status->styleSheet().contains(QLatin1String("font-size")));
        QVERIFY(!w.saveSettingsButton()->isEnabled());
        QVERIFY(!w.viewSettingsButton()->isEnabled());
        // MPS_SHOTS=<dir> keeps a picture of the window in this state.
        const QString shots = qEnvironmentVariable("MPS_SHOTS");
        if (!shots.isEmpty() && QDir().mkpath(shots))
            w.grab().save(QStringLiteral("%1/access-denied-%2.png").arg(shots, QLatin1String(QTest::currentDataTag())));

        // The rule is installed and the keypad re-plugged: it opens and the texts are the
        // usual ones again, through a later removal too.
        SimBus::setRefuseOpen(id, false);
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), connectedText, 3000);
        SimBus::unplug(id);
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), connectText, 5000);

        // Refused again, then taken away while refused: back to asking for a keypad.
        id = SimBus::plug(0x1189, 0x8842, std::make_shared<sim::CurrentFirmware>());
        SimBus::setRefuseOpen(id, true);
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), deniedText, 3000);
        SimBus::unplug(id);
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), connectText, 3000);
        QCOMPARE(status->styleSheet(), QStringLiteral("color: #FF0000;"));
        QVERIFY(!HIDManager::instance()->isConnected());
    }
    testsupport::resetDeviceLink();

    // The refusal already known when a window is built (the link outlives windows) is shown
    // from the start.
    id = SimBus::plug(0x514C, 0x8830, std::make_shared<sim::CurrentFirmware>());
    SimBus::setRefuseOpen(id, true);
    mgr()->tryOpenDevice();
    QVERIFY(mgr()->isAccessDenied());
    Widget late(config);
    QCOMPARE(late.statusLabel()->text(), deniedText);
}

QTEST_MAIN(TstAccessDenied)
#include "tst_accessdenied.moc"
