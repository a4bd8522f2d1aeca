#include "app/windowtitle.h"

#include "model/slotmap.h"
#include "i18n/uitext.h"

#include <QStringList>

QString WindowTitle::programName()
{
    return QStringLiteral("Macropad Studio");
}

QString WindowTitle::forPanel(bool connected, const SlotMap &slots)
{
    if (!connected)
        return programName();
    const QString model = modelOf(slots, UiText::language());
    return model.isEmpty() ? programName() : programName() + QStringLiteral(" \u2014 ") + model;
}

QString WindowTitle::modelOf(const SlotMap &slots, UiText::Language language)
{
    // Counted from what the panel offers rather than from the device's report: a keypad in
    // another housing reports the electronics it shares (16 keys, 3 knobs) but has what it
    // shows, and an "Old" keypad on the 16-key panel has 15 keys and one knob.
    const int keys = slots.keyCount();
    const int knobs = slots.knobCount();
    auto tr = [language](const char *text) { return UiText::text(QString::fromUtf8(text), language); };
    QStringList parts;
    if (keys > 0)
        parts << (keys == 1 ? tr("1 key") : tr("%1 keys").arg(keys));
    if (knobs > 0)
        parts << (knobs == 1 ? tr("1 knob") : tr("%1 knobs").arg(knobs));
    if (parts.size() < 2)
        return parts.value(0);
    return tr("%1, %2").arg(parts.at(0), parts.at(1));
}
