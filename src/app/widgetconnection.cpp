// The window's side of the keypad session: what the window shows of each step the session
// tells (a read in the model, a save's progress, a keypad that left). The exchanges
// themselves, and the state of the keypad, are the session's.
#include "app/widget.h"

#include "app/edithistory.h"
#include "app/statusline.h"
#include "app/statuspresenter.h"
#include "device/hidmanager.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QPushButton>
#include <QTextEdit>

void Widget::initHIDCommunication()
{
    HIDManager *hid = HIDManager::instance();
    connect(hid, &HIDManager::deviceConnected, this, &Widget::onDeviceConnected);
    connect(hid, &HIDManager::deviceDisconnected, this, &Widget::onDeviceDisconnected);
    connect(hid, &HIDManager::operationFinished, this, &Widget::onOperationFinished);
    connect(hid, &HIDManager::progressUpdated, this,
            [](int, int, const QString &msg) { qCDebug(lcWindow) << "HID progress:" << msg; });

    m_status = new StatusLine(statusLabel(), this);
    m_statusPresenter = new StatusPresenter(
        m_status, [this] { return isChinese() ? UiText::Language::Chinese : UiText::Language::English; }, this);
    connectSession();

    hid->startMonitoring();
}

void Widget::connectSession()
{
    KeypadSession *s = session();
    connect(s, &KeypadSession::connected, this, &Widget::onSessionConnected);
    connect(s, &KeypadSession::connectReadArrived, this, &Widget::onConnectReadArrived);
    connect(s, &KeypadSession::readApplied, this, &Widget::onReadApplied);
    connect(s, &KeypadSession::editsRestored, this, &Widget::onEditsRestored);
    connect(s, &KeypadSession::connectReadDone, this, &Widget::onConnectReadDone);
    connect(s, &KeypadSession::readingAgain, m_statusPresenter, &StatusPresenter::showReadingAgain);
    connect(s, &KeypadSession::readConfirmed, this, &Widget::onReadConfirmed);
    connect(s, &KeypadSession::disconnected, this, &Widget::onSessionDisconnected);
    connect(s, &KeypadSession::modelBlanked, this, &Widget::onModelBlanked);
    connect(s, &KeypadSession::refused, m_statusPresenter, &StatusPresenter::showRefusal);
    connect(s, &KeypadSession::saveStarted, this, &Widget::onSaveStarted);
    connect(s, &KeypadSession::saveProgress, m_statusPresenter, &StatusPresenter::showSaveProgress);
    connect(s, &KeypadSession::saveFinished, this, &Widget::onSaveFinished);
}

void Widget::setDeviceKind(bool legacy, const DeviceInfo &info, const LegacyDeviceInfo &legacyInfo)
{
    session()->setDeviceKind(legacy, info, legacyInfo);
}

void Widget::onKindChanged()
{
    // Kept after the device goes away: the layer buttons keep the last keypad's count.
    m_layerBar->setLastConnectedCount(qBound(1, int(deviceInfo().layerCount), 3));
    updateSlotMap();
    markAbsentButtons();
}

void Widget::setDeviceTaskButtonsEnabled(bool enabled)
{
    const bool on = enabled && isDeviceConnected() && !session()->isSaveRunning();
    if (m_commandColumn) {
        saveSettingsButton()->setEnabled(on);
        viewSettingsButton()->setEnabled(on);
    }
}

void Widget::showRefusal(const QString &why)
{
    m_statusPresenter->showRefusalText(why);
}

void Widget::onDeviceConnected()
{
    session()->onConnected();
}

void Widget::onSessionConnected()
{
    m_statusPresenter->showConnected();
    saveSettingsButton()->setText(uiText(QStringLiteral("Save Settings")));
    setDeviceTaskButtonsEnabled(true);
    keyFunctionDisplay()->setPlaceholderText(uiText(QStringLiteral("Key Function Display Area")));
}

void Widget::routePagesForKeypad()
{
    updatePageRoutingFlags();
    updateFunctionPagesForDevice();
    updateLegacyMouseFeatureAvailability();
}

void Widget::onConnectReadArrived(const ConnectResult &r)
{
    routePagesForKeypad();

    const DeviceInfo &info = deviceInfo();
    const LegacyDeviceInfo &legacy = legacyInfo();
    if (!r.infoOk && !r.legacyOk) {
        qCDebug(lcWindow) << "Widget: device info not available, keep current path";
    } else if (r.infoOk) {
        applyPhysicalLayout(layoutForDeviceInfo(info));
        qCDebug(lcWindow).nospace() << "Widget: device info K=" << info.keyCount << " E=" << info.encoderCount
                                    << " D=" << info.extraKeyCount << " L=" << info.layerCount
                                    << " P=" << info.variantP << " S=" << info.shape << " B=" << info.variantB;
    } else {
        applyPhysicalLayout(layoutForDeviceInfo(info));
        qCDebug(lcWindow).nospace() << "Widget: legacy device info K=" << legacy.keyCount
                                    << " E=" << legacy.encoderCount << " Ver=" << legacy.version
                                    << " Shape=" << legacy.shape << " Fmt="
                                    << (legacy.format == LegacyDeviceInfo::R10Udav ? "R10Udav" : "Old");
        m_statusPresenter->showConnected();
    }
}

// A read is in the model (connect, View, readConfigFromDevice): the status line's word on
// whether everything could be read, and the undo history starts from it.
void Widget::onReadApplied(const ConnectResult &r, KeypadSession::ReadKind kind)
{
    // The views took the read when the model reported its content replaced.
    m_statusPresenter->showReadOutcome(r.allLayersOk);
    if (m_history) {
        m_history->startNewHistory(); // what was just read is what undo comes back to
        if (kind == KeypadSession::ReadKind::Connect) // kept edits come back as one step undo takes back
            m_history->nameStep(QStringLiteral("Restore Unsaved Changes"));
    }
    if (kind == KeypadSession::ReadKind::View)
        emit settingsReread();
}

void Widget::onEditsRestored(int restored, bool readComplete)
{
    // The views took the restored edits when the model said so.
    // A read that came back incomplete says so first: that is what the user must act on.
    if (readComplete)
        m_statusPresenter->showEditsRestored(restored);
}

void Widget::onConnectReadDone(const ConnectResult &r)
{
    Q_UNUSED(r)
    updateLayerButtonsVisibility();
    sayWhenAnotherKeypadOpened();
    emit keypadLoaded();
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

void Widget::onReadConfirmed(bool complete, const ReadCoverage &loaded)
{
    if (m_history)
        m_history->adoptRead(loaded); // a correction by the keypad is no step of the user's
    m_statusPresenter->showConfirmedRead(complete);
    emit readConfirmed(complete);
}

void Widget::onDeviceDisconnected()
{
    session()->onDisconnected();
}

void Widget::onSessionDisconnected()
{
    updateSlotMap();
    markAbsentButtons();
    m_statusPresenter->showDisconnected();
    updateWindowTitle();
    saveSettingsButton()->setText(uiText(QStringLiteral("Save Settings")));
    saveSettingsButton()->setEnabled(false);
    viewSettingsButton()->setEnabled(false);
    keyFunctionDisplay()->clear();
    keyFunctionDisplay()->setPlaceholderText(uiText(QStringLiteral("Key Function Display Area")));

    m_panel->blank();
}

void Widget::onModelBlanked()
{
    if (m_history)
        m_history->startNewHistory();
    refreshLegacyDelayPage();
    refreshLegacyOldDelayPage();
    refreshLegacyRgbLedPage();
    refreshLegacyOldRgbLedPage();
    updateLayerButtonsVisibility();
    qCDebug(lcWindow) << "Device disconnected, UI updated to disconnected state";
}

void Widget::onSaveSettingsClicked()
{
    session()->save();
}

void Widget::onOperationFinished(bool success, const QString &msg)
{
    // The status line follows the session's save task, which ends after this arrives (it
    // still checks what the keypad holds); here only the log hears of it.
    if (!success)
        qCDebug(lcWindow) << "HIDManager operation failed:" << msg;
}

void Widget::onSaveStarted(int items)
{
    setDeviceTaskButtonsEnabled(false);
    m_statusPresenter->showSaveStarted(items);
}

void Widget::onSaveFinished(const VerifiedSave::Outcome &outcome, bool sameConnection)
{
    if (!VerifiedSave::unsaved(outcome).isEmpty())
        refreshKeyButtonVisuals();
    setDeviceTaskButtonsEnabled(true);
    // A save that ends as the keypad leaves must not cover the disconnected status.
    if (!sameConnection || !isDeviceConnected())
        return;
    m_statusPresenter->showSaveFinished(outcome);
}

void Widget::startAutoSaveAfterRecording()
{
    session()->autoSaveAfterRecording();
}

void Widget::onViewSettingsClicked()
{
    // Asked again after the question: the keypad may have left or got busy meanwhile.
    if (!session()->isFreeFor("View") || !mayReadOverUnsavedEdits() || !session()->isFreeFor("View"))
        return;
    session()->view();
}

// Not wired to any control; kept for callers that want a plain re-read with its own log
// lines. It reads on a worker like View does.
void Widget::readConfigFromDevice()
{
    session()->readConfigFromDevice();
}
