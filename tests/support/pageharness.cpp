#include "support/pageharness.h"

#include "app/widget.h"

#include <QDir>
#include <QWidget>

namespace testsupport {

void saveShot(QWidget *widget, const QString &name)
{
    const QString dir = qEnvironmentVariable("MACROPAD_SHOTS_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void deviceRead(Widget &w, KeypadKind kind)
{
    DeviceInfo info;
    info.valid = true;
    info.keyCount = 16;
    info.encoderCount = 3;
    info.layerCount = 3;
    LegacyDeviceInfo legacy;
    legacy.valid = true;
    legacy.keyCount = 16;
    legacy.encoderCount = 3;
    legacy.layerCount = 3;
    legacy.version = kind == KeypadKind::Old ? 8 : 10;
    legacy.format = kind == KeypadKind::Old ? LegacyDeviceInfo::Old : LegacyDeviceInfo::R10Udav;
    w.setDeviceKind(kind != KeypadKind::Current, info, legacy);
    w.routePagesForKeypad();
    w.applyPhysicalLayout(w.buildDefault16Plus3Layout());
}

} // namespace testsupport
