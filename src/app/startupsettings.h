#pragma once

#include <QLocale>
#include <QString>

class AppConfig;
class QSettings;
class QVariant;

// The language and layer count a start uses, each from the first source that has it:
// 1. the command line (--language; language only);
// 2. Config.ini beside the executable (installations and stored set-ups rely on it);
// 3. the user's own settings (QSettings in the platform's per-user configuration folder,
//    where the window's language switch keeps its choice; read, like Config.ini, only from
//    a regular file of a settings file's size);
// 4. the system locale (language only: Chinese for zh locales), else English and the
//    default of three layer buttons.
class StartupSettings
{
public:
    enum class Source { CommandLine, ConfigFile, UserSettings, Locale, Default };

    // Keys of the per-user settings; the language values are "en" and "zh".
    static const QString LANGUAGE_KEY;   // "language"
    static const QString LAYER_COUNT_KEY; // "layernum", 0..3
    static const QString KEYPAD_KEY;     // "keypad": the identity of the keypad chosen last

    // `languageOption` is "en", "zh" or empty.
    static StartupSettings resolve(const QString &languageOption, const QString &configPath,
                                   const QSettings &user, const QLocale &locale);
    // The same with Config.ini beside the executable, the default QSettings and the system
    // locale.
    static StartupSettings resolve(const QString &languageOption = QString());
    // Settings taken from a Config.ini alone (the file decides, defaults elsewhere).
    static StartupSettings fromConfig(const AppConfig &config);

    bool chinese() const { return m_chinese; }
    Source languageSource() const { return m_languageSource; }
    bool hasLayerCount() const { return m_layerCount >= 0; }
    int layerCount() const { return m_layerCount; } // -1 when not forced
    Source layerCountSource() const { return m_layerCountSource; }

    // Keeps the language chosen in the window for the user's next start.
    static void rememberLanguage(QSettings &user, bool chinese);
    static void rememberLanguage(bool chinese); // in the user's settings file
    // The keypad chosen in the window when several were plugged, for the user's next start;
    // empty when none was chosen (or the settings cannot be read).
    static void rememberKeypad(const QString &identity);
    static QString rememberedKeypad();

    // The user's settings file where QSettings keeps it as a file of its own
    // (~/.config/<organization>/<application>.conf on Linux); empty elsewhere.
    static QString userSettingsPath();

    static QString sourceName(Source source);

private:
    static StartupSettings resolveWith(const QString &languageOption, const QString &configPath,
                                       const QVariant &userLanguage, const QVariant &userLayerCount,
                                       const QLocale &locale);

    bool m_chinese = false;
    Source m_languageSource = Source::Default;
    int m_layerCount = -1;
    Source m_layerCountSource = Source::Default;
};
