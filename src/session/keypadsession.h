#pragma once

#include "model/keyboarddata.h"
#include "model/keypadidentity.h"
#include "model/readcoverage.h"
#include "model/records.h"
#include "model/slotmap.h"
#include "session/connectresult.h"
#include "session/editkeeper.h"
#include "session/verifiedsave.h"

#include <QObject>
#include <QPointer>

#include <functional>

class HIDManager;
class ReadBaseline;

// The connected keypad and every exchange with it, without a window: its kind and identity,
// the reads (connect, View, a plain re-read) and their confirmation, the verified save, the
// refusals while it is absent or busy, and the edits kept while it is away. Reads and saves
// run on workers of the global thread pool; their results come back on this object's
// thread, into the model it was given, and the window hears of each step through signals
// emitted in the order it has to react in.
class KeypadSession : public QObject
{
    Q_OBJECT

public:
    enum class Refusal {
        NotConnected,
        Busy,
        NothingToSave,
    };
    Q_ENUM(Refusal)

    // Which read a result came from.
    enum class ReadKind { Connect, View, Plain };
    Q_ENUM(ReadKind)

    explicit KeypadSession(HIDManager *hid, QObject *parent = nullptr);
    ~KeypadSession() override;

    // The model reads go into and saves write from; not owned.
    void setModel(KeyboardData *model);
    KeyboardData *model() const { return m_model; }

    // --- the keypad
    bool isConnected() const { return m_connected; }
    bool isLegacy() const { return m_legacy; }
    const DeviceInfo &deviceInfo() const { return m_deviceInfo; }
    const LegacyDeviceInfo &legacyInfo() const { return m_legacyInfo; }
    // Records what kind of keypad is connected (after a completed read).
    void setDeviceKind(bool legacy, const DeviceInfo &info, const LegacyDeviceInfo &legacyInfo);
    KeypadIdentity connectedIdentity() const;
    // Bumped by every connection and disconnection: results of an earlier one are dropped.
    quint64 connectionSerial() const { return m_serial; }
    // The slots of the keypad as the window draws it; without a source, the keypad's own
    // preset.
    using SlotMapSource = std::function<SlotMap()>;
    void setSlotMapSource(SlotMapSource source) { m_slotMapSource = std::move(source); }
    SlotMap slotMap() const;

    // --- tasks
    // A read or save started here has not reported back yet. Save and View refuse meanwhile,
    // also in the moments the device lock is free between two of its steps.
    bool isBusy() const { return m_tasksRunning > 0; }
    bool isSaveRunning() const { return m_saveRunning; }
    // The device link is in the middle of an exchange (this session's or anyone's).
    bool isLinkBusy() const;
    // Whether Save or View (`action`, for the log) may talk to the keypad now; a refusal is
    // signalled.
    bool isFreeFor(const char *action);

    // --- edits kept over a replug
    const EditKeeper &editKeeper() const { return m_keeper; }
    const PendingEdits &pendingEdits() const { return m_keeper.pendingEdits(); }
    bool isKeypadLoaded() const { return m_keeper.keypadLoaded(); }

public slots:
    // The link opened a keypad: reads it whole on a worker, then confirms the read.
    void onConnected();
    // The keypad left: its unsaved edits are kept and the model is blanked.
    void onDisconnected();
    // Save Settings: everything changed, after the refusals.
    void save();
    // View Settings' read, once the window has settled the question about unsaved edits.
    void view();
    // A plain re-read with its own log lines.
    void readConfigFromDevice();
    // The keys a macro recording changed, at once; refused with a log line only.
    void autoSaveAfterRecording();
    // Starts a verified save (`keysOnly`: the keys, not the lighting) without refusals.
    void startSave(bool keysOnly);

signals:
    void connected();
    // Kind and identity changed (setDeviceKind).
    void kindChanged();
    // A connect read reached this thread: the kind is set, the model not yet loaded.
    void connectReadArrived(const ConnectResult &result);
    // A read is in the model (keys and, when read, lighting).
    void readApplied(const ConnectResult &result, KeypadSession::ReadKind kind);
    // Edits kept for the keypad just read were put back on top of it; `readComplete`: the
    // read under them brought every slot back.
    void editsRestored(int restored, bool readComplete);
    // A connect read ended (loaded or not: see the result's flags).
    void connectReadDone(const ConnectResult &result);
    // The confirmation of a read is reading a part again (a reply was lost).
    void readingAgain();
    // The background check of a read ended and corrected the model; `loaded` is what it put
    // there.
    void readConfirmed(bool complete, const ReadCoverage &loaded);
    // A read and its confirmation ended: `result` is what the passes agreed on (or the first
    // pass, when the keypad answered neither protocol).
    void readDone(const ConnectResult &result);
    void saveStarted(int items);
    // (items done, items in all) before each item is written.
    void saveProgress(int done, int total);
    // `sameConnection` is false when the keypad left (or was replaced) while it ran.
    void saveFinished(const VerifiedSave::Outcome &outcome, bool sameConnection);
    void busyChanged(bool busy);
    // A task reported back (its result not yet applied).
    void taskEnded();
    void refused(KeypadSession::Refusal why);
    // The keypad left; the model still holds its read (blanked right after).
    void disconnected();
    // After a disconnection: the edits are kept and the model blanked.
    void modelBlanked();

private:
    void beginTask();
    bool endTask(quint64 serial);
    void reread(ReadKind kind);
    void applyConnectResult(const ConnectResult &result);
    void loadLighting(const ConnectResult &result);
    void loadRead(const ConnectResult &result, ReadKind kind);
    void confirmRead(const ConnectResult &first);
    void applyConfirmedRead(const ConnectResult &first, const ConnectResult &confirmed,
                            const ReadBaseline &baseline);
    void onSaveTaskFinished(const VerifiedSave::Outcome &outcome, bool sameConnection);

    HIDManager *m_hid;
    QPointer<KeyboardData> m_model;
    bool m_connected = false;
    bool m_legacy = false;
    DeviceInfo m_deviceInfo;
    LegacyDeviceInfo m_legacyInfo;
    SlotMapSource m_slotMapSource;
    quint64 m_serial = 0;
    int m_tasksRunning = 0;
    bool m_saveRunning = false;
    EditKeeper m_keeper;
};
