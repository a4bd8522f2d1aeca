// The window's answer to a keypad that is on the bus but may not be opened: without the
// udev rule its hidraw node belongs to root, and "Connect the device with a usb cable"
// would send the user looking for a cable fault. Device link state only; nothing to read.
#include "app/widget.h"

#include "device/hidmanager.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QLabel>

void Widget::onDeviceAccessDenied()
{
    qCDebug(lcWindow) << "=== onDeviceAccessDenied called ===";
    if (m_deviceConnected)
        return;
    m_statusLabel->setText(uiText(QStringLiteral("Keypad found, but access was denied: install the udev rule")));
    // Longer than the usual status texts: a smaller size keeps it whole down to the
    // minimum window width.
    m_statusLabel->setStyleSheet(QStringLiteral("color: #FF0000; font-size: 18px;"));
}

void Widget::onDeviceAccessDeniedCleared()
{
    qCDebug(lcWindow) << "=== onDeviceAccessDeniedCleared called ===";
    // An opened keypad is announced right after this and sets its own text.
    if (m_deviceConnected)
        return;
    m_statusLabel->setText(uiText(QStringLiteral("Connect the device with a usb cable")));
    m_statusLabel->setStyleSheet(QStringLiteral("color: #FF0000;"));
}

void Widget::connectDeviceAccessStatus()
{
    HIDManager *hid = HIDManager::instance();
    connect(hid, &HIDManager::deviceAccessDenied, this, &Widget::onDeviceAccessDenied);
    connect(hid, &HIDManager::deviceAccessDeniedCleared, this, &Widget::onDeviceAccessDeniedCleared);
    // The link outlives windows and may already know.
    if (hid->isAccessDenied())
        onDeviceAccessDenied();
}
