#include "app/windowtitle.h"

#include "model/physicallayout.h"
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
    // Counted from the panel rather than from the device's report: a keypad in another
    // housing reports the electronics it shares (16 keys, 3 knobs) but shows what it has.
    const int keys = panel.keyCount;
    const int knobs = int(panel.knobs.size()) + panel.turnOnlyKnobCount;
    QStringList parts;
    if (keys > 0)
        parts << (keys == 1 ? UiText::text(QStringLiteral("1 key"))
                            : UiText::text(QStringLiteral("%1 keys")).arg(keys));
    if (knobs > 0)
        parts << (knobs == 1 ? UiText::text(QStringLiteral("1 knob"))
                             : UiText::text(QStringLiteral("%1 knobs")).arg(knobs));
    if (parts.isEmpty())
        return programName();
    const QString model = parts.size() == 1
                              ? parts.first()
                              : UiText::text(QStringLiteral("%1, %2")).arg(parts.at(0), parts.at(1));
    return programName() + QStringLiteral(" \u2014 ") + model;
}
