#include "app/profilecli.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "device/linkcapture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QLoggingCategory>

#ifdef MACROPAD_DEMO
#include "sim/demokeypads.h"
#endif

int main(int argc, char *argv[])
{
    if (ProfileCli::requested(argc, argv)) {
        // Profiles from a script: no window, so no display is needed.
        QCoreApplication app(argc, argv);
        // The link's diagnostic log would bury the progress lines; --verbose keeps it.
        if (!app.arguments().contains(QStringLiteral("--verbose")))
            QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
        if (!LinkCapture::startFromArguments(app.arguments()))
            return ProfileCli::BadFileOrUsage;
#ifdef MACROPAD_DEMO
        if (!sim::installDemoKeypad(app.arguments()))
            return ProfileCli::BadFileOrUsage;
#endif
        ProfileCli cli;
        return cli.run(app.arguments());
    }
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(appicon); // lives in a static library: pull it in by name
    // Lets the desktop (Wayland compositors in particular) match the window to its launcher
    // and icon; the built-in copy serves when the icon theme has none installed.
    QApplication::setDesktopFileName(QStringLiteral("org.macropadstudio.MacropadStudio"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.macropadstudio.MacropadStudio"),
                                                 QIcon(QStringLiteral(":/icons/macropad-studio.svg"))));
    initKnobResources();
    if (!LinkCapture::startFromArguments(app.arguments()))
        return 2;
#ifdef MACROPAD_DEMO
    // The demo's keypad is on the simulated bus before the window starts looking for one.
    if (!sim::installDemoKeypad(app.arguments()))
        return 2;
#endif
    int rc = 0;
    {
        // The window goes before the application object.
        Widget window;
        window.show();
        rc = app.exec();
    }
    return rc;
}
