#include "app/startupsettings.h"

#include "app/appconfig.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QSettings>

const QString StartupSettings::LANGUAGE_KEY = QStringLiteral("language");
const QString StartupSettings::LAYER_COUNT_KEY = QStringLiteral("layernum");

namespace {

// -1 for a missing or unusable value.
int userLayerCount(const QSettings &user)
{
    bool ok = false;
    const int n = user.value(StartupSettings::LAYER_COUNT_KEY).toString().trimmed().toInt(&ok, 10);
    return ok && n >= 0 && n <= 3 ? n : -1;
}

// 1 Chinese, 0 English, -1 missing or unusable. "ch" is what Config.ini spells.
int userLanguage(const QSettings &user)
{
    const QString v = user.value(StartupSettings::LANGUAGE_KEY).toString().trimmed().toLower();
    if (v == QLatin1String("zh") || v == QLatin1String("ch"))
        return 1;
    if (v == QLatin1String("en"))
        return 0;
    return -1;
}

} // namespace

StartupSettings StartupSettings::resolve(const QString &languageOption, const QString &configPath,
                                         const QSettings &user, const QLocale &locale)
{
    StartupSettings s;

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
    } else if (userLanguage(user) >= 0) {
        s.m_chinese = userLanguage(user) == 1;
        s.m_languageSource = Source::UserSettings;
    } else {
        s.m_chinese = locale.language() == QLocale::Chinese;
        s.m_languageSource = Source::Locale;
    }

    if (file.hasLayerCount()) {
        s.m_layerCount = file.layerCount();
        s.m_layerCountSource = Source::ConfigFile;
    } else if (userLayerCount(user) >= 0) {
        s.m_layerCount = userLayerCount(user);
        s.m_layerCountSource = Source::UserSettings;
    }

    qCDebug(lcWindow).noquote().nospace() << "Settings: language " << (s.m_chinese ? "zh" : "en") << " from "
                                          << sourceName(s.m_languageSource) << ", layer count "
                                          << s.m_layerCount << " from " << sourceName(s.m_layerCountSource);
    return s;
}

StartupSettings StartupSettings::resolve(const QString &languageOption)
{
    const QSettings user;
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
    QSettings user;
    rememberLanguage(user, chinese);
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
