#include "app/widget.h"
#include "controls/knobbutton.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    initKnobResources();
    int rc = 0;
    {
        // The window goes before the application object.
        Widget window;
        window.show();
        rc = app.exec();
    }
    return rc;
}
