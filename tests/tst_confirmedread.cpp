// A read is trusted only when two passes agree. One lost reply at every position of a full
// read (device information, key records, macro chunks, layer ends, lighting; in the first pass
// and in the second): no read is reported complete that differs from the keypad, and
// --export exits 0 only with the keypad's exact content, else keeps the old file. The window
// shows the first pass at once and corrects it in the background without touching the edits
// made meanwhile.
#include "session/confirmedread.h"
#include "session/devicetasks.h"
#include "app/edithistory.h"
#include "app/profilecli.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "device/hidmanager.h"
#include "model/keyboarddata.h"
#include "sim/currentfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/windowharness.h"
#include "support/keydatatestkit.h"

#include <QFile>
#include <QLabel>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Fw = sim::CurrentFirmware;
using sim::SimBus;
using testsupport::spinUntil;

using keydatatest::decoded;

namespace {

// Every kind of reply a full read brings: records of each type, a macro in two chunks, a
// layer with nothing assigned (only its end), and lighting.
std::shared_ptr<Fw> everyKindOfReply()
{
    auto fw = std::make_shared<Fw>();
    QVector<Fw::Step> steps;
    for (int i = 0; i < 10; ++i)
        steps << Fw::Step{0, quint8(0x04 + i), quint16(i)} << Fw::Step{1, quint8(0x04 + i), 20};
    fw->setKeyRecord(0, 0, Fw::basicRecord(0x04));
    fw->setKeyRecord(0, 3, Fw::macroRecord(steps));
    fw->setKeyRecord(0, 16, Fw::multimediaRecord(0x00E9));
    fw->setKeyRecord(1, 1, Fw::combinationRecord(0x01, QByteArray("\x06", 1)));
    fw->setKeyRecord(2, 5, Fw::mouseRecord(3));
    for (int l = 0; l < Fw::LAYERS; ++l)
        fw->setLighting(l, Fw::lightingPayload(quint8(l + 1), QVector<std::array<quint8, 3>>(16, {quint8(l), 7, 9})));
    return fw;
}

// Where a read reported as known differs from the keypad; empty when it does not.
QString wrongParts(const ConnectResult &r, const Fw &fw)
{
    QStringList wrong;
    for (int l = 0; l < Fw::LAYERS; ++l) {
        for (int k = 0; k < Fw::SLOTS; ++k)
            if (r.coverage.keyRead(l, k) && !r.layers[l][k].sameFunction(decoded(fw.keyRecord(l, k))))
                wrong << QStringLiteral("layer %1 key %2").arg(l).arg(k);
        if (r.coverage.lightingRead(l)) {
            const LayerLedConfigData &led = r.ledConfigs[l];
            bool same = led.mode == fw.lightingMode(l);
            for (int i = 0; i < 16; ++i) {
                const auto c = fw.lightingColor(l, i);
                same = same && led.colors[size_t(i)] == LedColorData{c[0], c[1], c[2]};
            }
            if (!same)
                wrong << QStringLiteral("layer %1 lighting").arg(l);
        }
    }
    return wrong.join(QStringLiteral(", "));
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int exportTo(const QString &path)
{
    ProfileCli cli;
    cli.setLineSink(nullptr);
    cli.setWaitTimeoutMs(2000);
    return cli.exportProfile(path);
}

} // namespace

class TstConfirmedRead : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }
    void cleanup() { testsupport::resetDeviceLink(); }
    void singleReplyLossAtEveryPosition();
    void windowConfirmsInTheBackground();
};

void TstConfirmedRead::singleReplyLossAtEveryPosition()
{
    auto fw = everyKindOfReply();
    const int id = testsupport::plugAndConnect(fw);
    QVERIFY(id > 0);
    HIDManager *hid = HIDManager::instance();
    hid->stopMonitoring(); // the read runs on this thread; nothing else may talk meanwhile

    // A clean read is what the keypad holds; its export is the exact content.
    const ConnectResult clean = ConfirmedRead(hid).confirm(DeviceTasks::readConnectedKeypad(hid));
    QVERIFY(clean.allLayersOk);
    QCOMPARE(wrongParts(clean, *fw), QString());
    QTemporaryDir dir;
    const QString reference = dir.filePath(QStringLiteral("reference.json"));
    QCOMPARE(exportTo(reference), int(ProfileCli::Success));
    const QByteArray exact = fileBytes(reference);

    // Replies of one pass: the information reply, then per layer its records, chunks, end
    // and lighting. Positions run through the first pass and the second.
    const int infoReply = 1;
    int perPass = 0;
    for (int l = 0; l < Fw::LAYERS; ++l) {
        for (int k = 0; k < Fw::SLOTS; ++k) {
            const QByteArray r = fw->keyRecord(l, k);
            perPass += r.isEmpty() ? 0 : (quint8(r[0]) == KeyType::Macro ? (r.size() - 1) / 56 + 1 : 1);
        }
        perPass += 2;
    }
    const QString path = dir.filePath(QStringLiteral("backup.json"));
    const QByteArray old("{\"an\": \"older backup\"}\n");
    int readAgain = 0;
    for (int position = 0; position < infoReply + 2 * perPass; ++position) {
        const QString at = QStringLiteral("reply %1 lost").arg(position);
        SimBus::dropReportAt(id, position);
        const ConnectResult first = DeviceTasks::readConnectedKeypad(hid);
        bool again = false;
        const ConnectResult r = ConfirmedRead(hid).confirm(first, [&again] { again = true; });
        readAgain += again ? 1 : 0;
        QVERIFY2(wrongParts(r, *fw).isEmpty(), qPrintable(at + QStringLiteral(": ") + wrongParts(r, *fw)));
        QVERIFY2(r.allLayersOk, qPrintable(at)); // one lost reply is always made up for

        QFile::remove(path);
        QFile seed(path);
        QVERIFY(seed.open(QIODevice::WriteOnly));
        seed.write(old);
        seed.close();
        SimBus::dropReportAt(id, position);
        const int exit = exportTo(path);
        if (exit == ProfileCli::Success)
            QVERIFY2(fileBytes(path) == exact, qPrintable(at));
        else
            QVERIFY2(exit == ProfileCli::DeviceFailure && fileBytes(path) == old, qPrintable(at));
        QVERIFY2(exit == ProfileCli::Success, qPrintable(at));
        QVERIFY(hid->isConnected());
        SimBus::dropReportAt(id, -1);
    }
    // A lost key record reads as a complete pass with an empty slot: those positions are
    // the ones the passes disagree on.
    qInfo("%d positions, %d of them read a layer or lighting a third time", infoReply + 2 * perPass, readAgain);
    QVERIFY(readAgain >= 5);

    // Three passes that each lose a different record of layer 1: nothing written.
    int reads = 0;
    fw->setReplyHook([&reads](quint8 command, QVector<QByteArray> &replies) {
        if (command == Fw::ReadLayer && replies.size() > 3 && quint8(replies[0][2]) == 1)
            replies.removeAt(reads++ % 3);
    });
    fw->setKeyRecord(1, 9, Fw::basicRecord(0x20));
    fw->setKeyRecord(1, 10, Fw::basicRecord(0x21));
    QCOMPARE(exportTo(path), int(ProfileCli::DeviceFailure));
    QCOMPARE(reads, 3);
    QCOMPARE(fileBytes(path), exact);
    fw->setReplyHook({});
}

// The window shows the first pass at once, corrects a key whose record was lost without
// touching an edit made meanwhile, and says so; Save is refused while it checks; passes that
// keep disagreeing leave "Read incomplete…".
void TstConfirmedRead::windowConfirmsInTheBackground()
{
    Widget w(testsupport::configFrom(""));
    auto fw = everyKindOfReply();
    for (int k = 4; k < 12; ++k)
        fw->setKeyRecord(1, k, Fw::basicRecord(quint8(0x10 + k)));
    QSignalSpy confirmed(&w, &Widget::readConfirmed);
    const int id = SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
    SimBus::setLatency(id, 3);
    SimBus::dropReportAt(id, 1); // layer 0, key 0's record
    KeyboardData *m = w.keyboardData();
    QSet<QString> said;
    auto sayings = [&] {
        said << w.statusLabel()->text();
        return !confirmed.isEmpty();
    };

    // First picture: key 0 looks unassigned, the rest is there, the check still runs.
    QVERIFY(spinUntil([&] { return m->keyDataAt(0, 16)->type == KeyType::Multimedia; }, 8000));
    QVERIFY(w.isDeviceTaskRunning());
    QCOMPARE(m->keyDataAt(0, 0)->type, KeyType::Empty);
    QCOMPARE(confirmed.count(), 0);
    m->selectKey(1);
    QVERIFY(m->applyBaseKey(0x05)); // an edit meanwhile

    QVERIFY(spinUntil(sayings, 8000));
    QVERIFY(said.contains(QStringLiteral("Read again: a reply was lost")));
    QCOMPARE(confirmed.takeFirst().at(0).toBool(), true);
    QVERIFY(!w.isDeviceTaskRunning());
    QCOMPARE(w.statusLabel()->text(), QStringLiteral("Device connected"));
    QCOMPARE(m->keyDataAt(0, 0)->type, KeyType::Basic);
    QCOMPARE(w.buttonAt(0)->text(), QStringLiteral("A"));
    QVERIFY(!m->keyDataAt(0, 0)->dirty);
    QCOMPARE(m->keyDataAt(0, 1)->keyCode, quint8(0x05));
    QVERIFY(m->keyDataAt(0, 1)->dirty);
    // The correction is the keypad's, not a step of the user's: undo takes back the edit only.
    w.editHistory()->commit();
    w.editHistory()->undo();
    QCOMPARE(m->keyDataAt(0, 1)->type, KeyType::Empty);
    QCOMPARE(m->keyDataAt(0, 0)->type, KeyType::Basic);
    QVERIFY(!m->hasUnsavedChanges());

    // Every pass of layer 1 loses a different record: no two agree. Save while the third
    // pass runs is refused as every busy click is.
    int reads = 0;
    fw->setReplyHook([&reads](quint8 command, QVector<QByteArray> &replies) {
        if (command == Fw::ReadLayer && replies.size() > 3 && quint8(replies[0][2]) == 1)
            replies.removeAt(reads++ % 3);
    });
    QTest::mouseClick(w.viewSettingsButton(), Qt::LeftButton);
    QString refusal;
    QVERIFY(spinUntil([&] {
        if (refusal.isEmpty() && w.statusLabel()->text() == QStringLiteral("Read again: a reply was lost")) {
            QTest::mouseClick(w.saveSettingsButton(), Qt::LeftButton);
            refusal = w.statusLabel()->text();
        }
        return !confirmed.isEmpty();
    }, 8000));
    QCOMPARE(refusal, QStringLiteral("The keypad is busy: try again in a moment"));
    QCOMPARE(confirmed.takeFirst().at(0).toBool(), false);
    QCOMPARE(reads, 3);
    // What the refusal covered for a moment comes back.
    QVERIFY(spinUntil([&] {
        return w.statusLabel()->text()
               == QStringLiteral("Read incomplete: some keys could not be read. Press View Settings to read again");
    }, 3000));
    fw->setReplyHook({});
}

QTEST_MAIN(TstConfirmedRead)
#include "tst_confirmedread.moc"
