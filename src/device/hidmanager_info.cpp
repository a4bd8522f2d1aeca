#include "device/hidmanager.h"
#include "device/reportpoll.h"
#include "model/logcategories.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QStringList>

#include <array>

namespace {

constexpr unsigned char CMD_INFO = 11;
constexpr unsigned char CMD_NAK = 7;
constexpr int INFO_TIMEOUT_MS = 250;
constexpr int INFO_MIN_LENGTH = 7;

QString hexBytes(const unsigned char *p, int n)
{
    QStringList parts;
    parts.reserve(n);
    for (int i = 0; i < n; ++i)
        parts << QStringLiteral("%1").arg(p[i], 2, 16, QLatin1Char('0'));
    return parts.join(QLatin1Char(' '));
}

QString errorText(hid_device *dev)
{
    const wchar_t *e = dev ? hid_error(dev) : nullptr;
    return e ? QString::fromWCharArray(e) : QStringLiteral("null");
}

} // namespace

bool HIDManager::readDeviceInfo(DeviceInfo &info)
{
    info = DeviceInfo();
    if (!m_device.load())
        return false;
    OperationLock lock(this);
    hid_device *dev = m_device.load();
    if (!dev)
        return false;

    flushRxBuffer();
    std::array<unsigned char, PACKET_SIZE> req{};
    req[0] = CMD_INFO;
    req[62] = calcChecksum(req.data(), 62);
    qCDebug(lcDevice, "HIDManager: readDeviceInfo request id=0x%02X cmd=%d len=%u", REPORT_ID, CMD_INFO,
                      unsigned(PACKET_SIZE));
    if (!sendPacket(req.data(), PACKET_SIZE))
        return false;
    qCDebug(lcDevice).noquote() << "HIDManager: readDeviceInfo request sent";

    hid_set_nonblocking(dev, 1);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < INFO_TIMEOUT_MS) {
        unsigned char buf[REPORT_SIZE] = {};
        const int ret = ReportPoll::read(dev, buf, REPORT_SIZE, POLL_SLEEP_MS);
        qCDebug(lcDevice).noquote() << "HIDManager: readDeviceInfo poll ret=" << ret;
        if (ret == 0)
            continue;
        if (ret < 0) {
            qCDebug(lcDevice).noquote() << "HIDManager: readDeviceInfo hid_read error";
            closeDevice();
            return false;
        }
        qCDebug(lcDevice).noquote() << "HIDManager: readDeviceInfo rx" << "ret=" << ret << "bytes=" << hexBytes(buf, ret);
        if (buf[0] != REPORT_ID)
            continue;
        if (ret >= 64) {
            if (calcChecksum(buf + 1, 62) != buf[63] || buf[1] != CMD_INFO || buf[4] < INFO_MIN_LENGTH)
                continue;
            DeviceInfo got;
            got.valid = true;
            got.keyCount = buf[5];
            got.encoderCount = buf[6];
            got.extraKeyCount = buf[7];
            got.layerCount = buf[8];
            got.variantP = buf[9];
            got.shape = buf[10];
            got.variantB = buf[11];
            info = got;
            storeDeviceInfo(got);
            qCDebug(lcDevice).noquote() << "HIDManager: device info" << "K=" << got.keyCount << "E=" << got.encoderCount
                                        << "D=" << got.extraKeyCount << "L=" << got.layerCount << "P=" << got.variantP
                                        << "S=" << got.shape << "B=" << got.variantB;
            return true;
        }
        if (ret >= 9 && calcChecksum(buf + 1, 7) == buf[8] && buf[1] == CMD_NAK) {
            qCDebug(lcDevice).noquote() << "HIDManager: readDeviceInfo NAK status=" << buf[2];
            return false;
        }
    }
    qCDebug(lcDevice).noquote() << "HIDManager: readDeviceInfo timeout" << "err=" << errorText(dev);
    return false;
}
