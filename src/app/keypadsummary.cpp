#include "app/keypadsummary.h"

#include "app/windowtitle.h"
#include "model/slotmap.h"

namespace KeypadSummary {

QString model(const KeypadEntry &keypad, UiText::Language language)
{
    if (keypad.modelKnown) {
        const PhysicalLayoutConfig preset = SlotMap::presetFor(keypad.model, keypad.legacy);
        const SlotMap map = keypad.legacy ? SlotMap::forLegacy(keypad.legacyModel, preset)
                                          : SlotMap::forCurrent(keypad.model, preset);
        const QString counted = WindowTitle::modelOf(map, language);
        if (!counted.isEmpty())
            return counted;
    }
    return UiText::text(QStringLiteral("Keypad %1"), language).arg(keypad.usbIds());
}

QString chooserText(const KeypadEntry &keypad, UiText::Language language)
{
    if (!keypad.serial.isEmpty())
        return UiText::text(QStringLiteral("%1 · serial %2"), language).arg(model(keypad, language), keypad.serial);
    return UiText::text(QStringLiteral("%1 · path %2"), language)
        .arg(model(keypad, language), QString::fromUtf8(keypad.path));
}

} // namespace KeypadSummary
