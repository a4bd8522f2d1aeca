#include "app/profilecli.h"

#include "session/keypadsession.h"
#include "app/profilefiles.h"
#include "device/hidmanager.h"
#include "device/legacyhidmanager.h"
#include "model/keyboarddata.h"

#include <QEventLoop>
#include <QTimer>

#include <cstdio>

namespace {

const QString kExport = QStringLiteral("--export");
const QString kImport = QStringLiteral("--import");

bool isProfileOption(const QString &arg)
{
    return arg == kExport || arg == kImport || arg.startsWith(kExport + QLatin1Char('='))
           || arg.startsWith(kImport + QLatin1Char('='));
}

void printLine(const QString &line, bool failure)
{
    // Unbuffered per line, so a script piping the output sees progress as it happens.
    FILE *stream = failure ? stderr : stdout;
    std::fputs(line.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

QString plural(int n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

ProfileCli::ProfileCli(QObject *parent)
    : QObject(parent),
      m_hid(HIDManager::instance()),
      m_session(new KeypadSession(m_hid, this)),
      m_sessionModel(new KeyboardData(this)),
      m_sink(printLine)
{
    m_session->setModel(m_sessionModel);
    connect(m_session, &KeypadSession::readingAgain, this,
            [this] { say(QStringLiteral("Read again: a reply was lost")); });
}

bool ProfileCli::requested(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (argv[i] && isProfileOption(QString::fromLocal8Bit(argv[i])))
            return true;
    return false;
}

bool ProfileCli::requested(const QStringList &args)
{
    for (int i = 1; i < args.size(); ++i)
        if (isProfileOption(args.at(i)))
            return true;
    return false;
}

QString ProfileCli::usageText()
{
    return QStringLiteral("usage: macropad-studio --export FILE | --import FILE\n"
                          "  --export FILE  read the connected keypad and write its profile to FILE\n"
                          "  --import FILE  write FILE's differences to the keypad, read it back and verify\n"
                          "exit status: 0 success, 1 keypad or verification failure, 2 bad file or usage");
}

bool ProfileCli::parseArguments(const QStringList &args)
{
    m_mode = Mode::None;
    m_path.clear();
    m_usageError.clear();
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (!isProfileOption(arg))
            continue;
        const bool isExport = arg.startsWith(kExport);
        const QString option = isExport ? kExport : kImport;
        QString file;
        if (arg.size() > option.size()) {
            file = arg.mid(option.size() + 1);
        } else if (i + 1 < args.size() && !args.at(i + 1).startsWith(QLatin1String("--"))) {
            file = args.at(++i);
        }
        if (file.isEmpty()) {
            m_usageError = QStringLiteral("%1 needs a file name").arg(option);
            m_mode = Mode::None;
            return false;
        }
        if (m_mode != Mode::None) {
            m_usageError = QStringLiteral("give one of --export and --import, once");
            m_mode = Mode::None;
            return false;
        }
        m_mode = isExport ? Mode::Export : Mode::Import;
        m_path = file;
    }
    if (m_mode == Mode::None) {
        m_usageError = QStringLiteral("neither --export nor --import given");
        return false;
    }
    return true;
}

int ProfileCli::run(const QStringList &args)
{
    if (!parseArguments(args)) {
        fail(QStringLiteral("Error: %1").arg(m_usageError));
        fail(usageText());
        return BadFileOrUsage;
    }
    return m_mode == Mode::Export ? exportProfile(m_path) : importProfile(m_path);
}

void ProfileCli::say(const QString &line)
{
    m_lines << line;
    if (m_sink)
        m_sink(line, false);
}

void ProfileCli::fail(const QString &line)
{
    m_lines << line;
    if (m_sink)
        m_sink(line, true);
}

bool ProfileCli::waitForKeypad()
{
    if (m_hid->isConnected())
        return true;
    say(QStringLiteral("Waiting for the keypad (up to %1 s)...").arg((m_waitMs + 999) / 1000));
    m_hid->startMonitoring();
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(m_hid, &HIDManager::deviceConnected, &loop, &QEventLoop::quit);
    // A keypad the system will not let us open stays refused: no use waiting out the time.
    connect(m_hid, &HIDManager::deviceAccessDenied, &loop, &QEventLoop::quit);
    timeout.start(m_waitMs);
    if (!m_hid->isConnected())
        loop.exec();
    if (m_hid->isConnected())
        return true;
    if (m_hid->isAccessDenied())
        fail(QStringLiteral("Error: a keypad was found, but access was denied: install the udev rule"));
    else
        fail(QStringLiteral("Error: no keypad found within %1 s; connect it with a USB cable")
                 .arg((m_waitMs + 999) / 1000));
    return false;
}

bool ProfileCli::sessionRead(bool again, ConnectResult *out)
{
    QEventLoop loop;
    bool done = false;
    const QMetaObject::Connection finished =
        connect(m_session, &KeypadSession::readDone, &loop, [&](const ConnectResult &r) {
            *out = r;
            done = true;
            loop.quit();
        });
    const QMetaObject::Connection left = connect(m_session, &KeypadSession::disconnected, &loop, &QEventLoop::quit);
    if (again)
        m_session->view();
    else
        m_session->onConnected();
    if (!done)
        loop.exec();
    disconnect(finished);
    disconnect(left);
    return done;
}

bool ProfileCli::readKeypad(Keypad *out, const Keypad *known)
{
    // One pass cannot tell a lost key record from an unassigned key: only what a second pass
    // (or a third, where the two differ) agrees with is taken; the session reads that way.
    if (known) {
        // The kind is known by now; the re-read goes straight to that protocol.
        say(QStringLiteral("Reading the keypad back..."));
        if (!sessionRead(true, &out->read))
            out->read = ConnectResult();
        if (!known->legacy) {
            out->read.deviceInfo = known->read.deviceInfo;
        }
    } else {
        say(QStringLiteral("Reading the keypad..."));
        if (!sessionRead(false, &out->read))
            out->read = ConnectResult();
    }
    const ConnectResult &r = out->read;
    if (!r.infoOk && !r.legacyOk) {
        fail(QStringLiteral("Error: the keypad does not answer"));
        return false;
    }
    out->legacy = !r.infoOk;
    out->device = r.infoOk ? ProfileDevice::fromDeviceInfo(r.deviceInfo)
                           : ProfileDevice::fromLegacyInfo(r.legacyInfo);
    if (!r.allLayersOk) {
        // A partial read would pass blank slots off as the keypad's configuration.
        fail(QStringLiteral("Error: reading the keypad's layers failed"));
        return false;
    }
    if (!known)
        say(QStringLiteral("Keypad: %1").arg(out->device.describe()));
    return true;
}

void ProfileCli::loadInto(KeyboardData &model, const ConnectResult &read)
{
    model.loadLayers(read.layers);
    // A keypad that cannot report its lighting leaves the model's own records.
    if (read.ledConfigs.size() == KeyboardData::LAYER_COUNT)
        model.loadLedConfigs(read.ledConfigs);
}

bool ProfileCli::save(KeyboardData &model, const Keypad &keypad)
{
    if (!keypad.legacy)
        return m_hid->saveDirtyConfiguration(model);
    const LegacyDeviceInfo info = keypad.read.legacyInfo;
    return m_hid->runLegacy([&model, &info](hid_device *dev) {
        return dev && LegacyHIDManager::saveDirtyConfiguration(dev, info, model);
    });
}

bool ProfileCli::readKeypadProfile(ProfileData *out)
{
    if (!waitForKeypad())
        return false;
    Keypad keypad;
    if (!readKeypad(&keypad, nullptr))
        return false;
    KeyboardData model;
    loadInto(model, keypad.read);
    *out = ProfileFiles::keypadProfile(model, keypad.device);
    return true;
}

int ProfileCli::exportProfile(const QString &path)
{
    ProfileData profile;
    if (!readKeypadProfile(&profile))
        return DeviceFailure;
    QString error;
    if (!ProfileFiles::write(path, profile, &error)) {
        fail(QStringLiteral("Error: %1").arg(error));
        return BadFileOrUsage;
    }
    say(QStringLiteral("Profile written to %1").arg(path));
    return Success;
}

int ProfileCli::importProfile(const QString &path)
{
    // The file is checked whole before the keypad is touched: a bad file changes nothing.
    ProfileData profile;
    QString error;
    if (!Profile::readFile(path, &profile, &error)) {
        fail(QStringLiteral("Error: profile refused: %1").arg(error));
        return BadFileOrUsage;
    }
    say(QStringLiteral("Profile %1 read (made on: %2)").arg(path, profile.device.describe()));
    if (!waitForKeypad())
        return DeviceFailure;
    Keypad keypad;
    if (!readKeypad(&keypad, nullptr))
        return DeviceFailure;

    KeyboardData model;
    loadInto(model, keypad.read);
    const ProfileImportResult applied = Profile::apply(profile, keypad.device, model);
    if (!applied.ok) {
        fail(QStringLiteral("Error: profile refused: %1").arg(applied.error));
        return BadFileOrUsage;
    }
    for (const QString &item : applied.notFitted)
        say(QStringLiteral("Not imported (this keypad cannot hold it): %1").arg(item));

    if (!model.hasUnsavedChanges()) {
        say(QStringLiteral("The keypad already holds this profile; nothing to write"));
    } else {
        say(QStringLiteral("Writing %1 and %2 to the keypad...")
                .arg(plural(applied.keysChanged, "key", "keys"),
                     plural(applied.lightingChanged, "lighting layer", "lighting layers")));
        const QMetaObject::Connection progress = connect(
            m_hid, &HIDManager::progressUpdated, this, [this](int current, int total, const QString &msg) {
                say(QStringLiteral("  [%1/%2] %3").arg(current).arg(total).arg(msg));
            });
        const bool written = save(model, keypad);
        disconnect(progress);
        if (!written) {
            fail(QStringLiteral("Error: writing to the keypad failed; the keypad may hold part of the profile"));
            return DeviceFailure;
        }
    }

    // The keypad's own word is not enough: read it back and compare, so a write it
    // acknowledged but did not keep is caught.
    Keypad after;
    if (!readKeypad(&after, &keypad))
        return DeviceFailure;
    const QStringList diffs = Profile::differences(profile, keypad.device, after.read.layers,
                                                   after.read.ledConfigs);
    if (!diffs.isEmpty()) {
        for (const QString &d : diffs)
            fail(QStringLiteral("  differs: %1").arg(d));
        fail(QStringLiteral("Error: verification failed: the keypad does not hold %1 of the profile")
                 .arg(plural(diffs.size(), "item", "items")));
        return DeviceFailure;
    }
    say(QStringLiteral("Profile imported and verified: %1 and %2 changed%3")
            .arg(plural(applied.keysChanged, "key", "keys"),
                 plural(applied.lightingChanged, "lighting layer", "lighting layers"),
                 applied.notFitted.isEmpty()
                     ? QString()
                     : QStringLiteral(", %1 not imported").arg(applied.notFitted.size())));
    return Success;
}
