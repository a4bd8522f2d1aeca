#include "app/appconfig.h"
#include "model/layoutpresets.h"
#include "model/slotmap.h"
#include "i18n/uitext.h"
#include "app/widget.h"
#include "app/windowtitle.h"
#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "support/windowharness.h"

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QtTest>

using testsupport::configFrom;

namespace {

DeviceInfo info(bool valid, int k, int e, int p, int s, int layers = 3)
{
    DeviceInfo d;
    d.valid = valid;
    d.keyCount = quint8(k);
    d.encoderCount = quint8(e);
    d.variantP = quint8(p);
    d.shape = quint8(s);
    d.layerCount = quint8(layers);
    return d;
}

LegacyDeviceInfo legacy(int k, int e)
{
    LegacyDeviceInfo l;
    l.valid = true;
    l.keyCount = quint8(k);
    l.encoderCount = quint8(e);
    l.format = LegacyDeviceInfo::R10Udav;
    return l;
}

// What a legacy keypad looks like to the window after its probe: a DeviceInfo with the
// counts copied and the rest zero.
DeviceInfo fromLegacy(const LegacyDeviceInfo &l)
{
    return info(l.valid, l.keyCount, l.encoderCount, 0, l.shape, l.layerCount);
}

} // namespace

class TstLayouts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void presetForDevice_data();
    void presetForDevice();
    void legacyOverrides();
    void legacyIndexMaps();
    void startupPresets();
    void everyPresetDrawsItsButtons_data();
    void everyPresetDrawsItsButtons();
    void windowTitleNamesTheModel();
};

void TstLayouts::initTestCase()
{
    initKnobResources();
}

void TstLayouts::presetForDevice_data()
{
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("e");
    QTest::addColumn<int>("p");
    QTest::addColumn<int>("s");
    QTest::addColumn<QString>("expected");

    // Every row of the device table.
    QTest::newRow("16/3/0/0") << true << 16 << 3 << 0 << 0 << "Layout_16K_3E_P0_S0";
    QTest::newRow("16/3/0/1") << true << 16 << 3 << 0 << 1 << "Layout_16K_3E_P0_S1";
    QTest::newRow("16/3/0/2") << true << 16 << 3 << 0 << 2 << "Layout_16K_3E_P0_S2";
    QTest::newRow("16/3/0/3") << true << 16 << 3 << 0 << 3 << "Layout_16K_3E_P0_S3";
    QTest::newRow("6/1/0/0") << true << 6 << 1 << 0 << 0 << "Layout_6K_1E_P0_S0";
    QTest::newRow("6/0/0/0") << true << 6 << 0 << 0 << 0 << "Layout_6K_0E_P0_S0";
    QTest::newRow("1/0/0/0") << true << 1 << 0 << 0 << 0 << "Layout_1K_0E_P0_S0";
    QTest::newRow("0/1/0/0") << true << 0 << 1 << 0 << 0 << "Layout_0K_1E_P0_S0";
    QTest::newRow("0/1/1/1") << true << 0 << 1 << 1 << 1 << "Layout_0K_1E_P1_S1";
    QTest::newRow("5/2/0/0") << true << 5 << 2 << 0 << 0 << "Layout_5K_2E_P0_S0";

    // Fallbacks: keys, knobs and shape; keys and knobs; nothing; invalid report.
    QTest::newRow("no exact row, shape matches") << true << 16 << 3 << 5 << 2 << "Layout_16K_3E_P0_S2";
    QTest::newRow("variant differs only") << true << 0 << 1 << 7 << 1 << "Layout_0K_1E_P1_S1";
    QTest::newRow("keys and knobs only") << true << 16 << 3 << 0 << 9 << "Layout_16K_3E_P0_S0";
    QTest::newRow("keys and knobs, first row") << true << 0 << 1 << 1 << 5 << "Layout_0K_1E_P0_S0";
    QTest::newRow("unknown model") << true << 7 << 7 << 0 << 0 << "Layout_16K_3E_P0_S0";
    QTest::newRow("invalid report") << false << 6 << 1 << 0 << 0 << "Layout_16K_3E_P0_S0";
    // Not legacy: counts the legacy firmware uses get no special treatment.
    QTest::newRow("current 4/3") << true << 4 << 3 << 0 << 0 << "Layout_16K_3E_P0_S0";
    QTest::newRow("current 0/3") << true << 0 << 3 << 0 << 0 << "Layout_16K_3E_P0_S0";
}

void TstLayouts::presetForDevice()
{
    QFETCH(bool, valid);
    QFETCH(int, k);
    QFETCH(int, e);
    QFETCH(int, p);
    QFETCH(int, s);
    QFETCH(QString, expected);
    Widget w(configFrom(""));
    QCOMPARE(w.layoutForDeviceInfo(info(valid, k, e, p, s)).name, expected);
}

void TstLayouts::legacyOverrides()
{
    Widget w(configFrom(""));
    struct Case {
        int k, e;
        const char *expected;
    } cases[] = {
        {1, 0, "Layout_1K_0E_P0_S0"}, {0, 3, "Layout_16K_3E_P0_S3"},
        {0, 2, "Layout_16K_3E_P0_S2"}, {4, 3, "Layout_16K_3E_P0_S1"},
        // Other legacy models use the table like everyone else.
        {6, 1, "Layout_6K_1E_P0_S0"}, {0, 1, "Layout_0K_1E_P0_S0"},
    };
    for (const Case &c : cases) {
        const LegacyDeviceInfo l = legacy(c.k, c.e);
        w.setDeviceKind(true, fromLegacy(l), l);
        QCOMPARE(w.layoutForDeviceInfo(fromLegacy(l)).name, QString::fromLatin1(c.expected));
    }
}

void TstLayouts::legacyIndexMaps()
{
    Widget w(configFrom(""));

    // Current-protocol keypad: button and data index are the same everywhere.
    w.setDeviceKind(false, info(true, 0, 1, 0, 0), LegacyDeviceInfo());
    w.applyPhysicalLayout(w.build0Plus1Layout());
    for (int i = -1; i <= 25; ++i) {
        QCOMPARE(w.dataIndexFromButtonIndex(i), i);
        QCOMPARE(w.buttonIndexFromDataIndex(i), i);
    }

    // Legacy single knob: buttons 0..4 edit data 3, 1, 2, 5, 4.
    const LegacyDeviceInfo knob = legacy(0, 1);
    w.setDeviceKind(true, fromLegacy(knob), knob);
    w.applyPhysicalLayout(w.layoutForDeviceInfo(fromLegacy(knob)));
    QCOMPARE(w.currentLayout().name, QStringLiteral("Layout_0K_1E_P0_S0"));
    const int dataOf[5] = {3, 1, 2, 5, 4};
    for (int b = 0; b < 5; ++b) {
        QCOMPARE(w.dataIndexFromButtonIndex(b), dataOf[b]);
        QCOMPARE(w.buttonIndexFromDataIndex(dataOf[b]), b);
    }
    QCOMPARE(w.dataIndexFromButtonIndex(5), 5);
    QCOMPARE(w.buttonIndexFromDataIndex(0), 0);
    QCOMPARE(w.buttonIndexFromDataIndex(6), 6);

    // Legacy six keys and a knob: the knob lives at data 16..18 behind buttons 6..8.
    const LegacyDeviceInfo six = legacy(6, 1);
    w.setDeviceKind(true, fromLegacy(six), six);
    w.applyPhysicalLayout(w.layoutForDeviceInfo(fromLegacy(six)));
    QCOMPARE(w.currentLayout().name, QStringLiteral("Layout_6K_1E_P0_S0"));
    for (int b = 6; b <= 8; ++b) {
        QCOMPARE(w.dataIndexFromButtonIndex(b), b + 10);
        QCOMPARE(w.buttonIndexFromDataIndex(b + 10), b);
    }
    QCOMPARE(w.dataIndexFromButtonIndex(5), 5);
    QCOMPARE(w.dataIndexFromButtonIndex(9), 9);
    QCOMPARE(w.buttonIndexFromDataIndex(6), 6);
    QCOMPARE(w.buttonIndexFromDataIndex(19), 19);
    // Data index 3 on the legacy single knob shows on button 0, and selecting that button
    // selects data 3 in the model.
    w.setDeviceKind(true, fromLegacy(knob), knob);
    w.applyPhysicalLayout(w.layoutForDeviceInfo(fromLegacy(knob)));
    w.selectButton(0);
    QCOMPARE(w.keyboardData()->selectedKey(), 3);
    QVERIFY(w.buttonAt(0)->isChecked());
}

void TstLayouts::startupPresets()
{
    Widget w(configFrom(""));
    // A window without a device shows six keys and a knob.
    QCOMPARE(w.startupDisplayLayoutPreset(), Widget::Startup6Plus1);
    QCOMPARE(w.currentLayout().name, QStringLiteral("Layout_6K_1E_P0_S0"));

    const QPair<Widget::StartupLayoutPreset, const char *> cases[] = {
        {Widget::Startup0Plus1, "Layout_0K_1E_P0_S0"},
        {Widget::Startup5Plus2, "Layout_5K_2E_P0_S0"},
        {Widget::Startup1Plus0, "Layout_1K_0E_P0_S0"},
        {Widget::Startup16Plus3, "Layout_16K_3E_P0_S0"},
        {Widget::StartupLayoutPreset(42), "Layout_16K_3E_P0_S0"},
        {Widget::Startup6Plus1, "Layout_6K_1E_P0_S0"},
    };
    for (const auto &c : cases) {
        w.setStartupDisplayLayoutPreset(c.first);
        QCOMPARE(w.currentLayout().name, QString::fromLatin1(c.second));
        QCOMPARE(w.layoutForStartupPreset().name, QString::fromLatin1(c.second));
    }

    // Five keys and two turn-only knobs: left, right, left, right on data 5..8.
    w.setStartupDisplayLayoutPreset(Widget::Startup5Plus2);
    for (int i = 0; i < 5; ++i)
        QVERIFY(qobject_cast<KeyButton *>(w.buttonAt(i)));
    for (int i = 5; i < 9; ++i) {
        auto *knob = qobject_cast<KnobButton *>(w.buttonAt(i));
        QVERIFY(knob);
        QCOMPARE(knob->imagePath(), i % 2 ? KnobButton::pressLeftImagePath()
                                          : KnobButton::pressRightImagePath());
    }
    QVERIFY(!w.buttonAt(9));
    QCOMPARE(w.knobPointer(0, 0), qobject_cast<KnobButton *>(w.buttonAt(5)));
    QCOMPARE(w.knobPointer(0, 1), qobject_cast<KnobButton *>(w.buttonAt(6)));
    QVERIFY(!w.knobPointer(0, 2));
    QVERIFY(!w.knobPointer(1, 0));

    // Three knobs: pointers by first index 16, 19, 22; a knob at 0 records none.
    w.setStartupDisplayLayoutPreset(Widget::Startup16Plus3);
    for (int knob = 0; knob < 3; ++knob)
        for (int action = 0; action < 3; ++action)
            QCOMPARE(w.knobPointer(knob, action),
                     qobject_cast<KnobButton *>(w.buttonAt(16 + 3 * knob + action)));
    QVERIFY(w.knobPointer(2, 2));
    w.setStartupDisplayLayoutPreset(Widget::Startup0Plus1);
    for (int knob = 0; knob < 3; ++knob)
        QVERIFY(!w.knobPointer(knob, 0));
    QVERIFY(qobject_cast<KnobButton *>(w.buttonAt(0)));

    // While a keypad is connected only the choice is stored.
    w.applyPhysicalLayout(w.build6Plus0Layout());
    w.onDeviceConnected();
    w.setStartupDisplayLayoutPreset(Widget::Startup0Plus1);
    QCOMPARE(w.startupDisplayLayoutPreset(), Widget::Startup0Plus1);
    QCOMPARE(w.currentLayout().name, QStringLiteral("Layout_6K_0E_P0_S0"));
}

void TstLayouts::windowTitleNamesTheModel()
{
    const PhysicalLayoutConfig s2 = LayoutPresets::buildForCode(2);
    QCOMPARE(WindowTitle::forPanel(false, SlotMap::forLayout(s2)), QStringLiteral("Macropad Studio"));
    const struct {
        int code;
        const char *english;
        const char *chinese;
    } cases[] = {
        {0, "16 keys, 3 knobs", "16个按键、3个旋钮"},
        {1, "4 keys, 3 knobs", "4个按键、3个旋钮"},
        {2, "2 knobs", "2个旋钮"},
        {5, "6 keys", "6个按键"},
        {6, "1 key", "1个按键"},
        {7, "1 knob", "1个旋钮"},
        {9, "5 keys, 2 knobs", "5个按键、2个旋钮"},
        {-1, "15 keys, 1 knob", "15个按键、1个旋钮"}, // "Old" on the 16-key panel
    };
    LegacyDeviceInfo old;
    old.valid = true;
    old.keyCount = 15;
    old.encoderCount = 1;
    for (const auto &c : cases) {
        const SlotMap preset = c.code < 0 ? SlotMap::forLegacy(old, LayoutPresets::buildForCode(0))
                                          : SlotMap::forLayout(LayoutPresets::buildForCode(c.code));
        UiText::setLanguage(UiText::Language::English);
        QCOMPARE(WindowTitle::forPanel(true, preset),
                 QStringLiteral("Macropad Studio \u2014 ") + QString::fromUtf8(c.english));
        UiText::setLanguage(UiText::Language::Chinese);
        QCOMPARE(WindowTitle::forPanel(true, preset),
                 QStringLiteral("Macropad Studio \u2014 ") + QString::fromUtf8(c.chinese));
    }
    UiText::setLanguage(UiText::Language::English);
    // A window without a keypad carries the program's name from the start.
    Widget w(testsupport::configFrom(""));
    // ("[*]" is Qt's place for the unsaved-changes star, not shown while nothing is unsaved.)
    QCOMPARE(w.windowTitle(), QStringLiteral("Macropad Studio[*]"));
    QVERIFY(!w.isWindowModified());
}

void TstLayouts::everyPresetDrawsItsButtons_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("chinese");
    for (int code = 0; code <= 9; ++code) {
        const QString name = LayoutPresets::buildForCode(code).name;
        QTest::newRow(qPrintable(name + QStringLiteral(" en"))) << code << false;
        QTest::newRow(qPrintable(name + QStringLiteral(" zh"))) << code << true;
    }
}

void TstLayouts::everyPresetDrawsItsButtons()
{
    QFETCH(int, code);
    QFETCH(bool, chinese);
    Widget w(configFrom(chinese ? "language=ch" : "language=en"));
    w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT);
    const PhysicalLayoutConfig preset = LayoutPresets::buildForCode(code);
    w.applyPhysicalLayout(preset);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCoreApplication::processEvents();

    // Give every used key a function so captions show in the picture.
    KeyboardData *model = w.keyboardData();
    for (int d : preset.usedDataIndices()) {
        model->selectKey(d);
        model->applyBaseKey(quint8(0x04 + d));
    }
    model->selectKey(-1);
    QCoreApplication::processEvents();

    const QImage shot = w.grab().toImage();
    const QString dir = qEnvironmentVariable("MPS_SHOTS_DIR");
    if (!dir.isEmpty()) {
        QDir().mkpath(dir);
        shot.save(QStringLiteral("%1/%2_%3.png").arg(dir, preset.name, chinese ? "zh" : "en"));
    }

    QFrame *frame = w.physicalPanelFrame();
    QVERIFY(frame->isVisible());
    const QRect frameRect = frame->rect();
    // The frame itself must fit inside its group: a panel wider than its room is cut off.
    QVERIFY2(frame->parentWidget()->rect().contains(frame->geometry()),
             qPrintable(QStringLiteral("frame %1,%2 %3x%4 in group %5x%6")
                            .arg(frame->x()).arg(frame->y()).arg(frame->width())
                            .arg(frame->height()).arg(frame->parentWidget()->width())
                            .arg(frame->parentWidget()->height())));

    QVector<QRect> placed;
    const QVector<int> used = preset.usedDataIndices();
    for (int b = 0; b < Widget::TOTAL_BUTTON_COUNT; ++b) {
        QPushButton *button = w.buttonAt(b);
        QCOMPARE(button != nullptr, used.contains(b));
        if (!button)
            continue;
        QVERIFY2(button->isVisible(), qPrintable(QString::number(b)));
        QCOMPARE(button->property("buttonIndex").toInt(), b);
        const QRect r(button->mapTo(frame, QPoint(0, 0)), button->size());
        QVERIFY2(r.width() >= 40 && r.height() >= 40, qPrintable(QString::number(b)));
        // Inside the frame's border (5 px) ...
        QVERIFY2(frameRect.adjusted(5, 5, -5, -5).contains(r),
                 qPrintable(QStringLiteral("slot %1 at %2,%3 %4x%5 outside frame %6x%7")
                                .arg(b).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())
                                .arg(frameRect.width()).arg(frameRect.height())));
        // ... and clear of every other button.
        for (int i = 0; i < placed.size(); ++i)
            QVERIFY2(!placed.at(i).intersects(r),
                     qPrintable(QStringLiteral("slot %1 overlaps an earlier one").arg(b)));
        placed.append(r);
        QVERIFY(!button->text().isEmpty());
    }

    // Balanced: the buttons as a whole sit in the middle of the frame.
    QRect bounds;
    for (const QRect &r : placed)
        bounds |= r;
    const int left = bounds.left() - frameRect.left();
    const int right = frameRect.right() - bounds.right();
    const int top = bounds.top() - frameRect.top();
    const int bottom = frameRect.bottom() - bounds.bottom();
    // (12 px at scale 1; a panel grown into a roomy group may be larger.)
    const int slack = qRound(12 * qMax(1.0, w.panelScale()));
    QVERIFY2(qAbs(left - right) <= slack && qAbs(top - bottom) <= slack,
             qPrintable(QStringLiteral("margins l%1 r%2 t%3 b%4").arg(left).arg(right).arg(top).arg(bottom)));

    // Number labels of hidden keys do not show; those of used keys do.
    const auto labels = frame->findChildren<QLabel *>(QStringLiteral("KeyNumLabel"));
    int visibleLabels = 0;
    for (QLabel *l : labels)
        visibleLabels += l->isVisible();
    QCOMPARE(visibleLabels, preset.keyCount);
}

QTEST_MAIN(TstLayouts)
#include "tst_layouts.moc"
