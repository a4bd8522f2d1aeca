#include "device/keypadlisting.h"

#include <hidapi.h>

namespace {

bool vendorPage(const hid_device_info *d)
{
    return d->usage_page == 0xFF00 && d->usage == 1;
}

QString serialOf(const hid_device_info *d)
{
    return d->serial_number ? QString::fromWCharArray(d->serial_number).trimmed() : QString();
}

KeypadEntry entryOf(const hid_device_info *d)
{
    KeypadEntry e;
    e.vendorId = d->vendor_id;
    e.productId = d->product_id;
    e.serial = serialOf(d);
    e.path = QByteArray(d->path ? d->path : "");
    e.interfaceNumber = d->interface_number;
    return e;
}

} // namespace

QString KeypadEntry::identity() const
{
    const QString ids = usbIds();
    if (!serial.isEmpty())
        return ids + QStringLiteral(" serial ") + serial;
    return ids + QStringLiteral(" path ") + QString::fromUtf8(path);
}

bool KeypadEntry::matches(const QString &selector) const
{
    const QString s = selector.trimmed();
    if (s.isEmpty())
        return false;
    return s == identity() || (!serial.isEmpty() && s == serial) || s == QString::fromUtf8(path);
}

namespace KeypadListing {

QVector<KeypadEntry> fromEnumeration(const hid_device_info *devs,
                                     const QVector<QPair<quint16, quint16>> &candidates)
{
    QVector<KeypadEntry> out;
    for (const auto &c : candidates) {
        QVector<const hid_device_info *> itfs;
        for (const hid_device_info *d = devs; d; d = d->next)
            if (d->vendor_id == c.first && d->product_id == c.second)
                itfs.append(d);
        // Keypads with a serial number: one entry per number, by its best interface.
        QVector<QString> serials;
        for (const hid_device_info *d : qAsConst(itfs)) {
            const QString serial = serialOf(d);
            if (!serial.isEmpty() && !serials.contains(serial))
                serials.append(serial);
        }
        for (const QString &serial : qAsConst(serials)) {
            const hid_device_info *best = nullptr;
            for (const hid_device_info *d : qAsConst(itfs)) {
                if (serialOf(d) != serial)
                    continue;
                if (vendorPage(d)) {
                    best = d;
                    break;
                }
                if (!best && d->interface_number == 0)
                    best = d;
            }
            if (best)
                out.append(entryOf(best));
        }
        // Without one: each vendor-page interface, or each interface 0 where none is.
        QVector<const hid_device_info *> bare;
        for (const hid_device_info *d : qAsConst(itfs))
            if (serialOf(d).isEmpty() && vendorPage(d))
                bare.append(d);
        if (bare.isEmpty())
            for (const hid_device_info *d : qAsConst(itfs))
                if (serialOf(d).isEmpty() && d->interface_number == 0)
                    bare.append(d);
        for (const hid_device_info *d : qAsConst(bare))
            out.append(entryOf(d));
    }
    return out;
}

bool sameKeypad(const hid_device_info *itf, const KeypadEntry &entry)
{
    if (itf->vendor_id != entry.vendorId || itf->product_id != entry.productId)
        return false;
    if (!entry.serial.isEmpty())
        return serialOf(itf) == entry.serial;
    return QByteArray(itf->path ? itf->path : "") == entry.path;
}

} // namespace KeypadListing
