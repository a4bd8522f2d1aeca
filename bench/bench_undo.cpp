// Figures for undo: taking back a 64-step macro recording and a Clear All of a fully
// assigned layer (macros of 64 steps on every slot), and the step that records each. Each
// undo must stay under 1 ms so a held Ctrl+Z keeps up.
#include "app/edithistory.h"
#include "model/keyboarddata.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

QVector<MacroStepData> fullMacro()
{
    QVector<MacroStepData> steps;
    for (int i = 0; i < KeyboardData::MAX_MACRO_STEPS; ++i)
        steps.append(MacroStepData{quint8(i % 2), quint8(0x04 + (i / 2) % 26), 30});
    return steps;
}

void loadFull(KeyboardData &m)
{
    QVector<QVector<KeyData>> layers(KeyboardData::LAYER_COUNT,
                                     QVector<KeyData>(KeyboardData::KEYS_PER_LAYER));
    for (auto &layer : layers)
        for (KeyData &key : layer)
            key.setMacro(fullMacro());
    m.loadLayers(layers);
}

struct Figures {
    double commitUs = 0;
    double undoUs = 0;
    double redoUs = 0;
};

template <typename Edit>
Figures measure(int rounds, Edit edit)
{
    Figures f;
    for (int r = 0; r < rounds; ++r) {
        KeyboardData m;
        loadFull(m);
        EditHistory h(&m);
        edit(m, h);
        QElapsedTimer t;
        t.start();
        h.commit();
        f.commitUs += t.nsecsElapsed() / 1000.0;
        t.restart();
        h.undo();
        f.undoUs += t.nsecsElapsed() / 1000.0;
        t.restart();
        h.redo();
        f.redoUs += t.nsecsElapsed() / 1000.0;
    }
    f.commitUs /= rounds;
    f.undoUs /= rounds;
    f.redoUs /= rounds;
    return f;
}

void print(const char *what, const Figures &f)
{
    std::printf("%-34s step %8.1f us   undo %8.1f us   redo %8.1f us   %s\n", what, f.commitUs,
                f.undoUs, f.redoUs, f.undoUs < 1000.0 && f.redoUs < 1000.0 ? "ok" : "TOO SLOW");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = 200;
    const Figures macro = measure(rounds, [](KeyboardData &m, EditHistory &h) {
        m.selectKey(3);
        h.beginStep(QStringLiteral("Macro Recording"));
        m.clearSelectedKey();
        for (const MacroStepData &s : fullMacro())
            m.appendSelectedMacroStep(s);
        h.endStep();
    });
    const Figures clearAll = measure(rounds, [](KeyboardData &m, EditHistory &) {
        m.clearCurrentLayer();
    });
    std::printf("undo, mean of %d rounds on a keypad with 64-step macros in all 100 slots\n", rounds);
    print("64-step macro recording", macro);
    print("Clear All of a full layer", clearAll);
    return macro.undoUs < 1000.0 && clearAll.undoUs < 1000.0 ? 0 : 1;
}
