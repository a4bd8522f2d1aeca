#include "support/capturesession.h"

#include "app/widget.h"
#include "model/keyboarddata.h"
#include "support/windowharness.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace testsupport {

QStringList capturedDemoKeypads()
{
    return {QStringLiteral("16k3e"), QStringLiteral("r10udav"), QStringLiteral("old")};
}

QStringList committedCaptures()
{
    QStringList names;
    const QString dir = qEnvironmentVariable("MPS_SOURCE_DIR") + QStringLiteral("/tests/captures");
    for (const QFileInfo &f : QDir(dir).entryInfoList({QStringLiteral("*.capture")}, QDir::Files, QDir::Name))
        names << f.completeBaseName();
    return names;
}

QString committedCapture(const QString &name)
{
    return qEnvironmentVariable("MPS_SOURCE_DIR") + QStringLiteral("/tests/captures/") + name
           + QStringLiteral(".capture");
}

bool waitLoaded(ReadWatch &reads, int timeoutMs)
{
    return reads.waitLoaded(1, timeoutMs);
}

bool viewSettings(Widget &w, ReadWatch &reads)
{
    if (!spinUntil([&] { return !w.isDeviceTaskRunning(); }))
        return false;
    reads.clear();
    QTest::mouseClick(w.viewSettingsButton(), Qt::LeftButton);
    return reads.waitReread();
}

bool editAndSave(Widget &w, quint8 usage)
{
    if (!spinUntil([&] { return !w.isDeviceTaskRunning(); }))
        return false;
    QTest::mouseClick(w.buttonAt(kEditedButton), Qt::LeftButton);
    return w.keyboardData()->applyBaseKey(usage) && saveSettings(w);
}

bool saveSettings(Widget &w)
{
    if (!spinUntil([&] { return !w.isDeviceTaskRunning(); }))
        return false;
    QTest::mouseClick(w.saveSettingsButton(), Qt::LeftButton);
    // The save is over when its task ends; the verdict is what the window shows then.
    if (!spinUntil([&] { return w.isDeviceTaskRunning(); }, 2000)
        || !spinUntil([&] { return !w.isDeviceTaskRunning(); }, 15000))
        return false;
    spinFor(20); // the final signal is queued behind the task's end
    return w.statusLabel()->text() == QStringLiteral("Saved successfully");
}

bool runCaptureSession(Widget &w, ReadWatch &reads)
{
    return waitLoaded(reads) && viewSettings(w, reads) && editAndSave(w) && viewSettings(w, reads);
}

int editTowards(KeyboardData &model, const KeyboardData &target)
{
    int edits = 0;
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l) {
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k)
            edits += model.setKeyAt(l, k, *target.keyDataAt(l, k)) ? 1 : 0;
        const LayerLedConfigData &want = target.ledConfig(l);
        if (model.ledConfig(l).mode != want.mode) {
            model.setLedMode(l, want.mode);
            ++edits;
        }
        for (int i = 0; i < LayerLedConfigData::LED_COUNT; ++i) {
            if (model.ledConfig(l).colors[size_t(i)] != want.colors[size_t(i)]) {
                model.setLedColor(l, i, want.colors[size_t(i)]);
                ++edits;
            }
        }
    }
    return edits;
}

void copyConfiguration(const KeyboardData &from, KeyboardData &to)
{
    to.loadLayers(from.layers());
    to.loadLedConfigs(from.ledConfigs());
}

QString configurationDifference(const KeyboardData &a, const KeyboardData &b)
{
    QStringList diffs;
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l) {
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k) {
            const KeyData *x = a.keyDataAt(l, k);
            const KeyData *y = b.keyDataAt(l, k);
            if (!x->sameFunction(*y) || x->buttonText != y->buttonText)
                diffs << QStringLiteral("layer %1 key %2: \"%3\" / \"%4\"").arg(l).arg(k).arg(x->fullText, y->fullText);
        }
        const LayerLedConfigData &x = a.ledConfig(l);
        const LayerLedConfigData &y = b.ledConfig(l);
        if (x.mode != y.mode || x.colors != y.colors)
            diffs << QStringLiteral("layer %1 lighting").arg(l);
    }
    return diffs.join(QStringLiteral("; "));
}

} // namespace testsupport
