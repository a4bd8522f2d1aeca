#pragma once

#include "model/physicallayout.h"
#include "model/records.h"

#include <QVector>

struct ProfileDevice;

// Which of the 25 key slots of a layer the connected keypad really has: the panel preset that
// draws it, the panel button that shows each slot, and whether the keypad can keep a function
// given to it. Everything that offers, saves, checks or exchanges slots asks this one table,
// so the panel never offers a slot the keypad would silently drop.
//
// A slot is offered when its panel button exists and the keypad keeps it. A button whose slot
// the keypad cannot keep is drawn as absent (the "Old" generation on the 16-key panel: key 16
// and the second and third knob).
class SlotMap
{
public:
    static constexpr int SLOT_COUNT = 25;

    enum class Kind {
        None,    // no keypad: every slot the preset draws counts
        Current, // current protocol
        R10Udav, // legacy, firmware 10 and later
        Old,     // legacy, below firmware 10
    };

    // The 16-key, 3-knob panel with nothing known about the keypad.
    SlotMap();
    // A panel without a keypad behind it (the start-up picture, a profile of no keypad).
    static SlotMap forLayout(const PhysicalLayoutConfig &layout);
    // The connected keypad, drawn with the given preset (the window may show another one than
    // presetFor() picks, e.g. in tests).
    static SlotMap forCurrent(const DeviceInfo &info, const PhysicalLayoutConfig &layout);
    static SlotMap forLegacy(const LegacyDeviceInfo &info, const PhysicalLayoutConfig &layout);
    // The keypad a profile was made on or is loaded into, drawn with its own preset.
    static SlotMap forDevice(const ProfileDevice &device);

    // The panel preset of a keypad. `legacy`: the info was filled from a legacy probe, whose
    // counts the device table would misread for some models.
    static PhysicalLayoutConfig presetFor(const DeviceInfo &info, bool legacy);
    // The key number the legacy protocol gives a slot, 0 when the generation has none.
    static int legacyKeyNumber(bool r10udav, int slot);

    Kind kind() const { return m_kind; }
    const PhysicalLayoutConfig &layout() const { return m_layout; }

    // The slot a panel button edits, and the button that shows a slot. Identity except for
    // the legacy single-knob and six-key panels, which number their knobs their own way.
    int slotOfButton(int button) const;
    int buttonOfSlot(int slot) const;

    // The panel draws a button for the slot.
    bool drawn(int slot) const;
    // The keypad stores what the slot is given.
    bool canKeep(int slot) const;
    // Drawn and kept: the slots the window offers, a profile carries and a save may write.
    bool hasSlot(int slot) const { return drawn(slot) && canKeep(slot); }
    QVector<int> offeredSlots() const;
    // Keys and knobs of the panel with at least one slot the keypad keeps.
    int keyCount() const;
    int knobCount() const;
    // A button the panel draws for a slot the keypad cannot keep.
    bool buttonAbsent(int button) const;

private:
    Kind m_kind = Kind::None;
    PhysicalLayoutConfig m_layout;
    QVector<bool> m_drawn; // [slot]
    QVector<bool> m_kept;  // [slot]
    bool m_legacyKnobOrder = false; // legacy single knob: buttons 0..4 edit slots 3, 1, 2, 5, 4
    bool m_legacyKnobAt16 = false;  // legacy six keys and a knob: buttons 6..8 edit 16..18

    void build(const QVector<bool> &kept);
};
