#pragma once

#include "model/records.h"

#include <QString>
#include <QtGlobal>

// Which model of keypad a connection reached: its USB IDs and what it reports about itself.
// Two keypads with equal identities take the same edits (slot for slot); a keypad of another
// model, or the same model on another protocol generation, does not; nor does a twin of the
// same model with another serial number (or, without one, on another path).
struct KeypadIdentity {
    quint16 vendorId = 0;
    quint16 productId = 0;
    bool legacy = false;
    DeviceInfo info;             // current protocol
    LegacyDeviceInfo legacyInfo; // legacy protocol
    // Which keypad of its model: the link's identity of it (serial number, else path). Two
    // keypads of one model differ here; empty when not known, which matches any.
    QString unit;

    static KeypadIdentity ofCurrent(quint16 vendorId, quint16 productId, const DeviceInfo &info);
    static KeypadIdentity ofLegacy(quint16 vendorId, quint16 productId,
                                   const LegacyDeviceInfo &info);

    // False for a default value: no keypad was identified.
    bool isKnown() const { return legacy ? legacyInfo.valid : info.valid; }
    bool operator==(const KeypadIdentity &o) const;
    bool operator!=(const KeypadIdentity &o) const { return !(*this == o); }
    // A keypad's USB vendor and product IDs as lists and logs show them: "4C4A:4155".
    static QString usbIds(quint16 vendorId, quint16 productId);
    // "4C4A:4155 K=16 E=3 D=0 L=4 P=0 S=0 B=0", "1189:8840 legacy K=15 E=1 Ver=8 Shape=0 Fmt=0".
    QString describe() const;
};
