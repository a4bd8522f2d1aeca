#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// What the program was asked for on its command line. Paths are empty when not given.
struct CommandLineOptions {
    bool verbose = false;
    QString language;    // "en", "zh", or empty: the settings decide
    QString exportPath;  // profile to write from the keypad, without a window
    QString importPath;  // profile to write into the keypad, without a window
    QString capturePath; // where to record the keypad traffic
    QString sheetPath;   // layout sheet to write, without a window
    QString sheetProfilePath; // the profile the sheet shows instead of the keypad
    QString paper;       // "a4", "letter", or empty: the locale decides
    QString replayPath;  // demo only: traffic to play back instead of a simulated keypad
    QString keypad;      // demo only: the simulated keypad, empty for the default
    int latencyMs = 1;   // demo only: delay per report of the simulated keypad
    bool noAccess = false; // demo only: the simulated keypad refuses to be opened
    bool list = false;     // print the plugged keypads and exit
    QString device;        // which keypad: a number from --list, a serial number or a path
    bool importAll = false; // --import to every plugged keypad of the profile's model
};

// The program's command line. Parsing needs no application object, so main() can decide
// before creating one whether a window (and with it a display) is needed at all; the help
// text needs one (it names the program after its first argument), a QCoreApplication does.
class CommandLine
{
public:
    enum class Program { Studio, Demo };
    enum class Outcome { Run, Help, Version, Error };
    enum ExitStatus { Success = 0, UsageError = 2 };

    // `keypadChoices`: the demo's simulated keypads, one "name  description" line each, for
    // the help text.
    explicit CommandLine(Program program, const QStringList &keypadChoices = {});

    static QStringList arguments(int argc, char **argv);

    // Reads the arguments (the program's name first). Qt's own options (-platform,
    // -style, ...) are accepted and left to the application object.
    Outcome parse(const QStringList &arguments);
    const CommandLineOptions &options() const { return m_options; }
    // True when the run needs no window: a profile export or import, or a layout sheet.
    bool headless() const;
    QString errorText() const { return m_error; }

    QString helpText() const;
    static QString versionText();
    // For an outcome other than Run: prints the help or version on standard output, or the
    // error and the usage on standard error, and returns the exit status.
    int report(Outcome outcome) const;

private:
    void addOptions();
    bool readOptions();
    void addSheetOptions();
    bool readSheetOptions();

    Program m_program;
    QStringList m_keypadChoices;
    QCommandLineParser m_parser;
    CommandLineOptions m_options;
    QString m_error;
};
