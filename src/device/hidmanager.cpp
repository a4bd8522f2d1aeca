#include "device/hidmanager.h"

#include "device/deviceaccess.h"
#include "device/linkcapture.h"
#include "device/linkio.h"
#include "model/logcategories.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QMutexLocker>
#include <QTimer>

#include <cerrno>
#include <cstring>

std::atomic<HIDManager *> HIDManager::m_instance{nullptr};

namespace {

QString hex(quint16 v)
{
    return QString::number(v, 16);
}

QString errorText(hid_device *dev)
{
    const wchar_t *e = hid_error(dev);
    return e ? QString::fromWCharArray(e) : QStringLiteral("null");
}

} // namespace

const QVector<HIDManager::Candidate> &HIDManager::candidates()
{
    static const QVector<Candidate> list = {
        {0x4C4A, 0x4155}, {0x514C, 0x8850}, {0x1189, 0x8842}, {0x1189, 0x8840},
        {0x1189, 0x8830}, {0x1189, 0x8831}, {0x1189, 0x8832}, {0x1189, 0x8833},
        {0x1189, 0x8850}, {0x1189, 0x8851}, {0x514C, 0x8842}, {0x514C, 0x8840},
        {0x514C, 0x8830}, {0x514C, 0x8831}, {0x514C, 0x8832}, {0x514C, 0x8833},
        {0x514C, 0x8851},
    };
    return list;
}

HIDManager *HIDManager::instance()
{
    static QMutex creation;
    HIDManager *mgr = m_instance.load();
    if (mgr)
        return mgr;
    QMutexLocker locker(&creation);
    mgr = m_instance.load();
    if (!mgr) {
        // Lives until the process ends. Its timers and signals belong to the application's
        // thread even when a worker happens to ask first.
        mgr = new HIDManager;
        if (auto *app = QCoreApplication::instance(); app && mgr->thread() != app->thread())
            mgr->moveToThread(app->thread());
        m_instance.store(mgr);
    }
    return mgr;
}

HIDManager::HIDManager()
    : QObject(nullptr)
{
    hid_init();
    m_aliveTimer = new QTimer(this);
    m_aliveTimer->setInterval(ALIVE_INTERVAL_MS);
    connect(m_aliveTimer, &QTimer::timeout, this, &HIDManager::onAliveTimer);
    m_rescanTimer = new QTimer(this);
    m_rescanTimer->setSingleShot(true);
    m_rescanTimer->setInterval(RESCAN_DELAY_MS);
    connect(m_rescanTimer, &QTimer::timeout, this, [this] {
        if (!m_device.load())
            startMonitoring();
    });
    m_listTimer = new QTimer(this);
    m_listTimer->setInterval(SCAN_INTERVAL_MS);
    connect(m_listTimer, &QTimer::timeout, this, &HIDManager::onListTimer);
}

HIDManager::~HIDManager()
{
    if (m_scanTimer)
        m_scanTimer->stop();
    m_listTimer->stop();
    closeDevice();
}

// ---------------------------------------------------------------------------- state access

DeviceInfo HIDManager::deviceInfo() const
{
    QMutexLocker locker(&m_stateMutex);
    return m_deviceInfo;
}

quint16 HIDManager::vendorId() const
{
    QMutexLocker locker(&m_stateMutex);
    return m_vendorId;
}

quint16 HIDManager::productId() const
{
    QMutexLocker locker(&m_stateMutex);
    return m_productId;
}

QByteArray HIDManager::devicePath() const
{
    QMutexLocker locker(&m_stateMutex);
    return m_devicePath;
}

void HIDManager::storeDeviceInfo(const DeviceInfo &info)
{
    {
        QMutexLocker locker(&m_stateMutex);
        m_deviceInfo = info;
    }
    if (info.valid)
        noteOpenKeypadModel(info);
}

QVector<KeypadEntry> HIDManager::keypads() const
{
    QMutexLocker locker(&m_stateMutex);
    QVector<KeypadEntry> out = m_keypads;
    for (KeypadEntry &e : out) {
        for (const KeypadEntry &known : m_models) {
            if (known.identity() == e.identity()) {
                e.modelKnown = true;
                e.legacy = known.legacy;
                e.model = known.model;
                e.legacyModel = known.legacyModel;
            }
        }
    }
    return out;
}

QString HIDManager::openKeypadIdentity() const
{
    QMutexLocker locker(&m_stateMutex);
    return m_openIdentity;
}

void HIDManager::setPreferredKeypad(const QString &selector)
{
    QMutexLocker locker(&m_stateMutex);
    m_preferred = selector.trimmed();
}

QString HIDManager::preferredKeypad() const
{
    QMutexLocker locker(&m_stateMutex);
    return m_preferred;
}

void HIDManager::noteOpenKeypadModel(const DeviceInfo &info, const LegacyDeviceInfo &legacyInfo)
{
    const bool legacy = legacyInfo.valid;
    {
        QMutexLocker locker(&m_stateMutex);
        if (m_openIdentity.isEmpty())
            return;
        KeypadEntry known;
        for (const KeypadEntry &e : qAsConst(m_keypads))
            if (e.identity() == m_openIdentity)
                known = e;
        if (known.identity() != m_openIdentity)
            return;
        for (int i = m_models.size() - 1; i >= 0; --i)
            if (m_models[i].identity() == m_openIdentity)
                m_models.remove(i);
        known.modelKnown = true;
        known.legacy = legacy;
        known.model = info;
        known.legacyModel = legacyInfo;
        m_models.append(known);
    }
    if (QThread::currentThread() == thread())
        emit keypadsChanged();
    else
        QMetaObject::invokeMethod(this, &HIDManager::keypadsChanged, Qt::QueuedConnection);
}

bool HIDManager::lockHeldByCurrentThread() const
{
    return m_lockOwner.load() == QThread::currentThreadId();
}

HIDManager::OperationLock::OperationLock(HIDManager *mgr)
    : m_mgr(mgr)
{
    m_mgr->m_mutex.lock();
    m_mgr->m_lockOwner.store(QThread::currentThreadId());
    m_mgr->m_busy.store(true);
}

HIDManager::OperationLock::~OperationLock()
{
    release();
}

void HIDManager::OperationLock::release()
{
    if (!m_held)
        return;
    m_held = false;
    m_mgr->m_busy.store(false);
    m_mgr->m_lockOwner.store(nullptr);
    m_mgr->m_mutex.unlock();
}

// ---------------------------------------------------------------------------- scanning

void HIDManager::startMonitoring()
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this] { startMonitoring(); }, Qt::QueuedConnection);
        return;
    }
    if (!m_scanTimer) {
        m_scanTimer = new QTimer(this);
        connect(m_scanTimer, &QTimer::timeout, this, &HIDManager::onScanTimer);
    }
    if (m_scanTimer->isActive())
        return;
    m_scanTimer->start(SCAN_INTERVAL_MS);
    QTimer::singleShot(0, this, &HIDManager::onScanTimer);
    qCDebug(lcDevice).noquote() << "HIDManager: monitoring started";
}

void HIDManager::stopMonitoring()
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this] { stopMonitoring(); }, Qt::QueuedConnection);
        return;
    }
    m_rescanTimer->stop();
    if (m_scanTimer && m_scanTimer->isActive())
        m_scanTimer->stop();
}

bool HIDManager::isMonitoring() const
{
    return m_scanTimer && m_scanTimer->isActive();
}

void HIDManager::onScanTimer()
{
    if (m_device.load() || !tryOpenDevice())
        return;
    if (m_scanTimer)
        m_scanTimer->stop();
    m_connected.store(true);
    m_aliveTimer->start();
    m_listTimer->start();
    emit deviceConnected();
}

bool HIDManager::tryOpenDevice()
{
    // An operation left over from the previous connection may still be unwinding; the handle
    // is only ever replaced under the lock, so wait for the next tick rather than block.
    if (!m_mutex.tryLock())
        return false;
    bool opened = false;
    bool scanned = false;
    if (!m_device.load()) {
        scanned = true;
        m_scanSawDenied = false;
        m_deniedPath.clear();
        // One walk of the whole HID bus per tick, then the candidates in their order: the
        // same choice as asking per pair, at a seventeenth of the cost while nothing is there.
        hid_device_info *devs = hid_enumerate(0, 0);
        updateListing(devs);
        opened = openPreferred(devs);
        for (const Candidate &c : candidates()) {
            if (opened || openCandidate(devs, c)) {
                opened = true;
                break;
            }
        }
        hid_free_enumeration(devs);
    }
    const bool denied = !opened && m_scanSawDenied;
    m_mutex.unlock();
    if (scanned)
        setAccessDenied(denied);
    return opened;
}

void HIDManager::setAccessDenied(bool denied)
{
    if (m_accessDenied.exchange(denied) == denied)
        return;
    if (denied) {
        // The window says it to the user; the terminal stays quiet unless --verbose.
        qCDebug(lcDevice).noquote() << "HIDManager: access denied path=" << m_deniedPath
                                    << "(keypad present; is the udev rule installed?)";
        emit deviceAccessDenied();
    } else {
        qCDebug(lcDevice).noquote() << "HIDManager: keypad access no longer denied";
        emit deviceAccessDeniedCleared();
    }
}

void HIDManager::updateListing(const hid_device_info *devs)
{
    QVector<QPair<quint16, quint16>> pairs;
    for (const Candidate &c : candidates())
        pairs.append({c.vendorId, c.productId});
    const QVector<KeypadEntry> found = KeypadListing::fromEnumeration(devs, pairs);
    bool changed = false;
    {
        QMutexLocker locker(&m_stateMutex);
        changed = found.size() != m_keypads.size();
        for (int i = 0; !changed && i < found.size(); ++i)
            changed = found[i].identity() != m_keypads[i].identity();
        m_keypads = found;
        // A model learnt is kept only while its keypad stays: another one may come on the
        // same path.
        for (int i = m_models.size() - 1; i >= 0; --i) {
            bool present = false;
            for (const KeypadEntry &e : found)
                present = present || e.identity() == m_models[i].identity();
            if (!present)
                m_models.remove(i);
        }
    }
    if (changed) {
        qCDebug(lcDevice).noquote() << "HIDManager: keypads on the bus:" << found.size();
        emit keypadsChanged();
    }
}

QVector<KeypadEntry> HIDManager::listKeypads()
{
    hid_device_info *devs = hid_enumerate(0, 0);
    updateListing(devs);
    hid_free_enumeration(devs);
    return keypads();
}

void HIDManager::onListTimer()
{
    if (!m_device.load()) {
        m_listTimer->stop();
        return;
    }
    hid_device_info *devs = hid_enumerate(0, 0);
    updateListing(devs);
    hid_free_enumeration(devs);
}

bool HIDManager::openPreferred(const hid_device_info *devs)
{
    KeypadEntry chosen;
    {
        QMutexLocker locker(&m_stateMutex);
        if (m_preferred.isEmpty())
            return false;
        for (const KeypadEntry &e : qAsConst(m_keypads)) {
            if (e.matches(m_preferred)) {
                chosen = e;
                break;
            }
        }
    }
    if (chosen.path.isEmpty())
        return false;
    QVector<const hid_device_info *> itfs;
    for (const hid_device_info *d = devs; d; d = d->next)
        if (KeypadListing::sameKeypad(d, chosen))
            itfs.append(d);
    return openFirstOf(itfs, chosen.vendorId, chosen.productId);
}

bool HIDManager::openCandidate(const hid_device_info *devs, const Candidate &c)
{
    QVector<const hid_device_info *> itfs;
    for (const hid_device_info *d = devs; d; d = d->next) {
        if (d->vendor_id == c.vendorId && d->product_id == c.productId)
            itfs.append(d);
    }
    return openFirstOf(itfs, c.vendorId, c.productId);
}

bool HIDManager::openFirstOf(const QVector<const hid_device_info *> &itfs, quint16 vendorId, quint16 productId)
{
    if (itfs.isEmpty())
        return false;
    for (int pass = 0; pass < 2; ++pass) {
        for (const hid_device_info *d : qAsConst(itfs)) {
            const QByteArray path(d->path ? d->path : "");
            qCDebug(lcDevice).noquote() << "HIDManager: candidate path=" << path << "itf=" << d->interface_number
                                        << "usagePage=" << d->usage_page << "usage=" << d->usage << "pass=" << pass;
            LinkCapture::noteCandidate(d);
            const bool vendorPage = d->usage_page == 0xFF00 && d->usage == 1;
            const bool accepted = vendorPage || (pass == 1 && d->interface_number == 0);
            if (!accepted)
                continue;
            errno = 0;
            hid_device *dev = hid_open_path(path.constData());
            if (!dev) {
                const int openErrno = errno;
                const wchar_t *err = hid_error(nullptr);
                LinkCapture::noteOpenFailed(path.constData(), err ? QString::fromWCharArray(err) : QString());
                if (DeviceAccess::isPermissionDenied(openErrno, err ? QString::fromWCharArray(err) : QString(),
                                                     path.constData())) {
                    if (!m_scanSawDenied)
                        m_deniedPath = path;
                    m_scanSawDenied = true;
                }
                continue;
            }
            LinkCapture::noteOpen(path.constData());
            hid_set_nonblocking(dev, 0);
            {
                QMutexLocker locker(&m_stateMutex);
                m_vendorId = vendorId;
                m_productId = productId;
                m_devicePath = path;
                m_openIdentity.clear();
                for (const KeypadEntry &e : qAsConst(m_keypads))
                    if (m_openIdentity.isEmpty() && KeypadListing::sameKeypad(d, e))
                        m_openIdentity = e.identity();
            }
            m_device.store(dev);
            qCDebug(lcDevice).noquote() << "HIDManager: opened path=" << path << "vid=" << hex(vendorId)
                                        << "pid=" << hex(productId);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------- loss

void HIDManager::onAliveTimer()
{
    // Never read while an operation holds the device: the report would be stolen from it.
    if (m_busy.load() || !m_device.load())
        return;
    if (!m_mutex.tryLock())
        return;
    m_lockOwner.store(QThread::currentThreadId());
    probeHandle();
    m_lockOwner.store(nullptr);
    m_mutex.unlock();
}

void HIDManager::probeHandle()
{
    if (hid_device *dev = m_device.load()) {
        unsigned char buf[2];
        hid_set_nonblocking(dev, 1);
        const int r = LinkIo::read(dev, buf, sizeof buf);
        hid_set_nonblocking(dev, 0);
        if (r < 0)
            closeDevice();
    }
}

bool HIDManager::stillPresent()
{
    OperationLock lock(this);
    probeHandle();
    return isConnected();
}

void HIDManager::closeDevice()
{
    const bool ownThread = QThread::currentThread() == thread();
    if (ownThread)
        m_aliveTimer->stop();
    if (hid_device *dev = m_device.exchange(nullptr)) {
        LinkCapture::noteClose();
        hid_close(dev);
        {
            QMutexLocker locker(&m_stateMutex);
            m_deviceInfo = DeviceInfo();
            m_vendorId = 0;
            m_productId = 0;
            m_devicePath.clear();
            m_openIdentity.clear();
        }
        qCDebug(lcDevice).noquote() << "HIDManager: device closed";
    }
    // Whoever flips the flag reports the loss, so it is reported once however many paths
    // (probe, a command's read error, the user) notice it.
    if (m_connected.exchange(false)) {
        if (ownThread)
            finishClose();
        else
            QMetaObject::invokeMethod(this, [this] { finishClose(); }, Qt::QueuedConnection);
    }
}

void HIDManager::finishClose()
{
    m_aliveTimer->stop();
    m_listTimer->stop();
    emit deviceDisconnected();
    m_rescanTimer->start();
}

void HIDManager::disconnectDevice()
{
    if (lockHeldByCurrentThread()) {
        closeDevice();
        return;
    }
    if (QThread::currentThread() != thread()) {
        OperationLock lock(this);
        closeDevice();
        return;
    }
    // The GUI thread must not wait for a running operation: close once it lets go.
    if (!m_mutex.tryLock()) {
        if (!m_closePending) {
            m_closePending = true;
            QTimer::singleShot(20, this, [this] {
                m_closePending = false;
                disconnectDevice();
            });
        }
        return;
    }
    m_lockOwner.store(QThread::currentThreadId());
    closeDevice();
    m_lockOwner.store(nullptr);
    m_mutex.unlock();
}

// ---------------------------------------------------------------------------- framing

unsigned char HIDManager::calcChecksum(const unsigned char *data, int len)
{
    unsigned char x = 0;
    if (!data)
        return 0;
    for (int i = 0; i < len; ++i)
        x ^= data[i];
    return x;
}

bool HIDManager::sendPacket(const void *data, int len)
{
    hid_device *dev = m_device.load();
    if (!dev)
        return false;
    unsigned char buf[REPORT_SIZE] = {};
    buf[0] = REPORT_ID;
    const int n = qBound(0, len, REPORT_SIZE - 1);
    if (data && n > 0)
        std::memcpy(buf + 1, data, size_t(n));
    hid_set_nonblocking(dev, 0);
    const int ret = LinkIo::write(dev, buf, sizeof buf);
    hid_set_nonblocking(dev, 1);
    if (ret != REPORT_SIZE) {
        qCDebug(lcDevice).noquote() << "HIDManager: sendPacket failed ret=" << ret << "err=" << errorText(dev);
        return false;
    }
    return true;
}

void HIDManager::flushRxBuffer()
{
    hid_device *dev = m_device.load();
    if (!dev)
        return;
    hid_set_nonblocking(dev, 1);
    int discarded = 0;
    for (int i = 0; i < 33; ++i) {
        unsigned char buf[REPORT_SIZE];
        if (LinkIo::read(dev, buf, sizeof buf) <= 0)
            break;
        ++discarded;
    }
    if (discarded > 0)
        qCDebug(lcDevice).noquote() << "HIDManager: flushed" << qMin(discarded, 32) << "stale packets";
}

bool HIDManager::waitAck(unsigned char layer, unsigned char key, unsigned char pkt, unsigned char *status)
{
    hid_device *dev = m_device.load();
    if (!dev)
        return false;
    hid_set_nonblocking(dev, 1);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ACK_TIMEOUT_MS) {
        unsigned char buf[REPORT_SIZE] = {};
        // At most the poll pause between empty polls, but an acknowledgement is taken the
        // moment it arrives instead of after the pause.
        const int r = LinkIo::readTimeout(dev, buf, sizeof buf, POLL_SLEEP_MS);
        if (r == 0)
            continue;
        if (r < 0) {
            qCDebug(lcDevice).noquote() << "HIDManager: waitAck hid_read error";
            closeDevice();
            return false;
        }
        if (buf[0] != REPORT_ID)
            continue;
        const QString cmdHex = QString::number(buf[1], 16);
        if (r < 9) {
            qCDebug(lcDevice).noquote() << "HIDManager: waitAck skip cmd=0x" + cmdHex;
            continue;
        }
        if (calcChecksum(buf + 1, 7) != buf[8]) {
            qCDebug(lcDevice).noquote() << "HIDManager: waitAck checksum err";
            continue;
        }
        if (buf[1] == 6) {
            if (buf[3] == layer && buf[4] == key && buf[5] == pkt) {
                if (status)
                    *status = buf[2];
                return buf[2] == 0;
            }
            qCDebug(lcDevice).noquote() << "HIDManager: waitAck wrong ACK" << "layer=" << int(buf[3]) << "key=" << int(buf[4])
                                        << "pkt=" << int(buf[5]);
            continue;
        }
        if (buf[1] == 7) {
            qCDebug(lcDevice).noquote() << "HIDManager: waitAck NAK status=" << int(buf[2]);
            if (status)
                *status = buf[2];
            return false;
        }
        qCDebug(lcDevice).noquote() << "HIDManager: waitAck skip cmd=0x" + cmdHex;
    }
    qCDebug(lcDevice).noquote() << "HIDManager: waitAck timeout layer=" << int(layer) << "key=" << int(key)
                                << "pkt=" << int(pkt);
    return false;
}

bool HIDManager::sendWithRetry(const unsigned char *packet, unsigned char layer, unsigned char key,
                               unsigned char pkt, std::initializer_list<unsigned char> finalStatuses,
                               unsigned char *status)
{
    unsigned char st = 0;
    for (int attempt = 1; attempt <= SEND_ATTEMPTS; ++attempt) {
        st = 0;
        if (sendPacket(packet, PACKET_SIZE) && waitAck(layer, key, pkt, &st)) {
            if (status)
                *status = st;
            return true;
        }
        bool final = false;
        for (unsigned char f : finalStatuses)
            final = final || (st != 0 && st == f);
        // A vanished keypad will not answer a repeat either.
        if (final || !m_device.load())
            break;
        if (attempt < SEND_ATTEMPTS) {
            QThread::msleep(RETRY_PAUSE_MS);
            flushRxBuffer();
        }
    }
    if (status)
        *status = st;
    return false;
}

// ---------------------------------------------------------------------------- legacy link

bool HIDManager::runLegacy(const std::function<bool(hid_device *)> &fn)
{
    if (!fn)
        return false;
    OperationLock lock(this);
    return fn(m_device.load());
}
