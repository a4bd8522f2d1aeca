// The window's answer to a keypad that is on the bus but may not be opened: without the
// udev rule its hidraw node belongs to root, and "Connect the device with a usb cable"
// would send the user looking for a cable fault. Device link state only; nothing to read.
#include "app/widget.h"

#include "app/statusline.h"
#include "app/udevruledialog.h"
#include "device/hidmanager.h"
#include "model/logcategories.h"

#include <QDebug>

namespace {

// Bold like the other statuses, and a light red that keeps 4.8:1 on the top bar (#FF0000
// there is 2.9:1).
const QString DENIED_STYLE = QStringLiteral("color: #FF8080; font-weight: bold;");

} // namespace

void Widget::showAccessFix()
{
    UdevRuleDialog dialog(this);
    dialog.exec();
}

void Widget::onDeviceAccessDenied()
{
    qCDebug(lcWindow) << "=== onDeviceAccessDenied called ===";
    if (isDeviceConnected())
        return;
    // Short, so that it stays whole in the status's own size beside the button that tells
    // the fix, down to the smallest window.
    m_status->show(uiText(QStringLiteral("No access to the keypad")), DENIED_STYLE);
    m_topBar->setAccessFixOffered(true);
    m_panel->setEmpty(true);
}

void Widget::onDeviceAccessDeniedCleared()
{
    qCDebug(lcWindow) << "=== onDeviceAccessDeniedCleared called ===";
    m_topBar->setAccessFixOffered(false);
    m_panel->setEmpty(false);
    // An opened keypad is announced right after this and sets its own text.
    if (isDeviceConnected())
        return;
    m_status->show(uiText(QStringLiteral("Connect the device with a usb cable")),
                   QStringLiteral("color: #FF0000;"));
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
