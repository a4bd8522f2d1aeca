// Saving against faults, on every protocol kind: whatever goes wrong, an item reported saved
// is on the keypad (also after its power cycle), every other edit is still marked changed,
// and what did not take is named.
#include "session/verifiedsave.h"
#include "device/hidmanager.h"
#include "model/keyboarddata.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/saverig.h"

#include <QtTest>

using sim::SimBus;
using testsupport::SaveRig;
using Kind = SaveRig::Kind;
using State = VerifiedSave::ItemState;

using testsupport::addSaveRigKinds;
using testsupport::checkHonest;
using testsupport::where;

class TstVerifiedSave : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { testsupport::resetDeviceLink(); }

    void faultAtEveryReport_data() { addSaveRigKinds(); }
    void faultAtEveryReport();
    void readBackCatchesWhatDidNotTake();
    void legacyCommitThatDoesNotGoOut();
    void wordsMatchThePowerCycledKeypad();
};

namespace {

// The status blames the keypad only for what it was read to hold otherwise, and a keypad
// that was pulled out is called disconnected.
void checkWords(const SaveRig &rig, const KeyboardData &model, const VerifiedSave::Outcome &o,
                const QString &context)
{
    if (!SimBus::isPlugged(rig.id()) && !VerifiedSave::succeeded(o))
        QVERIFY2(o.failure == VerifiedSave::Failure::Disconnected, qPrintable(context));
    const ConnectResult after = rig.read();
    for (const VerifiedSave::ItemResult &r : o.items)
        if (r.state == State::NotTaken)
            QVERIFY2(!rig.holds(after, model, r.item),
                     qPrintable(context + QStringLiteral(": \"did not take\" but held: ") + where(r.item)));
}

} // namespace

// The keypad is pulled, or one write fails, at each report of the save in turn (its writes,
// its commit, its read-back), until a save runs through untouched.
void TstVerifiedSave::faultAtEveryReport()
{
    QFETCH(Kind, kind);
    for (const bool unplug : {true, false}) {
        // The current protocol sends a write again when it fails; only a legacy save stops.
        if (!unplug && kind == Kind::Current)
            continue;
        bool finished = false;
        for (int n = 1; n <= 40 && !finished; ++n) {
            const QString context = QStringLiteral("%1 at report %2").arg(unplug ? "unplug" : "failed write").arg(n);
            SaveRig rig(kind);
            KeyboardData model;
            QVERIFY(rig.open());
            QVERIFY(rig.load(model));
            const QVector<SaveItem> edits = rig.edit(model);
            if (unplug)
                SimBus::unplugAfterReports(rig.id(), n);
            else
                SimBus::failWrites(rig.id(), 1, n - 1);
            const VerifiedSave::Outcome o = rig.save(model);
            // A failed read request is absorbed by the read's second pass: the sweep ends there.
            const bool hit = unplug ? !SimBus::isPlugged(rig.id()) : !VerifiedSave::succeeded(o);
            finished = !hit;
            if (finished) {
                QVERIFY2(VerifiedSave::succeeded(o), qPrintable(context));
                QVERIFY(!model.hasUnsavedChanges());
            }
            if (!VerifiedSave::succeeded(o))
                QVERIFY2(model.hasUnsavedChanges(), qPrintable(context));
            const bool pulled = unplug && !SimBus::isPlugged(rig.id());
            if (pulled && !VerifiedSave::succeeded(o))
                QVERIFY2(o.failure == VerifiedSave::Failure::Disconnected, qPrintable(context));
            QVERIFY(rig.reopen());
            rig.powerCycle();
            checkHonest(rig, model, edits, o, context);
            checkWords(rig, model, o, context);
            if (QTest::currentTestFailed())
                return;
            // The next save writes what is left, and then the keypad holds everything.
            if (model.hasUnsavedChanges()) {
                QVERIFY2(VerifiedSave::succeeded(rig.save(model)), qPrintable(context));
                rig.powerCycle();
                const ConnectResult after = rig.read();
                for (const SaveItem &item : edits)
                    QVERIFY2(rig.holds(after, model, item), qPrintable(context + QStringLiteral(" then saved: ") + where(item)));
            }
        }
        QVERIFY(finished);
    }
}

// The keypad acknowledges writes it then does not keep: the read-back finds them, the
// status names them, the model has them changed again, and the next save fixes them.
void TstVerifiedSave::readBackCatchesWhatDidNotTake()
{
    using Fw = sim::CurrentFirmware;
    SaveRig rig(Kind::Current);
    KeyboardData model;
    QVERIFY(rig.open());
    QVERIFY(rig.load(model));
    for (int key : {1, 2}) {
        Fw::FaultRule dropped;
        dropped.kind = Fw::FaultKind::DropWrite;
        dropped.layer = 0;
        dropped.key = key;
        dropped.times = 1;
        rig.current()->addFault(dropped);
    }
    Fw::FaultRule lighting;
    lighting.kind = Fw::FaultKind::DropWrite;
    lighting.command = Fw::WriteLighting;
    lighting.times = 1;
    KeyData a, b;
    a.setBasicKey(0x05);
    b.setBasicKey(0x06);
    model.setKeyAt(0, 1, a);
    model.setKeyAt(0, 2, b);
    model.setKeyAt(1, 4, a);
    VerifiedSave::Outcome o = rig.save(model);
    QCOMPARE(o.failure, VerifiedSave::Failure::Items);
    QVERIFY(o.checked);
    QVERIFY(model.keyDataAt(0, 1)->dirty && model.keyDataAt(0, 2)->dirty);
    QVERIFY(!model.keyDataAt(1, 4)->dirty);
    QCOMPARE(VerifiedSave::statusText(o, UiText::Language::English),
             QStringLiteral("2 keys did not take: layer 1 key 2, layer 1 key 3. Press Save to try again"));
    QCOMPARE(VerifiedSave::statusText(o, UiText::Language::Chinese),
             QStringLiteral("2个按键未能写入键盘：第1层按键2、第1层按键3。请再次点击保存设置重试"));

    // One key and a lighting layer left: the count and the noun follow.
    rig.current()->addFault(lighting);
    model.setLedMode(2, 3);
    o = rig.save(model);
    QCOMPARE(VerifiedSave::statusText(o, UiText::Language::English),
             QStringLiteral("1 item did not take: layer 3 lighting. Press Save to try again"));
    QVERIFY(model.ledConfig(2).anyDirty());
    o = rig.save(model);
    QVERIFY(VerifiedSave::succeeded(o));
    QCOMPARE(VerifiedSave::statusText(o, UiText::Language::Chinese), QStringLiteral("保存成功"));
    QVERIFY(!model.hasUnsavedChanges());
    QCOMPARE(rig.current()->keyRecord(0, 2), Fw::basicRecord(0x06));
    QCOMPARE(rig.current()->lightingMode(2), quint8(3));
}

void TstVerifiedSave::legacyCommitThatDoesNotGoOut()
{
    // Everything stays changed, and the status says so.
    SaveRig legacy(Kind::R10Udav);
    KeyboardData lm;
    QVERIFY(legacy.open());
    QVERIFY(legacy.load(lm));
    KeyData f12;
    f12.setBasicKey(0x45);
    QVERIFY(lm.setKeyAt(0, 3, f12));
    lm.setLedMode(0, 9);
    SimBus::failWrites(legacy.id(), 1, 2); // key, lighting, then the commit
    const VerifiedSave::Outcome o = legacy.save(lm);
    QCOMPARE(o.failure, VerifiedSave::Failure::NotCommitted);
    QVERIFY(lm.keyDataAt(0, 3)->dirty && lm.ledConfig(0).anyDirty());
    QCOMPARE(VerifiedSave::statusText(o, UiText::Language::English),
             QStringLiteral("Save failed: the keypad could not store the changes for good. Your changes are kept; "
                            "press Save to try again"));
    QCOMPARE(VerifiedSave::statusText(o, UiText::Language::Chinese),
             QStringLiteral("保存失败：键盘未能永久保存这些更改。您的更改仍然保留，请再次点击保存设置重试"));
}

// Replies lost or garbled at random while a save writes and reads back (a lost key record
// reads as an empty key): what the status calls not taken is really not on the power-cycled
// keypad, and what it could not read is called unchecked, never not taken.
void TstVerifiedSave::wordsMatchThePowerCycledKeypad()
{
    for (Kind kind : {Kind::Current, Kind::R10Udav, Kind::Old}) {
        int unchecked = 0;
        for (quint32 seed = 1; seed <= 6; ++seed) {
            const QString context = QStringLiteral("%1 seed %2")
                                        .arg(kind == Kind::Old ? "Old" : kind == Kind::R10Udav ? "R10Udav" : "current")
                                        .arg(seed);
            SaveRig rig(kind);
            KeyboardData model;
            QVERIFY(rig.open());
            QVERIFY(rig.load(model));
            const QVector<SaveItem> edits = rig.edit(model);
            SimBus::setReplyFaultRates(rig.id(), 15, 5, seed);
            const VerifiedSave::Outcome o = rig.save(model);
            SimBus::setReplyFaultRates(rig.id(), 0, 0, seed);
            for (const VerifiedSave::ItemResult &r : o.items)
                unchecked += r.state == State::Unchecked ? 1 : 0;
            if (!VerifiedSave::succeeded(o))
                QVERIFY2(!VerifiedSave::statusText(o, UiText::Language::English).contains(QStringLiteral("did not take"))
                             || std::any_of(o.items.begin(), o.items.end(),
                                            [](const VerifiedSave::ItemResult &r) { return r.state == State::NotTaken; }),
                         qPrintable(context));
            rig.powerCycle();
            checkHonest(rig, model, edits, o, context);
            checkWords(rig, model, o, context);
            if (QTest::currentTestFailed())
                return;
        }
        // The loss rate is high enough that some legacy read-backs fail: the words for them
        // were seen (the current protocol's acknowledgements usually speak for its items).
        if (kind != Kind::Current)
            QVERIFY(unchecked > 0);
    }
}

QTEST_GUILESS_MAIN(TstVerifiedSave)
#include "tst_verifiedsave.moc"
