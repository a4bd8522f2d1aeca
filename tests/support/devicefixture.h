#pragma once

#include "sim/firmware.h"
#include "sim/simbus.h"

#include <QVector>
#include <QtGlobal>

#include <memory>

namespace testsupport {

// Plugs a simulated keypad into the bus and brings the device link up against it.
//
//     void MyTest::cleanup() { testsupport::resetDeviceLink(); }
//     void MyTest::saves()
//     {
//         auto fw = std::make_shared<sim::CurrentFirmware>();
//         const int id = testsupport::plugAndConnect(fw);
//         QVERIFY(id > 0);                  // connected: HIDManager::instance()->isConnected()
//         ...
//         sim::SimBus::writtenReports(id);  // what the program wrote, report ID first
//     }
//
// Everything here runs on the test's (GUI) thread and spins its event loop while waiting.

// Default identity of a plugged keypad: the first pair of the candidate list.
constexpr quint16 kDefaultVendorId = 0x4C4A;
constexpr quint16 kDefaultProductId = 0x4155;

// Plugs `firmware`, starts monitoring and waits (up to `timeoutMs`) until the link reports
// the connection. Returns the keypad's bus id, or 0 when no connection came.
int plugAndConnect(std::shared_ptr<sim::Firmware> firmware, quint16 vendorId = kDefaultVendorId,
                   quint16 productId = kDefaultProductId,
                   const QVector<sim::InterfaceSpec> &interfaces = sim::SimBus::standardInterfaces(),
                   int timeoutMs = 3000);

// Waits until the link is connected / disconnected; true when it got there in time.
bool waitConnected(int timeoutMs = 3000);
bool waitDisconnected(int timeoutMs = 3000);

// Returns the link and the bus to a clean state: closes the device (waiting for a running
// operation to end), stops scanning and any pending rescan, and empties the bus. Call it in
// cleanup() of every test that plugs keypads.
void resetDeviceLink();

} // namespace testsupport
