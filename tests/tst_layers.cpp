// The layer column with a simulated keypad behind the real window: how many layer buttons
// show (settings file, the keypad's report, the last keypad after it leaves) and what a
// layer switch does to the panel, the display and the next save.
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "device/hidmanager.h"
#include "model/keyboarddata.h"
#include "sim/currentfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/logcapture.h"
#include "support/windowharness.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTextEdit>
#include <QThreadPool>
#include <QtTest>

#include <memory>

using Fw = sim::CurrentFirmware;
using sim::SimBus;
using testsupport::configFrom;
using testsupport::LogCapture;
using testsupport::spinUntil;

namespace {

std::shared_ptr<Fw> keypadWithLayers(int layers)
{
    auto fw = std::make_shared<Fw>();
    Fw::Identity id;
    id.layerCount = quint8(layers);
    fw->setIdentity(id);
    for (int l = 0; l < 4; ++l)
        fw->setKeyRecord(l, 0, Fw::basicRecord(quint8(0x1E + l))); // 1, 2, 3, 4
    return fw;
}

int plugAndLoad(const Widget &w, std::shared_ptr<Fw> fw)
{
    testsupport::ReadWatch reads(w);
    const int id = SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
    return reads.waitLoaded() ? id : 0;
}

bool unplugAndWait(const Widget &w, int id)
{
    SimBus::unplug(id);
    return spinUntil([&] { return !w.isDeviceConnected(); }, 5000);
}

QString shown(const Widget &w)
{
    QString s;
    for (int i = 0; i < 3; ++i) {
        QPushButton *b = w.layerButton(i);
        s += b->isHidden() ? QLatin1Char('-') : (b->isChecked() ? QLatin1Char('X') : QLatin1Char('o'));
    }
    return s;
}

} // namespace

class TstLayers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        testsupport::resetDeviceLink();
    }

    void countFromSettingsOverridesTheKeypad_data();
    void countFromSettingsOverridesTheKeypad();
    void countFromTheKeypadAndAfterIt();
    void switchingShowsAndSavesThatLayer();
};

void TstLayers::countFromSettingsOverridesTheKeypad_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("connected");
    QTest::addColumn<QString>("source");
    QTest::newRow("none") << QByteArray("") << QStringLiteral("Xoo") << QStringLiteral("Xoo")
                          << QStringLiteral("source=device");
    QTest::newRow("layernum=1") << QByteArray("layernum=1\n") << QStringLiteral("X--")
                                << QStringLiteral("X--") << QStringLiteral("source=forced");
    QTest::newRow("layernum=0") << QByteArray("layernum=0\n") << QStringLiteral("---")
                                << QStringLiteral("---") << QStringLiteral("source=forced");
    QTest::newRow("layernum=2") << QByteArray("layernum=2\n") << QStringLiteral("Xo-")
                                << QStringLiteral("Xo-") << QStringLiteral("source=forced");
}

void TstLayers::countFromSettingsOverridesTheKeypad()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, before);
    QFETCH(QString, connected);
    QFETCH(QString, source);
    LogCapture log;
    Widget w(configFrom(settings.constData()));
    QCOMPARE(shown(w), before);
    if (settings.isEmpty())
        QVERIFY(log.contains(QStringLiteral("[Layer] effectiveLayerDisplayCount source=startupDefault")));

    QVERIFY(plugAndLoad(w, keypadWithLayers(4)) > 0);
    QCOMPARE(shown(w), connected);
    QVERIFY(log.contains(QStringLiteral("[Layer] effectiveLayerDisplayCount ") + source));
    QCOMPARE(w.keyboardData()->currentLayer(), 0);
    // With no layer button the panel edits layer 1; with buttons the first is on.
    QCOMPARE(w.buttonAt(0)->text(), QStringLiteral("1"));
}

void TstLayers::countFromTheKeypadAndAfterIt()
{
    LogCapture log;
    Widget w(configFrom(""));
    KeyboardData *m = w.keyboardData();

    // Seven layers reported: three buttons.
    int id = plugAndLoad(w, keypadWithLayers(7));
    QVERIFY(id > 0);
    QCOMPARE(shown(w), QStringLiteral("Xoo"));
    QVERIFY(log.contains(QStringLiteral("[Layer] effectiveLayerDisplayCount source=device forced=-1 deviceValid=true deviceLayer=7 legacyLayer=3 result=3")));
    QTest::mouseClick(w.layerButton(2), Qt::LeftButton);
    QCOMPARE(m->currentLayer(), 2);
    QCOMPARE(shown(w), QStringLiteral("ooX"));
    QCOMPARE(w.buttonAt(0)->text(), QStringLiteral("3"));
    QTest::mouseClick(w.buttonAt(0), Qt::LeftButton);
    QCOMPARE(m->selectedKey(), 0);
    QVERIFY(unplugAndWait(w, id));
    // The last keypad's count stays; the current layer too.
    QCOMPARE(shown(w), QStringLiteral("ooX"));
    QVERIFY(log.contains(QStringLiteral("source=lastConnected")));

    // Two layers while layer 3 is current: layer 2 becomes current, its button on, the
    // captions of that layer shown and the selection gone.
    QSignalSpy captions(m, &KeyboardData::keyButtonTextChanged);
    id = plugAndLoad(w, keypadWithLayers(2));
    QVERIFY(id > 0);
    QCOMPARE(shown(w), QStringLiteral("oX-"));
    QCOMPARE(m->currentLayer(), 1);
    QCOMPARE(m->selectedKey(), -1);
    QCOMPARE(w.buttonAt(0)->text(), QStringLiteral("2"));
    QVERIFY(captions.count() >= 25);

    // After it leaves: still two buttons, from the last keypad.
    QVERIFY(unplugAndWait(w, id));
    QCOMPARE(shown(w), QStringLiteral("oX-"));
    QCOMPARE(w.effectiveLayerDisplayCount(), 2);
    QVERIFY(log.contains(QStringLiteral("[Layer] effectiveLayerDisplayCount source=lastConnected forced=-1 deviceValid=false deviceLayer=0 legacyLayer=3 result=2")));

    // A keypad reporting no layer: no button while it stays, one after it leaves.
    id = plugAndLoad(w, keypadWithLayers(0));
    QVERIFY(id > 0);
    QCOMPARE(shown(w), QStringLiteral("---"));
    QVERIFY(unplugAndWait(w, id));
    QCOMPARE(shown(w), QStringLiteral("X--"));
    QCOMPARE(m->currentLayer(), 0);
}

void TstLayers::switchingShowsAndSavesThatLayer()
{
    LogCapture log;
    Widget w(configFrom(""));
    KeyboardData *m = w.keyboardData();
    auto fw = keypadWithLayers(3);
    QVERIFY(plugAndLoad(w, fw) > 0);
    QCOMPARE(w.buttonAt(0)->text(), QStringLiteral("1"));
    QTest::mouseClick(w.buttonAt(0), Qt::LeftButton);
    QVERIFY(w.highlightedButton());
    QVERIFY(!w.keyFunctionDisplay()->toPlainText().isEmpty());

    log.clear();
    QTest::mouseClick(w.layerButton(1), Qt::LeftButton);
    QCOMPARE(m->currentLayer(), 1);
    QCOMPARE(shown(w), QStringLiteral("oXo"));
    QCOMPARE(w.buttonAt(0)->text(), QStringLiteral("2"));
    QCOMPARE(m->selectedKey(), -1);
    QVERIFY(!w.highlightedButton());
    QVERIFY(!w.buttonAt(0)->isChecked());
    QVERIFY(w.keyFunctionDisplay()->toPlainText().isEmpty());
    QCOMPARE(log.count(QStringLiteral("Switched to Layer 2")), 1);

    // An edit on this layer goes to this layer of the keypad, and only there.
    QTest::mouseClick(w.buttonAt(4), Qt::LeftButton);
    QVERIFY(m->applyBaseKey(0x0F)); // L
    QTest::mouseClick(w.saveSettingsButton(), Qt::LeftButton);
    QVERIFY(spinUntil([&] { return w.statusLabel()->text() == QStringLiteral("Saved successfully"); }, 5000));
    QCOMPARE(fw->keyRecord(1, 4), Fw::basicRecord(0x0F));
    QVERIFY(fw->keyRecord(0, 4).isEmpty());
    QVERIFY(fw->keyRecord(2, 4).isEmpty());

    // Back to layer 1: its captions, the edit is not there.
    QTest::mouseClick(w.layerButton(0), Qt::LeftButton);
    QCOMPARE(w.buttonAt(0)->text(), QStringLiteral("1"));
    QVERIFY(w.buttonAt(4)->text().isEmpty());
}

QTEST_MAIN(TstLayers)
#include "tst_layers.moc"
