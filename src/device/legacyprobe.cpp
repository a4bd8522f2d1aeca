#include "device/legacyhidmanager.h"
#include "device/linkio.h"
#include "model/logcategories.h"

#include <QDebug>

#include <cstring>

namespace LegacyHIDManager {

int writeLegacyReport(hid_device *device, const QByteArray &report)
{
    if (!device || report.size() != REPORT_SIZE)
        return -1;
    // The keypad may take a moment to accept an output report; a blocking write waits for it,
    // while every read afterwards must return on its own time-out.
    hid_set_nonblocking(device, 0);
    const int written = LinkIo::write(device, reinterpret_cast<const unsigned char *>(report.constData()),
                                      size_t(report.size()));
    hid_set_nonblocking(device, 1);
    return written;
}

int readLegacyReport(hid_device *device, unsigned char *buffer, int timeoutMs)
{
    std::memset(buffer, 0, REPORT_SIZE);
    if (!device)
        return -1;
    return LinkIo::readTimeout(device, buffer, REPORT_SIZE, timeoutMs);
}

int drainLegacyInput(hid_device *device)
{
    if (!device)
        return 0;
    // Bounded, so a keypad that never stops sending cannot hold the caller here.
    constexpr int MAX_STALE_REPORTS = 64;
    unsigned char buffer[REPORT_SIZE];
    int dropped = 0;
    while (dropped < MAX_STALE_REPORTS && LinkIo::readTimeout(device, buffer, REPORT_SIZE, 0) > 0)
        ++dropped;
    return dropped;
}

QString legacyFormatName(const LegacyDeviceInfo &info)
{
    return info.format == LegacyDeviceInfo::R10Udav ? QStringLiteral("R10Udav")
                                                    : QStringLiteral("Old");
}

static QByteArray infoRequest()
{
    QByteArray request(REPORT_SIZE, '\0');
    request[0] = char(REPORT_ID);
    request[1] = char(0xFB);
    request[2] = char(0xFB);
    request[3] = char(0xFB);
    return request;
}

bool sendLegacyInfoRequest(hid_device *device)
{
    if (!device)
        return false;
    drainLegacyInput(device);
    return writeLegacyReport(device, infoRequest()) == REPORT_SIZE;
}

bool readLegacyInfoResponse(hid_device *device, unsigned char *buffer)
{
    if (!device || !buffer)
        return false;
    // Old firmware needs a while before it answers; any report at all is the answer.
    for (int attempt = 0; attempt < PROBE_READ_ATTEMPTS; ++attempt) {
        if (readLegacyReport(device, buffer, PROBE_READ_TIMEOUT_MS) > 0)
            return true;
    }
    return false;
}

void parseLegacyInfoResponse(const unsigned char *response, int length, LegacyDeviceInfo &info)
{
    auto at = [&](int i) -> quint8 { return i < length ? response[i] : 0; };
    info = LegacyDeviceInfo();
    info.valid = true;
    info.keyCount = at(2);
    info.encoderCount = at(3);
    info.layerCount = 3;
    info.version = at(4);
    const bool r10 = info.version >= 10;
    info.shape = r10 ? at(5) : 0;
    info.format = r10 ? LegacyDeviceInfo::R10Udav : LegacyDeviceInfo::Old;
}

bool probeLegacyDeviceInfo(hid_device *device, LegacyDeviceInfo &info)
{
    info = LegacyDeviceInfo();
    if (!device)
        return false;

    // A current-protocol keypad that answered the information request too late must not
    // pass for a legacy one.
    drainLegacyInput(device);
    if (writeLegacyReport(device, infoRequest()) != REPORT_SIZE) {
        qCDebug(lcLegacy) << "Legacy probe: request failed";
        return false;
    }

    unsigned char buffer[REPORT_SIZE];
    int got = 0;
    for (int attempt = 0; attempt < PROBE_READ_ATTEMPTS && got <= 0; ++attempt)
        got = readLegacyReport(device, buffer, PROBE_READ_TIMEOUT_MS);
    if (got <= 0) {
        qCDebug(lcLegacy) << "Legacy probe: no response";
        return false;
    }

    parseLegacyInfoResponse(buffer, got, info);
    qCDebug(lcLegacy).noquote() << "Legacy probe:"
                                << "K=" << int(info.keyCount) << "E=" << int(info.encoderCount)
                                << "Ver=" << int(info.version) << "Shape=" << int(info.shape)
                                << "Fmt=" << legacyFormatName(info);
    return true;
}

} // namespace LegacyHIDManager
