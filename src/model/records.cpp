#include "model/records.h"

#include "model/keynames.h"

void KeyData::reset()
{
    type = KeyType::Empty;
    dirty = false;
    keyCode = 0;
    modifierBits = 0;
    comboKeys.clear();
    macroSteps.clear();
    mediaUsage = 0;
    mouseAction = 0;
    fullText.clear();
    buttonText.clear();
}

void KeyData::setBasicKey(quint8 usage)
{
    reset();
    type = KeyType::Basic;
    keyCode = usage;
    dirty = true;
    updateKeyTexts(*this);
}

void KeyData::setCombination(quint8 modifiers, const QByteArray &keysIn)
{
    // The caller may pass this key's own list; take a copy before reset empties it.
    const QByteArray keys = keysIn;
    reset();
    type = KeyType::Combination;
    modifierBits = modifiers;
    for (char c : keys) {
        if (comboKeys.size() >= 6)
            break;
        const quint8 usage = quint8(c);
        if (usage == 0 || isModifierUsage(usage) || comboKeys.contains(c))
            continue;
        comboKeys.append(c);
    }
    dirty = true;
    updateCombinationTexts(*this);
}

void KeyData::setMacro(const QVector<MacroStepData> &steps)
{
    // The caller may pass this key's own steps (e.g. to rebuild after editing them).
    const QVector<MacroStepData> copy = steps;
    reset();
    type = KeyType::Macro;
    macroSteps = copy;
    dirty = true;
    updateMacroTexts(*this);
}

void KeyData::setMultimedia(quint16 usage)
{
    reset();
    type = KeyType::Multimedia;
    mediaUsage = usage;
    dirty = true;
    updateKeyTexts(*this);
}

void KeyData::setMouseAction(quint8 action)
{
    reset();
    type = KeyType::Mouse;
    mouseAction = action;
    dirty = true;
    updateKeyTexts(*this);
}

bool KeyData::sameFunction(const KeyData &o) const
{
    if (type != o.type)
        return false;
    switch (type) {
    case KeyType::Basic:
        return keyCode == o.keyCode;
    case KeyType::Macro:
        return macroSteps == o.macroSteps;
    case KeyType::Multimedia:
        return mediaUsage == o.mediaUsage;
    case KeyType::Mouse:
        return mouseAction == o.mouseAction;
    case KeyType::Combination:
        return modifierBits == o.modifierBits && comboKeys == o.comboKeys;
    case KeyType::Empty:
        return true;
    default:
        return keyCode == o.keyCode && modifierBits == o.modifierBits && comboKeys == o.comboKeys
               && macroSteps == o.macroSteps && mediaUsage == o.mediaUsage
               && mouseAction == o.mouseAction;
    }
}
