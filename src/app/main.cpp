#include "app/widget.h"
#include "controls/knobbutton.h"

#include <QApplication>

#ifdef MACROPAD_DEMO
#include "sim/demokeypads.h"
#endif

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    initKnobResources();
#ifdef MACROPAD_DEMO
    // The demo's keypad is on the simulated bus before the window starts looking for one.
    sim::installDemoKeypad(app.arguments());
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
