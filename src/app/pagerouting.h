#pragma once

#include <QString>

// Which page each row of the function page list shows for the keypad read last. The legacy
// keypads keep their delays and lighting in their own records, so rows 3 (lighting) and 5
// (macro) lead to pages of their own there: "R10Udav" to the delay table and the eight-mode
// lighting page, "Old" to the single delay and the colour list. Anything else, no keypad
// included, gets the current pages.
class PageRouting
{
public:
    enum class Keypad { Current, R10Udav, Old };

    // The stack order: pages 0..6 are shown by the row of the same number, 7..10 only
    // through the legacy routing of rows 3 and 5.
    enum Page {
        BaseKeys,
        ExtraKeys,
        MultiMedia,
        RgbLed,
        Mouse,
        Macro,
        Procreate,
        LegacyDelay,
        LegacyOldDelay,
        LegacyRgbLed,
        LegacyOldRgbLed,
        PageCount
    };
    static constexpr int RowCount = 7;
    static constexpr int LightingRow = 3;
    static constexpr int MacroRow = 5;

    PageRouting() = default;
    explicit PageRouting(Keypad keypad);
    // `legacyFormat` is LegacyDeviceInfo::format; it matters only for a legacy keypad.
    static Keypad keypadOf(bool legacy, int legacyFormat);

    Keypad keypad() const { return m_keypad; }
    bool useLegacyDelayPage() const { return m_keypad == Keypad::R10Udav; }
    bool useLegacyOldDelayPage() const { return m_keypad == Keypad::Old; }
    bool useLegacyRgbPage() const { return m_keypad == Keypad::R10Udav; }
    bool useLegacyOldRgbPage() const { return m_keypad == Keypad::Old; }

    // The page a row shows (a row outside the list shows the page of that index, if any).
    Page pageForRow(int row) const;
    // The panel shows LED colours instead of captions while the row is in view: the
    // lighting row, except on the "Old" keypad, whose lighting is one colour for all keys.
    bool showsLedColours(int row) const;
    // English text of row 5: the legacy keypads keep delays there, not macros.
    QString macroRowText() const;

private:
    Keypad m_keypad = Keypad::Current;
};
