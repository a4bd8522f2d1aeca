// The printed layout sheet: what a PDF page says when read back from the file (every
// function whole, the header, in both languages), one SVG and one PNG per layer that parse
// back, the sheet of a saved profile equal to the sheet of the keypad it came from, and the
// window's sheet carrying an unsaved edit with the warning.
#include "app/keycaptions.h"
#include "app/layoutsheet.h"
#include "app/profilecli.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "device/hidmanager.h"
#include "model/keyboarddata.h"
#include "sim/currentfirmware.h"
#include "sim/demokeypads.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/windowharness.h"

#include <QDir>
#include <QFontDatabase>
#include <QImage>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

namespace {

KeyData macro(const QByteArray &letters)
{
    QVector<MacroStepData> steps;
    for (char c : letters) {
        const quint8 usage = quint8(0x04 + (c - 'a'));
        steps << MacroStepData{0, usage, 10} << MacroStepData{1, usage, 10};
    }
    KeyData k;
    k.setMacro(steps);
    return k;
}

// A keypad with 16 keys and 3 knobs whose layers hold every kind of function, one macro too
// long for any key among them.
ProfileData sampleProfile(int layerCount)
{
    ProfileData p;
    DeviceInfo info;
    info.valid = true;
    info.keyCount = 16;
    info.encoderCount = 3;
    info.layerCount = quint8(layerCount);
    p.device = ProfileDevice::fromDeviceInfo(info);
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l) {
        QVector<KeyData> &keys = p.layers[l];
        keys[0].setBasicKey(quint8(0x04 + l));
        keys[1].setCombination(0x03, QByteArray(1, char(0x16))); // LCtrl + LShift + S
        keys[2].setMultimedia(0x00E2);
        keys[3].setMouseAction(0);
        keys[4].setMacro(macro("hi").macroSteps);
        keys[5] = macro("thequickbrownfoxjumpsoverthelazy"); // 64 steps
        keys[16].setMultimedia(0x00EA);
        keys[17].setMultimedia(0x00E9);
        keys[18].setBasicKey(0x28);
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k)
            p.keyPresent[l][k] = true;
        p.ledPresent[l] = true;
    }
    return p;
}

bool hasPdfToText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

// The text of each page as a PDF reader extracts it from the file.
QStringList pdfPages(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// Line breaks fall where the key's width puts them: compare without any white space.
QString squeezed(const QString &text)
{
    QString out;
    for (const QChar c : text)
        if (!c.isSpace())
            out += c;
    return out;
}

QString fullText(const KeyData &key, UiText::Language language)
{
    return KeyCaptions::plainText(KeyCaptions::caption(key, KeyCaptions::Form::Full, KeyCaptions::Page::Other,
                                                       language, QStringLiteral("Layout_16K_3E_P0_S0")));
}

} // namespace

class TstLayoutSheet : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        testsupport::resetDeviceLink();
    }
    void pdfPagesHoldEveryFunction_data();
    void pdfPagesHoldEveryFunction();
    void svgAndPngOneFilePerLayer();
    void profileSheetEqualsKeypadSheet();
    void windowSheetShowsUnsavedEdit();
};

void TstLayoutSheet::pdfPagesHoldEveryFunction_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<int>("layers");
    QTest::newRow("english, 3 layers") << false << 3;
    QTest::newRow("chinese, 3 layers") << true << 3;
    QTest::newRow("single layer") << false << 1;
}

void TstLayoutSheet::pdfPagesHoldEveryFunction()
{
    QFETCH(bool, chinese);
    QFETCH(int, layers);
    if (!hasPdfToText())
        QSKIP("pdftotext (poppler-utils) is not installed");
    if (chinese && QFontDatabase().families(QFontDatabase::SimplifiedChinese).isEmpty())
        QSKIP("no Chinese font installed");
    const UiText::Language language = chinese ? UiText::Language::Chinese : UiText::Language::English;
    const ProfileData profile = sampleProfile(layers);
    LayoutSheetData data = LayoutSheetData::fromProfile(profile, language);
    data.date = QDate(2026, 3, 14);
    data.unsaved = true;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sheet.pdf"));
    QStringList written;
    QString error;
    QVERIFY2(LayoutSheet(data, LayoutSheet::Paper::A4).write(path, &written, &error), qPrintable(error));
    QCOMPARE(written, QStringList{path});

    const QStringList pages = pdfPages(path);
    QCOMPARE(pages.size(), layers);
    for (int l = 0; l < layers; ++l) {
        const QString page = squeezed(pages.at(l));
        const QStringList header =
            chinese ? QStringList{QStringLiteral("16个按键、3个旋钮"), QStringLiteral("固件：当前协议"),
                                  QStringLiteral("第%1层（共%2层）").arg(l + 1).arg(layers),
                                  QStringLiteral("未保存到键盘")}
                    : QStringList{QStringLiteral("16 keys, 3 knobs"), QStringLiteral("Firmware: current protocol"),
                                  QStringLiteral("Layer %1 of %2").arg(l + 1).arg(layers),
                                  QStringLiteral("not saved to the keypad")};
        for (const QString &h : header + QStringList{QStringLiteral("2026-03-14")})
            QVERIFY2(page.contains(squeezed(h)), qPrintable(QStringLiteral("page %1 lacks %2:\n%3").arg(l + 1).arg(h, pages.at(l))));
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k) {
            const QString text = fullText(profile.layers[l][k], language);
            if (!text.isEmpty())
                QVERIFY2(page.contains(squeezed(text)),
                         qPrintable(QStringLiteral("page %1 lacks slot %2 \"%3\":\n%4").arg(l + 1).arg(k).arg(text, pages.at(l))));
        }
    }
    // What a user reads, not only what the caption function says.
    const QString first = squeezed(pages.first());
    QVERIFY(first.contains(chinese ? QStringLiteral("静音") : QStringLiteral("Mute")));
    QVERIFY(first.contains(squeezed(QStringLiteral("LCtrl + LShift + S"))));
    QVERIFY(first.contains(squeezed(QStringLiteral("t \u2192 h \u2192 e \u2192 q"))));
}

void TstLayoutSheet::svgAndPngOneFilePerLayer()
{
    QTemporaryDir dir;
    const LayoutSheetData data = LayoutSheetData::fromProfile(sampleProfile(3), UiText::Language::English);
    QStringList written;
    QString error;

    QVERIFY2(LayoutSheet(data).write(dir.filePath(QStringLiteral("pad.svg")), &written, &error), qPrintable(error));
    QCOMPARE(written.size(), 3);
    for (int l = 0; l < 3; ++l) {
        const QString file = dir.filePath(QStringLiteral("pad-layer%1.svg").arg(l + 1));
        QCOMPARE(written.at(l), file);
        QSvgRenderer svg(file);
        QVERIFY(svg.isValid());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString xml = QString::fromUtf8(f.readAll());
        // Real text elements, not outlines.
        QVERIFY(xml.contains(QStringLiteral("<text")));
        QVERIFY(xml.contains(QStringLiteral("Layer %1 of 3").arg(l + 1)));
    }
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("pad.svg"))));

    QVERIFY2(LayoutSheet(data, LayoutSheet::Paper::A4).write(dir.filePath(QStringLiteral("pad.png")), &written, &error),
             qPrintable(error));
    QCOMPARE(written.size(), 3);
    for (const QString &file : qAsConst(written)) {
        QImage image(file);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), QSize(2480, 3508));
        QCOMPARE(image.dotsPerMeterX(), 11811); // 300 dpi
        QCOMPARE(image.dotsPerMeterY(), 11811);
    }
    QCOMPARE(LayoutSheet(data, LayoutSheet::Paper::Letter).renderImage(0).size(), QSize(2550, 3300));
}

void TstLayoutSheet::profileSheetEqualsKeypadSheet()
{
    // Current and legacy keypads: each drawn from the keypad, then from its exported profile
    // (SVG: the same drawing gives the same bytes).
    for (const QString &keypad : {QStringLiteral("16k3e"), QStringLiteral("r10udav")}) {
        QVERIFY(sim::plugDemoKeypad(keypad) > 0);
        QTemporaryDir dir;
        ProfileCli cli;
        cli.setLineSink(nullptr);
        const QString profile = dir.filePath(QStringLiteral("p.json"));
        QCOMPARE(cli.exportSheet(dir.filePath(QStringLiteral("keypad.svg")), QString(), QStringLiteral("a4"),
                                 UiText::Language::English),
                 int(ProfileCli::Success));
        QCOMPARE(cli.exportProfile(profile), int(ProfileCli::Success));
        testsupport::resetDeviceLink(); // no keypad from here on
        QCOMPARE(cli.exportSheet(dir.filePath(QStringLiteral("file.svg")), profile, QStringLiteral("a4"),
                                 UiText::Language::English),
                 int(ProfileCli::Success));

        const QStringList fromKeypad = QDir(dir.path()).entryList({QStringLiteral("keypad-layer*.svg")});
        QCOMPARE(fromKeypad.size(), 3); // the layers the demo keypads report
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("file-layer*.svg")}).size(), fromKeypad.size());
        for (int l = 1; l <= fromKeypad.size(); ++l) {
            QFile a(dir.filePath(QStringLiteral("keypad-layer%1.svg").arg(l)));
            QFile b(dir.filePath(QStringLiteral("file-layer%1.svg").arg(l)));
            QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            const QByteArray drawn = a.readAll();
            QVERIFY(drawn.contains("<text"));
            QVERIFY2(drawn == b.readAll(), qPrintable(QStringLiteral("%1 layer %2 differs").arg(keypad).arg(l)));
        }
    }
}

void TstLayoutSheet::windowSheetShowsUnsavedEdit()
{
    if (!hasPdfToText())
        QSKIP("pdftotext (poppler-utils) is not installed");
    initKnobResources();
    Widget w(testsupport::configFrom(""));
    QTemporaryDir dir;
    QString chosen;
    w.setSheetPathChooser([&] { return chosen; });
    w.setUnsavedQuestion([](QMessageBox &) { return int(QMessageBox::Discard); });
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto fw = std::make_shared<sim::CurrentFirmware>();
    fw->fillFullConfiguration(2);
    sim::SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
    QVERIFY(testsupport::spinUntil([&] { return w.isDeviceConnected() && !w.isDeviceTaskRunning()
                                                && w.keyboardData()->keyDataAt(0, 0)->type != KeyType::Empty; },
                                   8000));

    auto sheetText = [&](const QString &name) {
        chosen = dir.filePath(name);
        if (!testsupport::chooseFromExportMenu(w, "exportSheetAction"))
            return QString();
        QMessageBox *box = w.findChild<QMessageBox *>(QStringLiteral("profileMessageBox"));
        const bool ok = box && box->text() == QLatin1String("Layout sheet exported");
        delete box;
        return ok ? pdfPages(chosen).value(0) : QString();
    };
    const QString before = sheetText(QStringLiteral("saved.pdf"));
    QVERIFY(!before.isEmpty());
    QVERIFY(!before.contains(QLatin1String("not saved to the keypad")));

    KeyboardData *m = w.keyboardData();
    m->selectKey(4);
    QVERIFY(m->applyBaseKey(0x68)); // F13 on key 5, not saved
    const QString after = sheetText(QStringLiteral("edited.pdf"));
    QVERIFY(after.contains(QLatin1String("not saved to the keypad")));
    QCOMPARE(after.count(QStringLiteral("F13")), before.count(QStringLiteral("F13")) + 1);
    // Exporting saved nothing.
    QVERIFY(m->keyDataAt(0, 4)->dirty);
}

QTEST_MAIN(TstLayoutSheet)
#include "tst_layoutsheet.moc"
