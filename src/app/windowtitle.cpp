#include "app/windowtitle.h"

#include "app/physicallayout.h"
#include "i18n/uitext.h"

#include <QStringList>

QString WindowTitle::programName()
{
    return QStringLiteral("Macropad Studio");
}

QString WindowTitle::forPanel(bool connected, const PhysicalLayoutConfig &panel)
{
    if (!connected)
        return programName();
    const QString model = modelOf(panel, UiText::language());
    return model.isEmpty() ? programName() : programName() + QStringLiteral(" \u2014 ") + model;
}

QString WindowTitle::modelOf(const PhysicalLayoutConfig &panel, UiText::Language language)
{
    // Counted from the panel rather than from the device's report: a keypad in another
    // housing reports the electronics it shares (16 keys, 3 knobs) but shows what it has.
    const int keys = panel.keyCount;
    const int knobs = int(panel.knobs.size()) + panel.turnOnlyKnobCount;
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
