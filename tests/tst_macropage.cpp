// Macro recording on the real window: key events typed at the window become the selected
// key's macro (delays from an injected clock), the window is locked while recording, the
// 64th step ends it, the blocks edit the steps' delays, and the recorded key reaches a
// simulated keypad through the save that follows the recording.
#include "i18n/uitext.h"
#include "app/widget.h"
#include "controls/macroflowwidget.h"
#include "device/hidmanager.h"
#include "model/keyboarddata.h"
#include "pages/macrokeycapture.h"
#include "pages/macropage.h"
#include "sim/currentfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/logcapture.h"
#include "support/pageharness.h"
#include "support/windowharness.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QThreadPool>
#include <QtConcurrent>
#include <QtTest>

#include <atomic>

using Fw = sim::CurrentFirmware;
using testsupport::configFrom;
using testsupport::LogCapture;
using testsupport::spinUntil;
using testsupport::saveShot;

namespace {

// The window with its clock under the test's control.
struct Recorder {
    Recorder(const Recorder &) = delete;
    explicit Recorder(const char *config = "")
        : window(configFrom(config))
    {
        page = window.macroPage();
        page->setClock([this] { return now; });
        window.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT); // window scale 1
        window.show();
    }
    // Key events as the window gets them from the platform: one event per key, with the
    // modifiers held at that moment (QTest would add its own modifier key events).
    void send(QEvent::Type type, int key, Qt::KeyboardModifiers mods)
    {
        QKeyEvent event(type, key, mods);
        QApplication::sendEvent(&window, &event);
    }
    void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        if (mods == Qt::NoModifier)
            QTest::keyPress(&window, Qt::Key(key));
        else
            send(QEvent::KeyPress, key, mods);
    }
    void release(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        if (mods == Qt::NoModifier)
            QTest::keyRelease(&window, Qt::Key(key));
        else
            send(QEvent::KeyRelease, key, mods);
    }
    void autoRepeat(int key)
    {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(&window, &down);
        QApplication::sendEvent(&window, &up);
    }
    QVector<MacroStepData> steps(int key = 0)
    {
        return window.keyboardData()->keyDataAt(window.keyboardData()->currentLayer(), key)->macroSteps;
    }

    Widget window;
    MacroPage *page = nullptr;
    qint64 now = 1000000;
};

MacroStepData step(quint8 action, quint8 code, quint16 delay)
{
    return MacroStepData{action, code, delay};
}

QList<QSpinBox *> delayBoxes(MacroPage *page)
{
    QList<QSpinBox *> boxes;
    for (QWidget *item : page->flow()->items())
        if (auto *box = item->findChild<QSpinBox *>())
            boxes.append(box);
    return boxes;
}

} // namespace

class TstMacroPage : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        testsupport::resetDeviceLink();
        UiText::setLanguage(UiText::Language::English);
    }

    void captureTable_data();
    void captureTable();
    void recordingFromWindowKeys();
    void windowLockedWhileRecording();
    void sixtyFourthStepStops();
    void stopsOnOtherPageAndNeedsSelection();
    void blocksShowAndEditSteps();
    void recordButtonStyles();
    void recordedMacroSavedToKeypad();
    void busyLinkLeavesKeyForNextSave();
};

void TstMacroPage::captureTable_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("usage");
    QTest::newRow("A") << int(Qt::Key_A) << 0x04;
    QTest::newRow("Z") << int(Qt::Key_Z) << 0x1D;
    QTest::newRow("1") << int(Qt::Key_1) << 0x1E;
    QTest::newRow("9") << int(Qt::Key_9) << 0x26;
    QTest::newRow("0") << int(Qt::Key_0) << 0x27;
    QTest::newRow(")") << int(Qt::Key_ParenRight) << 0x27;
    QTest::newRow("!") << int(Qt::Key_Exclam) << 0x1E;
    QTest::newRow("@") << int(Qt::Key_At) << 0x1F;
    QTest::newRow("(") << int(Qt::Key_ParenLeft) << 0x26;
    QTest::newRow("_") << int(Qt::Key_Underscore) << 0x2D;
    QTest::newRow("+") << int(Qt::Key_Plus) << 0x2E;
    QTest::newRow("{") << int(Qt::Key_BraceLeft) << 0x2F;
    QTest::newRow("|") << int(Qt::Key_Bar) << 0x31;
    QTest::newRow(":") << int(Qt::Key_Colon) << 0x33;
    QTest::newRow("\"") << int(Qt::Key_QuoteDbl) << 0x34;
    QTest::newRow("~") << int(Qt::Key_AsciiTilde) << 0x35;
    QTest::newRow("?") << int(Qt::Key_Question) << 0x38;
    QTest::newRow("Return") << int(Qt::Key_Return) << 0x28;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << 0x58;
    QTest::newRow("Backtab") << int(Qt::Key_Backtab) << 0x2B;
    QTest::newRow("Right") << int(Qt::Key_Right) << 0x4F;
    QTest::newRow("Down") << int(Qt::Key_Down) << 0x51;
    QTest::newRow("Print") << int(Qt::Key_Print) << 0x46;
    QTest::newRow("Meta") << int(Qt::Key_Meta) << 0xE3;
    QTest::newRow("Alt") << int(Qt::Key_Alt) << 0xE2;
    QTest::newRow("F1") << int(Qt::Key_F1) << 0x3A;
    QTest::newRow("F12") << int(Qt::Key_F12) << 0x45;
    QTest::newRow("#") << int(Qt::Key_NumberSign) << 0x20;
    QTest::newRow("$") << int(Qt::Key_Dollar) << 0x21;
    QTest::newRow("%") << int(Qt::Key_Percent) << 0x22;
    QTest::newRow("^") << int(Qt::Key_AsciiCircum) << 0x23;
    QTest::newRow("&") << int(Qt::Key_Ampersand) << 0x24;
    QTest::newRow("*") << int(Qt::Key_Asterisk) << 0x25;
    QTest::newRow("-") << int(Qt::Key_Minus) << 0x2D;
    QTest::newRow("=") << int(Qt::Key_Equal) << 0x2E;
    QTest::newRow("[") << int(Qt::Key_BracketLeft) << 0x2F;
    QTest::newRow("]") << int(Qt::Key_BracketRight) << 0x30;
    QTest::newRow("}") << int(Qt::Key_BraceRight) << 0x30;
    QTest::newRow("backslash") << int(Qt::Key_Backslash) << 0x31;
    QTest::newRow(";") << int(Qt::Key_Semicolon) << 0x33;
    QTest::newRow("'") << int(Qt::Key_Apostrophe) << 0x34;
    QTest::newRow("`") << int(Qt::Key_QuoteLeft) << 0x35;
    QTest::newRow(",") << int(Qt::Key_Comma) << 0x36;
    QTest::newRow("<") << int(Qt::Key_Less) << 0x36;
    QTest::newRow(".") << int(Qt::Key_Period) << 0x37;
    QTest::newRow(">") << int(Qt::Key_Greater) << 0x37;
    QTest::newRow("/") << int(Qt::Key_Slash) << 0x38;
    QTest::newRow("Space") << int(Qt::Key_Space) << 0x2C;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << 0x29;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << 0x2B;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 0x2A;
    QTest::newRow("Insert") << int(Qt::Key_Insert) << 0x49;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << 0x4C;
    QTest::newRow("Pause") << int(Qt::Key_Pause) << 0x48;
    QTest::newRow("Home") << int(Qt::Key_Home) << 0x4A;
    QTest::newRow("End") << int(Qt::Key_End) << 0x4D;
    QTest::newRow("PageUp") << int(Qt::Key_PageUp) << 0x4B;
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << 0x4E;
    QTest::newRow("Left") << int(Qt::Key_Left) << 0x50;
    QTest::newRow("Up") << int(Qt::Key_Up) << 0x52;
    QTest::newRow("Shift") << int(Qt::Key_Shift) << 0xE1;
    QTest::newRow("Control") << int(Qt::Key_Control) << 0xE0;
    QTest::newRow("CapsLock") << int(Qt::Key_CapsLock) << 0x39;
    QTest::newRow("NumLock") << int(Qt::Key_NumLock) << 0x53;
    QTest::newRow("ScrollLock") << int(Qt::Key_ScrollLock) << 0x47;
    QTest::newRow("F7") << int(Qt::Key_F7) << 0x40;
    QTest::newRow("F13 not taken") << int(Qt::Key_F13) << -1;
    QTest::newRow("AltGr not taken") << int(Qt::Key_AltGr) << -1;
    QTest::newRow("a-umlaut not taken") << int(Qt::Key_Adiaeresis) << -1;
    QTest::newRow("volume not taken") << int(Qt::Key_VolumeUp) << -1;
}

void TstMacroPage::captureTable()
{
    QFETCH(int, qtKey);
    QFETCH(int, usage);
    QCOMPARE(MacroKeyCapture::hidUsageForQtKey(qtKey), usage);
}

void TstMacroPage::recordingFromWindowKeys()
{
    LogCapture log;
    Recorder r;
    KeyboardData *m = r.window.keyboardData();
    r.window.selectButton(0);
    QVERIFY(m->applyBaseKey(0x10)); // the key held "M" before: the recording replaces it
    QCOMPARE(m->keyDataAt(0, 0)->type, KeyType::Basic);
    r.window.functionList()->setCurrentRow(MacroPage::PAGE_ROW);
    QCOMPARE(r.window.functionStack()->currentWidget(), r.page);

    QVERIFY(r.page->recordButton()->isEnabled());
    QTest::mouseClick(r.page->recordButton(), Qt::LeftButton);
    QVERIFY(r.page->isRecording());
    QVERIFY(log.contains(QStringLiteral("Macro: recording started")));
    QCOMPARE(m->keyDataAt(0, 0)->type, KeyType::Empty);
    QVERIFY(m->keyDataAt(0, 0)->dirty);
    QCOMPARE(r.page->recordButton()->text(), QStringLiteral("Click here to end key macro recording"));
    QCOMPARE(QWidget::keyboardGrabber(), &r.window);

    // "a" typed quickly: the first step has no delay, the release is raised to 50 ms.
    r.press(Qt::Key_A);
    r.now += 10;
    r.release(Qt::Key_A);
    QCOMPARE(r.steps(), (QVector<MacroStepData>{step(0, 0x04, 0), step(1, 0x04, 50)}));
    QCOMPARE(r.window.buttonAt(0)->text(), QStringLiteral("a"));

    // Shift held while typing "A": four steps, the key and not the character.
    r.now += 990;
    r.press(Qt::Key_Shift);
    r.now += 100;
    r.press(Qt::Key_A, Qt::ShiftModifier);
    r.now += 120;
    r.release(Qt::Key_A, Qt::ShiftModifier);
    r.now += 130;
    r.release(Qt::Key_Shift);
    QCOMPARE(r.steps().mid(2), (QVector<MacroStepData>{step(0, 0xE1, 990), step(0, 0x04, 100),
                                                       step(1, 0x04, 120), step(1, 0xE1, 130)}));

    // A held key repeats: the repeats are not steps.
    r.now += 200;
    r.press(Qt::Key_B);
    for (int i = 0; i < 5; ++i) {
        r.now += 30;
        r.autoRepeat(Qt::Key_B);
    }
    r.now += 30;
    r.release(Qt::Key_B);
    QCOMPARE(r.steps().size(), 8);
    QCOMPARE(r.steps().mid(6), (QVector<MacroStepData>{step(0, 0x05, 200), step(1, 0x05, 180)}));

    // A 12 s pause is stored as the longest delay a step may carry.
    r.now += 12000;
    r.press(Qt::Key_Exclam, Qt::ShiftModifier);
    QCOMPARE(r.steps().last(), step(0, 0x1E, 9999));

    // A key outside the table is skipped, and the pause before the next step still counts
    // from the last recorded one.
    r.now += 100;
    r.press(Qt::Key_F13);
    r.now += 200;
    r.release(Qt::Key_F13);
    r.now += 300;
    r.release(Qt::Key_1);
    QCOMPARE(r.steps().size(), 10);
    QCOMPARE(r.steps().last(), step(1, 0x1E, 600));

    // Two blocks per step, in step order.
    QCOMPARE(r.page->flow()->count(), 20);
    QTest::mouseClick(r.page->recordButton(), Qt::LeftButton);
    QVERIFY(!r.page->isRecording());
    QVERIFY(log.contains(QStringLiteral("Macro: recording stopped")));
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
    QCOMPARE(r.page->recordButton()->text(), QStringLiteral("Click here to start key macro recording"));
    // Not connected: nothing is sent, the key waits for Save.
    QVERIFY(log.contains(QStringLiteral("Auto-save: device not connected")));
    QVERIFY(m->keyDataAt(0, 0)->dirty);
    QCOMPARE(m->keyDataAt(0, 0)->type, KeyType::Macro);
    QCOMPARE(r.page->flow()->count(), 20);

    // Keys typed after the stop go nowhere.
    r.press(Qt::Key_C);
    r.release(Qt::Key_C);
    QCOMPARE(r.steps().size(), 10);

    saveShot(&r.window, QStringLiteral("macropage_recorded"));
}

void TstMacroPage::windowLockedWhileRecording()
{
    Recorder r;
    r.window.selectButton(2);
    r.window.functionList()->setCurrentRow(MacroPage::PAGE_ROW);
    QStackedWidget *stack = r.window.functionStack();

    QTest::mouseClick(r.page->recordButton(), Qt::LeftButton);
    QVERIFY(r.page->isRecording());
    QVERIFY(!r.window.functionList()->isEnabled());
    QVERIFY(!r.window.clearAllButton()->isEnabled());
    QVERIFY(!r.window.saveSettingsButton()->isEnabled());
    QVERIFY(!r.window.viewSettingsButton()->isEnabled());
    for (int i = 0; i < 3; ++i)
        QVERIFY(!r.window.layerButton(i)->isEnabled());
    for (int b = 0; b < Widget::TOTAL_BUTTON_COUNT; ++b)
        if (QPushButton *button = r.window.buttonAt(b))
            QVERIFY2(!button->isEnabled(), qPrintable(QString::number(b)));
    for (int i = 0; i < stack->count(); ++i)
        QCOMPARE(stack->widget(i)->isEnabled(), stack->widget(i) == r.page);
    QVERIFY(r.page->recordButton()->isEnabled());
    saveShot(&r.window, QStringLiteral("macropage_recording"));

    // A click on another key of the panel cannot move the selection.
    QTest::mouseClick(r.window.buttonAt(5), Qt::LeftButton);
    QCOMPARE(r.window.keyboardData()->selectedKey(), 2);

    QTest::mouseClick(r.page->recordButton(), Qt::LeftButton);
    QVERIFY(!r.page->isRecording());
    QVERIFY(r.window.functionList()->isEnabled());
    QVERIFY(r.window.clearAllButton()->isEnabled());
    // Save and View come back only with a keypad.
    QVERIFY(!r.window.saveSettingsButton()->isEnabled());
    QVERIFY(!r.window.viewSettingsButton()->isEnabled());
    for (int i = 0; i < 3; ++i)
        QVERIFY(r.window.layerButton(i)->isEnabled());
    for (int b = 0; b < Widget::TOTAL_BUTTON_COUNT; ++b)
        if (QPushButton *button = r.window.buttonAt(b))
            QVERIFY2(button->isEnabled(), qPrintable(QString::number(b)));
    for (int i = 0; i < stack->count(); ++i)
        QVERIFY(stack->widget(i)->isEnabled());
}

void TstMacroPage::sixtyFourthStepStops()
{
    Recorder r;
    r.window.selectButton(1);
    r.window.functionList()->setCurrentRow(MacroPage::PAGE_ROW);
    r.page->startMacroRecording();
    for (int i = 0; i < 40; ++i) {
        r.now += 5;
        r.press(Qt::Key_1);
        r.now += 5;
        r.release(Qt::Key_1);
    }
    QVERIFY(!r.page->isRecording());
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
    const QVector<MacroStepData> steps = r.steps(1);
    QCOMPARE(steps.size(), KeyboardData::MAX_MACRO_STEPS);
    QCOMPARE(steps.first(), step(0, 0x1E, 0));
    for (int i = 1; i < steps.size(); ++i)
        QCOMPARE(steps.at(i).delayMs, quint16(50));
    QCOMPARE(steps.last().action, quint8(1));
    QCOMPARE(r.page->flow()->count(), 2 * KeyboardData::MAX_MACRO_STEPS);
    QVERIFY(r.window.functionList()->isEnabled());

    // Direct appends outside a recording are refused too.
    r.page->appendMacroStep(Qt::Key_A, true, 100);
    QCOMPARE(r.steps(1).size(), KeyboardData::MAX_MACRO_STEPS);
}

void TstMacroPage::stopsOnOtherPageAndNeedsSelection()
{
    Recorder r;
    // No selection: the button is off and starting does nothing.
    r.window.functionList()->setCurrentRow(MacroPage::PAGE_ROW);
    QVERIFY(!r.page->recordButton()->isEnabled());
    r.page->startMacroRecording();
    QVERIFY(!r.page->isRecording());
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);

    r.window.selectButton(3);
    QVERIFY(r.page->recordButton()->isEnabled());
    r.page->startMacroRecording();
    QVERIFY(r.page->isRecording());
    r.press(Qt::Key_Z);
    // The list is locked, so only the program can move it: any row but this page's stops.
    r.window.functionList()->setCurrentRow(MacroPage::PAGE_ROW);
    QVERIFY(r.page->isRecording());
    r.window.functionList()->setCurrentRow(0);
    QVERIFY(!r.page->isRecording());
    QVERIFY(r.window.functionList()->isEnabled());
    QCOMPARE(r.steps(3), (QVector<MacroStepData>{step(0, 0x1D, 0)}));

    // The recorded key changed from outside (a keypad read its keys, or left): the
    // recording ends and the window is unlocked, not left waiting for the button.
    KeyboardData *m = r.window.keyboardData();
    r.window.functionList()->setCurrentRow(MacroPage::PAGE_ROW);
    r.page->startMacroRecording();
    QVERIFY(r.page->isRecording());
    m->loadLayers(QVector<QVector<KeyData>>(KeyboardData::LAYER_COUNT,
                                            QVector<KeyData>(KeyboardData::KEYS_PER_LAYER)));
    QVERIFY(!r.page->isRecording());
    QVERIFY(r.window.functionList()->isEnabled());
    r.press(Qt::Key_Z);
    QCOMPARE(m->keyDataAt(0, 3)->type, KeyType::Empty);
}

void TstMacroPage::blocksShowAndEditSteps()
{
    Recorder r;
    KeyboardData *m = r.window.keyboardData();
    QVector<QVector<KeyData>> layers(KeyboardData::LAYER_COUNT, QVector<KeyData>(KeyboardData::KEYS_PER_LAYER));
    layers[0][4].setMacro({step(0, 0xE0, 0), step(0, 0x06, 80), step(1, 0x06, 50), step(1, 0xE0, 60)});
    layers[0][1].setBasicKey(0x04);
    layers[0][2].setMacro({step(1, 0x1B, 7), step(0, 0x1B, 8)});
    m->loadLayers(layers);
    QVERIFY(!m->keyDataAt(0, 4)->dirty);
    r.window.functionList()->setCurrentRow(MacroPage::PAGE_ROW);

    r.window.selectButton(r.window.buttonIndexFromDataIndex(4));
    QCOMPARE(m->selectedKey(), 4);
    MacroFlowWidget *flow = r.page->flow();
    QCOMPARE(flow->count(), 8);
    const QList<QWidget *> items = flow->items();
    for (QWidget *item : items) {
        QCOMPARE(item->objectName(), QStringLiteral("macroBlock"));
        QCOMPARE(item->size(), QSize(70, 70));
    }
    auto title = [&](int i) { return items.at(i)->findChild<QLabel *>(QStringLiteral("macroBlockTitle"))->text(); };
    auto keyLabel = [&](int i) { return items.at(i)->findChild<QLabel *>(QStringLiteral("macroBlockKey"))->text(); };
    QCOMPARE(title(0), QStringLiteral("delay"));
    QCOMPARE(title(1), QStringLiteral("Press"));
    QCOMPARE(keyLabel(1), QStringLiteral("LCtrl"));
    QCOMPARE(keyLabel(3), QStringLiteral("C"));
    QCOMPARE(title(5), QStringLiteral("Release"));
    QVERIFY(items.at(5)->findChild<QLabel *>(QStringLiteral("macroBlockTitle"))->styleSheet().contains(
        QStringLiteral("#ff7755")));
    const QList<QSpinBox *> boxes = delayBoxes(r.page);
    QCOMPARE(boxes.size(), 4);
    QCOMPARE(boxes.at(1)->value(), 80);
    QCOMPARE(boxes.at(0)->maximum(), 9999);
    QCOMPARE(boxes.at(0)->suffix(), QStringLiteral("ms"));

    // Editing the first delay changes that step only and marks the key for saving.
    const QString caption = r.window.buttonAt(r.window.buttonIndexFromDataIndex(4))->text();
    boxes.at(0)->setValue(120);
    QCOMPARE(m->keyDataAt(0, 4)->macroSteps,
             (QVector<MacroStepData>{step(0, 0xE0, 120), step(0, 0x06, 80), step(1, 0x06, 50), step(1, 0xE0, 60)}));
    QVERIFY(m->keyDataAt(0, 4)->dirty);
    QVERIFY(m->hasUnsavedChanges());
    QCOMPARE(r.window.buttonAt(r.window.buttonIndexFromDataIndex(4))->text(), caption);
    // A typed number above the range is held at the range's end.
    boxes.at(3)->setValue(20000);
    QCOMPARE(m->keyDataAt(0, 4)->macroSteps.at(3).delayMs, quint16(9999));
    // Typed too: every digit is taken and the number held at the maximum (a plain spin box
    // drops the fifth digit and keeps 2000).
    QLineEdit *edit = boxes.at(2)->findChild<QLineEdit *>();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("20000"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(boxes.at(2)->value(), 9999);
    QCOMPARE(m->keyDataAt(0, 4)->macroSteps.at(2).delayMs, quint16(9999));

    saveShot(&r.window, QStringLiteral("macropage_blocks"));

    // Another macro reuses the blocks: they show its steps and edit that key only.
    const QVector<MacroStepData> before = m->keyDataAt(0, 4)->macroSteps;
    r.window.selectButton(r.window.buttonIndexFromDataIndex(2));
    QCOMPARE(m->selectedKey(), 2);
    QCOMPARE(flow->count(), 4);
    QCOMPARE(flow->itemAt(1)->findChild<QLabel *>(QStringLiteral("macroBlockTitle"))->text(), QStringLiteral("Release"));
    QVERIFY(flow->itemAt(1)->findChild<QLabel *>(QStringLiteral("macroBlockTitle"))->styleSheet().contains(
        QStringLiteral("#ff7755")));
    QCOMPARE(flow->itemAt(3)->findChild<QLabel *>(QStringLiteral("macroBlockTitle"))->text(), QStringLiteral("Press"));
    QCOMPARE(flow->itemAt(3)->findChild<QLabel *>(QStringLiteral("macroBlockKey"))->text(), QStringLiteral("X"));
    QCOMPARE(delayBoxes(r.page).at(0)->value(), 7);
    QCOMPARE(delayBoxes(r.page).at(1)->value(), 8);
    QVERIFY(!m->keyDataAt(0, 2)->dirty);
    delayBoxes(r.page).at(1)->setValue(90);
    QCOMPARE(m->keyDataAt(0, 2)->macroSteps, (QVector<MacroStepData>{step(1, 0x1B, 7), step(0, 0x1B, 90)}));
    QCOMPARE(m->keyDataAt(0, 4)->macroSteps, before);
    r.window.selectButton(r.window.buttonIndexFromDataIndex(4));
    QCOMPARE(flow->count(), 8);
    QCOMPARE(delayBoxes(r.page).at(1)->value(), 80);
    QCOMPARE(flow->itemAt(3)->findChild<QLabel *>(QStringLiteral("macroBlockKey"))->text(), QStringLiteral("C"));

    // A basic key shows no blocks; clearing the macro key empties the flow at once.
    r.window.selectButton(r.window.buttonIndexFromDataIndex(1));
    QCOMPARE(m->selectedKey(), 1);
    QCOMPARE(flow->count(), 0);
    r.window.selectButton(r.window.buttonIndexFromDataIndex(4));
    QCOMPARE(flow->count(), 8);
    m->clearSelectedKey();
    QCOMPARE(flow->count(), 0);

    // Blocks follow the window scale, never below their minimum sizes.
    m->selectKey(-1);
    layers[0][4].setMacro({step(0, 0x04, 0)});
    m->loadLayers(layers);
    m->selectKey(4);
    r.page->updateMacroPageStyle(0.5);
    QCOMPARE(flow->itemAt(0)->size(), QSize(58, 58));
    r.page->updateMacroPageStyle(1.5);
    QCOMPARE(flow->itemAt(0)->size(), QSize(105, 105));
    QVERIFY(flow->itemAt(1)->findChild<QLabel *>(QStringLiteral("macroBlockKey"))->styleSheet().contains(
        QStringLiteral("font-size: 32px")));
}

void TstMacroPage::recordButtonStyles()
{
    Recorder r;
    QPushButton *button = r.page->recordButton();
    r.page->updateMacroPageStyle(1.0);
    QCOMPARE(button->height(), 56);
    QCOMPARE(button->styleSheet(),
             QStringLiteral("QPushButton { background-color: #2a2a2a; color: #555555; border-radius: 6px; "
                            "font-size: 34px; font-weight: bold; }"));
    r.window.selectButton(0);
    QVERIFY(button->styleSheet().startsWith(QStringLiteral("QPushButton { background-color: #2d7a2d;")));
    r.page->startMacroRecording();
    QVERIFY(button->styleSheet().startsWith(QStringLiteral("QPushButton { background-color: #8b1a1a;")));
    QVERIFY(button->styleSheet().contains(QStringLiteral("#b22222")));
    r.page->updateMacroPageStyle(0.5);
    QCOMPARE(button->minimumHeight(), 44);
    QVERIFY(button->styleSheet().contains(QStringLiteral("font-size: 17px")));
    r.page->updateMacroPageStyle(2.0);
    QCOMPARE(button->minimumHeight(), 112);
    QVERIFY(button->styleSheet().contains(QStringLiteral("font-size: 67px")));
    r.page->stopMacroRecording();
    QVERIFY(button->styleSheet().contains(QStringLiteral("#3a9a3a")));

    // The page in Chinese.
    Recorder zh("language=ch\n");
    zh.window.functionList()->setCurrentRow(MacroPage::PAGE_ROW);
    QCOMPARE(zh.page->recordButton()->text(), QStringLiteral("点击此处开始录制按键宏"));
    zh.window.selectButton(0);
    zh.page->startMacroRecording();
    QCOMPARE(zh.page->recordButton()->text(), QStringLiteral("点击此处结束录制按键宏"));
    zh.press(Qt::Key_Q);
    zh.now += 75;
    zh.release(Qt::Key_Q);
    saveShot(&zh.window, QStringLiteral("macropage_recording_zh"));
    zh.page->stopMacroRecording();
    QCOMPARE(zh.page->recordButton()->text(), QStringLiteral("点击此处开始录制按键宏"));
}

void TstMacroPage::recordedMacroSavedToKeypad()
{
    Recorder r;
    testsupport::ReadWatch reads(r.window);
    auto fw = std::make_shared<Fw>();
    fw->setKeyRecord(0, 0, Fw::basicRecord(0x04));
    fw->setKeyRecord(0, 1, Fw::basicRecord(0x05));
    const int id = sim::SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
    QVERIFY(id > 0);
    QVERIFY(reads.waitLoaded(1, 8000));
    QVERIFY(spinUntil([&] { return !HIDManager::instance()->isBusy(); }));
    KeyboardData *m = r.window.keyboardData();
    QCOMPARE(m->keyDataAt(0, 0)->type, KeyType::Basic);

    r.window.selectButton(0);
    r.window.functionList()->setCurrentRow(MacroPage::PAGE_ROW);
    QTest::mouseClick(r.page->recordButton(), Qt::LeftButton);
    QVERIFY(!r.window.saveSettingsButton()->isEnabled());
    r.press(Qt::Key_Control);
    r.now += 70;
    r.press(Qt::Key_V, Qt::ControlModifier);
    r.now += 5;
    r.release(Qt::Key_V, Qt::ControlModifier);
    r.now += 90;
    r.release(Qt::Key_Control);
    sim::SimBus::clearWrittenReports(id);
    QTest::mouseClick(r.page->recordButton(), Qt::LeftButton);
    // Off while the recorded key is saved, on again once the save has ended.
    QVERIFY(spinUntil([&] { return r.window.saveSettingsButton()->isEnabled(); }, 8000));
    QVERIFY(r.window.viewSettingsButton()->isEnabled());

    // Saved at once, without Save: the keypad holds the macro and the key is clean.
    const QByteArray want = Fw::macroRecord({{0, 0xE0, 0}, {0, 0x19, 70}, {1, 0x19, 50}, {1, 0xE0, 90}});
    QVERIFY(spinUntil([&] { return fw->keyRecord(0, 0) == want; }, 8000));
    QVERIFY(spinUntil([&] { return !m->keyDataAt(0, 0)->dirty; }));
    QCOMPARE(fw->keyRecord(0, 1), Fw::basicRecord(0x05));
    QVERIFY(!m->hasUnsavedChanges());
    QVERIFY(!sim::SimBus::writtenReports(id).isEmpty());
}

void TstMacroPage::busyLinkLeavesKeyForNextSave()
{
    LogCapture log;
    Recorder r;
    testsupport::ReadWatch reads(r.window);
    auto fw = std::make_shared<Fw>();
    const int id = sim::SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
    QVERIFY(id > 0);
    QVERIFY(reads.waitLoaded(1, 8000));
    QVERIFY(spinUntil([&] { return !HIDManager::instance()->isBusy(); }));

    r.window.selectButton(0);
    r.window.functionList()->setCurrentRow(MacroPage::PAGE_ROW);
    r.page->startMacroRecording();
    r.press(Qt::Key_K);
    r.now += 60;
    r.release(Qt::Key_K);

    // Another exchange holds the link while the recording ends.
    std::atomic<bool> holding{false};
    std::atomic<bool> letGo{false};
    QFuture<void> holder = QtConcurrent::run([&] {
        HIDManager::instance()->runLegacy([&](hid_device *) {
            holding = true;
            while (!letGo)
                QThread::msleep(1);
            return true;
        });
    });
    QVERIFY(spinUntil([&] { return holding.load(); }));
    sim::SimBus::clearWrittenReports(id);
    r.page->stopMacroRecording();
    letGo = true;
    holder.waitForFinished();
    QVERIFY(log.contains(QStringLiteral("Auto-save: device busy")));
    testsupport::spinFor(100);
    QVERIFY(fw->keyRecord(0, 0).isEmpty());
    QVERIFY(r.window.keyboardData()->keyDataAt(0, 0)->dirty);
    QCOMPARE(r.window.keyboardData()->keyDataAt(0, 0)->macroSteps.size(), 2);

    // The keypad leaves during a recording: the recording ends with the window unlocked
    // and nothing to save to.
    r.page->startMacroRecording();
    r.press(Qt::Key_L);
    sim::SimBus::unplug(id);
    QVERIFY(spinUntil([&] { return !r.page->isRecording(); }, 5000));
    QVERIFY(r.window.functionList()->isEnabled());
    QVERIFY(r.window.clearAllButton()->isEnabled());
    QVERIFY(!r.window.saveSettingsButton()->isEnabled());
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
    QVERIFY(log.contains(QStringLiteral("Auto-save: device not connected")));
}

QTEST_MAIN(TstMacroPage)
#include "tst_macropage.moc"
