#pragma once

#include "model/records.h"

#include <QByteArray>
#include <QPointer>
#include <QVector>
#include <QtGlobal>

#include <functional>

#include <hidapi.h>

class KeyboardData;
struct KeyboardSnapshot;
struct SaveItem;

// The legacy link: stateless functions that speak the older keypad protocol ("R10Udav" for
// firmware 10 and later, "Old" below) over the handle the device link opened. Every report is
// 65 bytes with report ID 0x03 first; the keypad acknowledges nothing, so writes are paced and
// the layer read relies on packet order alone.
//
// None of these functions takes a lock. Other code calls them only through
// HIDManager::runLegacy(), which holds the device link's mutex and raises its busy flag for the
// length of the call, so the alive probe, Save and View never touch the handle meanwhile:
//
//     HIDManager::instance()->runLegacy([&](hid_device *dev) {
//         return LegacyHIDManager::probeLegacyDeviceInfo(dev, info);
//     });
//
// The handle may be null there (no keypad open); every function copes and returns false.
namespace LegacyHIDManager {

constexpr int REPORT_SIZE = 65;
constexpr quint8 REPORT_ID = 0x03;
constexpr int SLOTS_PER_LAYER = 25;
constexpr int R10UDAV_PACKETS_PER_LAYER = 25;
constexpr int OLD_PACKETS_PER_LAYER = 24;
constexpr int R10UDAV_MAX_ENTRIES = 18;
constexpr int OLD_MAX_PAIRS = 18;
// An "Old" record has room for 20 (modifier, key) entries in bytes 11 to 50.
constexpr int OLD_MAX_READ_ENTRIES = 20;
constexpr int PROBE_READ_TIMEOUT_MS = 50;
constexpr int PROBE_READ_ATTEMPTS = 20;
constexpr int PACKET_TIMEOUT_MS = 120;
constexpr int WRITE_PACING_MS = 20;
constexpr int COMMIT_SETTLE_MS = 200;

// --- report I/O shared by every legacy exchange (legacyprobe.cpp)
// Blocking write of one 65-byte report, then back to non-blocking mode; returns what
// hid_write returned (-1 for a null device or a report of the wrong size).
int writeLegacyReport(hid_device *device, const QByteArray &report);
// One read of up to 65 bytes into a zeroed `buffer`; returns hid_read_timeout's result.
int readLegacyReport(hid_device *device, unsigned char *buffer, int timeoutMs);
// Throws away input already waiting (a late answer to an earlier request), so that a request
// sent next is not answered by it: the legacy keypad's answers carry nothing that would tell
// them apart. Returns the number of reports dropped.
int drainLegacyInput(hid_device *device);

// --- probe (legacyprobe.cpp)
bool probeLegacyDeviceInfo(hid_device *device, LegacyDeviceInfo &info);
bool sendLegacyInfoRequest(hid_device *device);
// Reads up to 65 bytes into `buffer`, which must hold at least 65.
bool readLegacyInfoResponse(hid_device *device, unsigned char *buffer);
// Fills `info` from one information response of `length` bytes (bytes beyond it count as 0).
void parseLegacyInfoResponse(const unsigned char *response, int length, LegacyDeviceInfo &info);
QString legacyFormatName(const LegacyDeviceInfo &info);

// --- layer read (legacylayerread.cpp)
// One pass over a layer; `raw`, when given, receives the reports as read.
bool readLegacyLayer(hid_device *device, const LegacyDeviceInfo &info, int layer,
                     QVector<KeyData> &keys, QVector<QByteArray> *raw = nullptr);
bool readAllLegacyLayers(hid_device *device, const LegacyDeviceInfo &info,
                         QVector<QVector<KeyData>> &layers);
// A layer counts as read only when two passes brought the same reports (up to three passes,
// see PassAgreement); otherwise `keys` is all empty and the result false.
bool readLegacyLayerConfirmed(hid_device *device, const LegacyDeviceInfo &info, int layer,
                              QVector<KeyData> &keys);
QByteArray legacyLayerRequest(const LegacyDeviceInfo &info, int layer);
// Slot filled by packet `packet` of a layer read, or -1 when the packet fills none.
int legacySlotForPacket(const LegacyDeviceInfo &info, int packet);

// --- record decoders (legacydecode.cpp). They work on one report as read (report ID at byte
// 0) of `length` bytes; bytes past `length` and outside the generation's record count as 0, so
// any buffer, however short or hostile, decodes without reading outside it.
KeyData decodeLegacyRecord(const LegacyDeviceInfo &info, const unsigned char *report, int length);
KeyData decodeLegacyR10UdavRecord(const unsigned char *report, int length);
KeyData decodeLegacyOldRecord(const unsigned char *report, int length);
KeyData decodeLegacyR10UdavKeys(const unsigned char *report, int length);
KeyData decodeLegacyOldKeys(const unsigned char *report, int length);
KeyData decodeLegacyR10UdavMultimedia(const unsigned char *report, int length);
KeyData decodeLegacyOldMultimedia(const unsigned char *report, int length);
KeyData decodeLegacyR10UdavMouse(const unsigned char *report, int length);
KeyData decodeLegacyOldMouse(const unsigned char *report, int length);

// --- lighting (legacyrgb.cpp)
// Reads every layer's lighting ("R10Udav" only), one pass each; true when at least one layer
// answered. The others keep the default record.
bool readLegacyRgbConfig(hid_device *device, const LegacyDeviceInfo &info,
                         QVector<LayerLedConfigData> &configs);
// One layer's lighting; `raw`, when given, receives the reply as read.
bool readLegacyRgbLayer(hid_device *device, int layer, LayerLedConfigData &config,
                        QByteArray *raw = nullptr);
// One layer's lighting, read until two replies agree (up to three).
bool readLegacyRgbLayerConfirmed(hid_device *device, int layer, LayerLedConfigData &config);
// Writes every layer with a pending lighting change. The model overloads (call them on the
// model's thread) clear the flags of the layers written; the snapshot overloads only list
// them in `written`, for a save that clears them once its commit went out.
bool writeLegacyRgbConfig(hid_device *device, const LegacyDeviceInfo &info, KeyboardData &model);
bool writeLegacyRgbConfig(hid_device *device, const LegacyDeviceInfo &info,
                          const KeyboardSnapshot &snapshot, QVector<int> *written = nullptr);
bool writeLegacyOldRgbConfig(hid_device *device, const LegacyDeviceInfo &info,
                             KeyboardData &model);
bool writeLegacyOldRgbConfig(hid_device *device, const LegacyDeviceInfo &info,
                             const KeyboardSnapshot &snapshot, QVector<int> *written = nullptr);
quint8 legacyOldRgbColorCode(const LedColorData &color);
QByteArray legacyRgbReadRequest(int layer);
QByteArray legacyRgbWriteReport(int layer, const LayerLedConfigData &config);
QByteArray legacyOldRgbWriteReport(int layer, const LayerLedConfigData &config);

// --- key write and save (legacykeywrite.cpp, legacysave.cpp)
bool writeLegacyKey(hid_device *device, const LegacyDeviceInfo &info, int layer, int slot,
                    const KeyData &key);
// Device key number of a slot, or 0 when the generation has no key for it.
int legacyKeyNumber(const LegacyDeviceInfo &info, int slot);
enum class EncodeResult { Ok, NoKeyNumber, BadType };
// Builds the 65-byte key-write report for one key (empty when the result is not Ok).
EncodeResult encodeLegacyKeyReport(const LegacyDeviceInfo &info, int layer, int slot,
                                   const KeyData &key, QByteArray &report);
QByteArray legacyCommitReport();
// Why a legacy save stopped.
enum class SaveFailure { None, NoDevice, Encode, KeyWrite, Lighting, Commit };
// Writes every dirty key, then the lighting, then the commit. Only a written commit makes the
// keypad keep the writes across a power cycle, so nothing is acknowledged before it: a save
// that stops anywhere leaves every item of it changed, and the next save writes them again.
// The model overload (call it on the model's thread) takes a snapshot and acknowledges
// directly; the snapshot overload, for workers, reads only the snapshot and posts the
// acknowledgements to the model's thread, so an edit made while the save runs stays dirty.
// `items`, when given, lists what the save meant to write, each marked once committed;
// `why` says where it stopped; `progress` is called before each write (done, total).
bool saveDirtyConfiguration(hid_device *device, const LegacyDeviceInfo &info, KeyboardData &model);
bool saveDirtyConfiguration(hid_device *device, const LegacyDeviceInfo &info,
                            QPointer<KeyboardData> model, const KeyboardSnapshot &snapshot,
                            QVector<SaveItem> *items = nullptr, SaveFailure *why = nullptr,
                            const std::function<void(int, int)> &progress = {});

} // namespace LegacyHIDManager
