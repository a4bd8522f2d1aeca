// The window's side of the device link. Device work never runs on the GUI thread: reads and
// saves run on workers of the global thread pool, and what they bring back reaches the window
// as a queued call (or the link's operationFinished signal for current-protocol saves).
#include "app/widget.h"

#include "app/edithistory.h"

#include "app/confirmedread.h"
#include "app/connectresult.h"
#include "app/devicetasks.h"
#include "app/readbaseline.h"
#include "app/statusline.h"
#include "app/verifiedsave.h"
#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "device/hidmanager.h"
#include "device/legacyhidmanager.h"
#include "model/keyboardsnapshot.h"
#include "model/logcategories.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtConcurrent>

namespace {

const QString CONNECTED_STYLE = QStringLiteral("color: #00FF00; font-weight: bold;");
const QString SAVED_STYLE = QStringLiteral("background-color: #2d5a2d; color: #00FF00; font-weight: bold;");
const QString BUSY_STYLE = QStringLiteral("color: #FFD54F; font-weight: bold;");
const QString PROBLEM_STYLE = QStringLiteral("color: #FF8C00; font-weight: bold;");
const QString READ_INCOMPLETE =
    QStringLiteral("Read incomplete: some keys could not be read. Press View Settings to read again");
const QString READING_AGAIN = QStringLiteral("Read again: a reply was lost");

const char *boolText(bool b)
{
    return b ? "true" : "false";
}

// Runs `work` on a worker and hands its result to `done` on the GUI thread. The call is
// posted to the application object, not the window, so it stays valid if the window goes
// first; `done` checks its own guarded pointer.
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

void Widget::initHIDCommunication()
{
    HIDManager *hid = HIDManager::instance();
    connect(hid, &HIDManager::deviceConnected, this, &Widget::onDeviceConnected);
    connect(hid, &HIDManager::deviceDisconnected, this, &Widget::onDeviceDisconnected);
    connect(hid, &HIDManager::operationFinished, this, &Widget::onOperationFinished);
    connect(hid, &HIDManager::progressUpdated, this,
            [](int, int, const QString &msg) { qCDebug(lcWindow) << "HID progress:" << msg; });

    m_status = new StatusLine(statusLabel(), this);

    hid->startMonitoring();
}

void Widget::showConnectedStatus()
{
    m_status->show(uiText(QStringLiteral("Device connected")), CONNECTED_STYLE);
}

void Widget::showRefusal(const QString &why)
{
    m_status->showMoment(uiText(why), BUSY_STYLE);
}

void Widget::setDeviceTaskButtonsEnabled(bool enabled)
{
    const bool on = enabled && m_deviceConnected && !m_saveRunning;
    if (m_commandColumn) {
        saveSettingsButton()->setEnabled(on);
        viewSettingsButton()->setEnabled(on);
    }
}

bool Widget::endDeviceTask(quint64 serial)
{
    if (m_deviceTasksRunning > 0)
        --m_deviceTasksRunning;
    // After this result is applied, a close waiting for the device may go on.
    if (m_closeAfterSave != CloseAfterSave::No)
        QTimer::singleShot(0, this, &Widget::continueCloseAfterSave);
    if (serial != m_connectionSerial) {
        qCDebug(lcWindow) << "Widget: result of an earlier connection dropped";
        return false;
    }
    return true;
}

void Widget::onDeviceConnected()
{
    qCDebug(lcWindow) << "=== onDeviceConnected called ===";
    m_deviceConnected = true;
    const quint64 serial = ++m_connectionSerial;
    showConnectedStatus();
    saveSettingsButton()->setText(uiText(QStringLiteral("Save Settings")));
    setDeviceTaskButtonsEnabled(true);
    keyFunctionDisplay()->setPlaceholderText(uiText(QStringLiteral("Key Function Display Area")));

    HIDManager *hid = HIDManager::instance();
    QPointer<Widget> self(this);
    ++m_deviceTasksRunning;
    runOnWorker([hid] { return DeviceTasks::readConnectedKeypad(hid); },
                [self, serial](const ConnectResult &result) {
                    if (!self || !self->endDeviceTask(serial))
                        return;
                    self->applyConnectResult(result);
                    self->confirmRead(result);
                });
}

void Widget::applyConnectResult(const ConnectResult &r)
{
    const bool legacy = r.legacyOk && !r.infoOk;
    DeviceInfo info;
    if (r.infoOk)
        info = r.deviceInfo;
    else if (r.legacyOk)
        info = deviceInfoFromLegacy(r.legacyInfo);
    // Also records the clamped layer count the layer column keeps after the keypad leaves.
    setDeviceKind(legacy, info, r.legacyInfo);

    updatePageRoutingFlags();
    updateFunctionPagesForDevice();
    updateLegacyMouseFeatureAvailability();

    if (!r.infoOk && !r.legacyOk) {
        qCDebug(lcWindow) << "Widget: device info not available, keep current path";
    } else if (r.infoOk) {
        applyPhysicalLayout(layoutForDeviceInfo(m_deviceInfo));
        qCDebug(lcWindow).nospace() << "Widget: device info K=" << m_deviceInfo.keyCount
                                    << " E=" << m_deviceInfo.encoderCount
                                    << " D=" << m_deviceInfo.extraKeyCount
                                    << " L=" << m_deviceInfo.layerCount << " P=" << m_deviceInfo.variantP
                                    << " S=" << m_deviceInfo.shape << " B=" << m_deviceInfo.variantB;
    } else {
        applyPhysicalLayout(layoutForDeviceInfo(m_deviceInfo));
        qCDebug(lcWindow).nospace() << "Widget: legacy device info K=" << m_legacyInfo.keyCount
                                    << " E=" << m_legacyInfo.encoderCount << " Ver=" << m_legacyInfo.version
                                    << " Shape=" << m_legacyInfo.shape << " Fmt="
                                    << (m_legacyInfo.format == LegacyDeviceInfo::R10Udav ? "R10Udav" : "Old");
        showConnectedStatus();
    }

    qCDebug(lcWindow).nospace() << "[UI] onDeviceConnected ready infoOk=" << boolText(r.infoOk)
                                << " legacyOk=" << boolText(r.legacyOk) << " allLayers=" << r.layers.size();

    if (r.infoOk || r.legacyOk) {
        const KeypadIdentity keypad = connectedIdentity();
        keepEditsBeforeLoad(keypad);
        m_keyboardData.loadLayers(r.layers, r.coverage);
        qCDebug(lcWindow) << "[UI] onDeviceConnected loaded allLayers";
        if (!r.allLayersOk)
            qCDebug(lcWindow) << (legacy ? "Legacy read layer failed or incomplete"
                                : "readAllConfiguration completed with fallback/default data");
        loadReadConfiguration(r);
        qCDebug(lcWindow) << (legacy ? "Legacy config loaded from device" : "Config loaded from device");
        if (m_history) // the kept edits come back as one step that undo can take back
            m_history->nameStep(QStringLiteral("Restore Unsaved Changes"));
        restoreKeptEdits(keypad, r.allLayersOk);
    }
    updateLayerButtonsVisibility();
}

// The part of loading a read that connect, View and readConfigFromDevice share, after the
// layers are in the model: lighting (only what was read; a keypad that cannot report its
// lighting leaves the model's records alone), every view of the keys, and the status line's
// word on whether everything could be read.
void Widget::loadReadConfiguration(const ConnectResult &r)
{
    if (r.ledConfigs.size() == KeyboardData::LAYER_COUNT)
        m_keyboardData.loadLedConfigs(r.ledConfigs, r.coverage); // also clears their change flags
    showReadStatus(r.allLayersOk);
    refreshAfterRead();
    if (m_history)
        m_history->startNewHistory(); // what was just read is what undo comes back to
}

void Widget::showReadStatus(bool complete)
{
    if (complete)
        showConnectedStatus();
    else
        m_status->show(uiText(READ_INCOMPLETE), PROBLEM_STYLE, StatusLine::Topic::ReadOutcome);
}

void Widget::refreshAfterRead()
{
    restoreKeyFunctionDisplay();
    refreshViewsFromModel();
}

void Widget::refreshViewsFromModel()
{
    // Keys and lighting changed beneath every view of them (a read, an import, kept edits
    // put back, an undo step): each view takes its part from the model again.
    refreshKeyButtonVisuals();
    refreshPhysicalKeyDisplayMode();
    refreshRgbModeButtons();
    refreshLegacyDelayPage();
    refreshLegacyOldDelayPage();
    refreshLegacyRgbLedPage();
    refreshLegacyOldRgbLedPage();
    const int selected = m_keyboardData.selectedKey();
    if (selected >= 0)
        showFullTextInDisplay(displayFullTextForCurrentPage(selected));
}

void Widget::confirmRead(const ConnectResult &first)
{
    if (!first.infoOk && !first.legacyOk)
        return;
    const ReadBaseline baseline(m_keyboardData);
    const quint64 serial = m_connectionSerial;
    HIDManager *hid = HIDManager::instance();
    QPointer<Widget> self(this);
    // Said from the worker, shown on the GUI thread while the third pass runs.
    auto readingAgain = [self, serial] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, serial] {
                if (self && serial == self->m_connectionSerial && self->isDeviceTaskRunning())
                    self->m_status->show(self->uiText(READING_AGAIN), BUSY_STYLE,
                                         StatusLine::Topic::ReadOutcome);
            },
            Qt::QueuedConnection);
    };
    ++m_deviceTasksRunning;
    runOnWorker([hid, first, readingAgain] { return ConfirmedRead(hid).confirm(first, readingAgain); },
                [self, serial, first, baseline](const ConnectResult &confirmed) {
                    if (self && self->endDeviceTask(serial))
                        self->applyConfirmedRead(first, confirmed, baseline);
                });
}

void Widget::applyConfirmedRead(const ConnectResult &first, const ConnectResult &confirmed,
                                const ReadBaseline &baseline)
{
    const ReadCoverage loaded = baseline.apply(m_keyboardData, first, confirmed);
    if (m_history)
        m_history->adoptRead(loaded); // a correction by the keypad is no step of the user's
    qCDebug(lcWindow) << (confirmed.allLayersOk ? "Widget: read confirmed" : "Widget: read not confirmed");
    // A confirmed read takes back only what reading said (reading again, or an incomplete
    // first pass); other news, such as edits restored on top of the read, stays.
    if (!confirmed.allLayersOk || m_status->lastingTopic() == StatusLine::Topic::ReadOutcome)
        showReadStatus(confirmed.allLayersOk);
    refreshAfterRead();
    emit readConfirmed(confirmed.allLayersOk);
}

void Widget::onDeviceDisconnected()
{
    qCDebug(lcWindow) << "=== onDeviceDisconnected called ===";
    m_deviceConnected = false;
    ++m_connectionSerial; // reads still running for the keypad that left are dropped
    m_legacyDevice = false;
    m_deviceInfo = DeviceInfo();
    m_legacyInfo = LegacyDeviceInfo();
    updateSlotMap();
    markAbsentButtons();
    m_status->endMoment();
    m_status->show(uiText(QStringLiteral("Connect the device with a usb cable")),
                   QStringLiteral("color: #FF0000;"));
    updateWindowTitle();
    saveSettingsButton()->setText(uiText(QStringLiteral("Save Settings")));
    saveSettingsButton()->setEnabled(false);
    viewSettingsButton()->setEnabled(false);
    keyFunctionDisplay()->clear();
    keyFunctionDisplay()->setPlaceholderText(uiText(QStringLiteral("Key Function Display Area")));

    for (QPushButton *button : qAsConst(m_buttonSlots)) {
        if (!button)
            continue;
        button->setText(QString());
        button->setChecked(false);
        setSlotMarker(button, false);
    }
    m_highlightedButton = nullptr;
    keepEditsOfLeavingKeypad();
    m_keyboardData.resetAll();
    if (m_history)
        m_history->startNewHistory();

    refreshLegacyDelayPage();
    refreshLegacyOldDelayPage();
    refreshLegacyRgbLedPage();
    refreshLegacyOldRgbLedPage();
    updateLayerButtonsVisibility();
    qCDebug(lcWindow) << "Device disconnected, UI updated to disconnected state";
}

bool Widget::keypadFreeFor(const char *action)
{
    if (!m_deviceConnected) {
        qCDebug(lcWindow).nospace().noquote() << action << ": device not connected";
        return false;
    }
    if (HIDManager::instance()->isBusy() || isDeviceTaskRunning()) {
        qCDebug(lcWindow).nospace().noquote() << action << ": device busy";
        showRefusal(QStringLiteral("The keypad is busy: try again in a moment"));
        return false;
    }
    return true;
}

void Widget::onSaveSettingsClicked()
{
    if (!keypadFreeFor("Save"))
        return;
    if (!m_keyboardData.hasUnsavedChanges()) {
        qCDebug(lcWindow) << "Save: nothing to save";
        showRefusal(QStringLiteral("Nothing to save"));
        return;
    }

    startSaveTask(false);
}

void Widget::onOperationFinished(bool success, const QString &msg)
{
    // The status line follows the window's own save task, which ends after this arrives
    // (it still checks what the keypad holds); here only the log hears of it.
    if (!success)
        qCDebug(lcWindow) << "HIDManager operation failed:" << msg;
}

void Widget::onSaveTaskFinished(const VerifiedSave::Outcome &outcome, bool sameConnection)
{
    m_saveRunning = false;
    VerifiedSave::apply(m_keyboardData, outcome);
    const QVector<SaveItem> left = VerifiedSave::unsaved(outcome);
    if (!left.isEmpty()) {
        qCDebug(lcWindow) << (m_legacyDevice ? "Legacy save failed" : "Widget: save incomplete") << "unsaved="
                          << left.size();
        refreshKeyButtonVisuals();
    }
    setDeviceTaskButtonsEnabled(true);
    // A save that ends as the keypad leaves must not cover the disconnected status.
    if (!sameConnection || !m_deviceConnected)
        return;
    const QString text = VerifiedSave::statusText(
        outcome, m_chinese ? UiText::Language::Chinese : UiText::Language::English);
    if (VerifiedSave::succeeded(outcome)) {
        showConnectedStatus();
        m_status->showMoment(text, SAVED_STYLE);
    } else {
        m_status->show(text, PROBLEM_STYLE);
    }
}

void Widget::startAutoSaveAfterRecording()
{
    if (!m_deviceConnected) {
        qCDebug(lcWindow) << "Auto-save: device not connected";
        return;
    }
    if (m_keyboardData.selectedKey() < 0) {
        qCDebug(lcWindow) << "Auto-save: no key selected";
        return;
    }
    HIDManager *hid = HIDManager::instance();
    if (hid->isBusy() || isDeviceTaskRunning()) {
        qCDebug(lcWindow) << "Auto-save: device busy";
        return;
    }
    startSaveTask(true);
}

void Widget::startSaveTask(bool keysOnly)
{
    HIDManager *hid = HIDManager::instance();
    // The worker writes this copy; the user may keep editing the live model meanwhile, and
    // a key edited again before its acknowledgement arrives stays dirty.
    const KeyboardSnapshot snapshot = m_keyboardData.snapshot();
    const QPointer<KeyboardData> model(&m_keyboardData);
    const quint64 serial = m_connectionSerial;
    QPointer<Widget> self(this);
    VerifiedSave::Target target;
    // Legacy firmware answers no current-protocol write; its own save (keys, lighting,
    // commit) is what makes a change stick there, also after a macro recording.
    target.legacy = m_legacyDevice;
    target.legacyInfo = m_legacyInfo;
    target.keysOnly = keysOnly && !m_legacyDevice;
    target.slotMap = m_slotMap;
    const VerifiedSave save(hid, target);

    ++m_deviceTasksRunning;
    m_saveRunning = true;
    setDeviceTaskButtonsEnabled(false);
    m_status->endMoment();
    int items = 0;
    for (int l = 0; l < snapshot.layers.size(); ++l) {
        for (const KeyData &key : snapshot.layers[l])
            items += key.dirty ? 1 : 0;
        if (!target.keysOnly && l < snapshot.ledConfigs.size())
            items += snapshot.ledConfigs[l].anyDirty() ? 1 : 0;
    }
    m_status->show(uiText(QStringLiteral("Saving %1 of %2…")).arg(1).arg(qMax(1, items)), BUSY_STYLE);
    const bool chinese = m_chinese;
    auto progress = [self, serial, chinese](int done, int total) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, serial, chinese, done, total] {
                if (!self || serial != self->m_connectionSerial || !self->isDeviceTaskRunning())
                    return;
                const auto lang = chinese ? UiText::Language::Chinese : UiText::Language::English;
                const QString text =
                    done >= total ? UiText::text(QStringLiteral("Checking what the keypad holds…"), lang)
                                  : UiText::text(QStringLiteral("Saving %1 of %2…"), lang)
                                        .arg(done + 1)
                                        .arg(total);
                self->m_status->show(text, BUSY_STYLE);
            },
            Qt::QueuedConnection);
    };
    runOnWorker([save, model, snapshot, progress] { return save.run(model, snapshot, progress); },
                [self, serial](const VerifiedSave::Outcome &outcome) {
                    if (!self)
                        return;
                    const bool same = self->endDeviceTask(serial);
                    self->onSaveTaskFinished(outcome, same);
                });
}

void Widget::onViewSettingsClicked()
{
    // Asked again after the question: the keypad may have left or got busy meanwhile.
    if (!keypadFreeFor("View") || !mayReadOverUnsavedEdits() || !keypadFreeFor("View"))
        return;
    const bool legacy = m_legacyDevice;
    const LegacyDeviceInfo info = m_legacyInfo;
    const quint64 serial = m_connectionSerial;
    HIDManager *hid = HIDManager::instance();
    QPointer<Widget> self(this);
    ++m_deviceTasksRunning;
    runOnWorker([hid, legacy, info] { return DeviceTasks::rereadKeypad(hid, legacy, info); },
                [self, serial](const ConnectResult &result) {
                    if (!self || !self->endDeviceTask(serial))
                        return;
                    self->applyViewResult(result);
                    self->confirmRead(result);
                });
}

void Widget::applyViewResult(const ConnectResult &r)
{
    if (!r.allLayersOk)
        qCDebug(lcWindow) << "View: readAllConfiguration completed with fallback/default data";
    m_keyboardData.loadLayers(r.layers, r.coverage);
    loadReadConfiguration(r);
    qCDebug(lcWindow) << "View: config reloaded from device";
}

// Not wired to any control; kept for callers that want a plain re-read with its own log
// lines. It reads on a worker like View does.
void Widget::readConfigFromDevice()
{
    qCDebug(lcWindow) << "=== readConfigFromDevice called ===";
    const bool legacy = m_legacyDevice;
    const LegacyDeviceInfo info = m_legacyInfo;
    const quint64 serial = m_connectionSerial;
    HIDManager *hid = HIDManager::instance();
    QPointer<Widget> self(this);
    ++m_deviceTasksRunning;
    runOnWorker([hid, legacy, info] { return DeviceTasks::rereadKeypad(hid, legacy, info); },
                [self, serial](const ConnectResult &r) {
                    if (!self || !self->endDeviceTask(serial))
                        return;
                    bool any = false;
                    for (const QVector<KeyData> &layer : r.layers)
                        any = any || !layer.isEmpty();
                    if (!any) {
                        qCDebug(lcWindow) << "readConfigFromDevice failed";
                        return;
                    }
                    self->m_keyboardData.loadLayers(r.layers, r.coverage);
                    self->loadReadConfiguration(r);
                    qCDebug(lcWindow) << "Config loaded from device";
                    if (!r.allLayersOk)
                        qCDebug(lcWindow) << "readConfigFromDevice completed with fallback/default data";
                    self->confirmRead(r);
                });
}
