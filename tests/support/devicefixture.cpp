#include "support/devicefixture.h"

#include "device/hidmanager.h"

#include <QCoreApplication>
#include <QTest>

namespace testsupport {

int plugAndConnect(std::shared_ptr<sim::Firmware> firmware, quint16 vendorId, quint16 productId,
                   const QVector<sim::InterfaceSpec> &interfaces, int timeoutMs)
{
    const int id = sim::SimBus::plug(vendorId, productId, std::move(firmware), interfaces);
    HIDManager::instance()->startMonitoring();
    return waitConnected(timeoutMs) ? id : 0;
}

bool waitConnected(int timeoutMs)
{
    return QTest::qWaitFor([] { return HIDManager::instance()->isConnected(); }, timeoutMs);
}

bool waitDisconnected(int timeoutMs)
{
    return QTest::qWaitFor([] { return !HIDManager::instance()->isConnected(); }, timeoutMs);
}

void resetDeviceLink()
{
    HIDManager *mgr = HIDManager::instance();
    // A worker may still hold the device; let it finish before pulling the keypad.
    (void)QTest::qWaitFor([mgr] { return !mgr->isBusy(); }, 10000);
    mgr->stopMonitoring();
    mgr->disconnectDevice();
    (void)QTest::qWaitFor([mgr] { return !mgr->isConnected(); }, 2000);
    // Deliver the queued disconnection work now, then cancel the restart it scheduled.
    QCoreApplication::processEvents();
    mgr->stopMonitoring();
    mgr->setPreferredKeypad(QString());
    sim::SimBus::reset();
}

} // namespace testsupport
