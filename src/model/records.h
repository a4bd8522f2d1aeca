#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QVector>
#include <QtGlobal>

#include <array>

// The function codes of a key slot. The same byte is the first byte of a key record on the
// wire, so the values are fixed.
namespace KeyType {
enum : quint8 {
    Basic = 0,
    Macro = 1,
    Multimedia = 2,
    Mouse = 3,
    Combination = 4,
    Empty = 0xFF,
};
inline bool isValid(quint8 type)
{
    return type <= Combination || type == Empty;
}
} // namespace KeyType

struct MacroStepData {
    quint8 action = 0; // 0 press, 1 release
    quint8 keyCode = 0;
    quint16 delayMs = 0;

    bool operator==(const MacroStepData &o) const
    {
        return action == o.action && keyCode == o.keyCode && delayMs == o.delayMs;
    }
    bool operator!=(const MacroStepData &o) const { return !(*this == o); }
};

// The function of one key slot of one layer. A plain value: setters reset the record first,
// so fields of a former type never linger, and rebuild both captions.
struct KeyData {
    quint8 type = KeyType::Empty;
    bool dirty = false;
    quint8 keyCode = 0;
    quint8 modifierBits = 0;
    QByteArray comboKeys;
    QVector<MacroStepData> macroSteps;
    quint16 mediaUsage = 0;
    quint8 mouseAction = 0;
    QString fullText;
    QString buttonText;

    void reset();
    void setBasicKey(quint8 usage);
    void setCombination(quint8 modifiers, const QByteArray &keys);
    void setMacro(const QVector<MacroStepData> &steps);
    void setMultimedia(quint16 usage);
    void setMouseAction(quint8 action);

    // Same function (type and the fields that type uses); flags and captions ignored.
    bool sameFunction(const KeyData &o) const;
};

struct LedColorData {
    quint8 r = 0;
    quint8 g = 0;
    quint8 b = 0;

    QColor toColor() const { return QColor(r, g, b, 255); }
    bool operator==(const LedColorData &o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const LedColorData &o) const { return !(*this == o); }
};

struct LayerLedConfigData {
    static constexpr int LED_COUNT = 16;

    quint8 mode = 1;
    std::array<LedColorData, LED_COUNT> colors;
    bool modeDirty = false;
    std::array<bool, LED_COUNT> colorDirty;

    LayerLedConfigData()
    {
        colors.fill(LedColorData{255, 255, 0});
        colorDirty.fill(false);
    }
    bool anyDirty() const
    {
        if (modeDirty)
            return true;
        for (bool d : colorDirty)
            if (d)
                return true;
        return false;
    }
};

struct DeviceInfo {
    bool valid = false;
    quint8 keyCount = 0;      // K
    quint8 encoderCount = 0;  // E
    quint8 extraKeyCount = 0; // D
    quint8 layerCount = 0;    // L
    quint8 variantP = 0;      // P
    quint8 shape = 0;         // S
    quint8 variantB = 0;      // B

    // Key slots 0 .. writableKeyLimit()-1 may be written on a current-protocol keypad.
    int writableKeyLimit() const
    {
        if (!valid || keyCount == 0)
            return 25;
        const int n = int(keyCount) + int(extraKeyCount) + 3 * int(encoderCount);
        return n > 25 ? 25 : n;
    }
};

struct LegacyDeviceInfo {
    enum Format : int { Old = 0, R10Udav = 1 };

    bool valid = false;
    quint8 keyCount = 0;     // K
    quint8 encoderCount = 0; // E
    quint8 layerCount = 3;
    quint8 version = 0; // Ver
    quint8 shape = 0;   // Shape, 0 below version 10
    qint32 format = Old; // Fmt
};

// The device information of a legacy keypad as the panel presets read it: its counts and
// shape, nothing of the current protocol's variants.
inline DeviceInfo deviceInfoFromLegacy(const LegacyDeviceInfo &legacy)
{
    DeviceInfo info;
    info.valid = legacy.valid;
    info.keyCount = legacy.keyCount;
    info.encoderCount = legacy.encoderCount;
    info.layerCount = legacy.layerCount;
    info.shape = legacy.shape;
    return info;
}
