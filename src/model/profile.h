#pragma once

#include "model/records.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

class KeyboardData;

// Which keypad a profile was made on, or which keypad it is about to be loaded into.
struct ProfileDevice {
    enum class Protocol { None, Current, LegacyR10Udav, LegacyOld };

    Protocol protocol = Protocol::None; // None: no keypad known, everything fits
    int keyCount = 0;
    int encoderCount = 0;
    int extraKeyCount = 0;
    int layerCount = 0;
    int variantP = 0;
    int shape = 0;
    int variantB = 0;
    int firmwareVersion = 0; // legacy keypads only

    static ProfileDevice fromDeviceInfo(const DeviceInfo &info);
    static ProfileDevice fromLegacyInfo(const LegacyDeviceInfo &info);

    static QString protocolName(Protocol p);
    // False for an unknown name.
    static bool protocolFromName(const QString &name, Protocol *out);

    // Layers and key slots this keypad really has (all 4 x 25 for Protocol::None).
    int usableLayerCount() const;
    bool hasSlot(int slot) const;
    // Keypads that take a profile slot for slot: the same protocol, counts and housing.
    bool isSameModel(const ProfileDevice &other) const;
    // Short description for reports, e.g. "16 keys, 3 knobs, 4 layers (current protocol)".
    QString describe() const;
};

// The content of one profile file. Entries a file leaves out are marked not present and
// are left alone on import.
struct ProfileData {
    int version = 1;
    ProfileDevice device;
    QVector<QVector<KeyData>> layers;      // 4 x 25
    QVector<QVector<bool>> keyPresent;     // 4 x 25
    QVector<LayerLedConfigData> ledConfigs; // 4
    QVector<bool> ledPresent;              // 4

    ProfileData();
};

struct ProfileImportResult {
    bool ok = false;
    QString error;          // why the file was refused (ok false); names the place
    int keysChanged = 0;    // keys that became edits
    int lightingChanged = 0; // layers whose lighting became an edit
    QStringList notFitted;  // what the target keypad cannot hold; left out of the import
};

// Versioned JSON profiles of a whole keypad configuration.
namespace Profile {

constexpr int FORMAT_VERSION = 1;
// A profile is a few hundred kilobytes at most; anything far larger is not one.
constexpr qint64 MAX_FILE_BYTES = 16 * 1024 * 1024;
extern const char *const FORMAT_NAME;

ProfileData fromModel(const KeyboardData &model, const ProfileDevice &device);
QByteArray toJson(const ProfileData &profile);
// Reads and checks a whole file; on failure `error` names the problem and its place and
// `out` is left as it was.
bool parse(const QByteArray &json, ProfileData *out, QString *error);

// Loads the parsed profile into the model as edits: only keys and lighting that differ
// become changed. What the target cannot hold is skipped and listed.
ProfileImportResult apply(const ProfileData &profile, const ProfileDevice &target,
                          KeyboardData &model);
// Why `target` cannot hold this key function; empty when it can.
QString misfit(const KeyData &key, const ProfileDevice &target);
// True when the two functions end up the same on a keypad of that protocol. Legacy keypads
// store only key presses and read them back in their own shape (a combination returns as
// a macro, release delays as 20 ms), so equal there does not mean equal records.
bool sameOnKeypad(const KeyData &a, const KeyData &b, ProfileDevice::Protocol protocol);
// What of `profile` would not fit `target` (the same list apply reports).
QStringList notFitting(const ProfileData &profile, const ProfileDevice &target);
// Items that fit `target` but differ between the profile and the given configuration,
// e.g. for checking a keypad after writing a profile to it and reading it back (keys are
// compared with sameOnKeypad). Empty when they agree.
QStringList differences(const ProfileData &profile, const ProfileDevice &target,
                        const QVector<QVector<KeyData>> &layers,
                        const QVector<LayerLedConfigData> &ledConfigs);

// Convenience: the whole road from model to bytes and from bytes to model. An import
// that fails leaves the model untouched.
QByteArray exportJson(const KeyboardData &model, const ProfileDevice &device);
ProfileImportResult importJson(const QByteArray &json, const ProfileDevice &target,
                               KeyboardData &model);
bool exportToFile(const QString &path, const KeyboardData &model, const ProfileDevice &device,
                  QString *error);
ProfileImportResult importFromFile(const QString &path, const ProfileDevice &target,
                                   KeyboardData &model);
// Reads and parses a profile file: a regular file of at most MAX_FILE_BYTES (pipes, devices
// and directories are refused without being read).
bool readFile(const QString &path, ProfileData *out, QString *error);
// Writes a profile file in one piece: a failed write leaves the older file, and a pipe, a
// device or a directory at `path` is refused and left as it is.
bool writeFile(const QString &path, const ProfileData &profile, QString *error);

} // namespace Profile
