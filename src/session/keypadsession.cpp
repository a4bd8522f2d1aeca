// Device work never runs on the caller's thread: reads and saves run on workers of the global
// thread pool, and what they bring back reaches the session as a queued call (or the link's
// acknowledgements for current-protocol saves).
#include "session/keypadsession.h"

#include "device/hidmanager.h"
#include "model/keyboarddata.h"
#include "model/keyboardsnapshot.h"
#include "model/logcategories.h"
#include "session/confirmedread.h"
#include "session/devicetasks.h"
#include "session/readbaseline.h"

#include <QCoreApplication>
#include <QDebug>
#include <QtConcurrent>

namespace {

const char *boolText(bool b)
{
    return b ? "true" : "false";
}

// Runs `work` on a worker and hands its result to `done` on the application's thread. The
// call is posted to the application object, not the session, so it stays valid if the
// session goes first; `done` checks its own guarded pointer.
template <typename Work, typename Done>
void runOnWorker(Work work, Done done)
{
    QtConcurrent::run([work, done]() mutable {
        auto result = work();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [done, result]() mutable { done(result); },
            Qt::QueuedConnection);
    });
}

} // namespace

KeypadSession::KeypadSession(HIDManager *hid, QObject *parent)
    : QObject(parent), m_hid(hid)
{
}

KeypadSession::~KeypadSession() = default;

void KeypadSession::setModel(KeyboardData *model)
{
    m_model = model;
}

void KeypadSession::setDeviceKind(bool legacy, const DeviceInfo &info, const LegacyDeviceInfo &legacyInfo)
{
    m_legacy = legacy;
    m_deviceInfo = info;
    m_legacyInfo = legacy ? legacyInfo : LegacyDeviceInfo();
    emit kindChanged();
}

KeypadIdentity KeypadSession::connectedIdentity() const
{
    KeypadIdentity id = m_legacy ? KeypadIdentity::ofLegacy(m_hid->vendorId(), m_hid->productId(), m_legacyInfo)
                                 : KeypadIdentity::ofCurrent(m_hid->vendorId(), m_hid->productId(), m_deviceInfo);
    id.unit = m_hid->openKeypadIdentity(); // which one of its model, for kept edits
    return id;
}

SlotMap KeypadSession::slotMap() const
{
    if (m_slotMapSource)
        return m_slotMapSource();
    if (m_legacy) {
        const PhysicalLayoutConfig preset = SlotMap::presetFor(deviceInfoFromLegacy(m_legacyInfo), true);
        return SlotMap::forLegacy(m_legacyInfo, preset);
    }
    if (m_deviceInfo.valid)
        return SlotMap::forCurrent(m_deviceInfo, SlotMap::presetFor(m_deviceInfo, false));
    return SlotMap();
}

bool KeypadSession::isLinkBusy() const
{
    return m_hid->isBusy();
}

void KeypadSession::beginTask()
{
    if (m_tasksRunning++ == 0)
        emit busyChanged(true);
}

bool KeypadSession::endTask(quint64 serial)
{
    if (m_tasksRunning > 0 && --m_tasksRunning == 0)
        emit busyChanged(false);
    // After this result is applied, a close waiting for the device may go on.
    emit taskEnded();
    if (serial != m_serial) {
        qCDebug(lcWindow) << "Widget: result of an earlier connection dropped";
        return false;
    }
    return true;
}

bool KeypadSession::isFreeFor(const char *action)
{
    if (!m_connected) {
        qCDebug(lcWindow).nospace().noquote() << action << ": device not connected";
        emit refused(Refusal::NotConnected);
        return false;
    }
    if (m_hid->isBusy() || isBusy()) {
        qCDebug(lcWindow).nospace().noquote() << action << ": device busy";
        emit refused(Refusal::Busy);
        return false;
    }
    return true;
}

void KeypadSession::onConnected()
{
    qCDebug(lcWindow) << "=== onDeviceConnected called ===";
    m_connected = true;
    const quint64 serial = ++m_serial;
    emit connected();

    HIDManager *hid = m_hid;
    QPointer<KeypadSession> self(this);
    beginTask();
    runOnWorker([hid] { return DeviceTasks::readConnectedKeypad(hid); },
                [self, serial](const ConnectResult &result) {
                    if (!self || !self->endTask(serial))
                        return;
                    self->applyConnectResult(result);
                    self->confirmRead(result);
                });
}

void KeypadSession::applyConnectResult(const ConnectResult &r)
{
    const bool legacy = r.legacyOk && !r.infoOk;
    DeviceInfo info;
    if (r.infoOk)
        info = r.deviceInfo;
    else if (r.legacyOk)
        info = deviceInfoFromLegacy(r.legacyInfo);
    setDeviceKind(legacy, info, r.legacyInfo);
    if (legacy) // the link learns a current keypad's model by itself
        m_hid->noteOpenKeypadModel(info, r.legacyInfo);
    emit connectReadArrived(r);

    qCDebug(lcWindow).nospace() << "[UI] onDeviceConnected ready infoOk=" << boolText(r.infoOk)
                                << " legacyOk=" << boolText(r.legacyOk) << " allLayers=" << r.layers.size();

    if ((r.infoOk || r.legacyOk) && m_model) {
        const KeypadIdentity keypad = connectedIdentity();
        m_keeper.keepBeforeLoad(*m_model, keypad);
        {
            const KeyboardData::Replacement once(*m_model); // the views refresh once per read
            m_model->loadLayers(r.layers, r.coverage);
            qCDebug(lcWindow) << "[UI] onDeviceConnected loaded allLayers";
            if (!r.allLayersOk)
                qCDebug(lcWindow) << (legacy ? "Legacy read layer failed or incomplete"
                                             : "readAllConfiguration completed with fallback/default data");
            loadLighting(r);
        }
        emit readApplied(r, ReadKind::Connect);
        qCDebug(lcWindow) << (legacy ? "Legacy config loaded from device" : "Config loaded from device");
        const int restored = m_model ? m_keeper.restore(*m_model, keypad) : -1;
        if (restored > 0)
            emit editsRestored(restored, r.allLayersOk);
    }
    emit connectReadDone(r);
}

// Lighting is loaded only where it was read: a keypad that cannot report its lighting leaves
// the model's records alone.
void KeypadSession::loadLighting(const ConnectResult &r)
{
    if (m_model && r.ledConfigs.size() == KeyboardData::LAYER_COUNT)
        m_model->loadLedConfigs(r.ledConfigs, r.coverage); // also clears their change flags
}

// What View and readConfigFromDevice share: keys and lighting go into the model as one
// replacement, so every view refreshes once, and then the window hears of the read.
void KeypadSession::loadRead(const ConnectResult &r, ReadKind kind)
{
    {
        const KeyboardData::Replacement once(*m_model);
        m_model->loadLayers(r.layers, r.coverage);
        loadLighting(r);
    }
    emit readApplied(r, kind);
}

void KeypadSession::confirmRead(const ConnectResult &first)
{
    if ((!first.infoOk && !first.legacyOk) || !m_model) {
        emit readDone(first);
        return;
    }
    const ReadBaseline baseline(*m_model);
    const quint64 serial = m_serial;
    HIDManager *hid = m_hid;
    QPointer<KeypadSession> self(this);
    // Said from the worker, told on this thread while the third pass runs.
    auto readingAgain = [self, serial] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, serial] {
                if (self && serial == self->m_serial && self->isBusy())
                    emit self->readingAgain();
            },
            Qt::QueuedConnection);
    };
    beginTask();
    runOnWorker([hid, first, readingAgain] { return ConfirmedRead(hid).confirm(first, readingAgain); },
                [self, serial, first, baseline](const ConnectResult &confirmed) {
                    if (self && self->endTask(serial))
                        self->applyConfirmedRead(first, confirmed, baseline);
                });
}

void KeypadSession::applyConfirmedRead(const ConnectResult &first, const ConnectResult &confirmed,
                                       const ReadBaseline &baseline)
{
    if (!m_model) {
        emit readDone(confirmed);
        return;
    }
    const ReadCoverage loaded = baseline.apply(*m_model, first, confirmed);
    qCDebug(lcWindow) << (confirmed.allLayersOk ? "Widget: read confirmed" : "Widget: read not confirmed");
    emit readConfirmed(confirmed.allLayersOk, loaded);
    emit readDone(confirmed);
}

void KeypadSession::onDisconnected()
{
    qCDebug(lcWindow) << "=== onDeviceDisconnected called ===";
    m_connected = false;
    ++m_serial; // reads still running for the keypad that left are dropped
    m_legacy = false;
    m_deviceInfo = DeviceInfo();
    m_legacyInfo = LegacyDeviceInfo();
    emit disconnected();
    if (m_model) {
        m_keeper.keepLeaving(*m_model);
        m_model->resetAll();
    }
    emit modelBlanked();
}

void KeypadSession::save()
{
    if (!isFreeFor("Save"))
        return;
    if (!m_model || !m_model->hasUnsavedChanges()) {
        qCDebug(lcWindow) << "Save: nothing to save";
        emit refused(Refusal::NothingToSave);
        return;
    }
    startSave(false);
}

void KeypadSession::autoSaveAfterRecording()
{
    if (!m_connected) {
        qCDebug(lcWindow) << "Auto-save: device not connected";
        return;
    }
    if (!m_model || m_model->selectedKey() < 0) {
        qCDebug(lcWindow) << "Auto-save: no key selected";
        return;
    }
    if (m_hid->isBusy() || isBusy()) {
        qCDebug(lcWindow) << "Auto-save: device busy";
        return;
    }
    startSave(true);
}

void KeypadSession::startSave(bool keysOnly)
{
    if (!m_model)
        return;
    // The worker writes this copy; the user may keep editing the live model meanwhile, and
    // a key edited again before its acknowledgement arrives stays dirty.
    const KeyboardSnapshot snapshot = m_model->snapshot();
    const QPointer<KeyboardData> model(m_model);
    const quint64 serial = m_serial;
    QPointer<KeypadSession> self(this);
    VerifiedSave::Target target;
    // Legacy firmware answers no current-protocol write; its own save (keys, lighting,
    // commit) is what makes a change stick there, also after a macro recording.
    target.legacy = m_legacy;
    target.legacyInfo = m_legacyInfo;
    target.keysOnly = keysOnly && !m_legacy;
    target.slotMap = slotMap();
    const VerifiedSave save(m_hid, target);

    beginTask();
    m_saveRunning = true;
    int items = 0;
    for (int l = 0; l < snapshot.layers.size(); ++l) {
        for (const KeyData &key : snapshot.layers[l])
            items += key.dirty ? 1 : 0;
        if (!target.keysOnly && l < snapshot.ledConfigs.size())
            items += snapshot.ledConfigs[l].anyDirty() ? 1 : 0;
    }
    emit saveStarted(qMax(1, items));
    auto progress = [self, serial](int done, int total) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, serial, done, total] {
                if (self && serial == self->m_serial && self->isBusy())
                    emit self->saveProgress(done, total);
            },
            Qt::QueuedConnection);
    };
    runOnWorker([save, model, snapshot, progress] { return save.run(model, snapshot, progress); },
                [self, serial](const VerifiedSave::Outcome &outcome) {
                    if (!self)
                        return;
                    const bool same = self->endTask(serial);
                    self->onSaveTaskFinished(outcome, same);
                });
}

void KeypadSession::onSaveTaskFinished(const VerifiedSave::Outcome &outcome, bool sameConnection)
{
    m_saveRunning = false;
    if (m_model)
        VerifiedSave::apply(*m_model, outcome);
    const QVector<SaveItem> left = VerifiedSave::unsaved(outcome);
    if (!left.isEmpty())
        qCDebug(lcWindow) << (m_legacy ? "Legacy save failed" : "Widget: save incomplete") << "unsaved="
                          << left.size();
    emit saveFinished(outcome, sameConnection);
}

void KeypadSession::view()
{
    reread(ReadKind::View);
}

void KeypadSession::readConfigFromDevice()
{
    qCDebug(lcWindow) << "=== readConfigFromDevice called ===";
    reread(ReadKind::Plain);
}

void KeypadSession::reread(ReadKind kind)
{
    const bool legacy = m_legacy;
    const LegacyDeviceInfo info = m_legacyInfo;
    const quint64 serial = m_serial;
    HIDManager *hid = m_hid;
    QPointer<KeypadSession> self(this);
    beginTask();
    runOnWorker([hid, legacy, info] { return DeviceTasks::rereadKeypad(hid, legacy, info); },
                [self, serial, kind](const ConnectResult &r) {
                    if (!self || !self->endTask(serial) || !self->m_model)
                        return;
                    if (kind == ReadKind::View) {
                        if (!r.allLayersOk)
                            qCDebug(lcWindow) << "View: readAllConfiguration completed with fallback/default data";
                        self->loadRead(r, kind);
                        qCDebug(lcWindow) << "View: config reloaded from device";
                    } else {
                        bool any = false;
                        for (const QVector<KeyData> &layer : r.layers)
                            any = any || !layer.isEmpty();
                        if (!any) {
                            qCDebug(lcWindow) << "readConfigFromDevice failed";
                            return;
                        }
                        self->loadRead(r, kind);
                        qCDebug(lcWindow) << "Config loaded from device";
                        if (!r.allLayersOk)
                            qCDebug(lcWindow) << "readConfigFromDevice completed with fallback/default data";
                    }
                    self->confirmRead(r);
                });
}
