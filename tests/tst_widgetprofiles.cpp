// Export and Import in the window, with the file dialog replaced by paths the test supplies:
// the buttons sit in the top bar without moving the status text, an export holds unsaved
// edits, an import becomes edits that Save writes (and nothing else), and a refused file
// leaves the model as it was.
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "model/profile.h"
#include "sim/currentfirmware.h"
#include "sim/legacyfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/hostilefiles.h"
#include "support/logcapture.h"
#include "support/windowharness.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include <memory>

using Fw = sim::CurrentFirmware;
using sim::SimBus;
using testsupport::configFrom;
using testsupport::LogCapture;
using testsupport::spinUntil;

namespace {


// Renders the window and its outcome box when MACROPAD_SHOTS_DIR names a directory.
void shoot(Widget &w, const QString &name)
{
    const QString shots = qEnvironmentVariable("MACROPAD_SHOTS_DIR");
    if (shots.isEmpty() || !QDir().mkpath(shots))
        return;
    w.grab().save(QStringLiteral("%1/profiles-%2.png").arg(shots, name));
    if (QMessageBox *box = w.findChild<QMessageBox *>(QStringLiteral("profileMessageBox")))
        box->grab().save(QStringLiteral("%1/profiles-%2-box.png").arg(shots, name));
}

// Closes the outcome box and returns its text and informative text.
QStringList takeMessageBox(Widget &w)
{
    QMessageBox *box = w.findChild<QMessageBox *>(QStringLiteral("profileMessageBox"));
    if (!box)
        return {};
    const QStringList texts{box->text(), box->informativeText()};
    box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return texts;
}

QString describeModel(const KeyboardData &m)
{
    QStringList out;
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l) {
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k) {
            const KeyData *key = m.keyDataAt(l, k);
            out << QStringLiteral("%1/%2:%3:%4:%5").arg(l).arg(k).arg(key->type).arg(key->fullText).arg(key->dirty);
        }
        const LayerLedConfigData &c = m.ledConfig(l);
        QString colours;
        for (int i = 0; i < KeyboardData::LEDS_PER_LAYER; ++i)
            colours += QStringLiteral("%1.%2.%3.%4 ").arg(c.colors[i].r).arg(c.colors[i].g).arg(c.colors[i].b).arg(c.colorDirty[i]);
        out << QStringLiteral("%1 mode %2 %3 %4").arg(l).arg(c.mode).arg(c.modeDirty).arg(colours);
    }
    return out.join(QLatin1Char('\n'));
}

int dirtyKeys(const KeyboardData &m)
{
    int n = 0;
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l)
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k)
            n += m.keyDataAt(l, k)->dirty ? 1 : 0;
    return n;
}

struct ConnectedWindow {
    LogCapture log;
    Widget w{configFrom("")};
    testsupport::ReadWatch reads{w};
    std::shared_ptr<Fw> fw = std::make_shared<Fw>();
    QString chosen;
    int asked = 0;
    bool askedForExport = false;

    bool start()
    {
        w.setProfilePathChooser([this](bool forExport) {
            ++asked;
            askedForExport = forExport;
            return chosen;
        });
        // View over imported changes reads the keypad again, as the user would choose.
        w.setUnsavedQuestion([](QMessageBox &) { return int(QMessageBox::Discard); });
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            return false;
        fw->fillFullConfiguration(2);
        SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
        return reads.waitLoaded(1, 8000);
    }
};

} // namespace

class TstWidgetProfiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        testsupport::resetDeviceLink();
    }

    void buttonsInTheTopBar();
    void exportHoldsUnsavedEdits();
    void importBecomesEditsThatSaveWrites();
    void refusedImportLeavesModelUntouched();
    void importIntoKnobOnlyKeypad();
    void importIntoLegacyKeypad();
};

void TstWidgetProfiles::buttonsInTheTopBar()
{
    Widget w(configFrom(""));
    testsupport::ReadWatch reads(w);
    w.resize(1500, 1100);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QPushButton *exp = w.exportProfileButton();
    QPushButton *imp = w.importProfileButton();
    QVERIFY(exp && imp);
    QCOMPARE(exp->text(), QStringLiteral("Export"));
    QCOMPARE(imp->text(), QStringLiteral("Import"));
    QVERIFY(exp->isVisible() && imp->isVisible());
    QVERIFY(exp->isEnabled() && imp->isEnabled());

    // Both in the top bar, right of the status text, inside the bar and apart from each other.
    QLabel *status = w.statusLabel();
    QWidget *bar = status->parentWidget();
    QCOMPARE(exp->parentWidget(), bar);
    QCOMPARE(imp->parentWidget(), bar);
    QVERIFY(status->geometry().right() < exp->geometry().left());
    QVERIFY(exp->geometry().right() < imp->geometry().left());
    QVERIFY(bar->rect().contains(imp->geometry()));
    QCOMPARE(exp->geometry().center().y(), status->geometry().center().y());
    // The status text stays where it was without the buttons: centred between the bar's
    // left margin and the 84 px kept free at its right.
    const QMargins m = bar->layout()->contentsMargins();
    const int spacing = bar->layout()->spacing();
    const int oldCentre = (m.left() + bar->width() - m.right() - 84 - spacing) / 2;
    QVERIFY2(qAbs(status->geometry().center().x() - oldCentre) <= 2,
             qPrintable(QStringLiteral("%1 vs %2").arg(status->geometry().center().x()).arg(oldCentre)));

    shoot(w, QStringLiteral("window"));

    // In the narrowest window the status text keeps its room; the balance gives way.
    w.resize(Widget::MIN_WINDOW_WIDTH, Widget::MIN_WINDOW_HEIGHT);
    QVERIFY(spinUntil([&] { return w.width() == Widget::MIN_WINDOW_WIDTH; }, 2000));
    testsupport::spinFor(50);
    const int needed = status->fontMetrics().horizontalAdvance(status->text());
    QVERIFY2(status->width() >= needed, qPrintable(QStringLiteral("%1 < %2").arg(status->width()).arg(needed)));
    QVERIFY(bar->rect().contains(imp->geometry()));
    shoot(w, QStringLiteral("narrow"));

    // Chinese.
    Widget zh(configFrom("language=CH\n"));
    QCOMPARE(zh.exportProfileButton()->text(), QStringLiteral("导出"));
    QCOMPARE(zh.importProfileButton()->text(), QStringLiteral("导入"));
    // Without a keypad an import is refused before any dialog opens.
    int asked = 0;
    zh.setProfilePathChooser([&](bool) {
        ++asked;
        return QString();
    });
    QTest::mouseClick(zh.importProfileButton(), Qt::LeftButton);
    QCOMPARE(asked, 0);
    QCOMPARE(zh.statusLabel()->text(), QStringLiteral("请先连接键盘再导入配置文件"));
    shoot(zh, QStringLiteral("chinese"));
    QCOMPARE(takeMessageBox(zh).value(0), QStringLiteral("请先连接键盘再导入配置文件"));
}

void TstWidgetProfiles::exportHoldsUnsavedEdits()
{
    ConnectedWindow cw;
    QVERIFY(cw.start());
    QTemporaryDir dir;
    KeyboardData *m = cw.w.keyboardData();
    m->selectKey(4);
    QVERIFY(m->applyBaseKey(0x2C)); // Space, not saved
    QVERIFY(m->hasUnsavedChanges());

    // Cancelling the dialog writes nothing and shows nothing.
    cw.chosen.clear();
    const QString statusBefore = cw.w.statusLabel()->text();
    QVERIFY(testsupport::chooseFromExportMenu(cw.w, "exportProfileAction"));
    QCOMPARE(cw.asked, 1);
    QVERIFY(cw.askedForExport);
    QCOMPARE(cw.w.statusLabel()->text(), statusBefore);
    QVERIFY(takeMessageBox(cw.w).isEmpty());

    cw.chosen = dir.filePath(QStringLiteral("window.json"));
    QVERIFY(testsupport::chooseFromExportMenu(cw.w, "exportProfileAction"));
    QCOMPARE(cw.w.statusLabel()->text(), QStringLiteral("Profile exported"));
    QCOMPARE(takeMessageBox(cw.w).value(0), QStringLiteral("Profile exported"));

    ProfileData p;
    QString error;
    QVERIFY2(Profile::readFile(cw.chosen, &p, &error), qPrintable(error));
    QCOMPARE(p.device.protocol, ProfileDevice::Protocol::Current);
    QCOMPARE(p.device.keyCount, 16);
    QCOMPARE(int(p.layers[0][4].type), int(KeyType::Basic));
    QCOMPARE(int(p.layers[0][4].keyCode), 0x2C);
    // Everything else as the keypad holds it; exporting neither saves nor clears the edit.
    QVERIFY(Profile::sameOnKeypad(p.layers[2][6], *m->keyDataAt(2, 6), ProfileDevice::Protocol::Current));
    QVERIFY(m->keyDataAt(0, 4)->dirty);
    QVERIFY(cw.fw->keyRecord(0, 4) != Fw::basicRecord(0x2C));

    // A place that cannot be written is reported, not passed over.
    cw.chosen = dir.filePath(QStringLiteral("missing/dir/p.json"));
    QVERIFY(testsupport::chooseFromExportMenu(cw.w, "exportProfileAction"));
    QCOMPARE(cw.w.statusLabel()->text(), QStringLiteral("Profile not exported"));
    QVERIFY(takeMessageBox(cw.w).value(1).contains(QStringLiteral("cannot write")));

    // Nor is a pipe, a device or a folder replaced by a file: each is left as it was.
    testsupport::HostileFiles hostile(Profile::MAX_FILE_BYTES + 1);
    QVERIFY(hostile.ok());
    for (const auto &e : hostile.writeTargets()) {
        const QString node = testsupport::HostileFiles::nodeAt(e.path);
        cw.chosen = e.path;
        QVERIFY(testsupport::chooseFromExportMenu(cw.w, "exportProfileAction"));
        QCOMPARE(cw.w.statusLabel()->text(), QStringLiteral("Profile not exported"));
        QCOMPARE(takeMessageBox(cw.w).value(1), QStringLiteral("%1: %2").arg(e.path, e.problem));
        QCOMPARE(testsupport::HostileFiles::nodeAt(e.path), node);
    }
}

void TstWidgetProfiles::importBecomesEditsThatSaveWrites()
{
    ConnectedWindow cw;
    Fw::Identity id;
    id.encoderCount = 2; // 16 keys and 2 knobs: slots 0 to 21
    cw.fw->setIdentity(id);
    QVERIFY(cw.start());
    QTemporaryDir dir;
    KeyboardData *m = cw.w.keyboardData();
    QVERIFY(!m->hasUnsavedChanges());

    // A profile of this keypad with one key and one colour changed, plus a slot (24) this
    // keypad does not have.
    ProfileData p = Profile::fromModel(*m, ProfileDevice::fromDeviceInfo(cw.w.deviceInfo()));
    KeyData space;
    space.type = KeyType::Basic;
    space.keyCode = 0x2C;
    p.layers[1][2] = space;
    p.ledConfigs[3].colors[5] = LedColorData{1, 2, 3};
    KeyData vol;
    vol.type = KeyType::Multimedia;
    vol.mediaUsage = 0xE9;
    p.layers[0][24] = vol;
    cw.chosen = dir.filePath(QStringLiteral("in.json"));
    {
        QFile f(cw.chosen);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(Profile::toJson(p));
    }

    const KeyData slot24 = *m->keyDataAt(0, 24);
    m->setCurrentLayer(1);
    QTest::mouseClick(cw.w.importProfileButton(), Qt::LeftButton);
    QCOMPARE(cw.asked, 1);
    QVERIFY(!cw.askedForExport);
    shoot(cw.w, QStringLiteral("imported"));
    const QStringList box = takeMessageBox(cw.w);
    QVERIFY2(cw.w.statusLabel()->text().startsWith(QStringLiteral("Profile imported: 1 keys, 1 lighting layers changed")),
             qPrintable(cw.w.statusLabel()->text()));
    QCOMPARE(box.value(0), cw.w.statusLabel()->text());
    QVERIFY2(box.value(1).contains(QStringLiteral("layer 0, slots 24: no such key")), qPrintable(box.value(1)));

    // Exactly the differing items are edits; the key's button shows its new function.
    QCOMPARE(dirtyKeys(*m), 1);
    QVERIFY(m->keyDataAt(1, 2)->dirty);
    QVERIFY(m->ledConfig(3).colorDirty[5]);
    QVERIFY(!m->ledConfig(3).colorDirty[4]);
    QVERIFY(!m->ledConfig(0).modeDirty && !m->ledConfig(3).modeDirty);
    QCOMPARE(cw.w.buttonAt(cw.w.buttonIndexFromDataIndex(2))->text(), m->keyDataAt(1, 2)->buttonText);
    QVERIFY(!m->keyDataAt(1, 2)->buttonText.isEmpty());
    QVERIFY(m->keyDataAt(0, 24)->sameFunction(slot24));
    QVERIFY(!m->keyDataAt(0, 24)->dirty);

    // Save writes those two items and nothing else.
    cw.fw->resetCounters();
    QTest::mouseClick(cw.w.saveSettingsButton(), Qt::LeftButton);
    QVERIFY(spinUntil([&] { return cw.w.statusLabel()->text() == QStringLiteral("Saved successfully"); }, 8000));
    QCOMPARE(cw.fw->requestCount(Fw::WriteKey), 1);
    QCOMPARE(cw.fw->requestCount(Fw::WriteLighting), 1);
    QCOMPARE(cw.fw->requestCount(Fw::WriteMacroChunk) + cw.fw->requestCount(Fw::ClearKey), 0);
    QCOMPARE(cw.fw->keyRecord(1, 2), Fw::basicRecord(0x2C));
    QCOMPARE(cw.fw->lightingColor(3, 5), (std::array<quint8, 3>{1, 2, 3}));
    QVERIFY(!m->hasUnsavedChanges());

    // The same file again: nothing differs any more. The save's task ends just after its
    // result shows; an import clicked in between is refused as busy, which is not under test.
    QVERIFY(spinUntil([&] { return !cw.w.isDeviceTaskRunning(); }, 5000));
    QTest::mouseClick(cw.w.importProfileButton(), Qt::LeftButton);
    QCOMPARE(cw.w.statusLabel()->text(), QStringLiteral("The profile matches the keypad: nothing changed"));
    takeMessageBox(cw.w);
    QVERIFY(!m->hasUnsavedChanges());
}

void TstWidgetProfiles::refusedImportLeavesModelUntouched()
{
    ConnectedWindow cw;
    QVERIFY(cw.start());
    QTemporaryDir dir;
    KeyboardData *m = cw.w.keyboardData();
    m->selectKey(3);
    QVERIFY(m->applyBaseKey(0x1E)); // an unsaved edit the refusal must keep
    const QString before = describeModel(*m);

    ProfileData p = Profile::fromModel(*m, ProfileDevice());
    p.layers[0][0].type = KeyType::Basic;
    p.layers[0][0].keyCode = 0x05;
    QJsonObject root = QJsonDocument::fromJson(Profile::toJson(p)).object();
    const QByteArray good = QJsonDocument(root).toJson();
    root.insert(QStringLiteral("version"), 7);
    const QByteArray newer = QJsonDocument(root).toJson();

    const QVector<QPair<QByteArray, QString>> bad = {
        {good.left(good.size() - 40), QStringLiteral("not valid JSON")},
        {newer, QStringLiteral("version: version 7 is newer")},
        {good.left(good.lastIndexOf('}')) + ", \"layers\": []}", QStringLiteral("top level: member \"layers\" appears twice")},
    };
    for (const auto &b : bad) {
        cw.chosen = dir.filePath(QStringLiteral("bad.json"));
        QFile f(cw.chosen);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(b.first);
        f.close();
        QTest::mouseClick(cw.w.importProfileButton(), Qt::LeftButton);
        QCOMPARE(cw.w.statusLabel()->text(), QStringLiteral("Profile refused"));
        shoot(cw.w, QStringLiteral("refused"));
        const QStringList box = takeMessageBox(cw.w);
        QVERIFY2(box.value(1).contains(b.second), qPrintable(box.value(1)));
        QCOMPARE(describeModel(*m), before);
    }
    // Paths that are no profile file are refused without being read (no frozen window).
    testsupport::HostileFiles hostile(Profile::MAX_FILE_BYTES + 1);
    QVERIFY(hostile.ok());
    for (const auto &e : hostile.entries()) {
        cw.chosen = e.path;
        QTest::mouseClick(cw.w.importProfileButton(), Qt::LeftButton);
        QCOMPARE(cw.w.statusLabel()->text(), QStringLiteral("Profile refused"));
        const QStringList box = takeMessageBox(cw.w);
        QVERIFY2(box.value(1).contains(e.problem), qPrintable(box.value(1)));
        QCOMPARE(describeModel(*m), before);
    }

    // While a read of the keypad runs, an import would be overwritten by its result.
    QTest::mouseClick(cw.w.viewSettingsButton(), Qt::LeftButton);
    if (cw.w.isDeviceTaskRunning()) {
        const int asked = cw.asked;
        QTest::mouseClick(cw.w.importProfileButton(), Qt::LeftButton);
        QCOMPARE(cw.asked, asked);
        QCOMPARE(cw.w.statusLabel()->text(), QStringLiteral("The keypad is busy: import again in a moment"));
        takeMessageBox(cw.w);
    }
    QVERIFY(spinUntil([&] { return !cw.w.isDeviceTaskRunning(); }, 8000));
}

void TstWidgetProfiles::importIntoKnobOnlyKeypad()
{
    ConnectedWindow cw;
    Fw::Identity id;
    id.keyCount = 0;
    id.encoderCount = 1; // one knob: slots 0 to 2
    cw.fw->setIdentity(id);
    QVERIFY(cw.start());
    QTemporaryDir dir;
    KeyboardData *m = cw.w.keyboardData();

    // A profile that gives every slot of layer 0 a new function.
    ProfileData p = Profile::fromModel(*m, ProfileDevice());
    for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k)
        p.layers[0][k].setBasicKey(quint8(0x04 + k));
    cw.chosen = dir.filePath(QStringLiteral("all.json"));
    QFile f(cw.chosen);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Profile::toJson(p));
    f.close();

    QTest::mouseClick(cw.w.importProfileButton(), Qt::LeftButton);
    QCOMPARE(cw.w.statusLabel()->text(), QStringLiteral("Profile imported: 3 keys, 0 lighting layers changed"));
    QStringList missing;
    for (int k = 3; k < KeyboardData::KEYS_PER_LAYER; ++k)
        missing << QString::number(k);
    const QString details = takeMessageBox(cw.w).value(1);
    QVERIFY2(details.contains(QStringLiteral("layer 0, slots %1: no such key on this keypad")
                                  .arg(missing.join(QStringLiteral(", ")))),
             qPrintable(details));
    QCOMPARE(dirtyKeys(*m), 3);

    cw.fw->resetCounters();
    QTest::mouseClick(cw.w.saveSettingsButton(), Qt::LeftButton);
    QVERIFY(spinUntil([&] { return cw.w.statusLabel()->text() == QStringLiteral("Saved successfully"); }, 8000));
    QCOMPARE(cw.fw->requestCount(Fw::WriteKey), 3);
    QCOMPARE(cw.fw->keyRecord(0, 2), Fw::basicRecord(0x06));
}

void TstWidgetProfiles::importIntoLegacyKeypad()
{
    LogCapture log;
    Widget w(configFrom(""));
    testsupport::ReadWatch reads(w);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("legacy.json"));
    w.setProfilePathChooser([&](bool) { return path; });
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto fw = std::make_shared<sim::LegacyFirmware>(sim::LegacyFirmware::Generation::R10Udav);
    fw->loadDemoConfiguration();
    SimBus::plug(0x1189, 0x8840, fw);
    QVERIFY(reads.waitLoaded(1, 10000));
    QVERIFY(w.isLegacyDevice());
    KeyboardData *m = w.keyboardData();

    // A profile made without a keypad: two keys for layers this keypad has, one for a fourth
    // layer it lacks.
    ProfileData p = Profile::fromModel(*m, ProfileDevice());
    KeyData space;
    space.type = KeyType::Basic;
    space.keyCode = 0x2C;
    p.layers[0][2] = space;
    KeyData copy;
    copy.type = KeyType::Combination;
    copy.modifierBits = 0x01;
    copy.comboKeys = QByteArray(1, 0x06);
    p.layers[1][0] = copy;
    p.layers[3][0] = space;
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Profile::toJson(p));
    f.close();

    QTest::mouseClick(w.importProfileButton(), Qt::LeftButton);
    QVERIFY2(w.statusLabel()->text().startsWith(QStringLiteral("Profile imported: 2 keys")),
             qPrintable(w.statusLabel()->text()));
    QVERIFY(takeMessageBox(w).value(1).contains(QStringLiteral("layer 3")));
    QCOMPARE(dirtyKeys(*m), 2);

    // Saved the legacy way and committed: the keypad still has both after a power cycle.
    QTest::mouseClick(w.saveSettingsButton(), Qt::LeftButton);
    QVERIFY(spinUntil([&] { return w.statusLabel()->text() == QStringLiteral("Saved successfully"); }, 10000));
    QVERIFY(!m->hasUnsavedChanges());
    fw->powerCycle();
    QTest::mouseClick(w.viewSettingsButton(), Qt::LeftButton);
    QVERIFY(reads.waitReread(1, 10000));
    const auto R10 = ProfileDevice::Protocol::LegacyR10Udav;
    QVERIFY(Profile::sameOnKeypad(*m->keyDataAt(0, 2), space, R10));
    QVERIFY(Profile::sameOnKeypad(*m->keyDataAt(1, 0), copy, R10));
}

QTEST_MAIN(TstWidgetProfiles)
#include "tst_widgetprofiles.moc"
