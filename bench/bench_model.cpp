// Figures for the configuration model: how long the operations the window runs on every
// click, load and save take, and how large and fast a whole-keypad profile is.
#include "model/keyboarddata.h"
#include "model/profile.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>

namespace {

double microsPer(int rounds, const std::function<void()> &fn)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i)
        fn();
    return double(t.nsecsElapsed()) / 1000.0 / rounds;
}

MacroStepData step(quint8 action, quint8 usage, quint16 delay)
{
    MacroStepData s;
    s.action = action;
    s.keyCode = usage;
    s.delayMs = delay;
    return s;
}

// Every slot busy, half of them with full-length macros: the heaviest configuration.
void fillHeavy(KeyboardData &m)
{
    QVector<QVector<KeyData>> layers(4, QVector<KeyData>(25));
    for (int l = 0; l < 4; ++l) {
        for (int k = 0; k < 25; ++k) {
            KeyData &key = layers[l][k];
            if (k % 2 == 0) {
                QVector<MacroStepData> steps;
                for (int i = 0; i < 64; ++i)
                    steps << step(quint8(i % 2), quint8(0x04 + (i / 2) % 26), quint16(i));
                key.setMacro(steps);
            } else {
                key.setCombination(0x03, QByteArray("\x04\x05\x06", 3));
            }
        }
    }
    m.loadLayers(layers);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    KeyboardData m;
    int signalCount = 0;
    QObject::connect(&m, &KeyboardData::keyButtonTextChanged, &m, [&] { ++signalCount; });

    fillHeavy(m);
    const double load = microsPer(200, [&] { fillHeavy(m); });
    std::printf("loadLayers, 100 slots with 50 macros of 64 steps (incl. building them): %.1f us\n", load);

    const double layerSwitch = microsPer(2000, [&] { m.setCurrentLayer(1); });
    std::printf("setCurrentLayer (25 caption signals): %.2f us\n", layerSwitch);

    m.selectKey(3);
    const double recording = microsPer(200, [&] {
        m.clearSelectedKey();
        for (int i = 0; i < 64; ++i)
            m.appendSelectedMacroStep(step(quint8(i % 2), 0xE1, 10));
    });
    std::printf("recording a 64-step macro step by step (captions rebuilt each step): %.1f us\n",
                recording);

    const double click = microsPer(20000, [&] {
        m.selectKey(4);
        m.applyBaseKey(0x04);
        m.applyBaseKey(0x05);
    });
    std::printf("select + two base-key clicks (basic key into macro): %.2f us\n", click);

    const double snap = microsPer(2000, [&] { (void)m.snapshot(); });
    std::printf("snapshot of the whole configuration: %.1f us\n", snap);

    QByteArray json;
    const double exportTime = microsPer(100, [&] { json = Profile::exportJson(m, ProfileDevice()); });
    std::printf("profile export: %.1f us, %d bytes\n", exportTime, int(json.size()));

    const double importTime = microsPer(100, [&] {
        KeyboardData fresh;
        (void)Profile::importJson(json, ProfileDevice(), fresh);
    });
    std::printf("profile import into a fresh model: %.1f us\n", importTime);
    std::printf("caption signals seen: %d\n", signalCount);
    return 0;
}
