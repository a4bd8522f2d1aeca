#include "model/keyboarddata.h"
#include "model/keynames.h"
#include "support/keydatatestkit.h"

#include <QtTest>

Q_DECLARE_METATYPE(KeyData)

using namespace keydatatest;

// How base key clicks build up the selected key's function, and when a click starts over.
class TstKeyboardDataApplyBaseKey : public QObject
{
    Q_OBJECT
private slots:
    void applyBaseKey_data();
    void applyBaseKey();
    void replaceFlagLifecycle();
};

void TstKeyboardDataApplyBaseKey::applyBaseKey_data()
{
    QTest::addColumn<KeyData>("initial");
    QTest::addColumn<bool>("armed");       // selected fresh (true) or given `initial` as a function (false)
    QTest::addColumn<QByteArray>("clicks"); // all but the last must be accepted
    QTest::addColumn<bool>("lastAccepted");
    QTest::addColumn<KeyData>("expected");

    const QByteArray a("\x04", 1), b("\x05", 1), c("\x06", 1), z("\x1d", 1);
    const KeyData empty;
    const KeyData ctrlZ = combo(0x01, z);

    QTest::newRow("armed replaces a macro") << macroOfLength(4) << true << a << true << basic(0x04);
    QTest::newRow("armed replaces a full combination") << ctrlZ << true << b << true << basic(0x05);
    QTest::newRow("armed modifier replaces") << basic(0x04) << true << QByteArray("\xe0", 1) << true
                                             << basic(0xE0);
    QTest::newRow("empty replaced") << empty << false << a << true << basic(0x04);
    QTest::newRow("multimedia replaced") << media(0xE9) << false << a << true << basic(0x04);
    QTest::newRow("mouse replaced") << mouse(3) << false << c << true << basic(0x06);
    QTest::newRow("combination with key refuses a key") << ctrlZ << false << a << false << ctrlZ;
    QTest::newRow("combination with key refuses a modifier")
        << ctrlZ << false << QByteArray("\xe1", 1) << false << ctrlZ;
    QTest::newRow("combination without key takes a modifier")
        << combo(0x01, {}) << false << QByteArray("\xe2", 1) << true << combo(0x05, {});
    QTest::newRow("combination without key takes a key")
        << combo(0x01, {}) << false << z << true << ctrlZ;
    QTest::newRow("modifier + modifier") << empty << true << QByteArray("\xe0\xe1", 2) << true
                                         << combo(0x03, {});
    QTest::newRow("modifier + modifier + key") << empty << true << QByteArray("\xe0\xe1\x06", 3)
                                               << true << combo(0x03, c);
    QTest::newRow("modifier + modifier + key + key")
        << empty << true << QByteArray("\xe0\xe1\x06\x07", 4) << false << combo(0x03, c);
    QTest::newRow("same modifier twice") << empty << true << QByteArray("\xe0\xe0", 2) << true
                                         << combo(0x01, {});
    QTest::newRow("right modifiers") << empty << true << QByteArray("\xe7\xe4", 2) << true
                                     << combo(0x90, {});
    QTest::newRow("modifier + key") << empty << true << QByteArray("\xe0\x1d", 2) << true << ctrlZ;
    QTest::newRow("modifier + key + anything") << empty << true << QByteArray("\xe0\x1d\x04", 3)
                                               << false << ctrlZ;
    QTest::newRow("key + key") << empty << true << QByteArray("\x04\x05", 2) << true
                               << macro({st(0, 4, 0), st(1, 4, 20), st(0, 5, 20), st(1, 5, 20)});
    QTest::newRow("key + modifier") << empty << true << QByteArray("\x04\xe1", 2) << true
                                    << macro({st(0, 4, 0), st(1, 4, 20), st(0, 0xE1, 20),
                                              st(1, 0xE1, 20)});
    QTest::newRow("key + key + key") << empty << true << QByteArray("\x04\x05\x06", 3) << true
                                     << macro({st(0, 4, 0), st(1, 4, 20), st(0, 5, 20), st(1, 5, 20),
                                               st(0, 6, 20), st(1, 6, 20)});
    QTest::newRow("key + same key") << empty << true << QByteArray("\x04\x04", 2) << true
                                    << macro({st(0, 4, 0), st(1, 4, 20), st(0, 4, 20), st(1, 4, 20)});

    KeyData grown = macroOfLength(62);
    grown.macroSteps << st(0, 0x05, 20) << st(1, 0x05, 20);
    grown.setMacro(grown.macroSteps);
    QTest::newRow("macro of 62 steps grows to 64") << macroOfLength(62) << false << b << true << grown;
    QTest::newRow("macro of 63 steps refuses") << macroOfLength(63) << false << b << false
                                               << macroOfLength(63);
    QTest::newRow("macro of 64 steps refuses") << macroOfLength(64) << false << b << false
                                               << macroOfLength(64);
    QTest::newRow("macro of 62 takes one key only") << macroOfLength(62) << false
                                                    << QByteArray("\x05\x06", 2) << false << grown;
}

void TstKeyboardDataApplyBaseKey::applyBaseKey()
{
    QFETCH(KeyData, initial);
    QFETCH(bool, armed);
    QFETCH(QByteArray, clicks);
    QFETCH(bool, lastAccepted);
    QFETCH(KeyData, expected);

    KeyboardData m;
    m.setCurrentLayer(1);
    const int sel = 7;
    if (armed) {
        QVector<QVector<KeyData>> src(2, QVector<KeyData>(25));
        src[1][sel] = initial;
        m.loadLayers(src);
        m.selectKey(sel);
    } else {
        m.selectKey(sel);
        m.assignSelectedKey(initial);
        m.clearChangeFlags();
    }
    QCOMPARE(m.replaceOnNextBaseKey(), armed);

    SignalLog log(m);
    for (int i = 0; i < clicks.size(); ++i) {
        const KeyData before = *m.selectedKeyData();
        log.take();
        const bool ok = m.applyBaseKey(quint8(clicks[i]));
        const bool last = i == clicks.size() - 1;
        QCOMPARE(ok, last ? lastAccepted : true);
        QVERIFY(!m.replaceOnNextBaseKey());
        const KeyData &now = *m.selectedKeyData();
        if (ok) {
            QVERIFY(now.dirty);
            QCOMPARE(log.take(), QStringList({QStringLiteral("B%1:%2").arg(sel).arg(now.buttonText),
                                              QStringLiteral("F%1:%2").arg(sel).arg(now.fullText)}));
        } else {
            // A refused key leaves everything as it was, flags included, and says nothing.
            QVERIFY(log.take().isEmpty());
            QVERIFY(now.sameFunction(before));
            QCOMPARE(now.dirty, before.dirty);
            QCOMPARE(now.fullText, before.fullText);
        }
    }

    const KeyData &key = *m.selectedKeyData();
    QVERIFY2(key.sameFunction(expected),
             qPrintable(QStringLiteral("type %1 full '%2'").arg(key.type).arg(key.fullText)));
    QCOMPARE(key.fullText, expected.fullText);
    QCOMPARE(key.buttonText, expected.buttonText);
    if (key.type == KeyType::Macro)
        QCOMPARE(key.macroSteps, expected.macroSteps);
    QCOMPARE(key.dirty, lastAccepted || clicks.size() > 1);
    // Only the selected slot of the current layer was touched.
    QCOMPARE(dirtyCount(m, 0) + dirtyCount(m, 2) + dirtyCount(m, 3), 0);
    QCOMPARE(dirtyCount(m, 1), key.dirty ? 1 : 0);
}

void TstKeyboardDataApplyBaseKey::replaceFlagLifecycle()
{
    KeyboardData m;
    QVERIFY(!m.applyBaseKey(0x04)); // nothing selected
    QVERIFY(m.replaceOnNextBaseKey());
    QVERIFY(!m.hasUnsavedChanges());

    m.selectKey(2);
    QVERIFY(m.applyBaseKey(0xE0));
    QVERIFY(m.applyBaseKey(0x1D)); // LCtrl + Z
    QVERIFY(!m.applyBaseKey(0x04));
    QVERIFY(!m.replaceOnNextBaseKey());

    // Selecting the same key again re-arms: the next click starts over.
    m.selectKey(2);
    QVERIFY(m.replaceOnNextBaseKey());
    QVERIFY(m.applyBaseKey(0x04));
    QCOMPARE(m.selectedKeyData()->type, quint8(KeyType::Basic));

    // Multimedia and mouse leave the flag as it is; a base key after them replaces them.
    m.setSelectedMultimedia(0xE2);
    QVERIFY(!m.replaceOnNextBaseKey());
    QVERIFY(m.applyBaseKey(0x05));
    QCOMPARE(m.selectedKeyData()->type, quint8(KeyType::Basic));
    m.selectKey(2);
    m.setSelectedMouseAction(1);
    QVERIFY(m.replaceOnNextBaseKey());

    // Clearing re-arms, assigning disarms.
    m.assignSelectedKey(basic(0x06));
    QVERIFY(!m.replaceOnNextBaseKey());
    QVERIFY(m.applyBaseKey(0x07));
    QCOMPARE(m.selectedKeyData()->macroSteps.size(), 4);
    m.clearSelectedKey();
    QVERIFY(m.replaceOnNextBaseKey());
    QVERIFY(m.applyBaseKey(0x08));
    m.assignSelectedKey(combo(0x01, {}));
    m.clearCurrentLayer();
    QVERIFY(m.replaceOnNextBaseKey());

    // A layer switch keeps the flag as it was.
    m.selectKey(1);
    QVERIFY(m.applyBaseKey(0x04));
    m.setCurrentLayer(2);
    QVERIFY(!m.replaceOnNextBaseKey());
    QVERIFY(!m.applyBaseKey(0x04)); // no selection after the switch
}

QTEST_GUILESS_MAIN(TstKeyboardDataApplyBaseKey)
#include "tst_keyboarddata_applybasekey.moc"
