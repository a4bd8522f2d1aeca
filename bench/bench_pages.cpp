// Cost of the function pages: building each page (the window builds all of them at start),
// the Procreate name lookup that every panel caption makes while that page is in view, and
// one page click carried through to the panel captions. Runs offscreen unless a platform
// is given. Targets: every page under 20 ms to build, a click under 2 ms.
#include "app/appconfig.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "model/keyboarddata.h"
#include "pages/basekeyspage.h"
#include "pages/extrakeyspage.h"
#include "pages/mousepage.h"
#include "pages/multimediapage.h"
#include "pages/pagecaptions.h"
#include "pages/procreatepage.h"
#include "pages/procreatetable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>

#include <cstdio>
#include <functional>

namespace {

template <typename Page>
double buildMs(KeyboardData *model, int rounds)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i) {
        Page page(model);
        page.ensurePolished();
    }
    return double(t.nsecsElapsed()) / 1e6 / rounds;
}

QPushButton *buttonWith(QWidget *page, const char *property, const QVariant &value)
{
    for (QPushButton *b : page->findChildren<QPushButton *>())
        if (b->property(property) == value)
            return b;
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initKnobResources();
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    KeyboardData model;
    const int rounds = 20;
    std::printf("page build (mean of %d)\n", rounds);
    std::printf("  base keys     %7.2f ms\n", buildMs<BaseKeysPage>(&model, rounds));
    std::printf("  extra keys    %7.2f ms\n", buildMs<ExtraKeysPage>(&model, rounds));
    std::printf("  multimedia    %7.2f ms\n", buildMs<MultimediaPage>(&model, rounds));
    std::printf("  mouse         %7.2f ms\n", buildMs<MousePage>(&model, rounds));
    std::printf("  procreate     %7.2f ms\n", buildMs<ProcreatePage>(&model, rounds));

    // The lookup of a key that holds no shortcut walks the whole table.
    KeyData miss;
    miss.setMacro({{0, 0x04, 0}, {1, 0x04, 20}, {0, 0x05, 20}, {1, 0x05, 20}, {0, 0x06, 20}, {1, 0x06, 20}});
    KeyData hit = procreateKeyData(QByteArray("\xE1\xE3\x1D", 3));
    const int lookups = 200000;
    QElapsedTimer t;
    int found = 0;
    t.start();
    for (int i = 0; i < lookups; ++i)
        found += !PageCaptions::procreateName(i % 2 ? miss : hit, false).isEmpty();
    std::printf("procreate name lookup  %7.3f us per key (%d found)\n",
                double(t.nsecsElapsed()) / 1e3 / lookups, found);

    // A click on a page button, through the model's signals to the panel caption and the
    // display area of a shown window, building a macro up to its 64 steps.
    Widget w{AppConfig()};
    w.show();
    app.processEvents();
    QPushButton *key = w.buttonAt(0);
    QPushButton *letter = buttonWith(w.baseKeysPage(), "keycode", 0x04);
    const int macros = 20;
    int clicks = 0;
    t.restart();
    for (int m = 0; m < macros; ++m) {
        key->click();
        for (int i = 0; i < 32; ++i, ++clicks)
            letter->click();
    }
    std::printf("base key click with captions  %7.3f ms per click (%d clicks)\n",
                double(t.nsecsElapsed()) / 1e6 / clicks, clicks);

    w.functionList()->setCurrentRow(6);
    QPushButton *redo = buttonWith(w.procreatePage(), "procreateLabel", QStringLiteral("Redo"));
    t.restart();
    for (int i = 0; i < 500; ++i)
        redo->click();
    std::printf("procreate click with captions %7.3f ms per click\n", double(t.nsecsElapsed()) / 1e6 / 500);

    // Switching rows redraws every panel caption for the new page.
    t.restart();
    for (int i = 0; i < 200; ++i)
        w.functionList()->setCurrentRow(i % 2 ? 0 : 6);
    std::printf("page switch                   %7.3f ms\n", double(t.nsecsElapsed()) / 1e6 / 200);
    return 0;
}
