#include "sim/simbus.h"

#include <hidapi.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <cwchar>

using Clock = std::chrono::steady_clock;

namespace {

struct Pending {
    QByteArray data;
    Clock::time_point readyAt;
};

struct Keypad {
    int id = 0;
    quint16 vendorId = 0;
    quint16 productId = 0;
    QVector<sim::InterfaceSpec> interfaces;
    std::shared_ptr<sim::Firmware> firmware;
    std::wstring product;
    std::wstring serial; // empty: reports none
    bool plugged = true;
    bool silent = false;
    bool refuseOpen = false;
    int latencyMs = 0;
    int unplugAfter = 0; // 0: off
    int dropReplies = 0;
    int dropReportAt = -1; // reports still to come before the one lost; -1: off
    int truncateReplies = 0;
    int truncateLength = 0;
    int garbleReplies = 0;
    int failWrites = 0;
    int failWritesAfter = 0;
    int failedWrites = 0;
    quint32 rng = 0x9E3779B9u;
    int dropPercent = 0;
    int garblePercent = 0;
    quint32 faultRng = 1;
    int openHandles = 0;
    std::deque<Pending> input;
    QVector<QByteArray> written;
    // Serialises the firmware, which is called without the bus lock so that a firmware hook
    // may itself use the bus (unplug from inside a reply, say).
    std::mutex firmwareMutex;
};

struct Bus {
    std::mutex mutex;
    std::condition_variable inputArrived;
    std::map<int, std::shared_ptr<Keypad>> keypads;
    std::set<hid_device *> handles;
    int nextId = 1;
    int enumerateCount = 0;
    std::wstring lastError;
};

Bus &bus()
{
    static Bus b;
    return b;
}

std::shared_ptr<Keypad> find(Bus &b, int id)
{
    auto it = b.keypads.find(id);
    return it == b.keypads.end() ? nullptr : it->second;
}

QByteArray makePath(int id, int itf)
{
    return QByteArray("sim/keypad") + QByteArray::number(id) + "/if" + QByteArray::number(itf);
}

bool parsePath(const char *path, int *id, int *itf)
{
    if (!path)
        return false;
    return std::sscanf(path, "sim/keypad%d/if%d", id, itf) == 2;
}

wchar_t *wdup(const std::wstring &s)
{
    auto *out = static_cast<wchar_t *>(std::calloc(s.size() + 1, sizeof(wchar_t)));
    if (out)
        std::wmemcpy(out, s.c_str(), s.size());
    return out;
}

void unplugLocked(Bus &b, Keypad &k)
{
    k.plugged = false;
    k.input.clear();
    b.inputArrived.notify_all();
}

} // namespace

// What hidapi keeps per open handle; opaque to its users.
struct hid_device_ {
    int keypadId = 0;
    int interfaceNumber = 0;
    bool nonBlocking = false;
    std::wstring lastError;
};

namespace sim {

QVector<InterfaceSpec> SimBus::standardInterfaces()
{
    return {InterfaceSpec{0, 0x0001, 0x0006, false}, InterfaceSpec{1, 0xFF00, 0x0001, false}};
}

QVector<InterfaceSpec> SimBus::interfaceZeroOnly()
{
    return {InterfaceSpec{0, 0x0001, 0x0006, false}};
}

int SimBus::plug(quint16 vendorId, quint16 productId, std::shared_ptr<Firmware> firmware,
                 const QVector<InterfaceSpec> &interfaces, const QString &product)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    auto k = std::make_shared<Keypad>();
    k->id = b.nextId++;
    k->vendorId = vendorId;
    k->productId = productId;
    k->interfaces = interfaces;
    k->firmware = std::move(firmware);
    k->product = (product.isEmpty() ? QStringLiteral("Simulated keypad") : product).toStdWString();
    k->serial = QStringLiteral("%1").arg(k->id, 4, 10, QLatin1Char('0')).toStdWString();
    // The same keypad plugged in again (its firmware) keeps its serial number, as hardware does.
    for (const auto &entry : b.keypads)
        if (k->firmware && entry.second->firmware == k->firmware)
            k->serial = entry.second->serial;
    b.keypads[k->id] = k;
    return k->id;
}

void SimBus::unplug(int id)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    if (auto k = find(b, id))
        unplugLocked(b, *k);
}

void SimBus::reset()
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    for (auto &entry : b.keypads)
        unplugLocked(b, *entry.second);
    b.keypads.clear();
    b.enumerateCount = 0;
}

bool SimBus::isPlugged(int id)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    auto k = find(b, id);
    return k && k->plugged;
}

int SimBus::openHandleCount(int id)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    auto k = find(b, id);
    return k ? k->openHandles : 0;
}

std::shared_ptr<Firmware> SimBus::firmware(int id)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    auto k = find(b, id);
    return k ? k->firmware : nullptr;
}

QByteArray SimBus::pathOf(int id, int interfaceNumber)
{
    return makePath(id, interfaceNumber);
}

namespace {
// Runs `f` on the keypad under the bus lock; nothing happens for an unknown id.
template <typename F>
void withKeypad(int id, F f)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    if (auto k = find(b, id))
        f(*k);
}
} // namespace

void SimBus::setLatency(int id, int ms)
{
    withKeypad(id, [ms](Keypad &k) { k.latencyMs = qMax(0, ms); });
}

void SimBus::setSilent(int id, bool silent)
{
    withKeypad(id, [silent](Keypad &k) { k.silent = silent; });
}

void SimBus::setSerialNumber(int id, const QString &serial)
{
    const std::wstring s = serial.toStdWString();
    withKeypad(id, [s](Keypad &k) { k.serial = s; });
}

void SimBus::setRefuseOpen(int id, bool refuse)
{
    withKeypad(id, [refuse](Keypad &k) { k.refuseOpen = refuse; });
}

void SimBus::unplugAfterReports(int id, int n)
{
    withKeypad(id, [n](Keypad &k) { k.unplugAfter = qMax(0, n); });
}

void SimBus::dropReplies(int id, int reports)
{
    withKeypad(id, [reports](Keypad &k) { k.dropReplies = qMax(0, reports); });
}

void SimBus::dropReportAt(int id, int n)
{
    withKeypad(id, [n](Keypad &k) { k.dropReportAt = n < 0 ? -1 : n; });
}

void SimBus::setReplyFaultRates(int id, int dropPercent, int garblePercent, quint32 seed)
{
    withKeypad(id, [=](Keypad &k) {
        k.dropPercent = qBound(0, dropPercent, 100);
        k.garblePercent = qBound(0, garblePercent, 100);
        k.faultRng = seed ? seed : 1;
    });
}

void SimBus::garbleReplies(int id, int replies)
{
    withKeypad(id, [replies](Keypad &k) { k.garbleReplies = qMax(0, replies); });
}

void SimBus::failWrites(int id, int writes, int after)
{
    withKeypad(id, [writes, after](Keypad &k) {
        k.failWrites = qMax(0, writes);
        k.failWritesAfter = qMax(0, after);
    });
}

void SimBus::truncateReplies(int id, int replies, int length)
{
    withKeypad(id, [replies, length](Keypad &k) {
        k.truncateReplies = qMax(0, replies);
        k.truncateLength = qMax(1, length);
    });
}

void SimBus::injectInput(int id, const QByteArray &report)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    auto k = find(b, id);
    if (!k || !k->plugged)
        return;
    Clock::time_point at = Clock::now();
    if (!k->input.empty() && k->input.back().readyAt > at)
        at = k->input.back().readyAt;
    k->input.push_back({report, at + std::chrono::milliseconds(k->latencyMs)});
    b.inputArrived.notify_all();
}

QVector<QByteArray> SimBus::writtenReports(int id)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    auto k = find(b, id);
    return k ? k->written : QVector<QByteArray>();
}

void SimBus::clearWrittenReports(int id)
{
    withKeypad(id, [](Keypad &k) { k.written.clear(); });
}

int SimBus::failedWriteCount(int id)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    auto k = find(b, id);
    return k ? k->failedWrites : 0;
}

int SimBus::pendingInputCount(int id)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    auto k = find(b, id);
    return k ? int(k->input.size()) : 0;
}

int SimBus::enumerateCount()
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    return b.enumerateCount;
}

void SimBus::resetCounters()
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.enumerateCount = 0;
}

} // namespace sim

// ------------------------------------------------------------------ the hidapi C functions

namespace {

// A number in 0..99 from the keypad's own fault sequence.
int faultRoll(Keypad &k)
{
    k.faultRng = k.faultRng * 1103515245u + 12345u;
    return int((k.faultRng >> 16) % 100);
}

void garble(Keypad &k, QByteArray &r)
{
    for (int i = 1; i < r.size(); ++i) {
        k.rng = k.rng * 1664525u + 1013904223u;
        r[i] = char(k.rng >> 24);
    }
    if (!r.isEmpty())
        r[0] = char(3);
}

// Applies the reply faults and queues what is left, each report `latency` after the previous.
void queueReplies(Bus &b, Keypad &k, QVector<QByteArray> replies)
{
    if (k.dropReplies > 0) {
        --k.dropReplies;
        return;
    }
    if (!replies.isEmpty() && k.dropPercent > 0 && faultRoll(k) < k.dropPercent)
        return;
    Clock::time_point at = Clock::now();
    if (!k.input.empty() && k.input.back().readyAt > at)
        at = k.input.back().readyAt;
    for (QByteArray &r : replies) {
        if (k.dropReportAt >= 0 && k.dropReportAt-- == 0)
            continue;
        if (k.truncateReplies > 0) {
            --k.truncateReplies;
            r.truncate(k.truncateLength);
        } else if (k.garbleReplies > 0) {
            --k.garbleReplies;
            garble(k, r);
        } else if (k.garblePercent > 0 && faultRoll(k) < k.garblePercent) {
            garble(k, r);
        }
        at += std::chrono::milliseconds(k.latencyMs);
        k.input.push_back({r, at});
    }
    b.inputArrived.notify_all();
}

int readReport(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    if (!dev || !data)
        return -1;
    Bus &b = bus();
    std::unique_lock<std::mutex> lock(b.mutex);
    if (!b.handles.count(dev))
        return -1;
    const bool waitForever = milliseconds < 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(qMax(0, milliseconds));
    for (;;) {
        if (!b.handles.count(dev))
            return -1; // closed by another thread while we waited
        auto k = find(b, dev->keypadId);
        if (!k || !k->plugged) {
            dev->lastError = L"device disconnected";
            return -1;
        }
        const Clock::time_point now = Clock::now();
        if (!k->input.empty() && k->input.front().readyAt <= now) {
            const QByteArray r = k->input.front().data;
            k->input.pop_front();
            const size_t n = qMin(length, size_t(r.size()));
            std::memcpy(data, r.constData(), n);
            return int(n);
        }
        if (!waitForever && now >= deadline)
            return 0;
        // Sleep until the next report is due, more input arrives, the deadline, or unplug.
        Clock::time_point wakeAt = waitForever ? now + std::chrono::hours(1) : deadline;
        if (!k->input.empty() && k->input.front().readyAt < wakeAt)
            wakeAt = k->input.front().readyAt;
        b.inputArrived.wait_until(lock, wakeAt);
    }
}

} // namespace

extern "C" {

int hid_init(void)
{
    return 0;
}

int hid_exit(void)
{
    return 0;
}

struct hid_device_info *hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    ++b.enumerateCount;
    hid_device_info *head = nullptr;
    hid_device_info **tail = &head;
    for (const auto &entry : b.keypads) {
        const Keypad &k = *entry.second;
        if (!k.plugged)
            continue;
        if ((vendor_id && vendor_id != k.vendorId) || (product_id && product_id != k.productId))
            continue;
        for (const sim::InterfaceSpec &itf : k.interfaces) {
            auto *info = static_cast<hid_device_info *>(std::calloc(1, sizeof(hid_device_info)));
            if (!info)
                return head;
            info->path = strdup(makePath(k.id, itf.number).constData());
            info->vendor_id = k.vendorId;
            info->product_id = k.productId;
            info->serial_number = k.serial.empty() ? nullptr : wdup(k.serial);
            info->release_number = 0x0100;
            info->manufacturer_string = wdup(L"Simulated");
            info->product_string = wdup(k.product);
            info->usage_page = itf.usagePage;
            info->usage = itf.usage;
            info->interface_number = itf.number;
            info->bus_type = HID_API_BUS_USB;
            *tail = info;
            tail = &info->next;
        }
    }
    return head;
}

void hid_free_enumeration(struct hid_device_info *devs)
{
    while (devs) {
        hid_device_info *next = devs->next;
        std::free(devs->path);
        std::free(devs->serial_number);
        std::free(devs->manufacturer_string);
        std::free(devs->product_string);
        std::free(devs);
        devs = next;
    }
}

hid_device *hid_open_path(const char *path)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    int id = 0;
    int itf = 0;
    auto k = parsePath(path, &id, &itf) ? find(b, id) : nullptr;
    const sim::InterfaceSpec *spec = nullptr;
    if (k) {
        for (const sim::InterfaceSpec &s : k->interfaces)
            if (s.number == itf)
                spec = &s;
    }
    if (!k || !k->plugged || !spec || spec->refuseOpen || k->refuseOpen) {
        b.lastError = L"Failed to open a device with path '" + QString::fromUtf8(path ? path : "").toStdWString()
                      + L"': Permission denied";
        return nullptr;
    }
    auto *dev = new hid_device_;
    dev->keypadId = id;
    dev->interfaceNumber = itf;
    b.handles.insert(dev);
    ++k->openHandles;
    b.lastError.clear();
    return dev;
}

hid_device *hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t *serial_number)
{
    Q_UNUSED(serial_number)
    QByteArray path;
    if (hid_device_info *devs = hid_enumerate(vendor_id, product_id)) {
        path = devs->path;
        hid_free_enumeration(devs);
    }
    return path.isEmpty() ? nullptr : hid_open_path(path.constData());
}

int hid_set_nonblocking(hid_device *dev, int nonblock)
{
    if (!dev)
        return -1;
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    if (!b.handles.count(dev))
        return -1;
    dev->nonBlocking = nonblock != 0;
    return 0;
}

int hid_write(hid_device *dev, const unsigned char *data, size_t length)
{
    if (!dev || !data || length == 0)
        return -1;
    Bus &b = bus();
    std::shared_ptr<Keypad> k;
    const QByteArray report(reinterpret_cast<const char *>(data), int(length));
    {
        std::lock_guard<std::mutex> lock(b.mutex);
        if (!b.handles.count(dev))
            return -1;
        k = find(b, dev->keypadId);
        if (!k || !k->plugged) {
            dev->lastError = L"device disconnected";
            return -1;
        }
        if (k->failWrites > 0 && k->failWritesAfter > 0) {
            --k->failWritesAfter;
        } else if (k->failWrites > 0) {
            --k->failWrites;
            ++k->failedWrites;
            dev->lastError = L"write failed";
            return -1;
        }
        k->written.append(report);
        if (k->unplugAfter > 0 && --k->unplugAfter == 0) {
            unplugLocked(b, *k);
            return int(length);
        }
        if (k->silent || !k->firmware)
            return int(length);
    }
    std::lock_guard<std::mutex> fwLock(k->firmwareMutex);
    QVector<QByteArray> replies = k->firmware->handleReport(report);
    std::lock_guard<std::mutex> lock(b.mutex);
    if (k->plugged)
        queueReplies(b, *k, std::move(replies));
    return int(length);
}

int hid_read_timeout(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    return readReport(dev, data, length, milliseconds);
}

int hid_read(hid_device *dev, unsigned char *data, size_t length)
{
    bool nonBlocking = false;
    {
        Bus &b = bus();
        std::lock_guard<std::mutex> lock(b.mutex);
        if (!dev || !b.handles.count(dev))
            return -1;
        nonBlocking = dev->nonBlocking;
    }
    return readReport(dev, data, length, nonBlocking ? 0 : -1);
}

const wchar_t *hid_error(hid_device *dev)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    if (!dev)
        return b.lastError.empty() ? nullptr : b.lastError.c_str();
    if (!b.handles.count(dev))
        return nullptr;
    return dev->lastError.empty() ? nullptr : dev->lastError.c_str();
}

void hid_close(hid_device *dev)
{
    if (!dev)
        return;
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    if (!b.handles.erase(dev))
        return;
    if (auto k = find(b, dev->keypadId)) {
        if (--k->openHandles == 0)
            k->input.clear(); // hidraw drops what nobody reads once the last reader leaves
    }
    b.inputArrived.notify_all();
    delete dev;
}

} // extern "C"
