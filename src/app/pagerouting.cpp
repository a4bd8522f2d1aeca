#include "app/pagerouting.h"

#include "model/records.h"

PageRouting::PageRouting(Keypad keypad)
    : m_keypad(keypad)
{
}

PageRouting::Keypad PageRouting::keypadOf(bool legacy, int legacyFormat)
{
    if (!legacy)
        return Keypad::Current;
    if (legacyFormat == LegacyDeviceInfo::R10Udav)
        return Keypad::R10Udav;
    if (legacyFormat == LegacyDeviceInfo::Old)
        return Keypad::Old;
    return Keypad::Current;
}

PageRouting::Page PageRouting::pageForRow(int row) const
{
    if (row == LightingRow && useLegacyOldRgbPage())
        return LegacyOldRgbLed;
    if (row == LightingRow && useLegacyRgbPage())
        return LegacyRgbLed;
    if (row == MacroRow && useLegacyOldDelayPage())
        return LegacyOldDelay;
    if (row == MacroRow && useLegacyDelayPage())
        return LegacyDelay;
    return row >= 0 && row < PageCount ? Page(row) : PageCount;
}

bool PageRouting::showsLedColours(int row) const
{
    return row == LightingRow && !useLegacyOldRgbPage();
}

QString PageRouting::macroRowText() const
{
    return m_keypad == Keypad::Current ? QStringLiteral("Macro Key") : QStringLiteral("DelaySetting");
}
