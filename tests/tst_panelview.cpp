// The panel picture on its own, without the window: a preset gives the right buttons on the
// right slots, a keypad's slot map moves and turns off buttons, the faces come from the
// content handed in, and a click tells the slot.
#include "app/panelview.h"
#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "model/layoutpresets.h"
#include "model/records.h"

#include <QGroupBox>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace {

LegacyDeviceInfo legacy(bool r10, int keys, int knobs)
{
    LegacyDeviceInfo info;
    info.valid = true;
    info.keyCount = quint8(keys);
    info.encoderCount = quint8(knobs);
    info.version = r10 ? 10 : 8;
    info.format = r10 ? LegacyDeviceInfo::R10Udav : LegacyDeviceInfo::Old;
    return info;
}

// A panel in a window of its own, its faces from 25 keys of which `assigned` hold a function.
struct Panel
{
    QWidget host;
    PanelView view{&host};
    QVector<KeyData> keys = QVector<KeyData>(PanelView::TOTAL_BUTTON_COUNT);

    Panel()
    {
        PanelView::Content c;
        c.key = [this](int d) { return d >= 0 && d < keys.size() ? &keys[d] : nullptr; };
        c.caption = [](int d, bool full) { return (full ? QStringLiteral("<b>Full %1</b>") : QStringLiteral("K%1")).arg(d); };
        c.ledColor = [](int) { return QColor(Qt::red); };
        c.text = [](const QString &english) { return english; };
        view.setContent(c);
    }

    void apply(const PhysicalLayoutConfig &preset, bool legacyKeypad = false,
               const LegacyDeviceInfo &info = LegacyDeviceInfo())
    {
        view.applyLayout(preset);
        view.layOut(1.0);
        view.updateSlotMap(legacyKeypad, DeviceInfo(), info);
        view.markAbsentButtons();
    }
};

} // namespace

class TstPanelView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }
    void presetsPutButtonsOnSlots();
    void clickTellsTheSlot();
};

void TstPanelView::presetsPutButtonsOnSlots()
{
    Panel p;
    p.apply(LayoutPresets::build6Plus1Layout());
    for (int b = 0; b < PanelView::TOTAL_BUTTON_COUNT; ++b) {
        QPushButton *button = p.view.buttonAt(b);
        if (b < 6)
            QVERIFY(qobject_cast<KeyButton *>(button));
        else if (b < 9)
            QCOMPARE(button, p.view.knobPointer(0, b - 6));
        else
            QVERIFY2(!button, qPrintable(QString::number(b)));
        if (button)
            QCOMPARE(button->property("buttonIndex").toInt(), b);
    }
    QVERIFY(p.view.knobPointer(0, 0) && !p.view.knobPointer(1, 0));

    // An R10Udav keypad keeps its knob on slots 16 to 18: the knob's buttons show those.
    p.keys[16].setBasicKey(0x04);
    p.apply(LayoutPresets::build6Plus1Layout(), true, legacy(true, 6, 1));
    QCOMPARE(p.view.dataIndexFromButtonIndex(6), 16);
    QCOMPARE(p.view.buttonIndexFromDataIndex(17), 7);
    p.view.showCaptions();
    p.view.refreshAccessibleTexts();
    auto *left = qobject_cast<KnobButton *>(p.view.buttonAt(6));
    QVERIFY(left && left->isSetState());
    QCOMPARE(left->text(), QStringLiteral("K16"));
    QCOMPARE(left->accessibleName(), QStringLiteral("Knob 1 left turn: Full 16"));
    QCOMPARE(p.view.buttonAt(7)->accessibleName(), QStringLiteral("Knob 1 right turn: Not assigned"));

    // An "Old" keypad with 15 keys and one knob on the 16-key panel: key 16 and the other
    // knobs stay in the picture, turned off.
    p.apply(LayoutPresets::buildDefault16Plus3Layout(), true, legacy(false, 15, 1));
    for (int b : {15, 19, 24}) {
        QVERIFY(!p.view.buttonAt(b)->isEnabled());
        QVERIFY(p.view.buttonAt(b)->property("absent").toBool());
    }
    QVERIFY(p.view.buttonAt(14)->isEnabled() && p.view.buttonAt(16)->isEnabled());

    // The lighting page: keys in their LED colours, without captions.
    p.view.showLedColors();
    auto *key = qobject_cast<KeyButton *>(p.view.buttonAt(0));
    QVERIFY(key->hasCustomColor() && key->text().isEmpty());
    QCOMPARE(key->customColor(), QColor(Qt::red));
}

void TstPanelView::clickTellsTheSlot()
{
    Panel p;
    p.apply(LayoutPresets::buildDefault16Plus3Layout());
    p.view.group()->resize(1200, 800);
    p.host.resize(1200, 800);
    p.host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.host));
    QSignalSpy chosen(&p.view, &PanelView::buttonChosen);
    // A plain key, a key on 6..8 (which forwards its release instead of clicking) and a knob.
    for (int b : {3, 7, 19}) {
        QTest::mouseClick(p.view.buttonAt(b), Qt::LeftButton);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.takeFirst().at(0).toInt(), b);
    }

    // The view only tells; the highlight is the window's to set.
    QVERIFY(!p.view.highlighted());
    p.view.select(p.view.buttonAt(19));
    p.view.checkOnly(p.view.buttonAt(3));
    QVERIFY(!p.view.buttonAt(19)->isChecked() && p.view.buttonAt(3)->isChecked());
    QCOMPARE(p.view.highlighted(), p.view.buttonAt(3));
}

QTEST_MAIN(TstPanelView)
#include "tst_panelview.moc"
