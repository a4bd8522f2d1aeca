#include "i18n/uitext.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "model/keynames.h"
#include "pages/basekeystable.h"
#include "pages/pagekeytables.h"
#include "sim/demokeypads.h"
#include "support/devicefixture.h"
#include "support/windowharness.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QSet>
#include <QStackedWidget>
#include <QTextEdit>
#include <QtTest>

using UiText::Language;

class TstUiText : public QObject
{
    Q_OBJECT
private slots:
    void tableShape();
    void lookup_data();
    void lookup();
    void everyTextRoundTrips();
    void currentLanguageFollowsSetting();
    void chineseWindowShowsNoEnglish_data();
    void chineseWindowShowsNoEnglish();
    void cleanup() { testsupport::resetDeviceLink(); }
};

void TstUiText::tableShape()
{
    const auto &table = UiText::pairs();
    QCOMPARE(table.size(), 139);

    QSet<QString> english;
    QHash<QString, QString> chineseOf;
    for (const auto &p : table) {
        QVERIFY2(!p.first.isEmpty() && !p.second.isEmpty(), qPrintable(p.first));
        english.insert(p.first);
        // A repeated English text must translate the same way every time.
        if (chineseOf.contains(p.first))
            QCOMPARE(p.second, chineseOf.value(p.first));
        chineseOf.insert(p.first, p.second);
    }
    QCOMPARE(english.size(), 134);
    for (const char *dup : {"Left Swipe", "Right Swipe", "Up Swipe", "Down Swipe", "Like"}) {
        int n = 0;
        for (const auto &p : table)
            n += p.first == QLatin1String(dup);
        QCOMPARE(n, 2);
    }
    QCOMPARE(table.first().first, QStringLiteral("Connect the device with a usb cable"));
    QCOMPARE(table.last().first, QStringLiteral("Deselect"));

    // Distinct English texts need distinct Chinese ones, or the way back to English would
    // land on the wrong text.
    QSet<QString> chinese;
    for (auto it = chineseOf.cbegin(); it != chineseOf.cend(); ++it) {
        QVERIFY2(!chinese.contains(it.value()), qPrintable(it.key()));
        chinese.insert(it.value());
    }
}

void TstUiText::lookup_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("toChinese");
    QTest::addColumn<QString>("expected");

    auto both = [](const char *tag, const QString &en, const QString &zh) {
        QTest::newRow((QByteArray(tag) + " en->zh").constData()) << en << true << zh;
        QTest::newRow((QByteArray(tag) + " zh->en").constData()) << zh << false << en;
    };
    both("connect", QStringLiteral("Connect the device with a usb cable"),
         QStringLiteral("请用USB线连接设备"));
    both("connected", QStringLiteral("Device connected"), QStringLiteral("设备已连接"));
    both("saved", QStringLiteral("Saved successfully"), QStringLiteral("保存成功"));
    both("display", QStringLiteral("Key Function Display Area"), QStringLiteral("按键功能显示区"));
    both("clear", QStringLiteral("Clear"), QStringLiteral("清除"));
    both("clearall", QStringLiteral("Clear All"), QStringLiteral("清除全部"));
    both("view", QStringLiteral("View Settings"), QStringLiteral("查看配置"));
    both("save", QStringLiteral("Save Settings"), QStringLiteral("保存设置"));
    both("basekeys", QStringLiteral("BaseKeys"), QStringLiteral("基础按键"));
    both("layer1", QStringLiteral("LAYER 1"), QStringLiteral("第1层"));
    both("lcmd", QStringLiteral("Left\nCommand"), QStringLiteral("左\nCommand"));
    both("switchcolor", QStringLiteral("Switch Between Previous and Current Color"),
         QStringLiteral("切换上一个\n当前颜色"));
    both("wheelup", QStringLiteral("Mouse Wheel Up"), QStringLiteral("鼠标滚轮向上"));
    both("steady", QStringLiteral("Steady Light"), QStringLiteral("灯光常量"));
    both("colorpickm", QStringLiteral("Color Pick M (iOS 17)"), QStringLiteral("取色M(iOS 17)"));
    both("mute", QStringLiteral("Mute"), QStringLiteral("静音"));

    // Texts without a pair, and texts already in the target language, stay as they are.
    QTest::newRow("procreate zh") << QStringLiteral("Procreate") << true << QStringLiteral("Procreate");
    QTest::newRow("procreate en") << QStringLiteral("Procreate") << false << QStringLiteral("Procreate");
    QTest::newRow("esc zh") << QStringLiteral("Esc") << true << QStringLiteral("Esc");
    QTest::newRow("english in en") << QStringLiteral("Clear") << false << QStringLiteral("Clear");
    QTest::newRow("chinese in zh") << QStringLiteral("清除") << true << QStringLiteral("清除");
    QTest::newRow("case matters") << QStringLiteral("clear") << true << QStringLiteral("clear");
    QTest::newRow("no trimming") << QStringLiteral("Clear ") << true << QStringLiteral("Clear ");
    QTest::newRow("empty") << QString() << true << QString();
}

void TstUiText::lookup()
{
    QFETCH(QString, input);
    QFETCH(bool, toChinese);
    QFETCH(QString, expected);
    QCOMPARE(UiText::text(input, toChinese ? Language::Chinese : Language::English), expected);
}

void TstUiText::everyTextRoundTrips()
{
    for (const auto &p : UiText::pairs() + UiText::addedPairs() + UiText::sheetPairs()) {
        const QString zh = UiText::text(p.first, Language::Chinese);
        QCOMPARE(zh, p.second);
        QCOMPARE(UiText::text(zh, Language::English), p.first);
    }
}

void TstUiText::currentLanguageFollowsSetting()
{
    UiText::setLanguage(Language::Chinese);
    QCOMPARE(UiText::language(), Language::Chinese);
    QCOMPARE(UiText::text(QStringLiteral("Save Settings")), QStringLiteral("保存设置"));
    UiText::setLanguage(Language::English);
    QCOMPARE(UiText::text(QStringLiteral("保存设置")), QStringLiteral("Save Settings"));
    QCOMPARE(UiText::text(QStringLiteral("Save Settings")), QStringLiteral("Save Settings"));
}

void TstUiText::chineseWindowShowsNoEnglish_data()
{
    QTest::addColumn<QString>("keypad");
    QTest::newRow("current") << "16k3e";
    QTest::newRow("R10Udav") << "r10udav";
    QTest::newRow("Old") << "old";
}

// In Chinese mode every text of the window comes from the table. The only Latin words left
// are key names (as the key caps and naming tables spell them), the Procreate and program
// names, and units.
void TstUiText::chineseWindowShowsNoEnglish()
{
    QFETCH(QString, keypad);
    initKnobResources();
    QSet<QString> allowed = {QStringLiteral("procreate"), QStringLiteral("macropad"),
                             QStringLiteral("studio"), QStringLiteral("rgb"), QStringLiteral("led"),
                             QStringLiteral("usb"), QStringLiteral("udev")};
    auto allow = [&](const QString &name) {
        for (const QString &word : name.split(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), Qt::SkipEmptyParts))
            allowed.insert(word.toLower());
    };
    for (int u = 0; u < 256; ++u)
        allow(keyName(quint8(u)));
    for (const auto &row : baseKeyRows())
        for (const BaseKeyCap &cap : row)
            allow(cap.text);
    for (const auto &p : UiText::pairs() + UiText::addedPairs())
        allow(p.second); // Chinese texts that keep a Latin word ("Ctrl+滚轮向上", "左\nCommand")

    QVERIFY(sim::installDemoKeypad({QStringLiteral("demo"), QStringLiteral("--keypad"), keypad,
                                    QStringLiteral("--latency"), QStringLiteral("0")}));
    Widget w(testsupport::configFrom("language=ch"));
    w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(QTest::qWaitFor([&] { return w.isDeviceConnected() && !w.isDeviceTaskRunning(); }, 10000));
    QVERIFY2(w.windowTitle().startsWith(QStringLiteral("Macropad Studio \u2014 ")), qPrintable(w.windowTitle()));
    // A macro key selected: the macro page shows its blocks, the delay pages their entries.
    const KeyboardData *model = w.keyboardData();
    int macroKey = 0;
    for (int d = 0; d < KeyboardData::KEYS_PER_LAYER; ++d)
        if (const KeyData *k = model->keyDataAt(model->currentLayer(), d); k && k->type == KeyType::Macro) {
            macroKey = d;
            break;
        }
    w.selectButton(w.buttonIndexFromDataIndex(macroKey));

    QStringList english;
    auto check = [&](const QString &text, const QString &where) {
        const auto words = text.split(QRegularExpression(QStringLiteral("[^A-Za-z]+")), Qt::SkipEmptyParts);
        for (const QString &word : words)
            if (!allowed.contains(word.toLower())) {
                english << QStringLiteral("%1: \"%2\"").arg(where, QString(text).replace('\n', '|'));
                break;
            }
    };
    for (int row = 0; row < w.functionList()->count(); ++row) {
        w.functionList()->setCurrentRow(row);
        QCoreApplication::processEvents();
        const QString where = QStringLiteral("row %1").arg(row);
        check(w.windowTitle(), QStringLiteral("title"));
        for (int i = 0; i < w.functionList()->count(); ++i)
            check(w.functionList()->item(i)->text(), QStringLiteral("page list"));
        for (QWidget *child : w.findChildren<QWidget *>()) {
            if (!child->isVisible())
                continue;
            if (auto *l = qobject_cast<QLabel *>(child))
                check(l->text(), where + QStringLiteral(" label"));
            else if (auto *b = qobject_cast<QAbstractButton *>(child))
                check(b->text(), where + QStringLiteral(" button"));
            else if (auto *g = qobject_cast<QGroupBox *>(child))
                check(g->title(), where + QStringLiteral(" group"));
            else if (auto *t = qobject_cast<QTextEdit *>(child))
                check(t->toPlainText().isEmpty() ? t->placeholderText() : t->toPlainText(), where + QStringLiteral(" display"));
        }
    }
    english.removeDuplicates();
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TstUiText)
#include "tst_uitext.moc"
