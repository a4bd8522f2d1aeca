#include "app/appconfig.h"
#include "i18n/uitext.h"
#include "app/widget.h"
#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "model/keynames.h"
#include "support/windowharness.h"

#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QTextEdit>
#include <QtTest>

using testsupport::configFrom;

namespace {

MacroStepData step(quint8 action, quint8 code, quint16 delay = 20)
{
    MacroStepData s;
    s.action = action;
    s.keyCode = code;
    s.delayMs = delay;
    return s;
}

// Gives data index d of the current layer a function through the model, as a page would.
void assign(Widget &w, int d, const KeyData &key)
{
    KeyboardData *m = w.keyboardData();
    const int before = m->selectedKey();
    m->selectKey(d);
    m->assignSelectedKey(key);
    m->selectKey(before);
}

KeyData basic(quint8 usage)
{
    KeyData k;
    k.setBasicKey(usage);
    return k;
}

KeyData macro(const QVector<MacroStepData> &steps)
{
    KeyData k;
    k.setMacro(steps);
    return k;
}

int checkedCount(const Widget &w)
{
    int n = 0;
    for (int i = 0; i < Widget::TOTAL_BUTTON_COUNT; ++i)
        if (w.buttonAt(i) && w.buttonAt(i)->isChecked())
            ++n;
    return n;
}

} // namespace

class TstWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { initKnobResources(); }
    void startsDisconnectedInEnglish();
    void settingsShapeTheWindow();
    void clickSelectsKeyAndHighlightsOnlyIt();
    void knobActionsSixToEightSelectThroughForcedIndex();
    void clearKeepsSelectionAndBlanksTheKey();
    void clearAllClearsOnlyTheCurrentLayer();
    void captionsOnButtonsAndDisplay();
    void captionsFollowPageAndLayout();
    void layerSwitchClearsSelectionAndShowsThatLayer();
    void ledColourDisplayWhileLightingPageShows();
    void layerButtonsFollowTheKeypad();
    void hoveredKeyGrowsInsideItsCell();
};

void TstWidget::startsDisconnectedInEnglish()
{
    Widget w(configFrom(""));
    QVERIFY(!w.isChinese());
    QCOMPARE(w.statusLabel()->text(), QStringLiteral("Connect the device with a usb cable"));
    QCOMPARE(w.statusLabel()->styleSheet(), QStringLiteral("color: #FF0000;"));
    QVERIFY(!w.saveSettingsButton()->isEnabled());
    QVERIFY(!w.viewSettingsButton()->isEnabled());
    QVERIFY(w.clearButton()->isEnabled());
    QCOMPARE(w.minimumSize(), QSize(800, 600));
    QCOMPARE(w.currentLayout().name, QStringLiteral("Layout_6K_1E_P0_S0"));
    QCOMPARE(w.effectiveLayerDisplayCount(), 3);
    for (int i = 0; i < 3; ++i)
        QVERIFY(!w.layerButton(i)->isHidden());
    QVERIFY(w.layerButton(0)->isChecked());
    QCOMPARE(w.functionList()->count(), 7);
    QCOMPARE(w.functionList()->currentRow(), 0);
    QCOMPARE(w.functionStack()->count(), 11);
    QCOMPARE(w.functionList()->item(5)->text(), QStringLiteral("Macro Key"));
    QCOMPARE(w.keyFunctionDisplay()->placeholderText(), QStringLiteral("Key Function Display Area"));
    for (QPushButton *b : {w.clearButton(), w.clearAllButton(), w.viewSettingsButton(),
                           w.saveSettingsButton()})
        QCOMPARE(b->property("class").toString(), QStringLiteral("FuncBtn"));
    // Six keys and a knob; the knob's three actions sit on slots 6..8.
    for (int i = 0; i < 6; ++i)
        QVERIFY(qobject_cast<KeyButton *>(w.buttonAt(i)));
    for (int i = 6; i < 9; ++i)
        QVERIFY(qobject_cast<KnobButton *>(w.buttonAt(i)));
    QCOMPARE(w.knobPointer(0, 0), qobject_cast<KnobButton *>(w.buttonAt(6)));
    QCOMPARE(w.knobPointer(0, 2), qobject_cast<KnobButton *>(w.buttonAt(8)));
    QVERIFY(!w.buttonAt(9));
}

void TstWidget::settingsShapeTheWindow()
{
    {
        Widget w(configFrom("\xEF\xBB\xBFLANGUAGE = CH\r\nlayernum=1\r\n"));
        QVERIFY(w.isChinese());
        QCOMPARE(w.statusLabel()->text(), QStringLiteral("请用USB线连接设备"));
        QCOMPARE(w.clearButton()->text(), QStringLiteral("清除"));
        QCOMPARE(w.clearAllButton()->text(), QStringLiteral("清除全部"));
        QCOMPARE(w.saveSettingsButton()->text(), QStringLiteral("保存设置"));
        QCOMPARE(w.layerButton(0)->text(), QStringLiteral("第1层"));
        QCOMPARE(w.functionList()->item(0)->text(), QStringLiteral("基础按键"));
        QCOMPARE(w.functionList()->item(6)->text(), QStringLiteral("Procreate"));
        QCOMPARE(w.keyFunctionDisplay()->placeholderText(), QStringLiteral("按键功能显示区"));
        QCOMPARE(w.uiText(QStringLiteral("Clear")), QStringLiteral("清除"));
        QCOMPARE(w.forcedLayerDisplayCount(), 1);
        QVERIFY(!w.layerButton(0)->isHidden());
        QVERIFY(w.layerButton(1)->isHidden());
        QVERIFY(w.layerButton(2)->isHidden());
        QVERIFY(w.layerButton(0)->isChecked());
        // A forced count beats whatever the keypad reports.
        DeviceInfo info;
        info.valid = true;
        info.layerCount = 3;
        w.setDeviceKind(false, info, LegacyDeviceInfo());
        w.updateLayerButtonsVisibility();
        QCOMPARE(w.effectiveLayerDisplayCount(), 1);
    }
    {
        Widget w(configFrom("language=ch\nlanguage=fr\nlayernum=0\nlayernum=7\n"));
        QVERIFY(w.isChinese());
        QCOMPARE(w.effectiveLayerDisplayCount(), 0);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(w.layerButton(i)->isHidden());
            QVERIFY(!w.layerButton(i)->isChecked());
        }
        QCOMPARE(w.keyboardData()->currentLayer(), 0);
        // In English the same lookup goes the other way.
        QCOMPARE(UiText::text(QStringLiteral("清除"), UiText::Language::English),
                 QStringLiteral("Clear"));
    }
    {
        Widget w(configFrom("language=ch\nlanguage=en\n#layernum=2\n"));
        QVERIFY(!w.isChinese());
        QCOMPARE(w.uiText(QStringLiteral("清除")), QStringLiteral("Clear"));
        QCOMPARE(w.forcedLayerDisplayCount(), -1);
        QCOMPARE(w.effectiveLayerDisplayCount(), 3);
    }
}

void TstWidget::clickSelectsKeyAndHighlightsOnlyIt()
{
    Widget w(configFrom(""));
    w.applyPhysicalLayout(w.buildDefault16Plus3Layout());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    assign(w, 4, basic(0x04));

    QSignalSpy selected(w.keyboardData(), &KeyboardData::selectedKeyChanged);
    QTest::mouseClick(w.buttonAt(4), Qt::LeftButton);
    QCOMPARE(w.keyboardData()->selectedKey(), 4);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).toInt(), 4);
    QVERIFY(w.buttonAt(4)->isChecked());
    QCOMPARE(checkedCount(w), 1);
    QCOMPARE(w.highlightedButton(), w.buttonAt(4));
    QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QStringLiteral("A"));
    QCOMPARE(w.buttonAt(4)->text(), QStringLiteral("A"));

    // Clicking the selected key again keeps it selected and highlighted.
    QTest::mouseClick(w.buttonAt(4), Qt::LeftButton);
    QVERIFY(w.buttonAt(4)->isChecked());
    QCOMPARE(checkedCount(w), 1);

    // An empty key shows an empty display area; the highlight moves.
    QTest::mouseClick(w.buttonAt(9), Qt::LeftButton);
    QCOMPARE(w.keyboardData()->selectedKey(), 9);
    QVERIFY(w.buttonAt(9)->isChecked());
    QVERIFY(!w.buttonAt(4)->isChecked());
    QCOMPARE(checkedCount(w), 1);
    QVERIFY(w.keyFunctionDisplay()->toPlainText().isEmpty());

    // A knob action is selected by its click like a key.
    QTest::mouseClick(w.buttonAt(20), Qt::LeftButton);
    QCOMPARE(w.keyboardData()->selectedKey(), 20);
    QCOMPARE(checkedCount(w), 1);

    // Out-of-range and unused slots are ignored.
    w.applyPhysicalLayout(w.build6Plus0Layout());
    QCOMPARE(checkedCount(w), 0); // the selected knob action has no button here
    w.selectButton(12);
    w.selectButton(-1);
    w.selectButton(25);
    QCOMPARE(w.keyboardData()->selectedKey(), 20);

    // A new preset re-highlights the selected key's new button.
    w.selectButton(2);
    w.applyPhysicalLayout(w.buildDefault16Plus3Layout());
    QVERIFY(w.buttonAt(2)->isChecked());
    QCOMPARE(checkedCount(w), 1);
}

void TstWidget::knobActionsSixToEightSelectThroughForcedIndex()
{
    Widget w(configFrom(""));
    w.applyPhysicalLayout(w.buildDefault16Plus3Layout());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    assign(w, 7, basic(0x05));

    // Keys on slots 6..8 hand their click to the panel (forwardedClick)
    // instead of emitting clicked.
    for (int slot = 6; slot <= 8; ++slot) {
        QPushButton *b = w.buttonAt(slot);
        QVERIFY(qobject_cast<KeyButton *>(b));
        QSignalSpy clicked(b, &QPushButton::clicked);
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(clicked.count(), 0);
        QCOMPARE(w.keyboardData()->selectedKey(), slot);
        QVERIFY(b->isChecked());
        QCOMPARE(checkedCount(w), 1);
        QVERIFY(!w.property("_forcedClickIndex").isValid());
    }
    QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QString()); // slot 8 is empty
    w.selectButton(7);
    QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QStringLiteral("B"));

    // Key 6 (slot 5) clicks the ordinary way.
    QSignalSpy keyClicked(w.buttonAt(5), &QPushButton::clicked);
    QTest::mouseClick(w.buttonAt(5), Qt::LeftButton);
    QCOMPARE(keyClicked.count(), 1);
    QCOMPARE(w.keyboardData()->selectedKey(), 5);
    QCOMPARE(checkedCount(w), 1);

    // On the six-key panel slots 6..8 are the knob's actions: ordinary clicks.
    w.applyPhysicalLayout(w.build6Plus1Layout());
    for (int slot = 6; slot <= 8; ++slot) {
        QPushButton *b = w.buttonAt(slot);
        QVERIFY(qobject_cast<KnobButton *>(b));
        QSignalSpy clicked(b, &QPushButton::clicked);
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(w.keyboardData()->selectedKey(), slot);
        QCOMPARE(checkedCount(w), 1);
    }
    w.selectButton(5);

    // A forwarded click naming nothing usable selects nothing and resets the property.
    w.setProperty("_forcedClickIndex", 13);
    w.onButtonClicked();
    QCOMPARE(w.keyboardData()->selectedKey(), 5);
    QVERIFY(!w.property("_forcedClickIndex").isValid());
    w.setProperty("_forcedClickIndex", QStringLiteral("seven"));
    w.onButtonClicked();
    QCOMPARE(w.keyboardData()->selectedKey(), 5);
    w.onButtonClicked(); // no property at all
    QCOMPARE(w.keyboardData()->selectedKey(), 5);
}

void TstWidget::clearKeepsSelectionAndBlanksTheKey()
{
    Widget w(configFrom(""));
    KeyboardData *m = w.keyboardData();
    assign(w, 2, basic(0x04));
    assign(w, 3, basic(0x05));
    m->clearChangeFlags();

    w.selectButton(2);
    QCOMPARE(w.buttonAt(2)->text(), QStringLiteral("A"));
    QTest::mouseClick(w.clearButton(), Qt::LeftButton);
    QCOMPARE(m->selectedKey(), 2);
    QCOMPARE(m->keyDataAt(0, 2)->type, quint8(KeyType::Empty));
    QVERIFY(m->keyDataAt(0, 2)->dirty);
    QCOMPARE(m->keyDataAt(0, 3)->type, quint8(KeyType::Basic));
    QVERIFY(!m->keyDataAt(0, 3)->dirty);
    QVERIFY(w.buttonAt(2)->text().isEmpty());
    QVERIFY(!static_cast<KeyButton *>(w.buttonAt(2))->isAssigned());
    QCOMPARE(checkedCount(w), 0);
    QVERIFY(!w.highlightedButton());
    QVERIFY(w.keyFunctionDisplay()->toPlainText().isEmpty());

    // The next base key replaces the function of the same slot.
    QVERIFY(m->applyBaseKey(0x06));
    QCOMPARE(m->keyDataAt(0, 2)->type, quint8(KeyType::Basic));
    QCOMPARE(m->keyDataAt(0, 2)->keyCode, quint8(0x06));
    QCOMPARE(w.buttonAt(2)->text(), QStringLiteral("C"));

    // Without a selection Clear changes no key but still empties the display area.
    m->selectKey(-1);
    m->clearChangeFlags();
    w.keyFunctionDisplay()->setPlainText(QStringLiteral("stale"));
    QTest::mouseClick(w.clearButton(), Qt::LeftButton);
    QVERIFY(!m->hasUnsavedChanges());
    QCOMPARE(m->keyDataAt(0, 2)->keyCode, quint8(0x06));
    QVERIFY(w.keyFunctionDisplay()->toPlainText().isEmpty());
}

void TstWidget::clearAllClearsOnlyTheCurrentLayer()
{
    Widget w(configFrom(""));
    KeyboardData *m = w.keyboardData();
    for (int d : {0, 3, 5, 6, 8})
        assign(w, d, basic(quint8(0x04 + d)));
    m->setCurrentLayer(1);
    assign(w, 0, basic(0x1D));
    m->setCurrentLayer(0);
    m->clearChangeFlags();
    w.selectButton(3);

    QTest::mouseClick(w.clearAllButton(), Qt::LeftButton);
    for (int d = 0; d < KeyboardData::KEYS_PER_LAYER; ++d) {
        QCOMPARE(m->keyDataAt(0, d)->type, quint8(KeyType::Empty));
        QVERIFY(m->keyDataAt(0, d)->dirty);
    }
    QCOMPARE(m->keyDataAt(1, 0)->keyCode, quint8(0x1D));
    QVERIFY(!m->keyDataAt(1, 0)->dirty);
    QCOMPARE(m->selectedKey(), -1);
    for (int b = 0; b < Widget::TOTAL_BUTTON_COUNT; ++b) {
        if (!w.buttonAt(b))
            continue;
        QVERIFY(w.buttonAt(b)->text().isEmpty());
        QVERIFY(!w.buttonAt(b)->isChecked());
    }
    QVERIFY(!static_cast<KnobButton *>(w.buttonAt(6))->isSetState());
    QVERIFY(!static_cast<KeyButton *>(w.buttonAt(0))->isAssigned());
    QVERIFY(w.keyFunctionDisplay()->toPlainText().isEmpty());
    QVERIFY(!w.highlightedButton());
}

void TstWidget::captionsOnButtonsAndDisplay()
{
    Widget w(configFrom(""));
    KeyboardData *m = w.keyboardData();
    w.functionList()->setCurrentRow(2); // a page without its own caption style

    // press a, release a, press b, release b
    assign(w, 0, macro({step(0, 0x04, 0), step(1, 0x04), step(0, 0x05), step(1, 0x05)}));
    QCOMPARE(w.buttonAt(0)->text(), QStringLiteral("a -> b"));
    w.selectButton(0);
    QCOMPARE(w.displayFullTextForCurrentPage(0),
             QStringLiteral("a") + macroArrowSeparator() + QStringLiteral("b"));
    // Shown as rich text: the arrow, not the markup.
    QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QStringLiteral("a \u27A1 b"));

    // Long: the whole sequence; the button fits it to its cap and cuts only at the end.
    assign(w, 1, macro({step(0, 0x04, 0), step(0, 0x05), step(0, 0x06), step(0, 0x07)}));
    QCOMPARE(w.buttonAt(1)->text(), QStringLiteral("a -> b -> c -> d"));
    // Shift held: the letter stays upper-case.
    assign(w, 2, macro({step(0, 0xE1, 0), step(0, 0x04), step(1, 0x04), step(1, 0xE1)}));
    QCOMPARE(w.displayButtonTextForCurrentPage(2), QStringLiteral("LShift -> A"));
    QVERIFY(w.displayFullTextForCurrentPage(2).endsWith(QStringLiteral("A")));
    // Release steps only.
    assign(w, 3, macro({step(1, 0x04, 0), step(1, 0x05)}));
    QCOMPARE(w.buttonAt(3)->text(), QStringLiteral("-"));
    QCOMPARE(w.displayFullTextForCurrentPage(3), QStringLiteral("Macro(2)"));

    // Combination: the whole combination, not the model's short text cut at its end.
    KeyData combo;
    combo.setCombination(0x03, QByteArray(1, char(0x04)));
    assign(w, 4, combo);
    QCOMPARE(w.buttonAt(4)->text(), QStringLiteral("LCtrl + LShift + A"));
    QCOMPARE(w.displayFullTextForCurrentPage(4), QStringLiteral("LCtrl + LShift + A"));
    w.selectButton(4);
    QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QStringLiteral("LCtrl + LShift + A"));

    // Mouse: the long name on the button too; the knob button shows it as set.
    KeyData mouse;
    mouse.setMouseAction(3);
    assign(w, 6, mouse);
    QCOMPARE(w.buttonAt(6)->text(), QStringLiteral("Mouse Wheel Up"));
    QVERIFY(static_cast<KnobButton *>(w.buttonAt(6))->isSetState());
    QVERIFY(static_cast<KeyButton *>(w.buttonAt(0))->isAssigned());
    QVERIFY(!static_cast<KeyButton *>(w.buttonAt(5))->isAssigned());
    KeyData badMouse;
    badMouse.setMouseAction(16);
    assign(w, 7, badMouse);
    QCOMPARE(w.buttonAt(7)->text(), QString());

    // Multimedia.
    KeyData media;
    media.setMultimedia(0x00E2);
    assign(w, 5, media);
    QCOMPARE(w.buttonAt(5)->text(), QStringLiteral("Mute"));
    QCOMPARE(m->keyDataAt(0, 5)->type, quint8(KeyType::Multimedia));

    // The same captions in Chinese.
    Widget zh(configFrom("language=ch"));
    zh.functionList()->setCurrentRow(2);
    assign(zh, 6, mouse);
    QCOMPARE(zh.buttonAt(6)->text(), QStringLiteral("鼠标滚轮向上"));
    assign(zh, 5, media);
    QCOMPARE(zh.buttonAt(5)->text(), QStringLiteral("静音"));
}

void TstWidget::captionsFollowPageAndLayout()
{
    Widget w(configFrom("language=ch"));
    assign(w, 0, basic(0x50)); // "Left"
    assign(w, 1, basic(0x52)); // "Up"
    // Base keys page: direction words become arrows.
    QCOMPARE(w.functionList()->currentRow(), 0);
    QCOMPARE(w.displayButtonTextForCurrentPage(0), QString(QChar(0x2190)));
    QCOMPARE(w.buttonAt(1)->text(), QString(QChar(0x2191)));
    // Another page: the words themselves.
    w.functionList()->setCurrentRow(1);
    QCOMPARE(w.displayButtonTextForCurrentPage(0), QStringLiteral("Left"));
    QCOMPARE(w.buttonAt(0)->text(), QStringLiteral("Left"));

    // Single-knob keypads keep media functions as one-byte key codes.
    w.applyPhysicalLayout(w.build0Plus1Layout());
    assign(w, 2, basic(0xE2));
    QCOMPARE(w.displayButtonTextForCurrentPage(2), QStringLiteral("静音"));
    QCOMPARE(w.buttonAt(2)->text(), QStringLiteral("静音"));
    w.applyPhysicalLayout(w.build0Plus1LayoutP1S1());
    QCOMPARE(w.buttonAt(2)->text(), QStringLiteral("静音"));
    // Elsewhere the same code is the Left Alt key.
    w.applyPhysicalLayout(w.build6Plus1Layout());
    QCOMPARE(w.buttonAt(2)->text(), QStringLiteral("LAlt"));

    // Legacy single knob: data 0 has no button and its caption signals are ignored;
    // button 0 shows data 3.
    LegacyDeviceInfo l;
    l.valid = true;
    l.encoderCount = 1;
    DeviceInfo d;
    d.valid = true;
    d.encoderCount = 1;
    w.setDeviceKind(true, d, l);
    w.applyPhysicalLayout(w.layoutForDeviceInfo(d));
    assign(w, 3, basic(0x04));
    QCOMPARE(w.buttonAt(0)->text(), QStringLiteral("A"));
    w.buttonAt(0)->setText(QStringLiteral("kept"));
    w.onKeyButtonTextChanged(0, QStringLiteral("ignored"));
    QCOMPARE(w.buttonAt(0)->text(), QStringLiteral("kept"));
}

void TstWidget::layerSwitchClearsSelectionAndShowsThatLayer()
{
    Widget w(configFrom(""));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    KeyboardData *m = w.keyboardData();
    assign(w, 0, basic(0x04));
    m->setCurrentLayer(1);
    assign(w, 0, basic(0x05));
    m->setCurrentLayer(0);
    w.selectButton(0);
    QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QStringLiteral("A"));

    QTest::mouseClick(w.layerButton(1), Qt::LeftButton);
    QCOMPARE(m->currentLayer(), 1);
    QCOMPARE(m->selectedKey(), -1);
    QCOMPARE(w.buttonAt(0)->text(), QStringLiteral("B"));
    QVERIFY(w.keyFunctionDisplay()->toPlainText().isEmpty());
    QCOMPARE(checkedCount(w), 0);
    QVERIFY(w.layerButton(1)->isChecked());
    QVERIFY(!w.layerButton(0)->isChecked());
    QVERIFY(!static_cast<KeyButton *>(w.buttonAt(1))->isAssigned());
}

void TstWidget::ledColourDisplayWhileLightingPageShows()
{
    Widget w(configFrom(""));
    KeyboardData *m = w.keyboardData();
    assign(w, 0, basic(0x04));
    assign(w, 6, basic(0x05));
    m->setLedColor(0, 0, LedColorData{10, 20, 30});
    m->setLedColor(1, 0, LedColorData{40, 50, 60});
    w.selectButton(1);

    w.functionList()->setCurrentRow(3);
    QVERIFY(w.isRgbLedPageActive());
    auto *key0 = static_cast<KeyButton *>(w.buttonAt(0));
    auto *key1 = static_cast<KeyButton *>(w.buttonAt(1));
    QVERIFY(key0->hasCustomColor());
    QCOMPARE(key0->customColor(), QColor(10, 20, 30));
    QCOMPARE(key1->customColor(), QColor(255, 255, 0)); // the default colour
    QVERIFY(key0->text().isEmpty());
    QVERIFY(key1->isAssigned()); // colours show as set even on empty keys
    QVERIFY(w.keyFunctionDisplay()->toPlainText().isEmpty());
    // Knob actions keep their captions; they have no colour.
    QCOMPARE(w.buttonAt(6)->text(), QStringLiteral("B"));

    // Only keys can be picked for a colour.
    w.selectButton(6);
    QCOMPARE(m->selectedKey(), 1);
    w.selectButton(0);
    QCOMPARE(m->selectedKey(), 0);
    QVERIFY(w.keyFunctionDisplay()->toPlainText().isEmpty());
    // A caption change keeps the colour display.
    m->applyBaseKey(0x06);
    QVERIFY(key0->text().isEmpty());
    QCOMPARE(key0->customColor(), QColor(10, 20, 30));

    // Another layer's colours follow a layer switch.
    QTest::mouseClick(w.layerButton(1), Qt::LeftButton);
    QCOMPARE(key0->customColor(), QColor(40, 50, 60));

    // Leaving the page brings the functions back.
    QTest::mouseClick(w.layerButton(0), Qt::LeftButton);
    w.functionList()->setCurrentRow(1);
    QVERIFY(!w.isRgbLedPageActive());
    QVERIFY(!key0->hasCustomColor());
    QCOMPARE(key0->text(), QStringLiteral("C"));
    QVERIFY(key0->isAssigned());
    QVERIFY(!key1->isAssigned());
}

void TstWidget::layerButtonsFollowTheKeypad()
{
    Widget w(configFrom(""));
    KeyboardData *m = w.keyboardData();
    QTest::mouseClick(w.layerButton(2), Qt::LeftButton);
    QCOMPARE(m->currentLayer(), 2);
    w.selectButton(1);

    // A keypad with two layers: the third button goes, layer 2 becomes current.
    DeviceInfo two;
    two.valid = true;
    two.layerCount = 2;
    QSignalSpy captions(m, &KeyboardData::keyButtonTextChanged);
    w.onDeviceConnected();
    w.setDeviceKind(false, two, LegacyDeviceInfo());
    w.updateLayerButtonsVisibility();
    QCOMPARE(w.effectiveLayerDisplayCount(), 2);
    QVERIFY(w.layerButton(2)->isHidden());
    QVERIFY(!w.layerButton(1)->isHidden());
    QCOMPARE(m->currentLayer(), 1);
    QCOMPARE(captions.count(), 25);
    QCOMPARE(m->selectedKey(), -1);
    QVERIFY(w.layerButton(1)->isChecked());
    QVERIFY(!w.layerButton(2)->isChecked());

    // More layers than buttons: three.
    DeviceInfo seven = two;
    seven.layerCount = 7;
    w.setDeviceKind(false, seven, LegacyDeviceInfo());
    w.updateLayerButtonsVisibility();
    QCOMPARE(w.effectiveLayerDisplayCount(), 3);
    QVERIFY(!w.layerButton(2)->isHidden());

    // After a two-layer keypad leaves, its count stays.
    w.setDeviceKind(false, two, LegacyDeviceInfo());
    w.onDeviceDisconnected();
    QVERIFY(!w.isDeviceConnected());
    QCOMPARE(w.effectiveLayerDisplayCount(), 2);
    QVERIFY(w.layerButton(2)->isHidden());
    QCOMPARE(w.statusLabel()->text(), QStringLiteral("Connect the device with a usb cable"));
    QVERIFY(!w.saveSettingsButton()->isEnabled());

    // A legacy keypad without valid information: its own count (3).
    DeviceInfo none;
    LegacyDeviceInfo old;
    old.valid = true;
    w.setDeviceKind(true, none, old);
    QCOMPARE(w.effectiveLayerDisplayCount(), 3);
}

void TstWidget::hoveredKeyGrowsInsideItsCell()
{
    Widget w(configFrom(""));
    w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT); // scale 1: 80 px keys
    w.applyPhysicalLayout(w.buildDefault16Plus3Layout());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *key = static_cast<KeyButton *>(w.buttonAt(5));
    QWidget *cell = key->parentWidget();
    const QRect before = key->geometry();
    QCOMPARE(before.size(), QSize(80, 80));
    QCOMPARE(cell->size(), QSize(84, 84));

    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(key, &enter);
    QCOMPARE(key->geometry(), QRect(0, 0, 84, 84)); // grown, centred, still in its cell
    QCOMPARE(cell->size(), QSize(84, 84));           // the neighbours did not move
    const QRect neighbour(w.buttonAt(6)->mapTo(&w, QPoint(0, 0)), w.buttonAt(6)->size());
    QVERIFY(!QRect(key->mapTo(&w, QPoint(0, 0)), key->size()).intersects(neighbour));

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(key, &leave);
    QCOMPARE(key->geometry(), before);
}

QTEST_MAIN(TstWidget)
#include "tst_widget.moc"
