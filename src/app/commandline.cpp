#include "app/commandline.h"

#include <QCoreApplication>

#include <cstdio>

#ifndef MPS_VERSION
#error "MPS_VERSION (the project's version) comes from CMakeLists.txt"
#endif

namespace {

const QString kVerbose = QStringLiteral("verbose");
const QString kLanguage = QStringLiteral("language");
const QString kExport = QStringLiteral("export");
const QString kImport = QStringLiteral("import");
const QString kCapture = QStringLiteral("capture");
const QString kReplay = QStringLiteral("replay");
const QString kKeypad = QStringLiteral("keypad");
const QString kLatency = QStringLiteral("latency");
const QString kNoAccess = QStringLiteral("no-access");

// Options the application object reads itself (QGuiApplication and the X11/Wayland
// plugins). Accepted here so that an unknown option can be refused without refusing them.
const char *const kQtValueOptions[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                       "qwindowgeometry", "qwindowicon", "qwindowtitle", "style",
                                       "stylesheet", "session", "display", "geometry", "qmljsdebugger"};
const char *const kQtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

void print(FILE *stream, const QString &text)
{
    QByteArray bytes = text.toLocal8Bit();
    if (!bytes.endsWith('\n'))
        bytes.append('\n');
    std::fputs(bytes.constData(), stream);
    std::fflush(stream);
}

} // namespace

CommandLine::CommandLine(Program program, const QStringList &keypadChoices)
    : m_program(program), m_keypadChoices(keypadChoices)
{
    // "-platform offscreen" is how Qt spells its own options.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.setApplicationDescription(
        program == Program::Demo
            ? QStringLiteral("Configures USB macro keypads; this build works on a simulated keypad.")
            : QStringLiteral("Configures the keys, knobs and lighting of USB macro keypads."));
    addOptions();
}

QStringList CommandLine::arguments(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

void CommandLine::addOptions()
{
    m_parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Print this help and exit.")});
    m_parser.addOption({{QStringLiteral("v"), QStringLiteral("version")},
                        QStringLiteral("Print the version and exit.")});
    m_parser.addOption({kVerbose, QStringLiteral("Print the diagnostic log on standard error.")});
    m_parser.addOption({kLanguage, QStringLiteral("Interface language of this run: en or zh."),
                        QStringLiteral("en|zh")});
    m_parser.addOption({kExport,
                        QStringLiteral("Read the connected keypad, write its profile to <file> and exit, "
                                       "without a window."),
                        QStringLiteral("file")});
    m_parser.addOption({kImport,
                        QStringLiteral("Write what differs in <file> to the keypad, read it back, verify "
                                       "and exit, without a window."),
                        QStringLiteral("file")});
    m_parser.addOption({kCapture, QStringLiteral("Record the reports exchanged with the keypad to <file>."),
                        QStringLiteral("file")});
    if (m_program == Program::Demo) {
        m_parser.addOption({kKeypad, QStringLiteral("The simulated keypad (list below)."), QStringLiteral("name")});
        m_parser.addOption({kLatency, QStringLiteral("Delay of the simulated keypad per report (default 1)."),
                            QStringLiteral("ms")});
        m_parser.addOption({kNoAccess, QStringLiteral("The simulated keypad refuses to be opened, as without "
                                                      "the udev rule.")});
        m_parser.addOption({kReplay, QStringLiteral("Play back a recording made with --capture instead of "
                                                    "simulating a keypad."),
                            QStringLiteral("file")});
    }
    for (const char *name : kQtValueOptions) {
        QCommandLineOption o(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(o);
    }
    for (const char *name : kQtFlagOptions) {
        QCommandLineOption o(QString::fromLatin1(name));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(o);
    }
}

CommandLine::Outcome CommandLine::parse(const QStringList &arguments)
{
    m_options = CommandLineOptions();
    m_error.clear();
    if (!m_parser.parse(arguments)) {
        m_error = m_parser.errorText();
        return Outcome::Error;
    }
    if (m_parser.isSet(QStringLiteral("help")))
        return Outcome::Help;
    if (m_parser.isSet(QStringLiteral("version")))
        return Outcome::Version;
    return readOptions() ? Outcome::Run : Outcome::Error;
}

bool CommandLine::readOptions()
{
    if (!m_parser.positionalArguments().isEmpty()) {
        m_error = QStringLiteral("Unexpected argument '%1'.").arg(m_parser.positionalArguments().first());
        return false;
    }
    // A value given twice is more likely a mistake than a wish for the last one.
    QStringList valued{kLanguage, kExport, kImport, kCapture};
    if (m_program == Program::Demo)
        valued << kReplay << kKeypad << kLatency;
    for (const QString &name : qAsConst(valued)) {
        const QStringList values = m_parser.values(name);
        if (values.size() > 1) {
            m_error = QStringLiteral("--%1 given more than once.").arg(name);
            return false;
        }
        if (values.size() == 1 && values.first().trimmed().isEmpty()) {
            m_error = QStringLiteral("--%1 needs a value.").arg(name);
            return false;
        }
    }

    m_options.verbose = m_parser.isSet(kVerbose);
    if (m_parser.isSet(kLanguage)) {
        const QString language = m_parser.value(kLanguage).trimmed().toLower();
        if (language != QLatin1String("en") && language != QLatin1String("zh")) {
            m_error = QStringLiteral("--language takes en or zh, not '%1'.").arg(m_parser.value(kLanguage));
            return false;
        }
        m_options.language = language;
    }
    m_options.exportPath = m_parser.value(kExport);
    m_options.importPath = m_parser.value(kImport);
    if (!m_options.exportPath.isEmpty() && !m_options.importPath.isEmpty()) {
        m_error = QStringLiteral("Give one of --export and --import, once.");
        return false;
    }
    m_options.capturePath = m_parser.value(kCapture);
    if (m_program == Program::Demo) {
        m_options.replayPath = m_parser.value(kReplay);
        m_options.keypad = m_parser.value(kKeypad).trimmed().toLower();
        m_options.noAccess = m_parser.isSet(kNoAccess);
        if (m_parser.isSet(kLatency)) {
            bool ok = false;
            const int ms = m_parser.value(kLatency).toInt(&ok);
            if (!ok || ms < 0 || ms > 10000) {
                m_error = QStringLiteral("--latency takes a number of milliseconds from 0 to 10000, not '%1'.")
                              .arg(m_parser.value(kLatency));
                return false;
            }
            m_options.latencyMs = ms;
        }
    }
    return true;
}

bool CommandLine::headless() const
{
    return !m_options.exportPath.isEmpty() || !m_options.importPath.isEmpty();
}

QString CommandLine::helpText() const
{
    QString text = m_parser.helpText();
    if (m_program == Program::Demo && !m_keypadChoices.isEmpty()) {
        text += QStringLiteral("\nSimulated keypads (--keypad):\n");
        for (const QString &line : m_keypadChoices)
            text += QStringLiteral("  ") + line + QLatin1Char('\n');
    }
    text += QStringLiteral(
        "\nWithout --export or --import the window opens. The interface language is the one of\n"
        "--language, else of Config.ini beside the program, else the one last chosen in the\n"
        "window, else the system's.\n"
        "\nExit status: 0 success; 1 no keypad, a failed read or write, or a read-back that\n"
        "differs; 2 bad usage or a profile that cannot be read or written.\n"
        "\nQT_LOGGING_RULES chooses parts of the diagnostic log, e.g.\n"
        "QT_LOGGING_RULES=\"macropad.device.debug=true\" for the device link only\n"
        "(areas: device, legacy, window, layers, layout, pages, sim).\n");
    return text;
}

QString CommandLine::versionText()
{
    const QString name =
        QCoreApplication::instance() ? QCoreApplication::applicationName() : QStringLiteral("macropad-studio");
    return QStringLiteral("%1 %2").arg(name, QStringLiteral(MPS_VERSION));
}

int CommandLine::report(Outcome outcome) const
{
    switch (outcome) {
    case Outcome::Help:
        print(stdout, helpText());
        return Success;
    case Outcome::Version:
        print(stdout, versionText());
        return Success;
    case Outcome::Error:
        print(stderr, QStringLiteral("%1: %2\n").arg(QCoreApplication::applicationName(), m_error));
        print(stderr, helpText());
        return UsageError;
    case Outcome::Run:
        break;
    }
    return Success;
}
