#include "app/commandline.h"
#include "app/keypadlistcli.h"
#include "app/profilecli.h"
#include "app/startupsettings.h"
#include "app/widget.h"
#include "i18n/uitext.h"
#include "controls/knobbutton.h"
#include "device/hidmanager.h"
#include "device/linkcapture.h"
#include "model/logcategories.h"

#include <QApplication>
#include <cstdio>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLoggingCategory>

#ifdef MACROPAD_DEMO
#include "sim/demokeypads.h"
#endif

namespace {

// Names the per-user settings file (~/.config/macropad-studio/<program>.conf on Linux) and
// the version; the demo keeps settings of its own.
void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("macropad-studio"));
#ifdef MACROPAD_DEMO
    QCoreApplication::setApplicationName(QStringLiteral("macropad-studio-demo"));
#else
    QCoreApplication::setApplicationName(QStringLiteral("macropad-studio"));
#endif
}

// The diagnostic log stays off unless asked for (its categories start with their debug
// lines off; plain qDebug lines are turned off here too). QT_LOGGING_RULES, applied after
// these rules, has the last word.
void applyVerbosity(const CommandLineOptions &options)
{
    if (options.verbose)
        QLoggingCategory::setFilterRules(LogCategories::debugRule(true));
    else if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

// The demo's keypad goes on the simulated bus before anyone looks for one.
bool installKeypad(const CommandLineOptions &options)
{
#ifdef MACROPAD_DEMO
    return sim::installDemoKeypad(options.keypad, options.latencyMs, options.noAccess,
                                  options.replayPath);
#else
    Q_UNUSED(options);
    return true;
#endif
}

// Records the keypad conversation from the first scan on, when asked for.
bool startCapture(const CommandLineOptions &options)
{
    if (options.capturePath.isEmpty())
        return true;
    QString why;
    if (LinkCapture::start(options.capturePath, &why))
        return true;
    std::fprintf(stderr, "Cannot capture to %s: %s\n", qPrintable(options.capturePath), qPrintable(why));
    return false;
}

// --device: the keypad the link opens when several are plugged. A number from --list is
// turned into that keypad's identity now, while the list is the one the user saw.
bool chooseDevice(const CommandLineOptions &options, bool needsOne = false)
{
    HIDManager *hid = HIDManager::instance();
    if (options.device.isEmpty()) {
        // A script that exports or imports must not reach whichever keypad answers first.
        if (!needsOne || hid->listKeypads().size() < 2)
            return true;
        std::fprintf(stderr, "Several keypads are plugged in; choose one with --device (its number, serial "
                             "number or path):\n");
        for (const QString &line : KeypadListCli::lines(hid->surveyKeypads()))
            std::fprintf(stderr, "  %s\n", qPrintable(line));
        return false;
    }
    QString why;
    const QVector<KeypadEntry> keypads = hid->listKeypads();
    const int at = KeypadListCli::select(keypads, options.device, &why);
    if (at < 0) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        for (const QString &line : KeypadListCli::lines(keypads))
            std::fprintf(stderr, "  %s\n", qPrintable(line));
        return false;
    }
    hid->setPreferredKeypad(keypads[at].identity());
    return true;
}

// A layout sheet from the command line: fonts need a QGuiApplication, a screen it does not.
int writeSheet(int argc, char *argv[], const CommandLineOptions &options)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    nameApplication();
    applyVerbosity(options);
    if (!startCapture(options) || !installKeypad(options) || !chooseDevice(options))
        return ProfileCli::BadFileOrUsage;
    const bool chinese = StartupSettings::resolve(options.language).chinese();
    UiText::setLanguage(chinese ? UiText::Language::Chinese : UiText::Language::English);
    ProfileCli cli;
    return cli.exportSheet(options.sheetPath, options.sheetProfilePath, options.paper,
                           chinese ? UiText::Language::Chinese : UiText::Language::English);
}

} // namespace

int main(int argc, char *argv[])
{
#ifdef MACROPAD_DEMO
    CommandLine commandLine(CommandLine::Program::Demo, sim::demoKeypadChoices());
#else
    CommandLine commandLine(CommandLine::Program::Studio);
#endif
    const CommandLine::Outcome outcome = commandLine.parse(CommandLine::arguments(argc, argv));
    const CommandLineOptions &options = commandLine.options();

    if (outcome == CommandLine::Outcome::Run && !options.sheetPath.isEmpty())
        return writeSheet(argc, argv, options);
    if (outcome != CommandLine::Outcome::Run || commandLine.headless()) {
        // Help, version, usage errors and profiles from a script: no window, no display.
        QCoreApplication app(argc, argv);
        nameApplication();
        if (outcome != CommandLine::Outcome::Run)
            return commandLine.report(outcome);
        applyVerbosity(options);
        if (!startCapture(options) || !installKeypad(options))
            return ProfileCli::BadFileOrUsage;
        if (options.list)
            return KeypadListCli::run(HIDManager::instance());
        if (!chooseDevice(options, !options.importAll))
            return ProfileCli::BadFileOrUsage;
        ProfileCli cli;
        if (options.importAll)
            return cli.importProfileToAll(options.importPath);
        return options.exportPath.isEmpty() ? cli.importProfile(options.importPath)
                                            : cli.exportProfile(options.exportPath);
    }

    applyVerbosity(options);
    if (!startCapture(options) || !installKeypad(options))
        return CommandLine::UsageError;
    QApplication app(argc, argv);
    if (!chooseDevice(options))
        return CommandLine::UsageError;
    nameApplication();
    Q_INIT_RESOURCE(appicon); // lives in a static library: pull it in by name
    // Lets the desktop (Wayland compositors in particular) match the window to its launcher
    // and icon; the built-in copy serves when the icon theme has none installed.
    QApplication::setDesktopFileName(QStringLiteral("org.macropadstudio.MacropadStudio"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.macropadstudio.MacropadStudio"),
                                                 QIcon(QStringLiteral(":/icons/macropad-studio.svg"))));
    initKnobResources();
    int rc = 0;
    {
        // The window goes before the application object.
        Widget window(StartupSettings::resolve(options.language));
        window.show();
        rc = app.exec();
    }
    return rc;
}
