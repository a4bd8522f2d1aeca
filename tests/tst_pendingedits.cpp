// Edits kept across a lost connection: taken from the model with their content, merged when
// kept twice, given back only to a keypad of the same identity and only as edits, and not
// counted where the fresh read already holds them.
#include "model/keyboarddata.h"
#include "model/pendingedits.h"
#include "support/keydatatestkit.h"

#include <QtTest>

using namespace keydatatest;

namespace {

DeviceInfo sixteenKeys()
{
    DeviceInfo info;
    info.valid = true;
    info.keyCount = 16;
    info.encoderCount = 3;
    info.layerCount = 4;
    return info;
}

QVector<QVector<KeyData>> deviceRead()
{
    QVector<QVector<KeyData>> read(KeyboardData::LAYER_COUNT,
                                   QVector<KeyData>(KeyboardData::KEYS_PER_LAYER));
    read[0][0] = basic(0x04);
    read[0][1] = basic(0x05);
    read[1][3] = mouse(2);
    return read;
}

} // namespace

class TstPendingEdits : public QObject
{
    Q_OBJECT

private slots:
    void editsReturnOnlyToTheirKeypad();
    void identities();
};

void TstPendingEdits::editsReturnOnlyToTheirKeypad()
{
    KeyboardData model;
    model.loadLayers(deviceRead());
    QVERIFY(model.setKeyAt(0, 0, basic(0x06)));
    QVERIFY(model.setKeyAt(0, 1, KeyData())); // cleared
    QVERIFY(model.setKeyAt(1, 3, media(0xE9)));
    model.setLedMode(2, 3);
    model.setLedColor(2, 5, LedColorData{255, 0, 0});
    QCOMPARE(PendingEdits::countUnsaved(model), 4);

    const KeypadIdentity mine = KeypadIdentity::ofCurrent(0x4C4A, 0x4155, sixteenKeys());
    PendingEdits kept;
    QCOMPARE(kept.keep(model, mine), 4);
    model.resetAll();
    // Edited again while away: the newer content replaces the kept one, nothing is counted twice.
    QVERIFY(model.setKeyAt(0, 0, combo(0x01, QByteArray("\x06", 1))));
    QCOMPARE(kept.keep(model, mine), 4);
    model.resetAll();

    DeviceInfo sixKeys = sixteenKeys();
    sixKeys.keyCount = 6;
    LegacyDeviceInfo legacy;
    legacy.valid = true;
    legacy.keyCount = 16;
    legacy.encoderCount = 3;
    QCOMPARE(kept.restore(model, KeypadIdentity::ofCurrent(0x4C4A, 0x4155, sixKeys)), 0);
    QCOMPARE(kept.restore(model, KeypadIdentity::ofLegacy(0x4C4A, 0x4155, legacy)), 0);
    QVERIFY(!model.hasUnsavedChanges());
    QCOMPARE(kept.countFor(mine), 4);

    // Back, and the keypad took the mouse-to-media edit before it left.
    QVector<QVector<KeyData>> read = deviceRead();
    read[1][3] = media(0xE9);
    model.loadLayers(read);
    QCOMPARE(kept.restore(model, mine), 3);
    QVERIFY(kept.isEmpty());
    const KeyData *k00 = model.keyDataAt(0, 0);
    QVERIFY(k00->dirty && k00->type == KeyType::Combination && k00->comboKeys == QByteArray("\x06", 1));
    QVERIFY(!k00->buttonText.isEmpty());
    QVERIFY(model.keyDataAt(0, 1)->dirty && model.keyDataAt(0, 1)->type == KeyType::Empty);
    QVERIFY(!model.keyDataAt(1, 3)->dirty);
    QVERIFY(!model.keyDataAt(0, 2)->dirty);
    const LayerLedConfigData &led = model.ledConfig(2);
    QVERIFY(led.modeDirty && led.mode == 3);
    QVERIFY(led.colorDirty[5] && led.colors[5] == (LedColorData{255, 0, 0}));
    QVERIFY(!led.colorDirty[4] && !model.ledConfig(0).anyDirty());
    QCOMPARE(PendingEdits::countUnsaved(model), 3);

    // Kept before any keypad was identified, they go to the one read first.
    kept.keep(model, KeypadIdentity());
    kept.reassign(KeypadIdentity(), mine);
    QCOMPARE(kept.countFor(KeypadIdentity()), 0);
    QCOMPARE(kept.countFor(mine), 3);
}

void TstPendingEdits::identities()
{
    const KeypadIdentity a = KeypadIdentity::ofCurrent(0x4C4A, 0x4155, sixteenKeys());
    QVERIFY(a.isKnown() && !KeypadIdentity().isKnown());
    QVERIFY(a == KeypadIdentity::ofCurrent(0x4C4A, 0x4155, sixteenKeys()));
    QVERIFY(a != KeypadIdentity::ofCurrent(0x514C, 0x4155, sixteenKeys()));
    DeviceInfo shaped = sixteenKeys();
    shaped.shape = 1;
    QVERIFY(a != KeypadIdentity::ofCurrent(0x4C4A, 0x4155, shaped));

    LegacyDeviceInfo old;
    old.valid = true;
    old.keyCount = 15;
    old.encoderCount = 1;
    old.version = 8;
    LegacyDeviceInfo r10 = old;
    r10.format = LegacyDeviceInfo::R10Udav;
    const KeypadIdentity l = KeypadIdentity::ofLegacy(0x1189, 0x8840, old);
    QVERIFY(l == KeypadIdentity::ofLegacy(0x1189, 0x8840, old));
    QVERIFY(l != KeypadIdentity::ofLegacy(0x1189, 0x8840, r10));
}

QTEST_GUILESS_MAIN(TstPendingEdits)
#include "tst_pendingedits.moc"
