#include "model/keyboarddata.h"
#include "model/keynames.h"
#include "model/pendingedits.h"
#include "model/profile.h"
#include "support/keydatatestkit.h"

#include <QtTest>

#include <thread>

Q_DECLARE_METATYPE(KeyData)

using namespace keydatatest;

namespace {

QStringList layerButtons(const QStringList &texts)
{
    QStringList out;
    for (int i = 0; i < 25; ++i)
        out << QStringLiteral("B%1:%2").arg(i).arg(i < texts.size() ? texts[i] : QString());
    return out;
}

} // namespace

class TstKeyboardData : public QObject
{
    Q_OBJECT
private slots:
    void newModel();
    void layerAndSelectionSignals();
    void keyOperationSignals();
    void lightingIsSilent();
    void replacementsReachViewsOnce();
    void changeFlags();
    void loadLayersCoversOnlySource();
    void appendMacroStep();
    void snapshotAcknowledge();
    void saveOnWorkerWhileUserEdits();
};

void TstKeyboardData::newModel()
{
    KeyboardData m;
    QCOMPARE(KeyboardData::LAYER_COUNT, 4);
    QCOMPARE(KeyboardData::KEYS_PER_LAYER, 25);
    QCOMPARE(KeyboardData::LEDS_PER_LAYER, 16);
    QCOMPARE(KeyboardData::MAX_MACRO_STEPS, 64);
    QCOMPARE(KeyboardData::MAX_COMBO_KEYS, 6);

    QCOMPARE(m.layers().size(), 4);
    for (int l = 0; l < 4; ++l) {
        QCOMPARE(m.layers()[l].size(), 25);
        for (int k = 0; k < 25; ++k) {
            QCOMPARE(m.keyDataAt(l, k)->type, quint8(KeyType::Empty));
            QVERIFY(!m.keyDataAt(l, k)->dirty);
        }
        QCOMPARE(m.ledConfig(l).mode, quint8(1));
        QCOMPARE(m.ledConfig(l).colors[0], (LedColorData{255, 255, 0}));
        QCOMPARE(m.ledConfig(l).colors[15], (LedColorData{255, 255, 0}));
    }
    QCOMPARE(m.ledConfigs().size(), 4);
    QCOMPARE(m.currentLayer(), 0);
    QCOMPARE(m.selectedKey(), -1);
    QVERIFY(m.replaceOnNextBaseKey());
    QVERIFY(!m.hasUnsavedChanges());
    QVERIFY(!m.hasLedChanges());
    QVERIFY(m.selectedKeyData() == nullptr);

    // Every way out of range gives null, never a neighbouring slot.
    QVERIFY(m.keyDataAt(-1, 0) == nullptr);
    QVERIFY(m.keyDataAt(4, 0) == nullptr);
    QVERIFY(m.keyDataAt(0, -1) == nullptr);
    QVERIFY(m.keyDataAt(0, 25) == nullptr);
    QCOMPARE(m.ledConfig(7).mode, quint8(1));
}

void TstKeyboardData::layerAndSelectionSignals()
{
    KeyboardData m;
    QVector<QVector<KeyData>> src(4, QVector<KeyData>(25));
    src[2][0] = basic(0x04);
    src[2][24] = mouse(13);
    src[0][3] = combo(0x03, QByteArray("\x04", 1));
    m.loadLayers(src);
    SignalLog log(m);

    m.setCurrentLayer(4);
    m.setCurrentLayer(-1);
    QVERIFY(log.take().isEmpty());
    QCOMPARE(m.currentLayer(), 0);

    QStringList layer2;
    layer2 << QStringLiteral("A");
    for (int i = 1; i < 24; ++i)
        layer2 << QString();
    layer2 << QStringLiteral("SW-U");
    m.selectKey(4);
    log.take();
    m.setCurrentLayer(2);
    QCOMPARE(log.take(), layerButtons(layer2) << QStringLiteral("S-1"));
    QCOMPARE(m.selectedKey(), -1);
    // Again on the layer already shown: the same full sequence.
    m.setCurrentLayer(2);
    QCOMPARE(log.take(), layerButtons(layer2) << QStringLiteral("S-1"));

    m.setCurrentLayer(0);
    log.take();
    m.selectKey(3);
    m.selectKey(3);
    QCOMPARE(log.take(), QStringList({"S3", "F3:LCtrl + LShift + A", "S3", "F3:LCtrl + LShift + A"}));
    QVERIFY(m.replaceOnNextBaseKey());
    m.selectKey(5);
    QCOMPARE(log.take(), QStringList({"S5", "F5:"}));
    m.selectKey(-1);
    QCOMPARE(log.take(), QStringList({"S-1", "F-1:"}));
    QCOMPARE(m.selectedKey(), -1);
    // An index past the last slot addresses no key: every operation on the selection
    // must do nothing rather than reach past the layer.
    m.selectKey(25);
    QCOMPARE(log.take(), QStringList({"S25", "F25:"}));
    QVERIFY(m.selectedKeyData() == nullptr);
    QVERIFY(!m.applyBaseKey(0x04));
    m.clearSelectedKey();
    m.setSelectedMultimedia(0xE9);
    m.setSelectedMouseAction(1);
    m.refreshSelectedKeyTexts();
    m.assignSelectedKey(basic(0x04));
    QVERIFY(!m.appendSelectedMacroStep(st(0, 4, 0)));
    QVERIFY(log.take().isEmpty());
    QVERIFY(!m.hasUnsavedChanges());
}

void TstKeyboardData::keyOperationSignals()
{
    KeyboardData m;
    SignalLog log(m);
    m.selectKey(9);
    log.take();

    m.setSelectedMultimedia(0xE9);
    QCOMPARE(log.take(), QStringList({"B9:Vol+", "F9:Vol+"}));
    m.setSelectedMouseAction(0);
    QCOMPARE(log.take(), QStringList({"B9:M-L", "F9:Mouse Left"}));
    m.setSelectedMouseAction(16);
    QCOMPARE(log.take(), QStringList({"B9:", "F9:"}));
    QCOMPARE(m.selectedKeyData()->type, quint8(KeyType::Mouse));
    m.assignSelectedKey(combo(0x04, QByteArray("\x2b", 1)));
    QCOMPARE(log.take(), QStringList({"B9:LAlt + Tab", "F9:LAlt + Tab"}));
    m.refreshSelectedKeyTexts();
    QCOMPARE(log.take(), QStringList({"B9:LAlt + Tab", "F9:LAlt + Tab"}));
    m.clearSelectedKey();
    QCOMPARE(log.take(), QStringList({"B9:", "F9:"}));
    QCOMPARE(m.selectedKey(), 9);

    QVERIFY(m.appendSelectedMacroStep(st(0, 0x04, 0)));
    QVERIFY(log.take().isEmpty());

    QVector<QVector<KeyData>> src(1, QVector<KeyData>(25));
    src[0][9] = basic(0x2C);
    m.loadLayers(src);
    QStringList expected = layerButtons({});
    expected[9] = QStringLiteral("B9:Space");
    expected << QStringLiteral("F9:Space");
    QCOMPARE(log.take(), expected);

    m.setCurrentLayer(3);
    m.selectKey(0);
    m.assignSelectedKey(basic(0x04));
    log.take();
    m.clearCurrentLayer();
    QCOMPARE(log.take(), layerButtons({}) << QStringLiteral("S-1"));
    QCOMPARE(m.selectedKey(), -1);

    // Loading with nothing selected ends with the 25 button captions.
    m.loadLayers({});
    QCOMPARE(log.take(), layerButtons({}));

    m.resetAll();
    m.clearChangeFlags();
    QVERIFY(log.take().isEmpty());
}

void TstKeyboardData::lightingIsSilent()
{
    KeyboardData m;
    m.selectKey(1);
    SignalLog log(m);
    m.setLedColor(0, 0, {1, 2, 3});
    m.setLedMode(3, 7);
    QVector<LayerLedConfigData> leds(4);
    m.loadLedConfigs(leds);
    m.acknowledgeLedSaved(0, m.ledRevision(0));
    QVERIFY(log.take().isEmpty());
}

// Views refresh on contentReplaced: once per load, reset, restore, imported profile or
// batch, never for an ordinary edit, and a batch says nothing until its end.
void TstKeyboardData::replacementsReachViewsOnce()
{
    KeyboardData m;
    QSignalSpy replaced(&m, &KeyboardData::contentReplaced);
    m.loadLayers(QVector<QVector<KeyData>>(4, QVector<KeyData>(25)));
    m.loadLedConfigs(QVector<LayerLedConfigData>(4));
    m.resetAll();
    QCOMPARE(replaced.count(), 3);
    m.selectKey(2);
    QVERIFY(m.applyBaseKey(0x04));
    m.setLedMode(0, 3);
    QCOMPARE(replaced.count(), 3);
    {
        const KeyboardData::Replacement outer(m);
        const KeyboardData::Replacement inner(m);
        m.restoreKeyAt(0, 1, *m.keyDataAt(0, 2));
        m.restoreLedConfig(1, m.ledConfig(0));
        m.loadLayers(m.layers());
        QCOMPARE(replaced.count(), 3);
    }
    QCOMPARE(replaced.count(), 4);

    PendingEdits kept;
    const KeypadIdentity keypad = KeypadIdentity::ofCurrent(0x4C4A, 0x4155, DeviceInfo());
    QVERIFY(kept.keep(m, keypad) > 0);
    m.resetAll();
    replaced.clear();
    QVERIFY(kept.restore(m, keypad) > 0);
    QCOMPARE(replaced.count(), 1);
    QVERIFY(m.hasLedChanges());

    const QByteArray profile = Profile::exportJson(m, ProfileDevice());
    m.resetAll();
    replaced.clear();
    QVERIFY(Profile::importJson(profile, ProfileDevice(), m).ok);
    QCOMPARE(replaced.count(), 1);
}

void TstKeyboardData::changeFlags()
{
    KeyboardData m;
    m.selectKey(0);
    m.clearSelectedKey(); // already empty, still a change to write
    QVERIFY(m.selectedKeyData()->dirty);
    QVERIFY(m.hasUnsavedChanges());
    QVERIFY(!m.hasLedChanges());
    m.clearChangeFlags();
    QVERIFY(!m.hasUnsavedChanges());

    m.setSelectedMultimedia(0xB5);
    QVERIFY(m.hasUnsavedChanges());
    m.clearChangeFlags();
    m.setSelectedMouseAction(2);
    QVERIFY(m.hasUnsavedChanges());
    m.clearChangeFlags();
    m.assignSelectedKey(basic(4));
    QVERIFY(m.selectedKeyData()->dirty);
    m.clearChangeFlags();

    // A change on another layer counts as much as one on the current layer.
    m.markKeyChanged(3, 24);
    QVERIFY(m.keyDataAt(3, 24)->dirty);
    QVERIFY(m.hasUnsavedChanges());
    m.markKeyChanged(4, 0);
    m.markKeyChanged(0, 25);
    m.clearChangeFlags();

    m.setCurrentLayer(2);
    m.clearCurrentLayer();
    QCOMPARE(dirtyCount(m, 2), 25);
    QCOMPARE(dirtyCount(m, 0) + dirtyCount(m, 1) + dirtyCount(m, 3), 0);
    m.clearChangeFlags();

    // Lighting: an unchanged value is no change, out-of-range requests are ignored.
    m.setLedColor(1, 5, {255, 255, 0});
    m.setLedMode(1, 1);
    m.setLedColor(-1, 0, {1, 1, 1});
    m.setLedColor(4, 0, {1, 1, 1});
    m.setLedColor(1, 16, {1, 1, 1});
    m.setLedColor(1, -1, {1, 1, 1});
    m.setLedMode(4, 3);
    QVERIFY(!m.hasUnsavedChanges());
    QVERIFY(!m.hasLedChanges());

    m.setLedColor(1, 15, {0, 0, 255});
    QVERIFY(m.ledConfig(1).colorDirty[15]);
    QVERIFY(!m.ledConfig(1).colorDirty[14]);
    QVERIFY(!m.ledConfig(1).modeDirty);
    QCOMPARE(m.ledConfig(1).colors[15], (LedColorData{0, 0, 255}));
    QVERIFY(m.hasLedChanges());
    QVERIFY(m.hasUnsavedChanges());
    m.clearChangeFlags();
    m.setLedMode(3, 0);
    QVERIFY(m.ledConfig(3).modeDirty);
    QVERIFY(m.hasLedChanges());

    // Loading lighting from the device clears every flag and takes the device's values.
    QVector<LayerLedConfigData> leds(4);
    leds[2].mode = 9;
    leds[2].colors[3] = {9, 8, 7};
    leds[2].colorDirty[3] = true; // flags of the source do not survive the load
    leds[0].modeDirty = true;
    m.loadLedConfigs(leds);
    QVERIFY(!m.hasLedChanges());
    QCOMPARE(m.ledConfig(2).mode, quint8(9));
    QCOMPARE(m.ledConfig(2).colors[3], (LedColorData{9, 8, 7}));
    QCOMPARE(m.ledConfig(3).mode, quint8(1));

    // A short list cannot shrink the model nor wipe the pending change of a layer it
    // does not cover.
    m.setLedMode(3, 4);
    m.loadLedConfigs(QVector<LayerLedConfigData>(1));
    QCOMPARE(m.ledConfigs().size(), 4);
    QVERIFY(m.ledConfig(3).modeDirty);
    QCOMPARE(m.ledConfig(2).mode, quint8(9));

    // resetAll blanks keys and lighting but keeps layer, selection and the replace flag.
    m.setCurrentLayer(1);
    m.selectKey(6);
    m.assignSelectedKey(basic(0x05));
    m.setLedColor(0, 0, {1, 1, 1});
    m.resetAll();
    QVERIFY(!m.hasUnsavedChanges());
    QCOMPARE(m.currentLayer(), 1);
    QCOMPARE(m.selectedKey(), 6);
    QVERIFY(!m.replaceOnNextBaseKey());
    QCOMPARE(m.selectedKeyData()->type, quint8(KeyType::Empty));
    QVERIFY(m.selectedKeyData()->buttonText.isEmpty());
    QCOMPARE(m.ledConfig(0).colors[0], (LedColorData{255, 255, 0}));
    QCOMPARE(m.ledConfig(2).mode, quint8(1));
}

void TstKeyboardData::loadLayersCoversOnlySource()
{
    KeyboardData m;
    for (int l = 0; l < 4; ++l)
        for (int k = 0; k < 25; ++k)
            *m.keyDataAt(l, k) = basic(quint8(0x04 + k)); // dirty everywhere

    KeyData fromDevice = combo(0x02, QByteArray("\x1e", 1));
    QVERIFY(fromDevice.dirty);
    QVector<QVector<KeyData>> src(2, QVector<KeyData>(10, fromDevice));
    m.loadLayers(src);
    for (int l = 0; l < 4; ++l) {
        for (int k = 0; k < 25; ++k) {
            const KeyData &key = *m.keyDataAt(l, k);
            if (l < 2 && k < 10) {
                QVERIFY(key.sameFunction(fromDevice));
                QCOMPARE(key.fullText, QStringLiteral("LShift + 1"));
                QVERIFY(!key.dirty);
            } else {
                QCOMPARE(key.keyCode, quint8(0x04 + k));
                QVERIFY(key.dirty);
            }
        }
    }

    // An empty layer in the source is skipped; oversized sources are clipped to 4 x 25.
    QVector<QVector<KeyData>> big(6, QVector<KeyData>(30, media(0xE2)));
    big[1].clear();
    m.loadLayers(big);
    QCOMPARE(m.layers().size(), 4);
    for (const auto &layer : m.layers())
        QCOMPARE(layer.size(), 25);
    QCOMPARE(m.keyDataAt(0, 24)->mediaUsage, quint16(0xE2));
    QCOMPARE(m.keyDataAt(1, 9)->type, quint8(KeyType::Combination));
    QVERIFY(m.keyDataAt(1, 20)->dirty);
    QCOMPARE(m.keyDataAt(3, 20)->fullText, QStringLiteral("Mute"));
    QVERIFY(!m.keyDataAt(3, 20)->dirty);
}

void TstKeyboardData::appendMacroStep()
{
    KeyboardData m;
    QVERIFY(!m.appendSelectedMacroStep(st(0, 0x04, 0)));

    m.selectKey(4);
    m.assignSelectedKey(combo(0x01, QByteArray("\x04", 1)));
    m.clearChangeFlags();
    // A non-macro key becomes a macro holding just the new step.
    QVERIFY(m.appendSelectedMacroStep(st(0, 0xE1, 0)));
    KeyData *key = m.selectedKeyData();
    QCOMPARE(key->type, quint8(KeyType::Macro));
    QCOMPARE(key->macroSteps.size(), 1);
    QVERIFY(key->dirty);
    QCOMPARE(key->fullText, QStringLiteral("LShift"));
    QVERIFY(m.appendSelectedMacroStep(st(0, 0x0B, 120)));
    QCOMPARE(key->fullText, QStringLiteral("LShift") + macroArrowSeparator() + QStringLiteral("H"));
    QCOMPARE(key->buttonText, QStringLiteral("LShift -..."));
    QCOMPARE(key->macroSteps[1].delayMs, quint16(120));

    for (int i = 2; i < 64; ++i)
        QVERIFY(m.appendSelectedMacroStep(st(quint8(i % 2), 0x04, 1)));
    QCOMPARE(key->macroSteps.size(), 64);
    QVERIFY(!m.appendSelectedMacroStep(st(0, 0x05, 1)));
    QCOMPARE(key->macroSteps.size(), 64);
    QCOMPARE(key->macroSteps.last(), st(1, 0x04, 1));
}

void TstKeyboardData::snapshotAcknowledge()
{
    KeyboardData m;
    m.selectKey(0);
    m.applyBaseKey(0x04);
    m.selectKey(1);
    m.applyBaseKey(0x05);
    m.setLedColor(2, 3, {1, 2, 3});
    m.setLedMode(1, 5);

    const KeyboardSnapshot snap = m.snapshot();
    QCOMPARE(snap.layers.size(), 4);
    QCOMPARE(snap.layers[0].size(), 25);
    QCOMPARE(snap.ledConfigs.size(), 4);
    QCOMPARE(snap.keyRevisions.size(), 4);
    QCOMPARE(snap.keyRevisions[3].size(), 25);
    QCOMPARE(snap.ledRevisions.size(), 4);
    QVERIFY(snap.hasUnsavedChanges());
    QVERIFY(snap.hasLedChanges());
    QVERIFY(snap.layers[0][0].dirty);
    QCOMPARE(snap.layers[0][1].keyCode, quint8(0x05));
    QCOMPARE(snap.keyRevision(0, 1), m.keyRevision(0, 1));
    QCOMPARE(snap.keyRevision(9, 1), quint32(0));

    // The user edits key 1 and the lighting of layer 2 while the save runs.
    m.applyBaseKey(0x06);
    QVERIFY(snap.keyRevision(0, 1) != m.keyRevision(0, 1));
    m.setLedColor(2, 4, {4, 5, 6});

    m.acknowledgeKeySaved(0, 0, snap.keyRevision(0, 0));
    m.acknowledgeKeySaved(0, 1, snap.keyRevision(0, 1));
    m.acknowledgeLedSaved(1, snap.ledRevision(1));
    m.acknowledgeLedSaved(2, snap.ledRevision(2));
    QVERIFY(!m.keyDataAt(0, 0)->dirty);
    QVERIFY(m.keyDataAt(0, 1)->dirty); // the edit made during the save is still to write
    QCOMPARE(m.keyDataAt(0, 1)->macroSteps.size(), 4);
    QVERIFY(!m.ledConfig(1).anyDirty());
    QVERIFY(m.ledConfig(2).colorDirty[3]);
    QVERIFY(m.ledConfig(2).colorDirty[4]);
    // Out-of-range acknowledgements are ignored.
    m.acknowledgeKeySaved(4, 0, 0);
    m.acknowledgeKeySaved(0, 25, 0);
    m.acknowledgeLedSaved(-1, 0);

    // A key changed in place through keyDataAt without telling the model keeps its mark.
    const KeyboardSnapshot snap2 = m.snapshot();
    m.keyDataAt(0, 1)->setBasicKey(0x07);
    m.acknowledgeKeySaved(0, 1, snap2.keyRevision(0, 1));
    QVERIFY(m.keyDataAt(0, 1)->dirty);
    // Told through markKeyChanged or refreshSelectedKeyTexts, the revision moves on.
    const quint32 before = m.keyRevision(0, 1);
    m.markKeyChanged(0, 1);
    QVERIFY(m.keyRevision(0, 1) != before);
    const quint32 r = m.keyRevision(0, 1);
    m.refreshSelectedKeyTexts();
    QVERIFY(m.keyRevision(0, 1) != r);

    // Loading from the device moves revisions too, so a late acknowledgement of an older
    // save cannot touch what was loaded after it.
    const KeyboardSnapshot snap3 = m.snapshot();
    m.loadLayers({});
    QCOMPARE(m.keyRevision(0, 1), snap3.keyRevision(0, 1));
    QVector<QVector<KeyData>> src(1, QVector<KeyData>(2));
    m.loadLayers(src);
    QVERIFY(m.keyRevision(0, 1) != snap3.keyRevision(0, 1));
    m.markKeyChanged(0, 1);
    m.acknowledgeKeySaved(0, 1, snap3.keyRevision(0, 1));
    QVERIFY(m.keyDataAt(0, 1)->dirty);
}

void TstKeyboardData::saveOnWorkerWhileUserEdits()
{
    // The flow the device link uses: a worker walks a snapshot and posts one
    // acknowledgement per written item back to the model's thread, while the user keeps
    // clicking on the GUI thread.
    KeyboardData m;
    for (int k = 0; k < 25; ++k) {
        m.selectKey(k);
        m.applyBaseKey(quint8(0x04 + k));
    }
    m.setLedMode(0, 3);
    const KeyboardSnapshot snap = m.snapshot();

    QAtomicInt written;
    QAtomicInt userDone;
    std::thread worker([&] {
        for (int k = 0; k < 25; ++k) {
            if (!snap.layers[0][k].dirty)
                continue;
            if (k == 12)
                while (!userDone.loadAcquire())
                    std::this_thread::yield();
            const quint32 rev = snap.keyRevision(0, k);
            QMetaObject::invokeMethod(&m, [&m, k, rev] { m.acknowledgeKeySaved(0, k, rev); },
                                      Qt::QueuedConnection);
            written.fetchAndAddOrdered(1);
        }
        const quint32 rev = snap.ledRevision(0);
        QMetaObject::invokeMethod(&m, [&m, rev] { m.acknowledgeLedSaved(0, rev); },
                                  Qt::QueuedConnection);
    });

    // Keys 5 and 20 are edited after the snapshot; one before and one after its
    // acknowledgement was posted.
    m.selectKey(20);
    m.applyBaseKey(0x2C);
    m.selectKey(5);
    m.setSelectedMultimedia(0xE9);
    userDone.storeRelease(1);
    worker.join();
    QTRY_VERIFY_WITH_TIMEOUT(!m.ledConfig(0).modeDirty, 5000);
    QCOMPARE(written.loadAcquire(), 25);

    for (int k = 0; k < 25; ++k)
        QCOMPARE(m.keyDataAt(0, k)->dirty, k == 5 || k == 20);
    QVERIFY(m.hasUnsavedChanges());
    QCOMPARE(m.keyDataAt(0, 5)->mediaUsage, quint16(0xE9));
}

QTEST_GUILESS_MAIN(TstKeyboardData)
#include "tst_keyboarddata.moc"
