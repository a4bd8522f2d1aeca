#pragma once

#include "model/keypadidentity.h"
#include "model/records.h"

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QVector>
#include <QtGlobal>

struct hid_device_info;

// One supported keypad on the bus, as the link would open it.
struct KeypadEntry {
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString serial;   // empty when the keypad reports none
    QByteArray path;  // of the interface the link opens
    int interfaceNumber = -1;
    // What it is, once the link has opened it and asked (the list keeps it while the keypad
    // stays plugged).
    bool modelKnown = false;
    bool legacy = false;
    DeviceInfo model;              // a legacy keypad's too, converted
    LegacyDeviceInfo legacyModel;  // legacy keypads only

    // Stable over replugs when the keypad has a serial number; otherwise its path, which a
    // replug into the same port keeps. "4C4A:4155 serial 0042", "4C4A:4155 path /dev/hidraw3".
    QString identity() const;
    QString usbIds() const { return KeypadIdentity::usbIds(vendorId, productId); }
    // Whether `selector` names this keypad: its serial number, its path or its identity.
    bool matches(const QString &selector) const;
};

namespace KeypadListing {

// The keypads in an enumeration of the bus, in the order the link prefers them: by the
// candidate (vendor, product) pairs, then as enumerated. A keypad exposes several
// interfaces; it is listed once, by the interface the link opens (the vendor page, else
// interface 0). Interfaces with the same serial number are one keypad; without a serial
// number each vendor-page interface is one (or each interface 0 where no vendor page is).
QVector<KeypadEntry> fromEnumeration(const hid_device_info *devs,
                                     const QVector<QPair<quint16, quint16>> &candidates);

// Whether an interface of the enumeration belongs to `entry`'s keypad.
bool sameKeypad(const hid_device_info *itf, const KeypadEntry &entry);

} // namespace KeypadListing
