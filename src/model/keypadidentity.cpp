#include "model/keypadidentity.h"

KeypadIdentity KeypadIdentity::ofCurrent(quint16 vendorId, quint16 productId, const DeviceInfo &info)
{
    KeypadIdentity id;
    id.vendorId = vendorId;
    id.productId = productId;
    id.info = info;
    return id;
}

KeypadIdentity KeypadIdentity::ofLegacy(quint16 vendorId, quint16 productId,
                                        const LegacyDeviceInfo &info)
{
    KeypadIdentity id;
    id.vendorId = vendorId;
    id.productId = productId;
    id.legacy = true;
    id.legacyInfo = info;
    return id;
}

bool KeypadIdentity::operator==(const KeypadIdentity &o) const
{
    if (vendorId != o.vendorId || productId != o.productId || legacy != o.legacy
        || isKnown() != o.isKnown())
        return false;
    if (!unit.isEmpty() && !o.unit.isEmpty() && unit != o.unit)
        return false;
    if (legacy) {
        const LegacyDeviceInfo &a = legacyInfo;
        const LegacyDeviceInfo &b = o.legacyInfo;
        return a.keyCount == b.keyCount && a.encoderCount == b.encoderCount
               && a.layerCount == b.layerCount && a.version == b.version && a.shape == b.shape
               && a.format == b.format;
    }
    const DeviceInfo &a = info;
    const DeviceInfo &b = o.info;
    return a.keyCount == b.keyCount && a.encoderCount == b.encoderCount
           && a.extraKeyCount == b.extraKeyCount && a.layerCount == b.layerCount
           && a.variantP == b.variantP && a.shape == b.shape && a.variantB == b.variantB;
}

QString KeypadIdentity::usbIds(quint16 vendorId, quint16 productId)
{
    return QStringLiteral("%1:%2")
                            .arg(vendorId, 4, 16, QLatin1Char('0'))
                            .arg(productId, 4, 16, QLatin1Char('0'))
                            .toUpper();
}

QString KeypadIdentity::describe() const
{
    const QString ids = usbIds(vendorId, productId);
    if (!isKnown())
        return ids + QStringLiteral(" unknown");
    const QString at = unit.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(unit);
    if (legacy)
        return ids
               + QStringLiteral(" legacy K=%1 E=%2 Ver=%3 Shape=%4 Fmt=%5")
                     .arg(legacyInfo.keyCount)
                     .arg(legacyInfo.encoderCount)
                     .arg(legacyInfo.version)
                     .arg(legacyInfo.shape)
                     .arg(legacyInfo.format)
               + at;
    return ids
           + QStringLiteral(" K=%1 E=%2 D=%3 L=%4 P=%5 S=%6 B=%7")
                 .arg(info.keyCount)
                 .arg(info.encoderCount)
                 .arg(info.extraKeyCount)
                 .arg(info.layerCount)
                 .arg(info.variantP)
                 .arg(info.shape)
                 .arg(info.variantB)
           + at;
}
