#pragma once

#include "session/connectresult.h"
#include "i18n/uitext.h"
#include "model/profile.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class HIDManager;
class KeyboardData;
class KeypadSession;

// The headless side of profiles: `--export FILE` reads the connected keypad and writes its
// whole configuration to FILE; `--import FILE` writes what differs between FILE and the
// keypad, reads the keypad back and checks it holds the profile. Meant for a console process
// (or a test): it blocks its thread while it talks to the keypad and spins an event loop only
// while it waits for the keypad to appear.
class ProfileCli : public QObject
{
    Q_OBJECT

public:
    enum ExitCode {
        Success = 0,
        DeviceFailure = 1, // no keypad, a failed read or write, or a read-back that differs
        BadFileOrUsage = 2, // the file cannot be read, parsed or written, or bad arguments
    };
    enum class Mode { None, Export, Import };

    static constexpr int DEFAULT_WAIT_MS = 5000;

    explicit ProfileCli(QObject *parent = nullptr);

    // True when the raw program arguments ask for a profile run, so main() can start without
    // a window (and without a display).
    static bool requested(int argc, char **argv);
    static bool requested(const QStringList &args);

    // Reads "--export FILE", "--import FILE" (also "--export=FILE"); every other argument is
    // left to others (the demo's keypad choice, Qt's own). False with a usage message in
    // usageError() when the request is malformed.
    bool parseArguments(const QStringList &args);
    Mode mode() const { return m_mode; }
    QString path() const { return m_path; }
    QString usageError() const { return m_usageError; }
    static QString usageText();

    // How long to wait for a keypad that is not connected yet.
    void setWaitTimeoutMs(int ms) { m_waitMs = ms; }

    // Where progress and result lines go; by default standard output (standard error for
    // failures). Every line is also kept in lines().
    using LineSink = std::function<void(const QString &line, bool failure)>;
    void setLineSink(LineSink sink) { m_sink = std::move(sink); }
    const QStringList &lines() const { return m_lines; }

    // parseArguments + the requested run; the process's exit status.
    int run(const QStringList &args);
    int exportProfile(const QString &path);
    int importProfile(const QString &path);
    // Imports `path` into every plugged keypad of the profile's model in turn, each verified
    // by reading it back (profilecliall.cpp); one line per keypad with its result, the others
    // of another model as skipped. Success only when every one verified.
    int importProfileToAll(const QString &path);
    // Writes the layout sheet of the connected keypad, or of the saved profile
    // `profilePath` without a keypad (profileclisheet.cpp). `paper` is "a4", "letter" or
    // empty for the locale's. Needs a QGuiApplication.
    int exportSheet(const QString &path, const QString &profilePath, const QString &paper,
                    UiText::Language language);

private:
    struct Keypad {
        ConnectResult read;
        ProfileDevice device;
        bool legacy = false;
    };

    void say(const QString &line);
    void fail(const QString &line);
    bool waitForKeypad();
    // Reads the whole keypad (`known`: the same keypad read before, whose kind is settled);
    // false, with a message, when it did not answer or a read failed.
    bool readKeypad(Keypad *out, const Keypad *known);
    // Runs the session's read (`again`: View's re-read of the keypad read before) and blocks,
    // spinning an event loop, until it and its confirmation end; false when the keypad left.
    bool sessionRead(bool again, ConnectResult *out);
    // Waits for the keypad and reads it into a profile of it; false (the failure told) when
    // none came or the read failed.
    bool readKeypadProfile(ProfileData *out);
    static void loadInto(KeyboardData &model, const ConnectResult &read);
    bool save(KeyboardData &model, const Keypad &keypad);

    HIDManager *m_hid;
    KeypadSession *m_session;
    // Where the session puts its reads; the profile is made from a model of its own.
    KeyboardData *m_sessionModel;
    Mode m_mode = Mode::None;
    QString m_path;
    QString m_usageError;
    int m_waitMs = DEFAULT_WAIT_MS;
    LineSink m_sink;
    QStringList m_lines;
};
