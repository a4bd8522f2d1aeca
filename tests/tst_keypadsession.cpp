// The keypad session without a window: connect and read, a read left incomplete, a verified
// save with an item the keypad did not take, refusals, a keypad pulled mid-save and plugged
// back with its edits kept, on the current protocol and both legacy generations.
#include "device/hidmanager.h"
#include "model/keyboarddata.h"
#include "session/closeguard.h"
#include "session/keypadsession.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/saverig.h"

#include <QSignalSpy>
#include <QtTest>

using sim::SimBus;
using testsupport::SaveRig;
using Kind = SaveRig::Kind;
using Fw = sim::CurrentFirmware;

namespace {

// A session on a model, following the link as the window does.
struct Rig {
    KeyboardData model;
    KeypadSession session{HIDManager::instance()};
    QStringList events;

    Rig()
    {
        session.setModel(&model);
        HIDManager *hid = HIDManager::instance();
        QObject::connect(hid, &HIDManager::deviceConnected, &session, &KeypadSession::onConnected);
        QObject::connect(hid, &HIDManager::deviceDisconnected, &session, &KeypadSession::onDisconnected);
        QObject::connect(&session, &KeypadSession::connectReadDone, &session,
                         [this](const ConnectResult &r) { events << (r.allLayersOk ? "read" : "read incomplete"); });
        QObject::connect(&session, &KeypadSession::readConfirmed, &session,
                         [this](bool complete) { events << (complete ? "confirmed" : "not confirmed"); });
        QObject::connect(&session, &KeypadSession::editsRestored, &session,
                         [this](int n) { events << QStringLiteral("restored %1").arg(n); });
        QObject::connect(&session, &KeypadSession::disconnected, &session, [this] { events << "disconnected"; });
        QObject::connect(&session, &KeypadSession::refused, &session, [this](KeypadSession::Refusal why) {
            events << QStringLiteral("refused %1").arg(int(why));
        });
    }
    bool settled(int ms = 15000)
    {
        return QTest::qWaitFor([this] { return !session.isBusy(); }, ms);
    }
    bool connectTo(SaveRig &keypad)
    {
        events.clear();
        return keypad.open() && QTest::qWaitFor([this] { return events.contains("confirmed") || events.contains("not confirmed"); }, 15000)
               && settled();
    }
};

} // namespace

class TstKeypadSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<VerifiedSave::Outcome>();
        qRegisterMetaType<KeypadSession::Refusal>();
    }
    void cleanup() { testsupport::resetDeviceLink(); }

    void connectReadsTheKeypad_data() { testsupport::addSaveRigKinds(); }
    void connectReadsTheKeypad();
    void readIncomplete();
    void saveWithAFailedItemAndRefusals();
    void pulledMidSaveAndPluggedBack_data() { testsupport::addSaveRigKinds(); }
    void pulledMidSaveAndPluggedBack();
    void closeAfterSave_data() { testsupport::addSaveRigKinds(); }
    void closeAfterSave();
};

// The model ends up holding what the keypad holds, the kind is the keypad's, and the steps
// come in the order the window reacts in.
void TstKeypadSession::connectReadsTheKeypad()
{
    QFETCH(Kind, kind);
    SaveRig keypad(kind);
    Rig rig;
    QSignalSpy busy(&rig.session, &KeypadSession::busyChanged);
    QSignalSpy replaced(&rig.model, &KeyboardData::contentReplaced);
    QVERIFY(rig.connectTo(keypad));
    QCOMPARE(rig.events, QStringList({"read", "confirmed"}));
    // Keys and lighting of a pass reach the views as one replacement: one refresh per pass.
    QCOMPARE(replaced.count(), 2);
    QVERIFY(rig.session.isConnected());
    QCOMPARE(rig.session.isLegacy(), kind != Kind::Current);
    if (kind != Kind::Current)
        QCOMPARE(rig.session.legacyInfo().format,
                 kind == Kind::Old ? LegacyDeviceInfo::Old : LegacyDeviceInfo::R10Udav);
    QVERIFY(rig.session.isKeypadLoaded());
    QVERIFY(rig.session.connectedIdentity().isKnown());
    QVERIFY(!busy.isEmpty() && busy.last().at(0).toBool() == false);

    const ConnectResult held = keypad.read();
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l)
        for (int k = 0; k < held.layers[l].size(); ++k)
            QVERIFY2(rig.model.keyDataAt(l, k)->sameFunction(held.layers[l][k]),
                     qPrintable(QStringLiteral("layer %1 key %2").arg(l).arg(k)));
    QVERIFY(!rig.model.hasUnsavedChanges());
}

// Every pass of layer 1 loses a different key record: a first pass looks whole (a lost record
// reads as an empty slot), the passes never agree, and the session says so after reading
// again.
void TstKeypadSession::readIncomplete()
{
    SaveRig keypad(Kind::Current);
    for (int k = 4; k < 12; ++k)
        keypad.current()->setKeyRecord(1, k, Fw::basicRecord(quint8(0x10 + k)));
    int reads = 0;
    keypad.current()->setReplyHook([&reads](quint8 command, QVector<QByteArray> &replies) {
        if (command == Fw::ReadLayer && replies.size() > 3 && quint8(replies[0][2]) == 1)
            replies.removeAt(reads++ % 3);
    });
    Rig rig;
    QSignalSpy again(&rig.session, &KeypadSession::readingAgain);
    QVERIFY(rig.connectTo(keypad));
    QCOMPARE(rig.events, QStringList({"read", "not confirmed"}));
    QVERIFY(!again.isEmpty());
    QVERIFY(rig.session.isConnected());
    QCOMPARE(rig.model.keyDataAt(0, 0)->keyCode, quint8(0x04)); // what agreed is shown
    keypad.current()->setReplyHook({});
}

// Save refuses without a keypad, while a read runs and with nothing to save; a save the
// keypad does not fully take reports that item and keeps it changed.
void TstKeypadSession::saveWithAFailedItemAndRefusals()
{
    using R = KeypadSession::Refusal;
    Rig rig;
    QSignalSpy refused(&rig.session, &KeypadSession::refused);
    rig.session.save();
    QCOMPARE(refused.takeFirst().at(0).value<R>(), R::NotConnected);

    SaveRig keypad(Kind::Current);
    QVERIFY(keypad.open());
    QVERIFY(rig.session.isBusy()); // the connect read runs on a worker
    rig.session.save();
    QVERIFY(!rig.session.isFreeFor("View"));
    QCOMPARE(refused.size(), 2);
    QCOMPARE(refused.at(0).at(0).value<R>(), R::Busy);
    QCOMPARE(refused.at(1).at(0).value<R>(), R::Busy);
    refused.clear();
    QVERIFY(rig.settled());
    rig.session.save();
    QCOMPARE(refused.takeFirst().at(0).value<R>(), R::NothingToSave);

    Fw::FaultRule dropped;
    dropped.kind = Fw::FaultKind::DropWrite;
    dropped.command = Fw::WriteKey;
    dropped.layer = 0;
    dropped.key = 1;
    dropped.times = 1;
    keypad.current()->addFault(dropped);
    const QVector<SaveItem> edits = keypad.edit(rig.model);
    QSignalSpy started(&rig.session, &KeypadSession::saveStarted);
    QSignalSpy progress(&rig.session, &KeypadSession::saveProgress);
    QSignalSpy finished(&rig.session, &KeypadSession::saveFinished);
    rig.session.save();
    QCOMPARE(started.size(), 1);
    QCOMPARE(started.at(0).at(0).toInt(), edits.size());
    QVERIFY(rig.session.isSaveRunning());
    rig.session.save(); // a second click while it runs
    QCOMPARE(refused.takeFirst().at(0).value<R>(), R::Busy);
    QVERIFY(finished.wait(15000));
    QVERIFY(!progress.isEmpty());
    QVERIFY(!rig.session.isSaveRunning());
    const auto outcome = finished.at(0).at(0).value<VerifiedSave::Outcome>();
    QVERIFY(finished.at(0).at(1).toBool());
    QCOMPARE(outcome.failure, VerifiedSave::Failure::Items);
    const QVector<SaveItem> left = VerifiedSave::unsaved(outcome);
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.at(0).layer, 0);
    QCOMPARE(left.at(0).key, 1);
    QVERIFY(rig.model.keyDataAt(0, 1)->dirty);
    QCOMPARE(PendingEdits::countUnsaved(rig.model), 1);
}

// The keypad is pulled while it saves: the late outcome is not the connection's any more, the
// edits not saved are kept, and the same keypad plugged back gets them on top of its read.
void TstKeypadSession::pulledMidSaveAndPluggedBack()
{
    QFETCH(Kind, kind);
    SaveRig keypad(kind);
    Rig rig;
    QVERIFY(rig.connectTo(keypad));
    const QVector<SaveItem> edits = keypad.edit(rig.model);
    QSignalSpy finished(&rig.session, &KeypadSession::saveFinished);
    SimBus::unplugAfterReports(keypad.id(), 2);
    rig.session.save();
    QVERIFY(finished.wait(15000));
    QVERIFY(QTest::qWaitFor([&] { return !rig.session.isConnected(); }, 5000));
    QVERIFY(rig.events.contains("disconnected"));
    QVERIFY(!VerifiedSave::succeeded(finished.at(0).at(0).value<VerifiedSave::Outcome>()));
    QVERIFY(!rig.model.hasUnsavedChanges()); // blanked
    const int kept = rig.session.pendingEdits().count();
    QVERIFY(kept > 0);
    QVERIFY(!rig.session.isKeypadLoaded());
    QVERIFY(rig.settled());

    QVERIFY(rig.connectTo(keypad));
    const int restored = PendingEdits::countUnsaved(rig.model);
    QVERIFY(restored > 0);
    QCOMPARE(rig.events, QStringList({QStringLiteral("restored %1").arg(restored), "read", "confirmed"}));
    QVERIFY(rig.session.pendingEdits().isEmpty());
    // Every edit is either changed again or already on the keypad (taken before it left).
    const ConnectResult held = keypad.read();
    for (const SaveItem &item : edits)
        QVERIFY2(testsupport::changed(rig.model, item) || keypad.holds(held, rig.model, item),
                 qPrintable(testsupport::where(item)));
}

// Closing after a save: approved once the keypad holds everything; refused while an item did
// not take, or when the keypad leaves before the save could run.
void TstKeypadSession::closeAfterSave()
{
    QFETCH(Kind, kind);
    SaveRig keypad(kind);
    Rig rig;
    CloseGuard guard(&rig.session);
    QSignalSpy approved(&guard, &CloseGuard::closeApproved);
    QSignalSpy refusedClose(&guard, &CloseGuard::closeRefused);
    QVERIFY(rig.connectTo(keypad));

    keypad.edit(rig.model);
    guard.saveThenClose(true);
    QVERIFY(guard.isSaving());
    QVERIFY(approved.wait(15000));
    QVERIFY(refusedClose.isEmpty());
    QVERIFY(!rig.model.hasUnsavedChanges());
    QVERIFY(guard.takeApproval());
    QVERIFY(!guard.takeApproval());

    if (kind == Kind::Current) {
        Fw::FaultRule dropped;
        dropped.kind = Fw::FaultKind::DropWrite;
        dropped.command = Fw::WriteKey;
        dropped.times = 1;
        keypad.current()->addFault(dropped);
        KeyData k;
        k.setBasicKey(0x07);
        rig.model.setKeyAt(0, 3, k);
        guard.saveThenClose(true);
        QVERIFY(refusedClose.wait(15000));
        QCOMPARE(refusedClose.takeFirst().at(0).toInt(), 1);
        QVERIFY(!guard.isSaving());
        QCOMPARE(approved.size(), 1);
    }

    // The keypad leaves during a save the close waits for: refused, the edit is not lost.
    KeyData k;
    k.setBasicKey(0x08);
    rig.model.setKeyAt(1, 0, k);
    SimBus::unplugAfterReports(keypad.id(), 2);
    rig.session.startSave(false);
    guard.saveThenClose(true);
    QVERIFY(guard.isSaving());
    QVERIFY(refusedClose.wait(15000));
    QVERIFY(refusedClose.takeFirst().at(0).toInt() >= 1);
    QCOMPARE(approved.size(), 1);
}

QTEST_GUILESS_MAIN(TstKeypadSession)
#include "tst_keypadsession.moc"
