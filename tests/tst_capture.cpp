// The capture a user takes for a bug report: it must hold the whole conversation with the
// keypad and nothing else, say up front what it contains, and be read back strictly. Recording
// the demo keypads here is also how tests/captures/ is re-made (scripts/record-captures).
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "device/hidmanager.h"
#include "device/linkcapture.h"
#include "sim/capturefile.h"
#include "sim/currentfirmware.h"
#include "sim/demokeypads.h"
#include "sim/simbus.h"
#include "support/capturesession.h"
#include "support/devicefixture.h"
#include "support/hostilefiles.h"
#include "support/windowharness.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

using sim::CaptureFile;
using sim::SimBus;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QByteArray> records(const QByteArray &text)
{
    QList<QByteArray> out;
    for (const QByteArray &line : text.split('\n'))
        if (!line.isEmpty() && !line.startsWith('#'))
            out << line;
    return out;
}

// A small complete capture: one request answered by one report.
const char kValid[] = "# a comment\n"
                      "macropad-capture 1\n"
                      "device 10 1189 8842 1 ff00 0001 sim/keypad1/if1\n"
                      "open 20 sim/keypad1/if1\n"
                      "out 30 3 030b00\n"
                      "in 40 2 0306\n"
                      "close 50\n"
                      "end 60\n";

} // namespace

class TstCapture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        testsupport::resetDeviceLink();
        LinkCapture::stop();
    }

    // A user's session with each demo keypad, captured through the window: the file begins by
    // saying what it holds, every report written is in it byte for byte and in order, and no
    // other device, log line or file name is.
    void demoSessions_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : testsupport::capturedDemoKeypads())
            QTest::newRow(qPrintable(name)) << name;
    }
    void demoSessions()
    {
        QFETCH(QString, name);
        QTemporaryDir tmp;
        // MPS_RECORD_CAPTURES names the folder the captures are re-recorded into.
        const QString into = qEnvironmentVariable("MPS_RECORD_CAPTURES", tmp.path());
        const QString path = into + QLatin1Char('/') + name + QStringLiteral(".capture");
        QVERIFY(LinkCapture::start(path));
        SimBus::plug(0x046D, 0xC077, nullptr, SimBus::interfaceZeroOnly()); // a mouse: no keypad
        const int id = sim::plugDemoKeypad(name);
        QVERIFY(id > 0);
        {
            Widget w(testsupport::configFrom(""));
            testsupport::ReadWatch reads(w);
            QVERIFY(testsupport::runCaptureSession(w, reads));
        }
        const QVector<QByteArray> written = SimBus::writtenReports(id);
        testsupport::resetDeviceLink();
        LinkCapture::stop();

        const QByteArray text = readFile(path);
        QVERIFY(text.startsWith(LinkCapture::headerComment()));
        const QString header = QString::fromUtf8(LinkCapture::headerComment()).remove(QStringLiteral("# ")).replace('\n', ' ');
        QVERIFY2(header.contains(QStringLiteral("the keypad's key assignments")), qPrintable(header));
        QVERIFY2(header.contains(QStringLiteral("A macro may hold text typed")), qPrintable(header));
        CaptureFile capture;
        QVERIFY2(capture.parse(text), qPrintable(capture.errorString()));

        QVector<QByteArray> outs;
        int opens = 0;
        int closes = 0;
        for (const QByteArray &line : records(text)) {
            const QList<QByteArray> f = line.split(' ');
            QVERIFY2(QByteArrayList({"macropad-capture", "device", "open", "out", "in", "close", "end"}).contains(f[0]),
                     line.constData());
            if (f[0] == "out")
                outs << QByteArray::fromHex(f[3]);
            opens += f[0] == "open" ? 1 : 0;
            closes += f[0] == "close" ? 1 : 0;
        }
        QCOMPARE(outs, written);
        QCOMPARE(opens, 1);
        QCOMPARE(closes, 1);
        const QVector<CaptureFile::Interface> keypad = capture.openedKeypad();
        QVERIFY(!keypad.isEmpty());
        for (const CaptureFile::Interface &itf : capture.interfaces())
            QVERIFY2(itf.vendorId != 0x046D, itf.path.constData());
        QCOMPARE(keypad.size(), name == QLatin1String("old") ? 1 : 2);
        QVERIFY(!text.contains(into.toUtf8()));
        QVERIFY(!text.contains("HIDManager"));
        QVERIFY(!text.contains("Widget"));
    }

    // The open refused (no udev rule), the open that works, the loss: each is an event line,
    // and the loss is on disk at once.
    void linkEventsAreRecorded()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(QStringLiteral("events.capture"));
        QVERIFY(LinkCapture::start(path));
        const int id = SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId,
                                    std::make_shared<sim::CurrentFirmware>());
        SimBus::setRefuseOpen(id, true);
        HIDManager *mgr = HIDManager::instance();
        mgr->startMonitoring();
        QVERIFY(QTest::qWaitFor([mgr] { return mgr->isAccessDenied(); }, 3000));
        SimBus::setRefuseOpen(id, false);
        QVERIFY(testsupport::waitConnected());
        SimBus::unplug(id);
        QVERIFY(testsupport::waitDisconnected());

        QByteArrayList kinds;
        for (const QByteArray &line : records(readFile(path))) {
            const QList<QByteArray> f = line.split(' ');
            if (f[0] == "error")
                kinds << f[0] + ' ' + f[2] + ' ' + f[3];
            else if (f[0] != "device")
                kinds << f[0];
        }
        QVERIFY(kinds.size() >= 4);
        QCOMPARE(kinds.first(), QByteArray("macropad-capture"));
        QCOMPARE(kinds[1], QByteArray("error open -1"));
        QCOMPARE(kinds[kinds.indexOf("open") - 1], QByteArray("error open -1"));
        QCOMPARE(kinds.mid(kinds.size() - 2), QByteArrayList({"error read -1", "close"}));
        QVERIFY(readFile(path).contains(" read -1 device%20disconnected\n"));
    }

    // A capture that is cut short or malformed is refused with the line where it goes wrong,
    // by the reader and by the demo's replay alike.
    void refusesBrokenFiles_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("why");
        const QByteArray valid(kValid);
        QTest::newRow("complete") << valid << 0 << QString();
        QTest::newRow("cut inside a line") << valid.left(valid.indexOf("in 40") + 9) << 6 << "cut short";
        QTest::newRow("cut at a line end") << valid.left(valid.indexOf("close")) << 6 << "without its end line";
        QTest::newRow("bytes missing") << QByteArray(valid).replace("0306", "03") << 6 << "2 bytes announced, 1 given";
        QTest::newRow("not hexadecimal") << QByteArray(valid).replace("030b00", "03zz00") << 5 << "not hexadecimal";
        QTest::newRow("unknown record") << QByteArray(valid).replace("close 50", "reset 50") << 7 << "unknown record";
        QTest::newRow("time backwards") << QByteArray(valid).replace("in 40", "in 25") << 6 << "backwards";
        QTest::newRow("other version") << QByteArray(valid).replace("capture 1", "capture 2") << 2 << "version 2";
        QTest::newRow("not a capture") << QByteArray("PK\x03\x04\n") << 1 << "version line";
        QTest::newRow("after the end") << valid + "out 70 1 03\n" << 9 << "after the end";
        QTest::newRow("double space") << QByteArray(valid).replace("out 30", "out  30") << 5 << "empty field";
        QTest::newRow("5 MB result") << QByteArray(valid).replace("close 50", "error 50 read " + QByteArray(5 << 20, 'r'))
                                     << 7 << QStringLiteral("bad result \"%1\u2026\"").arg(QString(200, QLatin1Char('r')));
    }

    // What is not a capture file is refused at once, unread: a pipe would wait for a writer
    // and /dev/zero would be read until memory runs out.
    void refusesWhatIsNoCaptureFile()
    {
        testsupport::HostileFiles hostile(CaptureFile::MAX_FILE_BYTES + 1);
        QVERIFY(hostile.ok());
        for (const auto &e : hostile.entries()) {
            QElapsedTimer t;
            t.start();
            CaptureFile capture;
            QVERIFY(!capture.load(e.path));
            QVERIFY2(capture.errorString().startsWith(e.problem), qPrintable(capture.errorString()));
            QVERIFY(!sim::installDemoKeypad({QStringLiteral("demo"), QStringLiteral("--replay"), e.path}));
            QVERIFY2(t.elapsed() < 2000, qPrintable(e.path));
        }
        QVERIFY(!hid_enumerate(0, 0));
    }
    void refusesBrokenFiles()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, line);
        QFETCH(QString, why);
        CaptureFile capture;
        const bool ok = capture.parse(text);
        if (line == 0) {
            QVERIFY2(ok, qPrintable(capture.errorString()));
            QCOMPARE(capture.exchanges().size(), 1);
            QCOMPARE(capture.exchanges()[0].request.toHex(), QByteArray("030b00"));
            QCOMPARE(capture.exchanges()[0].replies, QVector<QByteArray>({QByteArray::fromHex("0306")}));
            QCOMPARE(capture.openedKeypad().size(), 1);
            QCOMPARE(capture.openedKeypad()[0].productId, quint16(0x8842));
            return;
        }
        QVERIFY(!ok);
        QCOMPARE(capture.errorLine(), line);
        QVERIFY2(capture.errorString().startsWith(QStringLiteral("line %1: ").arg(line)), qPrintable(capture.errorString()));
        QVERIFY2(capture.errorString().contains(why), qPrintable(capture.errorString()));
        QVERIFY(capture.exchanges().isEmpty());

        QTemporaryDir tmp;
        const QString path = tmp.filePath(QStringLiteral("broken.capture"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        QVERIFY(!sim::installDemoKeypad({QStringLiteral("demo"), QStringLiteral("--replay"), path}));
        QString error;
        QCOMPARE(sim::installReplayKeypad(path, &error), 0);
        QCOMPARE(error, capture.errorString());
        QVERIFY(!hid_enumerate(0, 0)); // nothing plugged
    }
};

QTEST_MAIN(TstCapture)
#include "tst_capture.moc"
