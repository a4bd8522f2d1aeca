#pragma once

#include "sim/firmware.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

#include <memory>

namespace sim {

// One HID interface a simulated keypad exposes on the bus.
struct InterfaceSpec {
    int number = 0;
    quint16 usagePage = 0xFF00;
    quint16 usage = 1;
    bool refuseOpen = false; // hid_open_path fails on this interface
};

// The in-process HID bus behind the hid_* functions of keypad_sim. Tests and the demo plug
// simulated keypads into it; the program finds them through hid_enumerate and talks to them
// through hid_write/hid_read exactly as it would over hidraw.
//
// Each keypad answers through its Firmware. The bus adds what the wire adds: a delay per
// input report, unplugging (every later read and write returns -1, as a vanished hidraw node
// does), and the generic faults below. Every report the host writes is recorded.
//
// All functions are thread-safe: the program's worker threads read and write while a test
// plugs, unplugs and inspects. Keypads are named by the id plug() returns; an unplugged
// keypad stays inspectable (its firmware and recording) until reset().
class SimBus
{
public:
    // A vendor-page interface (0xFF00, usage 1) as interface 1 behind a keyboard interface 0,
    // as most keypads of the family enumerate.
    static QVector<InterfaceSpec> standardInterfaces();
    // Only interface 0, without the vendor page (found by the second walk of a scan).
    static QVector<InterfaceSpec> interfaceZeroOnly();

    // Plugs a keypad; `firmware` may be null for a device that never answers (a mouse, say).
    static int plug(quint16 vendorId, quint16 productId, std::shared_ptr<Firmware> firmware,
                    const QVector<InterfaceSpec> &interfaces = standardInterfaces(),
                    const QString &product = QString());
    static void unplug(int id);
    // Unplugs every keypad, forgets them all and clears the counters: a clean bus.
    static void reset();

    static bool isPlugged(int id);
    static int openHandleCount(int id);
    static std::shared_ptr<Firmware> firmware(int id);
    // The path hid_enumerate reports for one of the keypad's interfaces.
    static QByteArray pathOf(int id, int interfaceNumber);
    // The serial number every interface reports: the id in four digits ("0003") unless set,
    // or the one the same firmware had when it was plugged before; empty for none.
    static void setSerialNumber(int id, const QString &serial);

    // --- timing: each input report becomes readable `ms` after the previous one (0 default;
    // 1 models a full-speed interrupt endpoint).
    static void setLatency(int id, int ms);

    // --- faults
    static void setSilent(int id, bool silent);          // takes reports, answers none
    static void setRefuseOpen(int id, bool refuse);      // hid_open_path fails on every interface
    static void unplugAfterReports(int id, int n);       // the n-th write from now is the last
    static void dropReplies(int id, int reports);        // replies to the next writes are lost
    // One input report lost: the one after `n` more reports (of any write's replies) from now;
    // the reports around it arrive, as when a reader is held up past the kernel's queue.
    static void dropReportAt(int id, int n);
    static void truncateReplies(int id, int replies, int length); // next replies cut short
    static void garbleReplies(int id, int replies);      // next replies: ID 3, random bytes
    // hid_write returns -1 for `writes` writes, after `after` more that go through.
    static void failWrites(int id, int writes, int after = 0);
    // A lossy link, by chance but repeatable for a seed: every write's replies are lost
    // whole with `dropPercent` % (the keypad missed the request; USB itself retries damaged
    // transfers, so a burst never loses reports in its middle), and every reply that does
    // come is garbled with `garblePercent` %. 0 and 0 turn it off.
    static void setReplyFaultRates(int id, int dropPercent, int garblePercent, quint32 seed);
    static void injectInput(int id, const QByteArray &report); // an unasked input report

    // --- inspection
    static QVector<QByteArray> writtenReports(int id); // as handed to hid_write, ID first
    static void clearWrittenReports(int id);
    // Writes failed by failWrites() so far.
    static int failedWriteCount(int id);
    static int pendingInputCount(int id);

    // hid_enumerate calls since the last reset() or resetCounters().
    static int enumerateCount();
    static void resetCounters();
};

} // namespace sim
