#pragma once

#include <QString>
#include <QtGlobal>

struct KeyData;

// Names of keyboard usages (HID usage page 7). Unknown usages read "0x%1" (two lower-case
// hex digits); modifiers 0xE0-0xE7 give their modifier names.
QString keyName(quint8 usage);
// "LCtrl" .. "RWin" for 0xE0-0xE7, "0x%1" for anything else.
QString modifierName(quint8 usage);
// Consumer-page (0x0C) names; unknown usages read "Media(0x%1)" with four hex digits.
QString mediaName(quint16 usage);
// Mouse and gesture actions 0-15; empty for larger codes.
QString mouseLongName(quint8 code);
QString mouseShortName(quint8 code);

inline bool isModifierUsage(quint8 usage)
{
    return usage >= 0xE0 && usage <= 0xE7;
}
inline bool isLetterUsage(quint8 usage)
{
    return usage >= 0x04 && usage <= 0x1D;
}

// The separator between the names of a macro in its long caption: a bold blue arrow.
QString macroArrowSeparator();

// Caption builders of KeyData: rebuild fullText and buttonText from the function fields.
void updateCombinationTexts(KeyData &key);
void updateMacroTexts(KeyData &key);
// Rebuilds both captions for whatever type the key has (empty texts for Empty and for
// unknown types).
void updateKeyTexts(KeyData &key);
