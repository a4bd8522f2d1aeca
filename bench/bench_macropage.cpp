// Cost of the macro and delay pages in the real window: selecting a key whose macro has 64
// steps (the flow is rebuilt: 128 blocks), one recorded key event from the window to the
// block on screen, and the refresh of the "R10Udav" delay cells on a selection. Runs
// offscreen unless a platform is given. Targets: a selection under 50 ms, a recorded key
// event well inside one frame (under 8 ms), a delay page refresh under 2 ms.
#include "app/appconfig.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "controls/macroflowwidget.h"
#include "model/keyboarddata.h"
#include "pages/legacydelaypage.h"
#include "pages/macropage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListWidget>

#include <cstdio>

namespace {

QVector<QVector<KeyData>> layersWithLongMacros()
{
    QVector<QVector<KeyData>> layers(KeyboardData::LAYER_COUNT, QVector<KeyData>(KeyboardData::KEYS_PER_LAYER));
    QVector<MacroStepData> steps;
    for (int i = 0; i < KeyboardData::MAX_MACRO_STEPS / 2; ++i) {
        steps.append(MacroStepData{0, quint8(0x04 + i % 26), 60});
        steps.append(MacroStepData{1, quint8(0x04 + i % 26), 60});
    }
    layers[0][0].setMacro(steps);
    layers[0][1].setMacro(steps);
    return layers;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initKnobResources();
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    AppConfig config;
    config.parse(QByteArray());
    Widget w(config);
    w.resize(1500, 1100);
    w.show();
    KeyboardData *model = w.keyboardData();
    model->loadLayers(layersWithLongMacros());
    auto *page = w.macroPage();
    w.functionList()->setCurrentRow(MacroPage::PAGE_ROW);

    const int rounds = 40;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i) {
        w.selectButton(i % 2);
        QApplication::processEvents(); // lets the replaced blocks go
    }
    const double selectMs = double(t.nsecsElapsed()) / 1e6 / rounds;
    std::printf("select a 64-step macro key (%d blocks): %7.2f ms (mean of %d)\n",
                page->flow()->count(), selectMs, rounds);

    qint64 now = 0;
    page->setClock([&now] { return now; });
    int events = 0;
    double recordMs = 0;
    for (int round = 0; round < 5; ++round) {
        w.selectButton(2);
        page->startMacroRecording();
        t.restart();
        while (page->isRecording()) {
            now += 80;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_A + events % 26, Qt::NoModifier);
            QApplication::sendEvent(&w, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_A + events % 26, Qt::NoModifier);
            QApplication::sendEvent(&w, &release);
            events += 2;
        }
        recordMs += double(t.nsecsElapsed()) / 1e6;
        QApplication::processEvents();
    }
    std::printf("record one key event:                %7.3f ms (mean of %d)\n", recordMs / events, events);

    // The delay cells of an "R10Udav" keypad.
    LegacyDeviceInfo legacy;
    legacy.valid = true;
    legacy.keyCount = 16;
    legacy.encoderCount = 3;
    legacy.layerCount = 3;
    legacy.format = LegacyDeviceInfo::R10Udav;
    DeviceInfo info;
    info.valid = true;
    info.keyCount = 16;
    info.encoderCount = 3;
    info.layerCount = 3;
    w.setDeviceKind(true, info, legacy);
    w.updatePageRoutingFlags();
    w.updateFunctionPagesForDevice();
    auto *delays = w.legacyDelayPage();
    model->selectKey(0);
    t.restart();
    const int refreshes = 200;
    for (int i = 0; i < refreshes; ++i)
        delays->refreshLegacyDelayPage();
    std::printf("refresh the 18 R10Udav delay cells:  %7.3f ms (mean of %d)\n",
                double(t.nsecsElapsed()) / 1e6 / refreshes, refreshes);
    return 0;
}
