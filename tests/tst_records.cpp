#include "model/records.h"

#include <QtTest>

class TstRecords : public QObject
{
    Q_OBJECT
private slots:
    void freshKeyIsEmpty();
    void settersStartFromReset();
    void combinationFiltersKeys();
    void mouseActionRange();
    void sameFunction();
    void lightingDefaults();
    void writableKeyRange_data();
    void writableKeyRange();
    void legacyInfoDefaults();
};

void TstRecords::freshKeyIsEmpty()
{
    KeyData k;
    QCOMPARE(k.type, quint8(KeyType::Empty));
    QCOMPARE(k.type, quint8(0xFF));
    QVERIFY(!k.dirty);
    QVERIFY(k.fullText.isEmpty());
    QVERIFY(k.buttonText.isEmpty());
    QVERIFY(k.comboKeys.isEmpty());
    QVERIFY(k.macroSteps.isEmpty());

    QVERIFY(KeyType::isValid(0));
    QVERIFY(KeyType::isValid(4));
    QVERIFY(KeyType::isValid(0xFF));
    QVERIFY(!KeyType::isValid(5));
    QVERIFY(!KeyType::isValid(0xFE));
}

void TstRecords::settersStartFromReset()
{
    // Walk one key through every function: no field of an earlier function may linger,
    // because the wire encoder writes whatever the fields hold.
    KeyData k;
    k.setMacro({{0, 0x04, 0}, {1, 0x04, 20}});
    QCOMPARE(k.type, quint8(KeyType::Macro));
    QVERIFY(k.dirty);
    QCOMPARE(k.macroSteps.size(), 2);
    QCOMPARE(k.macroSteps[1].delayMs, quint16(20));

    k.setCombination(0x05, QByteArray("\x1d", 1));
    QCOMPARE(k.type, quint8(KeyType::Combination));
    QVERIFY(k.macroSteps.isEmpty());
    QCOMPARE(k.modifierBits, quint8(0x05));
    QCOMPARE(k.fullText, QStringLiteral("LCtrl + LAlt + Z"));

    k.setMultimedia(0x00CD);
    QCOMPARE(k.type, quint8(KeyType::Multimedia));
    QCOMPARE(k.modifierBits, quint8(0));
    QVERIFY(k.comboKeys.isEmpty());
    QCOMPARE(k.mediaUsage, quint16(0x00CD));
    QCOMPARE(k.fullText, QStringLiteral("Play/Pause"));
    QCOMPARE(k.buttonText, QStringLiteral("Play/Pause"));

    k.setMouseAction(3);
    QCOMPARE(k.type, quint8(KeyType::Mouse));
    QCOMPARE(k.mediaUsage, quint16(0));
    QCOMPARE(k.fullText, QStringLiteral("Mouse Wheel Up"));
    QCOMPARE(k.buttonText, QStringLiteral("W+"));

    k.setBasicKey(0x29);
    QCOMPARE(k.type, quint8(KeyType::Basic));
    QCOMPARE(k.mouseAction, quint8(0));
    QCOMPARE(k.keyCode, quint8(0x29));
    QCOMPARE(k.fullText, QStringLiteral("Esc"));
    QCOMPARE(k.buttonText, QStringLiteral("Esc"));
    QVERIFY(k.dirty);

    k.reset();
    QCOMPARE(k.type, quint8(KeyType::Empty));
    QVERIFY(!k.dirty);
    QCOMPARE(k.keyCode, quint8(0));
    QVERIFY(k.fullText.isEmpty());
    QVERIFY(k.buttonText.isEmpty());

    // Setting the macro from a list leaves the caller's list alone.
    QVector<MacroStepData> mine = {{0, 0x05, 7}};
    k.setMacro(mine);
    k.macroSteps[0].delayMs = 99;
    QCOMPARE(mine[0].delayMs, quint16(7));

    // Rebuilding a key from its own fields (after editing them in place) keeps them.
    k.macroSteps.append({1, 0x05, 20});
    k.setMacro(k.macroSteps);
    QCOMPARE(k.macroSteps.size(), 2);
    QCOMPARE(k.fullText, QStringLiteral("b"));
    k.setCombination(0x01, QByteArray("\x04\x05", 2));
    k.setCombination(k.modifierBits | 0x02, k.comboKeys);
    QCOMPARE(k.comboKeys, QByteArray("\x04\x05", 2));
    QCOMPARE(k.fullText, QStringLiteral("LCtrl + LShift + A + B"));
}

void TstRecords::combinationFiltersKeys()
{
    KeyData k;
    k.setCombination(0x02, QByteArray("\x04\xe1\x04\x00\x05\x06\x07\x08\x09\x0a", 10));
    QCOMPARE(k.comboKeys, QByteArray("\x04\x05\x06\x07\x08\x09", 6));
    QCOMPARE(k.modifierBits, quint8(0x02));
    QVERIFY(k.dirty);

    // Every modifier usage is dropped from the key list, not only the shift.
    k.setCombination(0x00, QByteArray("\xe0\xe7\x2c\xe4", 4));
    QCOMPARE(k.comboKeys, QByteArray("\x2c", 1));
    QCOMPARE(k.fullText, QStringLiteral("Space"));

    // Nothing left: still a combination, with the "-" caption.
    k.setCombination(0x00, QByteArray("\x00\xe2", 2));
    QCOMPARE(k.type, quint8(KeyType::Combination));
    QVERIFY(k.comboKeys.isEmpty());
    QVERIFY(k.fullText.isEmpty());
    QCOMPARE(k.buttonText, QStringLiteral("-"));
}

void TstRecords::mouseActionRange()
{
    KeyData k;
    k.setMouseAction(15);
    QCOMPARE(k.fullText, QStringLiteral("Like"));
    QCOMPARE(k.buttonText, QStringLiteral("LIKE"));

    k.setMouseAction(16);
    QCOMPARE(k.type, quint8(KeyType::Mouse));
    QCOMPARE(k.mouseAction, quint8(16));
    QVERIFY(k.dirty);
    QVERIFY(k.fullText.isEmpty());
    QVERIFY(k.buttonText.isEmpty());
}

void TstRecords::sameFunction()
{
    KeyData a, b;
    QVERIFY(a.sameFunction(b));
    a.setBasicKey(0x04);
    b.setBasicKey(0x04);
    b.dirty = false;
    b.buttonText = QStringLiteral("whatever");
    QVERIFY(a.sameFunction(b));
    b.setBasicKey(0x05);
    QVERIFY(!a.sameFunction(b));

    a.setMacro({{0, 0x04, 0}});
    b.setMacro({{0, 0x04, 1}});
    QVERIFY(!a.sameFunction(b));
    b.setMacro({{0, 0x04, 0}});
    QVERIFY(a.sameFunction(b));

    a.setCombination(0x01, QByteArray("\x04", 1));
    b.setCombination(0x02, QByteArray("\x04", 1));
    QVERIFY(!a.sameFunction(b));

    a.setMultimedia(0xE9);
    b.setMouseAction(0xE9);
    QVERIFY(!a.sameFunction(b));
}

void TstRecords::lightingDefaults()
{
    LayerLedConfigData led;
    QCOMPARE(led.mode, quint8(1));
    QCOMPARE(int(led.colors.size()), 16);
    for (int i = 0; i < 16; ++i) {
        QCOMPARE(led.colors[i], (LedColorData{255, 255, 0}));
        QVERIFY(!led.colorDirty[i]);
    }
    QVERIFY(!led.modeDirty);
    QVERIFY(!led.anyDirty());
    led.colorDirty[15] = true;
    QVERIFY(led.anyDirty());

    const QColor c = LedColorData{1, 2, 3}.toColor();
    QCOMPARE(c, QColor(1, 2, 3));
    QCOMPARE(c.alpha(), 255);
}

void TstRecords::writableKeyRange_data()
{
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("keys");
    QTest::addColumn<int>("extra");
    QTest::addColumn<int>("knobs");
    QTest::addColumn<int>("limit");

    QTest::newRow("no information") << false << 16 << 0 << 3 << 25;
    QTest::newRow("no keys reported") << true << 0 << 2 << 1 << 25;
    QTest::newRow("16 keys 3 knobs") << true << 16 << 0 << 3 << 25;
    QTest::newRow("6 keys 1 knob") << true << 6 << 0 << 1 << 9;
    QTest::newRow("4 keys 1 extra") << true << 4 << 1 << 0 << 5;
    QTest::newRow("capped") << true << 16 << 4 << 3 << 25;
    QTest::newRow("large counts do not wrap") << true << 255 << 255 << 255 << 25;
    QTest::newRow("12 keys 2 knobs 1 extra") << true << 12 << 1 << 2 << 19;
}

void TstRecords::writableKeyRange()
{
    QFETCH(bool, valid);
    QFETCH(int, keys);
    QFETCH(int, extra);
    QFETCH(int, knobs);
    QFETCH(int, limit);
    DeviceInfo info;
    info.valid = valid;
    info.keyCount = quint8(keys);
    info.extraKeyCount = quint8(extra);
    info.encoderCount = quint8(knobs);
    QCOMPARE(info.writableKeyLimit(), limit);
}

void TstRecords::legacyInfoDefaults()
{
    LegacyDeviceInfo info;
    QVERIFY(!info.valid);
    QCOMPARE(info.keyCount, quint8(0));
    QCOMPARE(info.encoderCount, quint8(0));
    QCOMPARE(info.layerCount, quint8(3));
    QCOMPARE(info.version, quint8(0));
    QCOMPARE(info.shape, quint8(0));
    QCOMPARE(info.format, qint32(LegacyDeviceInfo::Old));

    DeviceInfo d;
    QVERIFY(!d.valid);
    QCOMPARE(d.keyCount + d.encoderCount + d.extraKeyCount + d.layerCount + d.variantP + d.shape
                 + d.variantB,
             0);
}

QTEST_GUILESS_MAIN(TstRecords)
#include "tst_records.moc"
