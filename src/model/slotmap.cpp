#include "model/slotmap.h"

#include "model/layoutpresets.h"
#include "model/profile.h"

namespace {

const QString kLayout0K1E = QStringLiteral("Layout_0K_1E_P0_S0");
const QString kLayout6K1E = QStringLiteral("Layout_6K_1E_P0_S0");

// The legacy single-knob keypad numbers its slots in its own order.
const int kLegacyKnobSlotOfButton[5] = {3, 1, 2, 5, 4};
const int kLegacyKnobButtonOfSlot[5] = {1, 2, 0, 4, 3};

QVector<bool> everySlot() { return QVector<bool>(SlotMap::SLOT_COUNT, true); }

// A legacy keypad keeps keys from slot 0 and knob actions from slot 16, three per knob, as
// far as its counts and its generation go ("Old" stores at most 15 keys and the first knob).
QVector<bool> legacyKept(bool r10, int keyCount, int encoderCount, int shape)
{
    QVector<bool> kept(SlotMap::SLOT_COUNT, false);
    const int keys = r10 ? 16 : 15;
    const int knobs = r10 ? 3 : 1;
    const bool counted = keyCount > 0 || encoderCount > 0;
    for (int slot = 0; slot < SlotMap::SLOT_COUNT; ++slot) {
        bool k;
        if (!counted)
            k = slot < keys || (slot >= 16 && slot < 16 + 3 * knobs);
        else if (keyCount == 0 && encoderCount == 1)
            // One knob and no keys: it answers in key slots, 1-3 (0-2 on the shape-1 model).
            k = shape == 1 ? slot <= 2 : slot >= 1 && slot <= 3;
        else
            k = slot < qMin(keyCount, keys)
                || (slot >= 16 && slot < 16 + 3 * qMin(encoderCount, knobs));
        kept[slot] = k && SlotMap::legacyKeyNumber(r10, slot) != 0;
    }
    return kept;
}

QVector<bool> currentKept(const DeviceInfo &info)
{
    QVector<bool> kept(SlotMap::SLOT_COUNT, false);
    const int limit = info.writableKeyLimit();
    for (int slot = 0; slot < limit && slot < SlotMap::SLOT_COUNT; ++slot)
        kept[slot] = true;
    return kept;
}

DeviceInfo infoOf(const ProfileDevice &d)
{
    DeviceInfo info;
    const bool counted = d.keyCount > 0 || d.encoderCount > 0 || d.extraKeyCount > 0;
    info.valid = counted;
    info.keyCount = quint8(d.keyCount);
    info.encoderCount = quint8(d.encoderCount);
    info.extraKeyCount = quint8(d.extraKeyCount);
    info.layerCount = quint8(d.layerCount);
    info.variantP = quint8(d.variantP);
    info.shape = quint8(d.shape);
    info.variantB = quint8(d.variantB);
    return info;
}

} // namespace

SlotMap::SlotMap()
    : m_layout(LayoutPresets::buildDefault16Plus3Layout())
{
    build(everySlot());
}

SlotMap SlotMap::forLayout(const PhysicalLayoutConfig &layout)
{
    SlotMap m;
    m.m_layout = layout;
    m.build(everySlot());
    return m;
}

SlotMap SlotMap::forCurrent(const DeviceInfo &info, const PhysicalLayoutConfig &layout)
{
    SlotMap m;
    m.m_kind = Kind::Current;
    m.m_layout = layout;
    m.build(currentKept(info));
    return m;
}

SlotMap SlotMap::forLegacy(const LegacyDeviceInfo &info, const PhysicalLayoutConfig &layout)
{
    SlotMap m;
    const bool r10 = info.format == LegacyDeviceInfo::R10Udav;
    m.m_kind = r10 ? Kind::R10Udav : Kind::Old;
    m.m_layout = layout;
    m.m_legacyKnobOrder = layout.name == kLayout0K1E;
    m.m_legacyKnobAt16 = layout.name == kLayout6K1E;
    m.build(legacyKept(r10, info.keyCount, info.encoderCount, info.shape));
    return m;
}

SlotMap SlotMap::forDevice(const ProfileDevice &device)
{
    using P = ProfileDevice::Protocol;
    const DeviceInfo info = infoOf(device);
    switch (device.protocol) {
    case P::None:
        return SlotMap();
    case P::Current:
        return forCurrent(info, presetFor(info, false));
    case P::LegacyR10Udav:
    case P::LegacyOld: {
        LegacyDeviceInfo legacy;
        legacy.valid = true; // a legacy profile always comes from a keypad that answered
        legacy.keyCount = quint8(device.keyCount);
        legacy.encoderCount = quint8(device.encoderCount);
        legacy.layerCount = quint8(device.layerCount);
        legacy.shape = quint8(device.shape);
        legacy.version = quint8(device.firmwareVersion);
        legacy.format = device.protocol == P::LegacyR10Udav ? LegacyDeviceInfo::R10Udav : LegacyDeviceInfo::Old;
        return forLegacy(legacy, presetFor(deviceInfoFromLegacy(legacy), true));
    }
    }
    return SlotMap();
}

PhysicalLayoutConfig SlotMap::presetFor(const DeviceInfo &info, bool legacy)
{
    const int k = info.keyCount;
    const int e = info.encoderCount;
    // Legacy firmware reports some models with counts the table would misread.
    if (legacy) {
        if (k == 1 && e == 0)
            return LayoutPresets::build1Plus0Layout();
        if (k == 0 && e == 3)
            return LayoutPresets::build16Plus3LayoutS3();
        if (k == 0 && e == 2)
            return LayoutPresets::build16Plus3LayoutS2();
        if (k == 4 && e == 3)
            return LayoutPresets::build16Plus3LayoutS1();
    }
    return LayoutPresets::buildForCode(
        LayoutPresets::codeForDevice(info.valid, k, e, info.variantP, info.shape));
}

int SlotMap::legacyKeyNumber(bool r10udav, int slot)
{
    if (slot < 0)
        return 0;
    if (r10udav)
        return slot < SLOT_COUNT ? slot + 1 : 0;
    if (slot < 15)
        return slot + 1;
    // Only the first knob exists on "Old" keypads, and it numbers its actions left, press,
    // right: the press slot and the right-turn slot swap.
    switch (slot) {
    case 16: return 16;
    case 17: return 18;
    case 18: return 17;
    default: return 0;
    }
}

int SlotMap::slotOfButton(int b) const
{
    if (m_legacyKnobOrder && b >= 0 && b <= 4)
        return kLegacyKnobSlotOfButton[b];
    if (m_legacyKnobAt16 && b >= 6 && b <= 8)
        return b + 10;
    return b;
}

int SlotMap::buttonOfSlot(int d) const
{
    if (m_legacyKnobOrder && d >= 1 && d <= 5)
        return kLegacyKnobButtonOfSlot[d - 1];
    if (m_legacyKnobAt16 && d >= 16 && d <= 18)
        return d - 10;
    return d;
}

bool SlotMap::drawn(int slot) const
{
    return slot >= 0 && slot < SLOT_COUNT && m_drawn[slot];
}

bool SlotMap::canKeep(int slot) const
{
    return slot >= 0 && slot < SLOT_COUNT && m_kept[slot];
}

QVector<int> SlotMap::offeredSlots() const
{
    QVector<int> out;
    for (int slot = 0; slot < SLOT_COUNT; ++slot)
        if (hasSlot(slot))
            out.append(slot);
    return out;
}

int SlotMap::keyCount() const
{
    int n = 0;
    for (int b = 0; b < m_layout.keyCount; ++b)
        n += hasSlot(slotOfButton(b)) ? 1 : 0;
    return n;
}

int SlotMap::knobCount() const
{
    auto offered = [this](int firstButton, int actions) {
        for (int a = 0; a < actions; ++a)
            if (hasSlot(slotOfButton(firstButton + a)))
                return true;
        return false;
    };
    int n = 0;
    for (const KnobDescriptor &knob : m_layout.knobs)
        n += offered(knob.firstIndex, knob.actionCount) ? 1 : 0;
    for (int t = 0; t < m_layout.turnOnlyKnobCount; ++t)
        n += offered(m_layout.keyCount + 2 * t, 2) ? 1 : 0;
    return n;
}

bool SlotMap::buttonAbsent(int button) const
{
    const int slot = slotOfButton(button);
    return drawn(slot) && !canKeep(slot);
}

void SlotMap::build(const QVector<bool> &kept)
{
    m_kept = kept;
    m_drawn = QVector<bool>(SLOT_COUNT, false);
    // The preset lists its buttons by button index; the slot is what each one edits.
    for (int button : m_layout.usedDataIndices()) {
        const int slot = slotOfButton(button);
        if (slot >= 0 && slot < SLOT_COUNT)
            m_drawn[slot] = true;
    }
}
