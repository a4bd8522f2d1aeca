#include "app/commandline.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The command line as parsed, then both programs run as a user runs them: without a
// display, started from a terminal, with and without --verbose.
class TstCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void parse_data();
    void parse();
    void printsAndExitsWithoutDisplay();
    void quietUnlessVerbose();
    void sheetWithoutDisplay();
    void severalKeypads();

private:
    QString program(const char *name) const { return m_binDir + QLatin1Char('/') + QLatin1String(name); }
    // A process environment without display, logging rules or the user's own settings.
    QProcessEnvironment cleanEnvironment(bool offscreen) const;
    std::unique_ptr<QProcess> start(const char *name, const QStringList &args, bool offscreen,
                                    const QString &loggingRules = QString()) const;

    QString m_binDir;
    QTemporaryDir m_home;
};

void TstCommandLine::initTestCase()
{
    m_binDir = qEnvironmentVariable("MPS_BINARY_DIR");
    QVERIFY2(QFileInfo(program("macropad-studio-demo")).isExecutable(), qPrintable(m_binDir));
    QVERIFY(m_home.isValid());
    QVERIFY(QDir(m_home.path()).mkpath(QStringLiteral("runtime")));
    QFile::setPermissions(m_home.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TstCommandLine::parse_data()
{
    QTest::addColumn<bool>("demo");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("expect"); // field=value of CommandLineOptions, or a piece of the error

    using O = CommandLine::Outcome;
    const auto row = [](const char *name, bool demo, QStringList args, O outcome, const char *expect) {
        args.prepend(QStringLiteral("prog"));
        QTest::newRow(name) << demo << args << int(outcome) << QString::fromUtf8(expect);
    };
    row("nothing", false, {}, O::Run, "language=");
    row("help", false, {"--help"}, O::Help, "");
    row("short help", false, {"-h"}, O::Help, "");
    row("version", false, {"--version"}, O::Version, "");
    row("verbose", false, {"--verbose"}, O::Run, "verbose=1");
    row("language", false, {"--language", "ZH"}, O::Run, "language=zh");
    row("language bad", false, {"--language", "fr"}, O::Error, "takes en or zh");
    row("export", false, {"--export=a.json"}, O::Run, "export=a.json");
    row("import", false, {"--import", "b.json"}, O::Run, "import=b.json");
    row("both profiles", false, {"--export", "a", "--import", "b"}, O::Error, "one of --export and --import");
    row("export twice", false, {"--export", "a", "--export", "b"}, O::Error, "more than once");
    row("export without file", false, {"--export"}, O::Error, "Missing value");
    row("capture", false, {"--capture", "t.log"}, O::Run, "capture=t.log");
    row("sheet", false, {"--sheet", "s.pdf", "--paper", "Letter"}, O::Run, "verbose=0");
    row("sheet paper bad", false, {"--sheet", "s.pdf", "--paper", "a3"}, O::Error, "--paper takes a4 or letter");
    row("profile without sheet", false, {"--profile", "p.json"}, O::Error, "go with --sheet");
    row("sheet and export", false, {"--sheet", "s.pdf", "--export", "p.json"}, O::Error, "one of --export, --import and --sheet");
    row("replay only in the demo", false, {"--replay", "t.log"}, O::Error, "Unknown option 'replay'");
    row("keypad only in the demo", false, {"--keypad", "6k1e"}, O::Error, "Unknown option 'keypad'");
    row("unknown", false, {"--frobnicate"}, O::Error, "Unknown option 'frobnicate'");
    row("stray argument", false, {"file.json"}, O::Error, "Unexpected argument 'file.json'");
    row("qt options pass", false, {"-platform", "offscreen", "-style", "fusion", "-reverse"}, O::Run, "verbose=0");
    row("demo replay", true, {"--replay", "t.log", "--capture", "u.log"}, O::Run, "replay=t.log");
    row("demo keypad", true, {"--keypad=R10UDAV", "--latency", "5", "--no-access"}, O::Run, "keypad=r10udav latency=5 noAccess=1");
    row("demo latency bad", true, {"--latency", "soon"}, O::Error, "--latency takes");
    row("list", false, {"--list"}, O::Run, "list=1");
    row("device", false, {"--device", " 0042 ", "--export", "a.json"}, O::Run, "device=0042");
    row("import to all", false, {"--import", "b.json", "--all"}, O::Run, "all=1");
    row("all without import", false, {"--all"}, O::Error, "--all goes with --import");
    row("all and device", false, {"--import", "b", "--all", "--device", "1"}, O::Error, "one of --all and --device");
    row("list and export", false, {"--list", "--export", "a"}, O::Error, "--list goes alone");
}

void TstCommandLine::parse()
{
    QFETCH(bool, demo);
    QFETCH(QStringList, args);
    QFETCH(int, outcome);
    QFETCH(QString, expect);
    CommandLine cl(demo ? CommandLine::Program::Demo : CommandLine::Program::Studio);
    QCOMPARE(int(cl.parse(args)), outcome);
    if (outcome == int(CommandLine::Outcome::Error)) {
        QVERIFY2(cl.errorText().contains(expect), qPrintable(cl.errorText()));
        return;
    }
    const CommandLineOptions &o = cl.options();
    const QString fields = QStringLiteral("verbose=%1 language=%2 export=%3 import=%4 capture=%5 replay=%6 "
                                          "keypad=%7 latency=%8 noAccess=%9")
                               .arg(int(o.verbose))
                               .arg(o.language, o.exportPath, o.importPath, o.capturePath, o.replayPath, o.keypad)
                               .arg(o.latencyMs)
                               .arg(int(o.noAccess));
    const QString all = fields
                        + QStringLiteral(" list=%1 device=%2 all=%3").arg(int(o.list)).arg(o.device).arg(int(o.importAll));
    QVERIFY2(QString(all + QLatin1Char(' ')).contains(expect + QLatin1Char(' ')), qPrintable(all));
    QCOMPARE(cl.headless(), o.list || !o.exportPath.isEmpty() || !o.importPath.isEmpty() || !o.sheetPath.isEmpty());
}

// A layout sheet from a script: no display, no QT_QPA_PLATFORM; every refusal exits 2 and
// leaves no file behind.
void TstCommandLine::sheetWithoutDisplay()
{
    QTemporaryDir dir;
    const QString profile = dir.filePath(QStringLiteral("pad.json"));
    auto run = [&](const QStringList &args) {
        auto p = start("macropad-studio-demo", QStringList{QStringLiteral("--latency"), QStringLiteral("0")} + args, false);
        p->waitForFinished(30000);
        return p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
    };
    auto files = [&] {
        QStringList names = QDir(dir.path()).entryList(QDir::Files);
        names.removeAll(QStringLiteral("pad.json"));
        names.removeAll(QStringLiteral("bad.json"));
        return names;
    };
    QCOMPARE(run({QStringLiteral("--export"), profile}), 0);
    QCOMPARE(run({QStringLiteral("--sheet"), dir.filePath(QStringLiteral("keypad.pdf")), QStringLiteral("--language"),
                  QStringLiteral("zh")}),
             0);
    QCOMPARE(run({QStringLiteral("--sheet"), dir.filePath(QStringLiteral("file.svg")), QStringLiteral("--profile"), profile,
                  QStringLiteral("--paper"), QStringLiteral("letter"), QStringLiteral("--keypad"), QStringLiteral("r10udav")}),
             0);
    QCOMPARE(files(), (QStringList{QStringLiteral("file-layer1.svg"), QStringLiteral("file-layer2.svg"),
                                   QStringLiteral("file-layer3.svg"), QStringLiteral("keypad.pdf")}));

    QFile bad(dir.filePath(QStringLiteral("bad.json")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("{\"format\": \"macropad-profile\", \"version\": 1, \"layers\": [");
    bad.close();
    const QStringList before = files();
    const QString target = dir.filePath(QStringLiteral("new.pdf"));
    QCOMPARE(run({QStringLiteral("--sheet"), dir.filePath(QStringLiteral("missing/dir/s.pdf"))}), 2);
    QCOMPARE(run({QStringLiteral("--sheet"), target, QStringLiteral("--paper"), QStringLiteral("a3")}), 2);
    QCOMPARE(run({QStringLiteral("--sheet"), target, QStringLiteral("--profile"), bad.fileName()}), 2);
    QCOMPARE(run({QStringLiteral("--sheet"), dir.filePath(QStringLiteral("s.txt"))}), 2);
    QCOMPARE(run({QStringLiteral("--sheet"), dir.filePath(QStringLiteral("s.png")), QStringLiteral("--profile"),
                  dir.filePath(QStringLiteral("none.json"))}), 2);
    // A keypad that may not be opened: the device's fault, not the user's.
    QCOMPARE(run({QStringLiteral("--sheet"), target, QStringLiteral("--no-access")}), 1);
    QCOMPARE(files(), before);
}

// Several keypads plugged: --list names each, --device picks one by its number, serial
// number or path, and a selector that names none exits 2 with the list.
void TstCommandLine::severalKeypads()
{
    QTemporaryDir dir;
    auto run = [&](const QStringList &args, QString *out = nullptr) {
        auto p = start("macropad-studio-demo",
                       QStringList{QStringLiteral("--latency"), QStringLiteral("0"), QStringLiteral("--keypad"),
                                   QStringLiteral("16k3e,6k1e,16k3e")} + args,
                       false);
        p->waitForFinished(30000);
        if (out)
            *out = QString::fromUtf8(p->readAllStandardOutput() + p->readAllStandardError());
        return p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
    };
    QString listed;
    QCOMPARE(run({QStringLiteral("--list")}, &listed), 0);
    const QStringList lines = listed.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[0].startsWith(QStringLiteral("1  16 keys, 3 knobs, 3 layers (current protocol)  ")), qPrintable(listed));
    QVERIFY2(lines[1].startsWith(QStringLiteral("2  16 keys, 3 knobs")), qPrintable(listed));
    QVERIFY2(lines[2].startsWith(QStringLiteral("3  6 keys, 1 knob, 3 layers")), qPrintable(listed));
    QVERIFY(lines[0].section(QStringLiteral("  "), 2, 2) != lines[1].section(QStringLiteral("  "), 2, 2));
    const QString sixKeyPath = lines[2].section(QStringLiteral("  "), 3, 3);
    const QString sixKeySerial = lines[2].section(QStringLiteral("  "), 2, 2).section(QLatin1Char(' '), 2);

    for (const QString &selector : {QStringLiteral("3"), sixKeySerial, sixKeyPath}) {
        const QString file = dir.filePath(QStringLiteral("six.json"));
        QFile::remove(file);
        QString said;
        QCOMPARE(run({QStringLiteral("--device"), selector, QStringLiteral("--export"), file}, &said), 0);
        QVERIFY2(said.contains(QStringLiteral("Keypad: 6 keys")), qPrintable(selector + said));
    }
    QString refused;
    QCOMPARE(run({QStringLiteral("--device"), QStringLiteral("9"), QStringLiteral("--export"),
                  dir.filePath(QStringLiteral("none.json"))},
                 &refused),
             2);
    QVERIFY(refused.contains(QStringLiteral("No plugged keypad is '9'")));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.json"))));
    // Without --device a script must not reach whichever keypad answers first.
    QCOMPARE(run({QStringLiteral("--export"), dir.filePath(QStringLiteral("none.json"))}, &refused), 2);
    QVERIFY(refused.contains(QStringLiteral("Several keypads are plugged in")));
    QVERIFY(refused.contains(lines[2]));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.json"))));
}

QProcessEnvironment TstCommandLine::cleanEnvironment(bool offscreen) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_LOGGING_RULES", "LANGUAGE"})
        env.remove(QString::fromLatin1(name));
    if (offscreen)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
    // As in a desktop session; without it Qt warns on the terminal before anything else.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.filePath(QStringLiteral("runtime")));
    return env;
}

std::unique_ptr<QProcess> TstCommandLine::start(const char *name, const QStringList &args, bool offscreen,
                                                const QString &loggingRules) const
{
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = cleanEnvironment(offscreen);
    if (!loggingRules.isEmpty())
        env.insert(QStringLiteral("QT_LOGGING_RULES"), loggingRules);
    p->setProcessEnvironment(env);
    p->start(program(name), args);
    return p;
}

void TstCommandLine::printsAndExitsWithoutDisplay()
{
    struct Case {
        const char *program;
        QStringList args;
        int status;
        const char *stdoutHas; // and nothing on standard error
        const char *stderrHas; // and nothing on standard output
    };
    const QList<Case> cases = {
        {"macropad-studio", {"--help"}, 0, "--language <en|zh>", nullptr},
        {"macropad-studio", {"-h"}, 0, "--export <file>", nullptr},
        {"macropad-studio-demo", {"--help"}, 0, "r10udav", nullptr},
        {"macropad-studio", {"--version"}, 0, "macropad-studio 0.1.0", nullptr},
        {"macropad-studio-demo", {"--version"}, 0, "macropad-studio-demo 0.1.0", nullptr},
        {"macropad-studio", {"--frobnicate"}, 2, nullptr, "Unknown option 'frobnicate'"},
        {"macropad-studio", {"--keypad", "6k1e"}, 2, nullptr, "Usage:"},
        {"macropad-studio", {"--language", "fr"}, 2, nullptr, "--language takes en or zh"},
        {"macropad-studio-demo", {"--keypad", "nosuch"}, 2, nullptr, "Unknown simulated keypad"},
        // Accepted with a command that needs no window either.
        {"macropad-studio", {"--language", "zh", "--version"}, 0, "0.1.0", nullptr},
    };
    for (const Case &c : cases) {
        auto p = start(c.program, c.args, false);
        const QString what = QStringLiteral("%1 %2").arg(QLatin1String(c.program), c.args.join(QLatin1Char(' ')));
        QVERIFY2(p->waitForFinished(10000), qPrintable(what));
        const QString out = QString::fromLocal8Bit(p->readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(p->readAllStandardError());
        QVERIFY2(p->exitStatus() == QProcess::NormalExit, qPrintable(what));
        QVERIFY2(p->exitCode() == c.status, qPrintable(what + QStringLiteral(": status %1\n").arg(p->exitCode()) + err));
        if (c.stdoutHas) {
            QVERIFY2(out.contains(QLatin1String(c.stdoutHas)), qPrintable(what + QLatin1Char('\n') + out));
            QVERIFY2(err.isEmpty(), qPrintable(what + QLatin1Char('\n') + err));
        } else {
            QVERIFY2(err.contains(QLatin1String(c.stderrHas)), qPrintable(what + QLatin1Char('\n') + err));
            QVERIFY2(out.isEmpty(), qPrintable(what + QLatin1Char('\n') + out));
        }
    }
}

void TstCommandLine::quietUnlessVerbose()
{
    // The quiet ones start first, so they have run at least as long as the verbose demo
    // takes to connect and read the whole keypad.
    auto quietDemo = start("macropad-studio-demo", {}, true);
    auto quietStudio = start("macropad-studio", {}, true);
    // A keypad without the udev rule is the window's to tell, not the terminal's.
    auto deniedDemo = start("macropad-studio-demo", {"--no-access"}, true);
    // QT_LOGGING_RULES has the last word over --verbose.
    auto ruledOut = start("macropad-studio-demo", {"--verbose"}, true, QStringLiteral("*.debug=false"));
    auto verboseDemo = start("macropad-studio-demo", {"--verbose", "--language", "zh"}, true);
    auto verboseStudio = start("macropad-studio", {"--verbose"}, true);

    QString demoLog, studioLog;
    QVERIFY(QTest::qWaitFor([&] {
        demoLog += QString::fromLocal8Bit(verboseDemo->readAllStandardError());
        studioLog += QString::fromLocal8Bit(verboseStudio->readAllStandardError());
        return demoLog.contains(QLatin1String("Config loaded from device"))
               && studioLog.contains(QLatin1String("HIDManager: monitoring started"));
    }, 20000));
    QVERIFY(demoLog.contains(QLatin1String("HIDManager: opened path=")));
    QVERIFY(demoLog.contains(QLatin1String("HIDManager: readDeviceInfo request id=0x03 cmd=11 len=63")));
    QVERIFY(demoLog.contains(QLatin1String("Settings: language zh from the command line")));

    for (auto *p : {quietDemo.get(), quietStudio.get(), deniedDemo.get(), ruledOut.get(), verboseDemo.get(),
                    verboseStudio.get()}) {
        QCOMPARE(p->state(), QProcess::Running); // a window, not an early exit
        p->terminate();
        QVERIFY(p->waitForFinished(10000));
    }
    for (auto *p : {quietDemo.get(), quietStudio.get(), deniedDemo.get(), ruledOut.get()}) {
        const QByteArray printed = p->readAllStandardOutput() + p->readAllStandardError();
        QVERIFY2(printed.isEmpty(), printed.left(2000).constData());
    }
    QVERIFY(verboseDemo->readAllStandardOutput().isEmpty()); // the traces went to the log too
}

QTEST_MAIN(TstCommandLine)
#include "tst_commandline.moc"
