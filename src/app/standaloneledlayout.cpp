#include "app/standaloneledlayout.h"

StandaloneLedLayoutConfig StandaloneLedLayoutConfig::forLayout(const QString &layoutName)
{
    StandaloneLedLayoutConfig c;
    if (layoutName != QLatin1String("Layout_0K_1E_P1_S1"))
        return c;
    c.enabled = true;
    c.size = QSize(132, 356);
    c.offset = QPoint(33, 18);
    // A column of four 110 x 70 buttons, 92 pixels apart.
    for (int k = 0; k < 4; ++k)
        c.leds.append({k, QRect(QPoint(0, 92 * k), QPoint(109, 92 * k + 69)),
                       QStringLiteral("LED%1").arg(k + 1)});
    return c;
}
