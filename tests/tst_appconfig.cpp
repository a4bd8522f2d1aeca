#include "app/appconfig.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "support/devicefixture.h"
#include "support/hostilefiles.h"
#include "support/logcapture.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

class TstAppConfig : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void readsFileFromDisk();
    void ignoresWhatIsNoSettingsFile();
    void pipeBesideTheProgramDoesNotHangStartUp();
    void windowSize_data();
    void windowSize();
};

void TstAppConfig::parse_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<int>("layers"); // -1: not forced

    QTest::newRow("empty") << QByteArray() << false << -1;
    QTest::newRow("plain") << QByteArray("language=ch\nlayernum=2\n") << true << 2;
    QTest::newRow("bom and crlf") << QByteArray("\xEF\xBB\xBFlanguage=ch\r\nlayernum=1\r\n") << true << 1;
    QTest::newRow("bom inside") << QByteArray("language=\xEF\xBB\xBF" "ch\n") << true << -1;
    QTest::newRow("case and blanks") << QByteArray("  LANGUAGE = CH  \n LayerNum = 2\n") << true << 2;
    QTest::newRow("later valid wins") << QByteArray("language=ch\nlanguage=en\n") << false << -1;
    QTest::newRow("later invalid ignored") << QByteArray("language=ch\nlanguage=fr\n") << true << -1;
    QTest::newRow("layernum 5") << QByteArray("layernum=5\n") << false << -1;
    QTest::newRow("layernum -1") << QByteArray("layernum=-1\n") << false << -1;
    QTest::newRow("layernum two") << QByteArray("layernum=two\n") << false << -1;
    QTest::newRow("layernum empty") << QByteArray("layernum=\n") << false << -1;
    QTest::newRow("layernum 0") << QByteArray("layernum=0\n") << false << 0;
    QTest::newRow("invalid keeps earlier") << QByteArray("layernum=1\nlayernum=9\n") << false << 1;
    QTest::newRow("later layernum wins") << QByteArray("layernum=1\nlayernum=3\n") << false << 3;
    QTest::newRow("comments and sections")
        << QByteArray("#layernum=2\n;language=ch\n[language=ch]\n[General]\nlayernum=1\n") << false << 1;
    QTest::newRow("no equals sign") << QByteArray("language ch\nlayernum 2\n") << false << -1;
    QTest::newRow("first equals splits") << QByteArray("language=ch=en\n") << false << -1;
    QTest::newRow("unknown keys") << QByteArray("lang=ch\nlayers=2\n") << false << -1;
    QTest::newRow("stops at NUL") << QByteArray("language=ch\n\0layernum=2\n", 24) << true << -1;
    QTest::newRow("no final newline") << QByteArray("layernum=2") << false << 2;
}

void TstAppConfig::parse()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, chinese);
    QFETCH(int, layers);
    AppConfig c;
    c.parse(text);
    QCOMPARE(c.chinese(), chinese);
    QCOMPARE(c.layerCount(), layers);
    QCOMPARE(c.hasLayerCount(), layers >= 0);
}

void TstAppConfig::readsFileFromDisk()
{
    AppConfig missing;
    QVERIFY(!missing.load(QStringLiteral("/nonexistent/dir/Config.ini")));
    QVERIFY(!missing.chinese());
    QVERIFY(!missing.hasLayerCount());

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("\xEF\xBB\xBF[Settings]\r\n# comment\r\nLANGUAGE = CH\r\nlayernum=0\r\n");
    f.close();
    AppConfig c;
    QVERIFY(c.load(path));
    QVERIFY(c.chinese());
    QCOMPARE(c.layerCount(), 0);

    QCOMPARE(AppConfig::defaultPath(),
             QCoreApplication::applicationDirPath() + QStringLiteral("/Config.ini"));
}

void TstAppConfig::ignoresWhatIsNoSettingsFile()
{
    testsupport::HostileFiles hostile(AppConfig::MAX_FILE_BYTES + 1);
    QVERIFY(hostile.ok());
    for (const auto &e : hostile.entries()) {
        testsupport::LogCapture log;
        QElapsedTimer t;
        t.start();
        AppConfig c;
        QVERIFY(!c.load(e.path));
        QVERIFY2(t.elapsed() < 2000, qPrintable(e.path));
        QVERIFY(!c.chinese() && !c.hasLayerCount());
        QVERIFY2(log.contains(QStringLiteral("Config: %1 ignored: %2").arg(e.path, e.problem)),
                 qPrintable(log.lines().join(QLatin1Char('\n'))));
    }
}

void TstAppConfig::pipeBesideTheProgramDoesNotHangStartUp()
{
    const QString path = AppConfig::defaultPath();
    if (QFileInfo::exists(path))
        QSKIP("a Config.ini lies beside the test program");
    initKnobResources();
    testsupport::NamedPipe pipe(path);
    QVERIFY(pipe.ok());
    testsupport::LogCapture log;
    QElapsedTimer t;
    t.start();
    {
        Widget w; // reads the settings beside the executable, as the program does
        QVERIFY2(t.elapsed() < 4000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(w.statusLabel()->text(), QStringLiteral("Connect the device with a usb cable"));
    }
    QVERIFY(log.contains(QStringLiteral("Config: %1 ignored: a pipe, not a file").arg(path)));
    testsupport::resetDeviceLink();
}

void TstAppConfig::windowSize_data()
{
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("1280x800") << QSize(1280, 800) << QSize(1256, 776);
    QTest::newRow("1024x600") << QSize(1024, 600) << QSize(1000, 600);
    QTest::newRow("big screen") << QSize(2560, 1400) << QSize(1500, 1100);
    QTest::newRow("tiny screen") << QSize(640, 480) << QSize(800, 600);
    QTest::newRow("exact fit") << QSize(1524, 1124) << QSize(1500, 1100);
}

void TstAppConfig::windowSize()
{
    QFETCH(QSize, available);
    QFETCH(QSize, expected);
    QCOMPARE(Widget::initialWindowSize(available), expected);
}

QTEST_MAIN(TstAppConfig)
#include "tst_appconfig.moc"
