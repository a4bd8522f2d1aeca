#pragma once

#include "i18n/uitext.h"

#include <QString>

class SlotMap;

// The window's title: the program's name, and once a keypad is connected the model the user
// sees on the panel ("Macropad Studio — 16 keys, 3 knobs"), in the interface language.
class WindowTitle
{
public:
    static QString programName();
    static QString forPanel(bool connected, const SlotMap &slots);
    // The model as the panel offers it ("16 keys, 3 knobs"); empty for a panel of nothing.
    static QString modelOf(const SlotMap &slots, UiText::Language language);
};
