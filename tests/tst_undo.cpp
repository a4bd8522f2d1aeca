// Undo and redo against the model without a window: every kind of edit is one step that
// goes back and forth exactly, the change flags follow what the keypad holds (also across
// saves that took only in part), and a drag or a recording is one step.
#include "app/edithistory.h"
#include "controls/rgbcolorpickerwidget.h"
#include "model/keyboarddata.h"
#include "model/keynames.h"

#include <QSignalSpy>
#include <QUndoStack>
#include <QtTest>

namespace {

KeyData basic(quint8 usage)
{
    KeyData k;
    k.setBasicKey(usage);
    return k;
}

// Content of every slot and lighting, with change flags, as one comparable text.
QString describe(const KeyboardData &m)
{
    QStringList out;
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l) {
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k) {
            const KeyData *key = m.keyDataAt(l, k);
            if (key->type != KeyType::Empty || key->dirty)
                out << QStringLiteral("%1/%2 %3 [%4] %5").arg(l).arg(k).arg(key->fullText, key->buttonText).arg(key->dirty);
        }
        const LayerLedConfigData &c = m.ledConfig(l);
        out << QStringLiteral("L%1 m%2 %3 c0=%4,%5,%6 %7").arg(l).arg(c.mode).arg(c.modeDirty)
                   .arg(c.colors[0].r).arg(c.colors[0].g).arg(c.colors[0].b).arg(c.anyDirty());
    }
    return out.join(QLatin1Char('\n'));
}

// A model as a read left it: a few keys on layers 0 and 1.
void loadSome(KeyboardData &m)
{
    QVector<QVector<KeyData>> layers(KeyboardData::LAYER_COUNT,
                                     QVector<KeyData>(KeyboardData::KEYS_PER_LAYER));
    for (int k = 0; k < 16; ++k)
        layers[0][k] = basic(quint8(0x04 + k));
    layers[1][2] = basic(0x1E);
    m.loadLayers(layers);
    m.loadLedConfigs(QVector<LayerLedConfigData>(KeyboardData::LAYER_COUNT));
}

void acknowledgeAll(KeyboardData &m)
{
    const KeyboardSnapshot snap = m.snapshot();
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l) {
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k)
            m.acknowledgeKeySaved(l, k, snap.keyRevision(l, k));
        m.acknowledgeLedSaved(l, snap.ledRevision(l));
    }
}

} // namespace

class TstUndo : public QObject
{
    Q_OBJECT

private slots:
    void everyEditGoesBackAndForth();
    void cleanStateIsWhatTheKeypadHolds();
    void dragAndRecordingAreOneStepEach();
};

void TstUndo::everyEditGoesBackAndForth()
{
    KeyboardData m;
    loadSome(m);
    EditHistory h(&m);
    QSignalSpy applied(&h, &EditHistory::stepApplied);
    QStringList states{describe(m)};
    QStringList names;
    QVector<QPair<int, int>> where;
    auto step = [&](const QString &name, int layer, int key, const std::function<void()> &edit) {
        edit();
        h.commit();
        states << describe(m);
        names << name;
        where << qMakePair(layer, key);
    };

    m.selectKey(3);
    step(QStringLiteral("Key Assignment"), 0, 3, [&] { m.applyBaseKey(0xE0); });  // base key
    step(QStringLiteral("Key Assignment"), 0, 3, [&] { m.applyBaseKey(0x06); });  // + C
    m.setCurrentLayer(1);
    m.selectKey(4);
    step(QStringLiteral("Key Assignment"), 1, 4, [&] { m.setSelectedMultimedia(0xE9); });
    m.selectKey(5);
    step(QStringLiteral("Key Assignment"), 1, 5, [&] { m.setSelectedMouseAction(2); });
    KeyData shortcut;
    shortcut.setCombination(0x01, QByteArray(1, char(0x1D))); // a ready-made shortcut
    step(QStringLiteral("Key Assignment"), 1, 5, [&] { m.assignSelectedKey(shortcut); });
    m.selectKey(2);
    step(QStringLiteral("Clear"), 1, 2, [&] { m.clearSelectedKey(); });
    m.setCurrentLayer(0);
    step(QStringLiteral("Clear All"), 0, -1, [&] { m.clearCurrentLayer(); });
    step(QStringLiteral("Lighting Mode"), 2, -1, [&] { m.setLedMode(2, 5); });
    step(QStringLiteral("Lighting Colour"), 2, -1, [&] { m.setLedColor(2, 0, LedColorData{1, 2, 3}); });
    m.selectKey(7);
    step(QStringLiteral("Key Assignment"), 0, 7, [&] {
        m.setKeyAt(0, 7, [] { KeyData k; k.setMacro({{0, 0x04, 0}, {1, 0x04, 20}}); return k; }());
    });
    step(QStringLiteral("Delay Change"), 0, 7, [&] { // a delay page edits in place
        m.keyDataAt(0, 7)->macroSteps[1].delayMs = 300;
        updateKeyTexts(*m.keyDataAt(0, 7));
        m.markKeyChanged(0, 7);
    });
    QCOMPARE(h.stack()->count(), names.size());
    QCOMPARE(h.undoName(), names.last());

    for (int i = names.size() - 1; i >= 0; --i) {
        QCOMPARE(h.undoName(), names[i]);
        h.undo();
        QCOMPARE(describe(m), states[i]);
        QCOMPARE(applied.takeFirst(), (QVariantList{where[i].first, where[i].second}));
    }
    QVERIFY(!h.canUndo());
    QVERIFY(!m.hasUnsavedChanges()); // all the way back: what was read
    for (int i = 0; i < names.size(); ++i) {
        h.redo();
        QCOMPARE(describe(m), states[i + 1]);
    }
    QVERIFY(!h.canRedo());
    // The current layer's captions travel with an undo (the panel redraws from them).
    QSignalSpy captions(&m, &KeyboardData::keyButtonTextChanged);
    h.undo();
    h.undo(); // back to before the macro on layer 0's key 7
    QVERIFY(!captions.isEmpty());
    QCOMPARE(captions.last().at(0).toInt(), 7);
    // A fresh read starts over.
    loadSome(m);
    h.startNewHistory();
    QVERIFY(!h.canUndo() && !h.canRedo());
    QCoreApplication::processEvents();
    QVERIFY(!h.canUndo()); // the read itself is no step
}

void TstUndo::cleanStateIsWhatTheKeypadHolds()
{
    KeyboardData m;
    loadSome(m);
    EditHistory h(&m);
    m.selectKey(0);
    m.setSelectedMultimedia(0xE9);
    h.commit();
    m.selectKey(1);
    m.setSelectedMultimedia(0xEA);
    h.commit();
    QCOMPARE(m.unsavedItemCount(), 2);

    h.undo();
    h.undo();
    QCOMPARE(m.unsavedItemCount(), 0); // back to what was read: nothing to save
    h.redo();
    h.redo();
    acknowledgeAll(m); // saved
    QCOMPARE(m.unsavedItemCount(), 0);
    h.undo();
    QVERIFY(m.keyDataAt(0, 1)->dirty); // past the save: changed again
    QCOMPARE(m.unsavedItemCount(), 1);
    h.redo();
    QCOMPARE(m.unsavedItemCount(), 0);

    // A save that took in part: only key 0 reaches the keypad.
    m.setSelectedMultimedia(0xB5);
    h.commit();
    m.selectKey(0);
    m.setSelectedMultimedia(0xB6);
    h.commit();
    const KeyboardSnapshot snap = m.snapshot();
    m.acknowledgeKeySaved(0, 0, snap.keyRevision(0, 0));
    QCOMPARE(m.unsavedItemCount(), 1);
    h.undo(); // key 0 back to what the keypad no longer holds
    QVERIFY(m.keyDataAt(0, 0)->dirty);
    QVERIFY(m.keyDataAt(0, 1)->dirty);
    h.undo(); // key 1 back to what the keypad still holds
    QVERIFY(!m.keyDataAt(0, 1)->dirty);
    QCOMPARE(m.unsavedItemCount(), 1);

    // A keypad copy that is not known any more counts as changed whatever comes back.
    m.forgetKeypadKey(0, 1);
    h.redo();
    h.undo();
    QVERIFY(m.keyDataAt(0, 1)->dirty);
    // Lighting: its flags follow the same rule.
    m.setLedMode(0, 4);
    h.commit();
    QVERIFY(m.ledConfig(0).modeDirty);
    h.undo();
    QVERIFY(!m.ledConfig(0).anyDirty());
    QVERIFY(!m.layerHasUnsavedChanges(3));
}

void TstUndo::dragAndRecordingAreOneStepEach()
{
    KeyboardData m;
    loadSome(m);
    EditHistory h(&m);

    RgbColorPickerWidget picker;
    picker.resize(300, 300);
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QObject::connect(&picker, &RgbColorPickerWidget::colorChanged, &m, [&](const QColor &c) {
        m.setLedColor(0, 0, LedColorData{quint8(c.red()), quint8(c.green()), quint8(c.blue())});
    });
    h.holdWhileDragging(&picker, QStringLiteral("Lighting Colour"));
    QTest::mousePress(&picker, Qt::LeftButton, {}, QPoint(20, 20));
    for (int i = 0; i < 40; ++i) {
        QTest::mouseMove(&picker, QPoint(20 + 5 * i, 30 + 4 * i));
        QCoreApplication::processEvents();
    }
    QVERIFY(!h.canUndo()); // held while the button is down
    QTest::mouseRelease(&picker, Qt::LeftButton, {}, QPoint(220, 190));
    QCoreApplication::processEvents();
    QVERIFY(m.ledConfig(0).anyDirty());
    QCOMPARE(h.stack()->count(), 1);
    QCOMPARE(h.undoName(), QStringLiteral("Lighting Colour"));
    h.undo();
    QCOMPARE(m.ledConfig(0).colors[0], LayerLedConfigData().colors[0]);
    QVERIFY(!m.hasUnsavedChanges());

    // A recording: the clear that starts it and all 64 steps are one step.
    const QString before = describe(m);
    m.selectKey(9);
    m.clearSelectedKey();
    h.beginStep(QStringLiteral("Macro Recording"));
    for (int i = 0; i < KeyboardData::MAX_MACRO_STEPS; ++i) {
        m.appendSelectedMacroStep(MacroStepData{quint8(i % 2), 0x05, 50});
        QCoreApplication::processEvents();
    }
    QVERIFY(!h.canUndo());
    h.undo(); // refused while recording
    QCOMPARE(m.keyDataAt(0, 9)->macroSteps.size(), KeyboardData::MAX_MACRO_STEPS);
    h.endStep();
    QCoreApplication::processEvents();
    QCOMPARE(h.stack()->count(), 1); // the colour step was undone and replaced
    QCOMPARE(h.undoName(), QStringLiteral("Macro Recording"));
    h.undo();
    QCOMPARE(describe(m), before);
    h.redo();
    QCOMPARE(m.keyDataAt(0, 9)->macroSteps.size(), KeyboardData::MAX_MACRO_STEPS);
}

QTEST_MAIN(TstUndo)
#include "tst_undo.moc"
