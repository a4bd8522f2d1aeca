#pragma once

#include "device/keypadlisting.h"
#include "model/records.h"

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <QVector>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <initializer_list>

#include <hidapi.h>

class QTimer;
class KeyboardData;
struct KeyboardSnapshot;
struct ReadCoverage;
struct SaveItem;
using SaveItems = QVector<SaveItem>;

// The one owner of the keypad's HID handle. It scans for a keypad while none is open, opens
// the first suitable interface, watches the handle for loss and frames the current protocol.
// The protocol's commands are members too (their bodies live in hidmanager_*.cpp); the legacy
// link borrows the handle through runLegacy().
//
// Threads: scanning, the alive probe and every signal that reports the link's state run on
// the thread that owns the manager (the GUI thread). Commands run on worker threads, each
// holding m_mutex for its whole exchange (use OperationLock); m_busy mirrors the lock so the
// window can refuse Save and View without blocking.
class HIDManager : public QObject
{
    Q_OBJECT

public:
    // The report ID of every current-protocol report, both directions.
    static constexpr unsigned char REPORT_ID = 3;
    static constexpr int REPORT_SIZE = 65; // report ID + 64 bytes
    static constexpr int PACKET_SIZE = 63; // the request packet behind the report ID
    static constexpr int ACK_TIMEOUT_MS = 500;
    static constexpr int SEND_ATTEMPTS = 3;
    static constexpr int RETRY_PAUSE_MS = 50;
    static constexpr int POLL_SLEEP_MS = 2;
    static constexpr int SCAN_INTERVAL_MS = 500;
    static constexpr int ALIVE_INTERVAL_MS = 1000;
    static constexpr int RESCAN_DELAY_MS = 500;

    // The (vendor ID, product ID) pairs a keypad may enumerate under, in the order the scan
    // prefers them.
    struct Candidate {
        quint16 vendorId;
        quint16 productId;
    };
    static const QVector<Candidate> &candidates();

    static HIDManager *instance();
    ~HIDManager() override;

    // --- connection
    void startMonitoring();
    // Stops scanning, also a restart still pending after a loss.
    void stopMonitoring();
    bool isMonitoring() const;
    // One scan pass over the candidate list; true when a keypad was opened. Call on the
    // manager's thread.
    bool tryOpenDevice();
    // Closes the handle and reports the loss once. Callers hold m_mutex (commands, runLegacy,
    // the probe) or are the manager's thread with no operation running; from a worker, the
    // timer and signal work is handed to the manager's thread.
    void closeDevice();
    // Closes the device on behalf of the user or a test: takes the device lock first, so it
    // never pulls the handle from under a running operation. Safe from any thread; on the
    // manager's thread while an operation runs, the close happens as soon as it ends.
    void disconnectDevice();

    bool isConnected() const { return m_connected.load(); }
    // Asks the handle, as the alive probe does, whether the keypad is still there; a keypad
    // that left is closed and reported at once. For a worker that must tell a keypad that
    // failed a write from one that was pulled out; blocks while an operation runs.
    bool stillPresent();
    // A keypad of the family is on the bus but none of its interfaces may be opened
    // (permission denied: typically the udev rule is not installed). Re-judged by every
    // scan pass; cleared when a keypad opens or when no refused keypad is left.
    bool isAccessDenied() const { return m_accessDenied.load(); }
    bool isBusy() const { return m_busy.load(); }
    DeviceInfo deviceInfo() const;
    quint16 vendorId() const;
    quint16 productId() const;
    // Path of the open interface (empty when none); for logs and tests.
    QByteArray devicePath() const;
    // Key slots 0 .. writableKeyLimit()-1 may be written (from the last device information).
    int writableKeyLimit() const { return deviceInfo().writableKeyLimit(); }

    // --- the keypads on the bus. The link opens one of them; the others are listed by every
    // scan tick, and while a keypad is open by a listing tick of the same period (one walk
    // of the bus each), so one plugged meanwhile is seen without disturbing the open one.
    QVector<KeypadEntry> keypads() const;
    // Walks the bus once and lists what is there, opening nothing; call on the manager's thread.
    QVector<KeypadEntry> listKeypads();
    // Identity of the open keypad (KeypadEntry::identity); empty when none is open.
    QString openKeypadIdentity() const;
    // The keypad to open when several are plugged: an identity, a serial number or a path.
    // Empty, or a keypad that is not plugged: the first one found opens, as with one.
    // Choosing does not close the open keypad; the caller closes it when it means to switch.
    void setPreferredKeypad(const QString &selector);
    QString preferredKeypad() const;
    // What the open keypad is, once asked; the list keeps it while the keypad stays plugged.
    // The current protocol's answer is noted by the link itself, the legacy probe's by the
    // caller that ran it.
    void noteOpenKeypadModel(const DeviceInfo &info, const LegacyDeviceInfo &legacyInfo = LegacyDeviceInfo());
    // Opens each listed keypad in turn and asks what it is (the current protocol, else the
    // legacy probe), for a list that names every model; the keypad open before (or, with
    // none, the preferred one) is open again afterwards. For a console run on the manager's
    // thread with nothing else using the link; blocks while it asks.
    QVector<KeypadEntry> surveyKeypads();

    // --- framing primitives (callers hold m_mutex)
    static unsigned char calcChecksum(const unsigned char *data, int len);
    bool sendPacket(const void *data, int len);
    void flushRxBuffer();
    bool waitAck(unsigned char layer, unsigned char key, unsigned char pkt, unsigned char *status);
    // Sends one 63-byte request and waits for its acknowledgement, up to SEND_ATTEMPTS times
    // (50 ms pause and a flush between attempts). A status listed in `finalStatuses` ends the
    // retries at once. `status` (optional) receives the last status seen (0 after a time-out).
    bool sendWithRetry(const unsigned char *packet, unsigned char layer, unsigned char key,
                       unsigned char pkt, std::initializer_list<unsigned char> finalStatuses = {},
                       unsigned char *status = nullptr);

    // --- legacy link: runs `fn` with the open handle (null when none) under the device lock
    // and the busy flag; returns what `fn` returns.
    bool runLegacy(const std::function<bool(hid_device *)> &fn);

    // --- current-protocol commands (hidmanager_*.cpp)
    bool readDeviceInfo(DeviceInfo &info);
    bool readLayer(int layer, QVector<KeyData> &keys);
    // True only for a complete read (see LayerReadSession::complete); `read`, when given,
    // receives per slot whether its content is known.
    bool sendReadLayer(int layer, QVector<KeyData> &keys, QVector<bool> *read = nullptr);
    static bool decodeKeyData(const unsigned char *data, int len, KeyData &out);
    static bool decodeMacroKey(const QVector<QByteArray> &chunks, KeyData &out);
    bool sendWriteKey(int layer, int key, const KeyData &data);
    bool sendWriteMacro(int layer, int key, const KeyData &data);
    bool sendClearKey(int layer, int key);
    bool writeKey(int layer, int key, const KeyData &data);
    bool clearKey(int layer, int key);
    bool sendWriteLedLayer(int layer, const LayerLedConfigData &cfg);
    bool sendReadLedLayer(int layer, LayerLedConfigData &cfg);
    // True only when every layer and its lighting were read completely; `coverage`, when
    // given, says which slots and lighting records came back.
    bool readAllConfiguration(QVector<QVector<KeyData>> &layers, QVector<LayerLedConfigData> &leds,
                              ReadCoverage *coverage = nullptr);
    bool readAllLayers(QVector<QVector<KeyData>> &layers);
    // One locked read of only the listed layers' keys and lighting, to check a save: the
    // others stay empty and unread in `coverage`. True when every asked-for read completed.
    bool readBack(const QVector<int> &keyLayers, const QVector<int> &lightingLayers,
                  QVector<QVector<KeyData>> &layers, QVector<LayerLedConfigData> &leds,
                  ReadCoverage &coverage);
    // The model overloads take the snapshot themselves (call them on the model's thread);
    // workers pass a snapshot taken there and a guarded pointer for the acknowledgements.
    // `report`, when given, lists the save's items, each marked when acknowledged.
    bool saveDirtyConfiguration(KeyboardData &model);
    bool saveDirtyConfiguration(QPointer<KeyboardData> model, const KeyboardSnapshot &snap,
                                SaveItems *report = nullptr);
    bool saveDirtyKeys(KeyboardData &model);
    bool saveDirtyKeys(QPointer<KeyboardData> model, const KeyboardSnapshot &snap,
                       SaveItems *report = nullptr);

signals:
    void deviceConnected();
    void deviceDisconnected();
    void progressUpdated(int current, int total, QString msg);
    void operationFinished(bool success, QString msg);
    // Emitted once when a scan starts finding the keypad refused, and once when that ends.
    void deviceAccessDenied();
    // The list of keypads on the bus changed (one plugged or unplugged, a model learnt).
    void keypadsChanged();
    void deviceAccessDeniedCleared();

public slots:
    void onScanTimer();

protected:
    // Holds m_mutex and raises m_busy for one operation; records the owning thread so that a
    // close requested from inside the operation does not wait for itself. release() lowers
    // the flag and unlocks early (before a final signal); the destructor does it otherwise.
    class OperationLock
    {
    public:
        explicit OperationLock(HIDManager *mgr);
        ~OperationLock();
        void release();
        OperationLock(const OperationLock &) = delete;
        OperationLock &operator=(const OperationLock &) = delete;

    private:
        HIDManager *m_mgr;
        bool m_held = true;
    };

    // Commands store what the keypad reported here (readers on other threads see it whole).
    void storeDeviceInfo(const DeviceInfo &info);

private:
    HIDManager();
    void onAliveTimer();
    // One non-blocking read; a read error closes the device. The caller holds m_mutex.
    void probeHandle();
    bool openCandidate(const hid_device_info *devs, const Candidate &c);
    bool openPreferred(const hid_device_info *devs);
    bool openFirstOf(const QVector<const hid_device_info *> &itfs, quint16 vendorId, quint16 productId);
    void updateListing(const hid_device_info *devs);
    void onListTimer();
    bool lockHeldByCurrentThread() const;
    void finishClose(); // timer and signal part of closeDevice, on the manager's thread

    std::atomic<hid_device *> m_device{nullptr};
    QTimer *m_scanTimer = nullptr;
    QTimer *m_aliveTimer = nullptr;
    QTimer *m_rescanTimer = nullptr; // the restart of scanning after a loss
    QTimer *m_listTimer = nullptr;   // lists the bus while a keypad is open
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_busy{false};
    DeviceInfo m_deviceInfo;
    quint16 m_vendorId = 0;
    quint16 m_productId = 0;
    QByteArray m_devicePath;
    // Under m_stateMutex: the keypads listed last, the open one's identity, the preferred
    // keypad and the models learnt, by identity.
    QVector<KeypadEntry> m_keypads;
    QString m_openIdentity;
    QString m_preferred;
    QVector<KeypadEntry> m_models;
    QMutex m_mutex;
    mutable QMutex m_stateMutex; // guards m_deviceInfo, the IDs and the path for readers
    std::atomic<Qt::HANDLE> m_lockOwner{nullptr};
    bool m_closePending = false; // a deferred disconnectDevice, manager's thread only
    std::atomic<bool> m_accessDenied{false};
    bool m_scanSawDenied = false; // during one tryOpenDevice pass, under m_mutex
    QByteArray m_deniedPath;      // the first refused path of that pass, for the log
    void setAccessDenied(bool denied);

    static std::atomic<HIDManager *> m_instance;
};
