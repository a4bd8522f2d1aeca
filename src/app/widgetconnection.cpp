// The window's side of the device link. Device work never runs here: the link reports on
// its own signals, and reads and saves run on worker threads.
#include "app/widget.h"

#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "device/hidmanager.h"

#include <QDebug>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

void Widget::initHIDCommunication()
{
    HIDManager *hid = HIDManager::instance();
    connect(hid, &HIDManager::deviceConnected, this, &Widget::onDeviceConnected);
    connect(hid, &HIDManager::deviceDisconnected, this, &Widget::onDeviceDisconnected);
    connect(hid, &HIDManager::progressUpdated, this,
            [](int, int, const QString &msg) { qDebug() << "HID progress:" << msg; });
    hid->startMonitoring();
}

void Widget::onDeviceConnected()
{
    qDebug() << "=== onDeviceConnected called ===";
    m_deviceConnected = true;
    m_statusLabel->setText(uiText(QStringLiteral("Device connected")));
    m_statusLabel->setStyleSheet(QStringLiteral("color: #00FF00; font-weight: bold;"));
    m_saveButton->setText(uiText(QStringLiteral("Save Settings")));
    m_saveButton->setEnabled(true);
    m_viewButton->setEnabled(true);
    m_keyFunctionDisplay->setPlaceholderText(uiText(QStringLiteral("Key Function Display Area")));
}

void Widget::onDeviceDisconnected()
{
    qDebug() << "=== onDeviceDisconnected called ===";
    m_deviceConnected = false;
    m_legacyDevice = false;
    m_deviceInfo = DeviceInfo();
    m_legacyInfo = LegacyDeviceInfo();

    m_statusLabel->setText(uiText(QStringLiteral("Connect the device with a usb cable")));
    m_statusLabel->setStyleSheet(QStringLiteral("color: #FF0000;"));
    m_saveButton->setText(uiText(QStringLiteral("Save Settings")));
    m_saveButton->setEnabled(false);
    m_viewButton->setEnabled(false);
    m_keyFunctionDisplay->clear();
    m_keyFunctionDisplay->setPlaceholderText(uiText(QStringLiteral("Key Function Display Area")));

    for (QPushButton *button : qAsConst(m_buttonSlots)) {
        if (!button)
            continue;
        button->setText(QString());
        button->setChecked(false);
        setSlotMarker(button, false);
    }
    m_highlightedButton = nullptr;
    m_keyboardData.resetAll();

    refreshLegacyDelayPage();
    refreshLegacyOldDelayPage();
    refreshLegacyRgbLedPage();
    refreshLegacyOldRgbLedPage();
    updateLayerButtonsVisibility();
    qDebug() << "Device disconnected, UI updated to disconnected state";
}

void Widget::onSaveSettingsClicked()
{
    if (!m_deviceConnected) {
        qDebug() << "Save: device not connected";
        return;
    }
    if (HIDManager::instance()->isBusy()) {
        qDebug() << "Save: device busy";
        return;
    }
    if (!m_keyboardData.hasUnsavedChanges()) {
        qDebug() << "Save: nothing to save";
        return;
    }
    qDebug() << "Save: requested";
}

void Widget::onViewSettingsClicked()
{
    if (!m_deviceConnected) {
        qDebug() << "View: device not connected";
        return;
    }
    if (HIDManager::instance()->isBusy()) {
        qDebug() << "View: device busy";
        return;
    }
    qDebug() << "View: requested";
}
