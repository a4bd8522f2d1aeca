#pragma once

// A simulated keypad of any protocol kind, opened by the device link without scanning, with
// what a test of saving needs around it: a read into a model, a standard set of edits on three
// layers and two lighting records, and the question whether the keypad holds an edit.
//
//     SaveRig rig(SaveRig::Kind::R10Udav);
//     KeyboardData model;
//     QVERIFY(rig.open() && rig.load(model));
//     rig.edit(model);
//     const VerifiedSave::Outcome o = rig.save(model);
//     rig.reopen(); rig.powerCycle();
//     const ConnectResult after = rig.read();
//     rig.holds(after, item)  ...

#include "session/connectresult.h"
#include "session/verifiedsave.h"
#include "sim/currentfirmware.h"
#include "sim/legacyfirmware.h"

#include <QString>
#include <QVector>
#include <QMetaType>

#include <memory>

class KeyboardData;

namespace testsupport {

class SaveRig
{
public:
    enum class Kind { Current, R10Udav, Old };

    explicit SaveRig(Kind kind);
    ~SaveRig();
    SaveRig(const SaveRig &) = delete;
    SaveRig &operator=(const SaveRig &) = delete;

    Kind kind() const { return m_kind; }
    bool legacy() const { return m_kind != Kind::Current; }
    int id() const { return m_id; }
    std::shared_ptr<sim::CurrentFirmware> current() const { return m_current; }
    std::shared_ptr<sim::LegacyFirmware> legacyFirmware() const { return m_legacy; }

    // Plugs the keypad (again, after an unplug: same firmware, same memory) and opens it.
    bool open();
    // Closes whatever the link holds and opens the keypad anew.
    bool reopen();
    // The keypad's full read, confirmed as View and --export confirm it.
    ConnectResult read() const;
    // read() loaded into `model`; false when the read was not complete.
    bool load(KeyboardData &model) const;
    // Four keys on three layers (a key, a knob action, a macro, a key) and the lighting of
    // layers 0 and 1. Returns the items changed.
    QVector<SaveItem> edit(KeyboardData &model) const;
    VerifiedSave::Outcome save(KeyboardData &model) const;
    // A legacy keypad forgets what was not committed; the current one keeps everything.
    void powerCycle() const;
    // Whether `read` shows the keypad holding `model`'s version of `item`.
    bool holds(const ConnectResult &read, const KeyboardData &model, const SaveItem &item) const;

private:
    Kind m_kind;
    LegacyDeviceInfo m_info; // as probed on open()
    std::shared_ptr<sim::CurrentFirmware> m_current;
    std::shared_ptr<sim::LegacyFirmware> m_legacy;
    int m_id = 0;
};

// "layer 0 key 3", "layer 1 lighting" (counted from 0), for failure messages.
QString where(const SaveItem &item);
bool changed(const KeyboardData &model, const SaveItem &item);
// After the keypad came back (and, legacy, was power cycled): every edit it does not hold
// is still changed in the model, and every item `outcome` called saved is held.
void checkHonest(const SaveRig &rig, const KeyboardData &model, const QVector<SaveItem> &edits,
                 const VerifiedSave::Outcome &outcome, const QString &context);
// A "kind" column with the three protocol kinds, for _data() functions.
void addSaveRigKinds();

} // namespace testsupport

Q_DECLARE_METATYPE(testsupport::SaveRig::Kind)
