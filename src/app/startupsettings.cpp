#include "app/startupsettings.h"

#include "app/appconfig.h"
#include "model/boundedfile.h"
#include "model/logcategories.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

const QString StartupSettings::LANGUAGE_KEY = QStringLiteral("language");
const QString StartupSettings::KEYPAD_KEY = QStringLiteral("keypad");
const QString StartupSettings::LAYER_COUNT_KEY = QStringLiteral("layernum");

namespace {

// -1 for a missing or unusable value.
int userLayerCount(const QVariant &value)
{
    bool ok = false;
    const int n = value.toString().trimmed().toInt(&ok, 10);
    return ok && n >= 0 && n <= 3 ? n : -1;
}

// 1 Chinese, 0 English, -1 missing or unusable. "ch" is what Config.ini spells.
int userLanguage(const QVariant &value)
{
    const QString v = value.toString().trimmed().toLower();
    if (v == QLatin1String("zh") || v == QLatin1String("ch"))
        return 1;
    if (v == QLatin1String("en"))
        return 0;
    return -1;
}

// True when QSettings may open the user's file: a regular file of a settings file's size, or
// none yet. QSettings itself would open a pipe put there and wait for a writer, with the
// window not yet shown (or, from the language switch, frozen).
bool userFileUsable(const QString &path)
{
    QByteArray bytes;
    QString problem;
    const BoundedFile::Outcome outcome =
        BoundedFile::read(path, AppConfig::MAX_FILE_BYTES, QStringLiteral("a settings file"), &bytes, &problem);
    if (outcome == BoundedFile::Read || (outcome == BoundedFile::CannotOpen && !QFileInfo::exists(path)))
        return true;
    qCDebug(lcWindow).noquote() << QStringLiteral("Settings: %1 ignored: %2").arg(path, problem);
    return false;
}

} // namespace

StartupSettings StartupSettings::resolve(const QString &languageOption, const QString &configPath,
                                         const QSettings &user, const QLocale &locale)
{
    return resolveWith(languageOption, configPath, user.value(LANGUAGE_KEY), user.value(LAYER_COUNT_KEY),
                       locale);
}

StartupSettings StartupSettings::resolveWith(const QString &languageOption, const QString &configPath,
                                             const QVariant &userLanguageValue,
                                             const QVariant &userLayerCountValue, const QLocale &locale)
{
    StartupSettings s;
    const int userChinese = userLanguage(userLanguageValue);
    const int userLayers = userLayerCount(userLayerCountValue);

    AppConfig file;
    const bool haveFile = file.load(configPath);
    // AppConfig lays what the file says over what it already holds, and keeps English when
    // the file is silent. A second reading over Chinese tells whether the file names a
    // language at all: only then do both readings agree.
    bool fileNamesLanguage = false;
    if (haveFile) {
        AppConfig overChinese;
        overChinese.parse(QByteArrayLiteral("language=ch\n"));
        fileNamesLanguage = overChinese.load(configPath) && overChinese.chinese() == file.chinese();
    }

    if (languageOption == QLatin1String("zh") || languageOption == QLatin1String("en")) {
        s.m_chinese = languageOption == QLatin1String("zh");
        s.m_languageSource = Source::CommandLine;
    } else if (fileNamesLanguage) {
        s.m_chinese = file.chinese();
        s.m_languageSource = Source::ConfigFile;
    } else if (userChinese >= 0) {
        s.m_chinese = userChinese == 1;
        s.m_languageSource = Source::UserSettings;
    } else {
        s.m_chinese = locale.language() == QLocale::Chinese;
        s.m_languageSource = Source::Locale;
    }

    if (file.hasLayerCount()) {
        s.m_layerCount = file.layerCount();
        s.m_layerCountSource = Source::ConfigFile;
    } else if (userLayers >= 0) {
        s.m_layerCount = userLayers;
        s.m_layerCountSource = Source::UserSettings;
    }

    qCDebug(lcWindow).noquote().nospace() << "Settings: language " << (s.m_chinese ? "zh" : "en") << " from "
                                          << sourceName(s.m_languageSource) << ", layer count "
                                          << s.m_layerCount << " from " << sourceName(s.m_layerCountSource);
    return s;
}

StartupSettings StartupSettings::resolve(const QString &languageOption)
{
    const QString path = userSettingsPath();
    if (path.isEmpty()) {
        const QSettings user;
        return resolve(languageOption, AppConfig::defaultPath(), user, QLocale::system());
    }
    // A refused file counts as no settings: the start goes on with the next source.
    if (!userFileUsable(path))
        return resolveWith(languageOption, AppConfig::defaultPath(), QVariant(), QVariant(), QLocale::system());
    // That one file only; QSettings() would also read system-wide and organization-wide
    // files, which this program never writes.
    const QSettings user(path, QSettings::IniFormat);
    return resolve(languageOption, AppConfig::defaultPath(), user, QLocale::system());
}

StartupSettings StartupSettings::fromConfig(const AppConfig &config)
{
    StartupSettings s;
    s.m_chinese = config.chinese();
    s.m_languageSource = Source::ConfigFile;
    if (config.hasLayerCount()) {
        s.m_layerCount = config.layerCount();
        s.m_layerCountSource = Source::ConfigFile;
    }
    return s;
}

void StartupSettings::rememberLanguage(QSettings &user, bool chinese)
{
    user.setValue(LANGUAGE_KEY, chinese ? QStringLiteral("zh") : QStringLiteral("en"));
    user.sync();
}

void StartupSettings::rememberLanguage(bool chinese)
{
    const QString path = userSettingsPath();
    if (path.isEmpty()) {
        QSettings user;
        rememberLanguage(user, chinese);
        return;
    }
    // What cannot be read is not written over either: the choice holds for this run.
    if (!userFileUsable(path))
        return;
    QSettings user(path, QSettings::IniFormat);
    rememberLanguage(user, chinese);
}

void StartupSettings::rememberKeypad(const QString &identity)
{
    const QString path = userSettingsPath();
    if (path.isEmpty()) {
        QSettings user;
        user.setValue(KEYPAD_KEY, identity);
        return;
    }
    if (!userFileUsable(path))
        return;
    QSettings user(path, QSettings::IniFormat);
    user.setValue(KEYPAD_KEY, identity);
    user.sync();
}

QString StartupSettings::rememberedKeypad()
{
    const QString path = userSettingsPath();
    if (path.isEmpty())
        return QSettings().value(KEYPAD_KEY).toString();
    if (!userFileUsable(path))
        return QString();
    return QSettings(path, QSettings::IniFormat).value(KEYPAD_KEY).toString().left(300);
}

QString StartupSettings::userSettingsPath()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Where QSettings keeps an application's settings on these systems.
    QString organization = QCoreApplication::organizationName();
    if (organization.isEmpty())
        organization = QStringLiteral("Unknown Organization");
    return QStringLiteral("%1/%2/%3.conf")
        .arg(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), organization,
             QCoreApplication::applicationName());
#else
    return QString();
#endif
}

QString StartupSettings::sourceName(Source source)
{
    switch (source) {
    case Source::CommandLine:
        return QStringLiteral("the command line");
    case Source::ConfigFile:
        return QStringLiteral("Config.ini");
    case Source::UserSettings:
        return QStringLiteral("the user settings");
    case Source::Locale:
        return QStringLiteral("the system locale");
    case Source::Default:
        break;
    }
    return QStringLiteral("the default");
}
