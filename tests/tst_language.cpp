#include "app/appconfig.h"
#include "app/startupsettings.h"
#include "app/widget.h"
#include "i18n/uitext.h"
#include "sim/demokeypads.h"
#include "support/devicefixture.h"
#include "support/hostilefiles.h"
#include "support/logcapture.h"
#include "support/windowharness.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

using testsupport::configFrom;
using testsupport::spinUntil;

// Where the language and layer count come from, and the window's language switch.
class TstLanguage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup() { testsupport::resetDeviceLink(); }
    void settingsOrder_data();
    void settingsOrder();
    void pipeAsUserSettingsIsPassedOver();
    void switchRetranslatesEveryPageAndIsRemembered();
};

void TstLanguage::initTestCase()
{
    // The user's settings go to a test folder, not the real one.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("macropad-studio-tests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_language"));
}

void TstLanguage::init()
{
    QSettings().clear();
    UiText::setLanguage(UiText::Language::English);
}

void TstLanguage::settingsOrder_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("configIni"); // empty: no file
    QTest::addColumn<QString>("userLanguage"); // empty: not set
    QTest::addColumn<QString>("userLayers");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected"); // "zh/ConfigFile 2/UserSettings"

    QTest::newRow("nothing anywhere") << "" << QByteArray() << "" << "" << "en_US" << "en/Locale -1/Default";
    QTest::newRow("chinese desktop") << "" << QByteArray() << "" << "" << "zh_CN" << "zh/Locale -1/Default";
    QTest::newRow("taiwanese desktop") << "" << QByteArray() << "" << "" << "zh_TW" << "zh/Locale -1/Default";
    QTest::newRow("user over locale") << "" << QByteArray() << "en" << "2" << "zh_CN" << "en/UserSettings 2/UserSettings";
    QTest::newRow("user zh") << "" << QByteArray() << "zh" << "0" << "de_DE" << "zh/UserSettings 0/UserSettings";
    QTest::newRow("config over user") << "" << QByteArray("language=ch\nlayernum=1\n") << "en" << "2" << "en_US"
                                      << "zh/ConfigFile 1/ConfigFile";
    QTest::newRow("config en over user zh") << "" << QByteArray("language=en\n") << "zh" << "" << "zh_CN"
                                            << "en/ConfigFile -1/Default";
    QTest::newRow("config without language") << "" << QByteArray("layernum=0\n") << "zh" << "3" << "en_US"
                                             << "zh/UserSettings 0/ConfigFile";
    QTest::newRow("config with a bad language") << "" << QByteArray("language=fr\n") << "" << "" << "zh_CN"
                                                << "zh/Locale -1/Default";
    QTest::newRow("command line over all") << "en" << QByteArray("language=ch\n") << "zh" << "" << "zh_CN"
                                           << "en/CommandLine -1/Default";
    QTest::newRow("bad user values") << "" << QByteArray() << "fr" << "7" << "en_GB" << "en/Locale -1/Default";
}

void TstLanguage::settingsOrder()
{
    QFETCH(QString, option);
    QFETCH(QByteArray, configIni);
    QFETCH(QString, userLanguage);
    QFETCH(QString, userLayers);
    QFETCH(QString, locale);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    if (!configIni.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(configIni);
    }
    QSettings user;
    if (!userLanguage.isEmpty())
        user.setValue(StartupSettings::LANGUAGE_KEY, userLanguage);
    if (!userLayers.isEmpty())
        user.setValue(StartupSettings::LAYER_COUNT_KEY, userLayers);

    const StartupSettings s = StartupSettings::resolve(option, path, user, QLocale(locale));
    const auto name = [](StartupSettings::Source src) {
        static const QStringList names{"CommandLine", "ConfigFile", "UserSettings", "Locale", "Default"};
        return names.at(int(src));
    };
    QCOMPARE(QStringLiteral("%1/%2 %3/%4")
                 .arg(s.chinese() ? "zh" : "en", name(s.languageSource()))
                 .arg(s.layerCount())
                 .arg(name(s.layerCountSource())),
             expected);
    QCOMPARE(s.hasLayerCount(), s.layerCount() >= 0);
}

void TstLanguage::pipeAsUserSettingsIsPassedOver()
{
    if (QFileInfo::exists(AppConfig::defaultPath()))
        QSKIP("a Config.ini lies beside the test program");
    // The file this program looks at is the one QSettings keeps.
    const QString path = StartupSettings::userSettingsPath();
    QCOMPARE(path, QSettings().fileName());
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile::remove(path);
    testsupport::NamedPipe pipe(path);
    QVERIFY(pipe.ok());
    const QString node = testsupport::HostileFiles::nodeAt(path);

    testsupport::LogCapture log;
    QElapsedTimer t;
    t.start();
    {
        Widget w; // reads the settings as the program's start does
        QVERIFY2(t.elapsed() < 4000, qPrintable(QString::number(t.elapsed())));
    }
    // No settings, then: the next source decides.
    QCOMPARE(StartupSettings::resolve().languageSource(), StartupSettings::Source::Locale);
    // The language switch neither waits on it nor puts a file in its place.
    StartupSettings::rememberLanguage(true);
    QVERIFY2(t.elapsed() < 4000, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(testsupport::HostileFiles::nodeAt(path), node);
    QVERIFY(log.contains(QStringLiteral("Settings: %1 ignored: a pipe, not a file").arg(path)));
}

namespace {

// Every text the window shows or offers: buttons, labels, tooltips, the page list, the key
// function display. Sorted: raising a widget reorders its siblings.
QStringList textsOf(Widget &w)
{
    QStringList out;
    const auto widgets = w.findChildren<QWidget *>();
    for (QWidget *c : widgets) {
        if (auto *b = qobject_cast<QAbstractButton *>(c))
            out << b->text();
        else if (auto *l = qobject_cast<QLabel *>(c))
            out << l->text();
        if (!c->toolTip().isEmpty())
            out << c->toolTip();
    }
    for (int i = 0; i < w.functionList()->count(); ++i)
        out << w.functionList()->item(i)->text();
    out << w.keyFunctionDisplay()->placeholderText() << w.keyFunctionDisplay()->toPlainText();
    out.sort();
    return out;
}

// Connects the window to the demo's keypad with its lived-in configuration and selects a
// macro key (its caption has the most parts).
bool connectDemoKeypad(Widget &w)
{
    if (!sim::installDemoKeypad({}))
        return false;
    const bool loaded = spinUntil([&] {
        return w.isDeviceConnected() && !w.isDeviceTaskRunning() && !w.buttonAt(0)->text().isEmpty();
    }, 8000);
    w.selectButton(8);
    return loaded;
}

// The texts with each page of the list in view in turn.
QVector<QStringList> textsOnEveryPage(Widget &w)
{
    // Pages are built when first shown: every one is there before the texts are taken.
    for (int row = 0; row < w.functionList()->count(); ++row)
        w.functionList()->setCurrentRow(row);
    QVector<QStringList> pages;
    for (int row = 0; row < w.functionList()->count(); ++row) {
        if (w.functionList()->item(row)->isHidden())
            continue;
        w.functionList()->setCurrentRow(row);
        pages << textsOf(w);
    }
    return pages;
}

} // namespace

void TstLanguage::switchRetranslatesEveryPageAndIsRemembered()
{
    // What a window started in Chinese shows, page by page.
    QVector<QStringList> chinese;
    {
        Widget w(configFrom("language=ch\n"));
        w.show();
        QVERIFY(connectDemoKeypad(w));
        chinese = textsOnEveryPage(w);
        QVERIFY(chinese.size() >= 6);
        testsupport::resetDeviceLink();
    }
    UiText::setLanguage(UiText::Language::English);

    Widget w(configFrom(""));
    w.show();
    QVERIFY(connectDemoKeypad(w));
    const QVector<QStringList> english = textsOnEveryPage(w);
    QCOMPARE(english.size(), chinese.size());
    QVERIFY(english.first().contains(QStringLiteral("Save Settings")));
    QVERIFY(chinese.first().contains(QStringLiteral("保存设置")));
    QComboBox *languageSwitch = w.languageSwitch();
    QVERIFY(languageSwitch);
    QCOMPARE(languageSwitch->currentText(), QStringLiteral("English"));

    // The user picks 中文: every page at once shows what the Chinese start showed.
    QTest::keyClick(languageSwitch, Qt::Key_Down);
    QVERIFY(w.isChinese());
    QCOMPARE(languageSwitch->currentText(), QStringLiteral("中文"));
    w.functionList()->setCurrentRow(0);
    QCOMPARE(textsOf(w), chinese.first());
    QCOMPARE(w.statusLabel()->text(), QStringLiteral("设备已连接"));
    QCOMPARE(textsOnEveryPage(w), chinese);

    // Remembered for the user's next start, not written into Config.ini.
    QSettings user;
    QCOMPARE(user.value(StartupSettings::LANGUAGE_KEY).toString(), QStringLiteral("zh"));
    const StartupSettings next = StartupSettings::resolve(QString(), QStringLiteral("/nonexistent/Config.ini"), user,
                                                          QLocale(QStringLiteral("en_US")));
    QVERIFY(next.chinese());
    QCOMPARE(next.languageSource(), StartupSettings::Source::UserSettings);

    // And back.
    QTest::keyClick(languageSwitch, Qt::Key_Up);
    QVERIFY(!w.isChinese());
    QCOMPARE(textsOnEveryPage(w), english);
    QCOMPARE(QSettings().value(StartupSettings::LANGUAGE_KEY).toString(), QStringLiteral("en"));
}

QTEST_MAIN(TstLanguage)
#include "tst_language.moc"
