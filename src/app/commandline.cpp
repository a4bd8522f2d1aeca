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
const QString kSheet = QStringLiteral("sheet");
const QString kProfile = QStringLiteral("profile");
const QString kPaper = QStringLiteral("paper");
const QString kReplay = QStringLiteral("replay");
const QString kKeypad = QStringLiteral("keypad");
const QString kLatency = QStringLiteral("latency");
const QString kNoAccess = QStringLiteral("no-access");
const QString kList = QStringLiteral("list");
const QString kDevice = QStringLiteral("device");
const QString kAll = QStringLiteral("all");

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
    m_parser.addOption({kAll, QStringLiteral("With --import: write the profile to every plugged keypad of its "
                                             "model in turn and verify each.")});
    m_parser.addOption({kList, QStringLiteral("Print one line per plugged keypad (number, model, identity, path) "
                                              "and exit, without a window.")});
    m_parser.addOption({kDevice,
                        QStringLiteral("The keypad to use when several are plugged: a number from --list, a "
                                       "serial number or a device path."),
                        QStringLiteral("keypad")});
    m_parser.addOption({kCapture, QStringLiteral("Record the reports exchanged with the keypad to <file>."),
                        QStringLiteral("file")});
    addSheetOptions();
    if (m_program == Program::Demo) {
        m_parser.addOption({kKeypad, QStringLiteral("The simulated keypad (list below); several, comma-separated, plug several at once."), QStringLiteral("name[,name...]")});
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
    QStringList valued{kLanguage, kExport, kImport, kCapture, kSheet, kProfile, kPaper, kDevice};
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
    if (!readSheetOptions())
        return false;
    m_options.list = m_parser.isSet(kList);
    m_options.device = m_parser.value(kDevice).trimmed();
    m_options.importAll = m_parser.isSet(kAll);
    if (m_options.importAll && m_options.importPath.isEmpty()) {
        m_error = QStringLiteral("--all goes with --import.");
        return false;
    }
    if (m_options.importAll && !m_options.device.isEmpty()) {
        m_error = QStringLiteral("Give one of --all and --device.");
        return false;
    }
    if (m_options.list && (!m_options.exportPath.isEmpty() || !m_options.importPath.isEmpty()
                           || !m_options.sheetPath.isEmpty() || !m_options.device.isEmpty())) {
        m_error = QStringLiteral("--list goes alone.");
        return false;
    }
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

void CommandLine::addSheetOptions()
{
    m_parser.addOption({kSheet,
                        QStringLiteral("Read the connected keypad and write a printable layout sheet of every "
                                       "layer to <file> (.pdf, or .svg/.png: one file per layer) and exit, "
                                       "without a window."),
                        QStringLiteral("file")});
    m_parser.addOption({kProfile,
                        QStringLiteral("With --sheet: draw the sheet of this saved profile; no keypad needed."),
                        QStringLiteral("file")});
    m_parser.addOption({kPaper, QStringLiteral("With --sheet: the paper size (default: the locale's)."),
                        QStringLiteral("a4|letter")});
}

bool CommandLine::readSheetOptions()
{
    m_options.sheetPath = m_parser.value(kSheet);
    m_options.sheetProfilePath = m_parser.value(kProfile);
    if (m_parser.isSet(kPaper)) {
        const QString paper = m_parser.value(kPaper).trimmed().toLower();
        if (paper != QLatin1String("a4") && paper != QLatin1String("letter")) {
            m_error = QStringLiteral("--paper takes a4 or letter, not '%1'.").arg(m_parser.value(kPaper));
            return false;
        }
        m_options.paper = paper;
    }
    if (m_options.sheetPath.isEmpty() && (m_parser.isSet(kProfile) || m_parser.isSet(kPaper))) {
        m_error = QStringLiteral("--profile and --paper go with --sheet.");
        return false;
    }
    if (!m_options.sheetPath.isEmpty() && (!m_options.exportPath.isEmpty() || !m_options.importPath.isEmpty())) {
        m_error = QStringLiteral("Give one of --export, --import and --sheet.");
        return false;
    }
    return true;
}

bool CommandLine::headless() const
{
    return m_options.list || !m_options.exportPath.isEmpty() || !m_options.importPath.isEmpty()
           || !m_options.sheetPath.isEmpty();
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
        "\nWith several keypads plugged, --export and --import need --device (see --list); the\n"
        "window opens the one chosen last, or the first one found.\n"
        "\nWithout --export, --import, --sheet or --list the window opens. The interface\n"
        "language (also of a sheet) is the one of --language, else of Config.ini beside the\n"
        "program, else the one last chosen in the window, else the system's.\n"
        "\nExit status: 0 success; 1 no keypad, a failed read or write, or a read-back that\n"
        "differs (with --all: on any keypad); 2 bad usage, an unknown --device, several keypads\n"
        "without --device, a profile that cannot be read or written, or a sheet that cannot be\n"
        "written.\n"
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
