// The function page frame inside the window: the pages in their places, the routing of the
// lighting and macro rows by keypad kind, and whole user flows from a click on the panel
// to a click on a page.
#include "app/appconfig.h"
#include "i18n/uitext.h"
#include "app/widget.h"
#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "pages/basekeyspage.h"
#include "pages/extrakeyspage.h"
#include "pages/mousepage.h"
#include "pages/multimediapage.h"
#include "pages/procreatepage.h"
#include "sim/legacyfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/windowharness.h"

#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextEdit>
#include <QtTest>

using testsupport::configFrom;

namespace {

QPushButton *buttonWith(QWidget *page, const char *property, const QVariant &value)
{
    for (QPushButton *b : page->findChildren<QPushButton *>())
        if (b->property(property) == value)
            return b;
    return nullptr;
}

QPushButton *buttonWithText(QWidget *page, const QString &text)
{
    for (QPushButton *b : page->findChildren<QPushButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

LegacyDeviceInfo legacyInfo(int format)
{
    LegacyDeviceInfo info;
    info.valid = true;
    info.keyCount = format == LegacyDeviceInfo::Old ? 15 : 16;
    info.encoderCount = 1;
    info.layerCount = 3;
    info.version = format == LegacyDeviceInfo::Old ? 5 : 10;
    info.format = format;
    return info;
}

enum class Kind { None, Current, R10Udav, Old };

// What the connection controller does once a read of the keypad completed.
void deviceRead(Widget &w, Kind kind)
{
    DeviceInfo info;
    if (kind != Kind::None) {
        info.valid = true;
        info.keyCount = 16;
        info.encoderCount = 1;
        info.layerCount = 3;
    }
    const bool legacy = kind == Kind::R10Udav || kind == Kind::Old;
    w.setDeviceKind(legacy, info,
                    legacyInfo(kind == Kind::Old ? LegacyDeviceInfo::Old : LegacyDeviceInfo::R10Udav));
    w.updatePageRoutingFlags();
    w.updateFunctionPagesForDevice();
    w.updateLegacyMouseFeatureAvailability();
}

} // namespace

class TestFunctionPageFrame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }
    void cleanup() { testsupport::resetDeviceLink(); }

    void pagesInTheirPlaces()
    {
        Widget w(configFrom(""));
        QListWidget *list = w.functionList();
        QStackedWidget *stack = w.functionStack();
        QCOMPARE(list->count(), 7);
        QCOMPARE(stack->count(), 11);
        const QStringList rows = {"BaseKeys", "Ext Keys", "MultiMedia", "RGB LED", "Mouse", "Macro Key", "Procreate"};
        for (int r = 0; r < 7; ++r)
            QCOMPARE(list->item(r)->text(), rows.at(r));
        // A page is built when first asked for, in its own place.
        QVERIFY(qobject_cast<BaseKeysPage *>(stack->widget(0)));
        QCOMPARE(stack->indexOf(w.extraKeysPage()), 1);
        QCOMPARE(stack->indexOf(w.multiMediaPage()), 2);
        QCOMPARE(stack->indexOf(w.mousePage()), 4);
        QCOMPARE(stack->indexOf(w.procreatePage()), 6);
        QVERIFY(qobject_cast<ExtraKeysPage *>(stack->widget(1)));
        QVERIFY(qobject_cast<MousePage *>(stack->widget(4)));
        QCOMPARE(w.baseKeysPage(), stack->widget(0));
        QCOMPARE(w.mousePage(), stack->widget(4));
        // Start on the base keys page.
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(stack->currentIndex(), 0);
        QVERIFY(w.isBaseKeysPageActive());
        QVERIFY(!w.isMousePageActive());
        QVERIFY(!w.isProcreatePageActive());

        // Every row shows its own page while no keypad was read.
        for (int r = 0; r < 7; ++r) {
            list->setCurrentRow(r);
            QCOMPARE(stack->currentIndex(), r);
            QCOMPARE(w.isRgbLedPageActive(), r == 3);
            QCOMPARE(w.isBaseKeysPageActive(), r == 0);
            QCOMPARE(w.isMousePageActive(), r == 4);
            QCOMPARE(w.isProcreatePageActive(), r == 6);
        }
        QCOMPARE(list->item(5)->text(), QStringLiteral("Macro Key"));
        // Swipe and like are offered without a keypad.
        for (QPushButton *b : w.mousePage()->swipeAndLikeButtons())
            QVERIFY(!b->isHidden());
    }

    void routingPerKeypadKind()
    {
        Widget w(configFrom(""));
        QListWidget *list = w.functionList();
        QStackedWidget *stack = w.functionStack();
        auto pageFor = [&](int row) {
            list->setCurrentRow(row);
            return stack->currentIndex();
        };
        auto swipesHidden = [&] {
            int hidden = 0;
            for (QPushButton *b : w.mousePage()->swipeAndLikeButtons())
                hidden += b->isHidden() && !b->isEnabled();
            return hidden;
        };

        // A keypad of the current protocol: the rows keep their own pages.
        deviceRead(w, Kind::Current);
        QCOMPARE(pageFor(3), 3);
        QCOMPARE(pageFor(5), 5);
        QCOMPARE(list->item(5)->text(), QStringLiteral("Macro Key"));
        QCOMPARE(swipesHidden(), 0);

        // "R10Udav": delay page 7, lighting page 9 (keys show LED colours there).
        deviceRead(w, Kind::R10Udav);
        QCOMPARE(list->item(5)->text(), QStringLiteral("DelaySetting"));
        QCOMPARE(pageFor(5), 7);
        QCOMPARE(pageFor(3), 9);
        QVERIFY(w.isRgbLedPageActive());
        QCOMPARE(pageFor(4), 4);
        QVERIFY(!w.isRgbLedPageActive());
        QCOMPARE(swipesHidden(), 0);

        // "Old": delay page 8, lighting page 10 (keys keep their functions); no swipe or like.
        deviceRead(w, Kind::Old);
        QCOMPARE(list->item(5)->text(), QStringLiteral("DelaySetting"));
        QCOMPARE(pageFor(3), 10);
        QVERIFY(!w.isRgbLedPageActive());
        QCOMPARE(pageFor(5), 8);
        QCOMPARE(swipesHidden(), 5);
        for (int r : {0, 1, 2, 4, 6})
            QCOMPARE(pageFor(r), r);

        // A page in view follows a new keypad kind at once.
        list->setCurrentRow(5);
        QCOMPARE(stack->currentIndex(), 8);
        deviceRead(w, Kind::R10Udav);
        QCOMPARE(stack->currentIndex(), 7);
        list->setCurrentRow(3);
        deviceRead(w, Kind::Old);
        QCOMPARE(stack->currentIndex(), 10);
        QVERIFY(!w.isRgbLedPageActive());

        // A disconnection keeps the last routing until the next completed read.
        w.onDeviceDisconnected();
        QCOMPARE(pageFor(3), 10);
        QCOMPARE(pageFor(5), 8);
        QCOMPARE(list->item(5)->text(), QStringLiteral("DelaySetting"));

        // Nothing found on the next read clears the routing.
        deviceRead(w, Kind::None);
        QCOMPARE(stack->currentIndex(), 5);
        QCOMPARE(list->item(5)->text(), QStringLiteral("Macro Key"));
        QCOMPARE(pageFor(3), 3);
        QCOMPARE(swipesHidden(), 0);
    }

    void chineseRowsAndShortcuts()
    {
        Widget w(configFrom("language=ch\n"));
        QListWidget *list = w.functionList();
        QCOMPARE(list->item(0)->text(), UiText::text(QStringLiteral("BaseKeys"), UiText::Language::Chinese));
        QCOMPARE(list->item(6)->text(), QStringLiteral("Procreate"));
        deviceRead(w, Kind::R10Udav);
        QCOMPARE(list->item(5)->text(), UiText::text(QStringLiteral("DelaySetting"), UiText::Language::Chinese));
        QVERIFY(list->item(5)->text() != QStringLiteral("DelaySetting"));
        deviceRead(w, Kind::Current);
        QCOMPARE(list->item(5)->text(), UiText::text(QStringLiteral("Macro Key"), UiText::Language::Chinese));

        // Shortcut buttons carry the translated name, wrapped; the untranslated name stays
        // in the property.
        QPushButton *sw = buttonWith(w.procreatePage(), "procreateLabel",
                                     QStringLiteral("Switch Between Previous and Current Color"));
        QVERIFY(sw);
        QCOMPARE(sw->text(), QString::fromUtf8("切换上一个\n当前颜色"));
        QPushButton *vol = buttonWith(w.multiMediaPage(), "mediaCode", 0xE9);
        QCOMPARE(vol->text(), UiText::text(QStringLiteral("Vol+"), UiText::Language::Chinese));
        QPushButton *cmd = buttonWith(w.extraKeysPage(), "keycode", 0xE3);
        QCOMPARE(cmd->text(), QString::fromUtf8("左\nCommand"));
        UiText::setLanguage(UiText::Language::English);
    }

    void fromPanelClickToPageClick()
    {
        Widget w(configFrom(""));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        KeyboardData *model = w.keyboardData();
        QListWidget *list = w.functionList();

        // No selection: a page click changes nothing.
        QTest::mouseClick(buttonWith(w.baseKeysPage(), "keycode", 0x04), Qt::LeftButton);
        QVERIFY(!model->hasUnsavedChanges());

        // Select the first key on the panel, give it A.
        QPushButton *key0 = w.buttonAt(0);
        QVERIFY(qobject_cast<KeyButton *>(key0));
        QTest::mouseClick(key0, Qt::LeftButton);
        const int d = model->selectedKey();
        QCOMPARE(d, w.dataIndexFromButtonIndex(0));
        QTest::mouseClick(buttonWith(w.baseKeysPage(), "keycode", 0x04), Qt::LeftButton);
        QCOMPARE(key0->text(), QStringLiteral("A"));
        QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QStringLiteral("A"));

        // The arrow key reads as an arrow on the base keys page and as a word elsewhere.
        QTest::mouseClick(key0, Qt::LeftButton);
        QTest::mouseClick(buttonWith(w.baseKeysPage(), "keycode", 0x50), Qt::LeftButton);
        QCOMPARE(key0->text(), QString(QChar(0x2190)));
        list->setCurrentRow(1);
        QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QStringLiteral("Left"));

        // Left Command on the extra keys page, C on the base keys page.
        QTest::mouseClick(key0, Qt::LeftButton);
        QTest::mouseClick(buttonWith(w.extraKeysPage(), "keycode", 0xE3), Qt::LeftButton);
        list->setCurrentRow(0);
        QTest::mouseClick(buttonWith(w.baseKeysPage(), "keycode", 0x06), Qt::LeftButton);
        const KeyData *k = model->keyDataAt(model->currentLayer(), d);
        QCOMPARE(k->type, quint8(KeyType::Combination));
        QCOMPARE(k->modifierBits, quint8(0x08));
        QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QStringLiteral("LWin + C"));

        // Media: My Computer keeps its 16-bit usage on the key and in the captions.
        list->setCurrentRow(2);
        QTest::mouseClick(buttonWith(w.multiMediaPage(), "mediaCode", 0x194), Qt::LeftButton);
        QCOMPARE(k->mediaUsage, quint16(0x194));
        QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QStringLiteral("My Computer"));

        // Mouse: the long name on the button too.
        list->setCurrentRow(4);
        QTest::mouseClick(buttonWith(w.mousePage(), "mouseAction", 2), Qt::LeftButton);
        QCOMPARE(k->mouseAction, quint8(2));
        QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QStringLiteral("Mouse Middle"));

        // Procreate: Redo is named after the shortcut while its page is in view...
        list->setCurrentRow(6);
        QTest::mouseClick(buttonWith(w.procreatePage(), "procreateLabel", QStringLiteral("Redo")), Qt::LeftButton);
        QCOMPARE(k->macroSteps.size(), 6);
        QCOMPARE(key0->text(), QStringLiteral("Redo"));
        QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QStringLiteral("Redo"));
        QPushButton *brush = buttonWith(w.procreatePage(), "procreateLabel", QStringLiteral("Activate Brush Tool"));
        QTest::mouseClick(brush, Qt::LeftButton);
        QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QStringLiteral("Activate Brush Tool"));
        // ... and by its keys elsewhere; the next base key builds on it.
        list->setCurrentRow(0);
        QCOMPARE(w.keyFunctionDisplay()->toPlainText(), QStringLiteral("B"));
        QTest::mouseClick(buttonWith(w.baseKeysPage(), "keycode", 0x04), Qt::LeftButton);
        QCOMPARE(k->type, quint8(KeyType::Macro));
        QCOMPARE(k->macroSteps.size(), 4);
    }

    void oldKeypadRefusesSwipeInTheWindow()
    {
        Widget w(configFrom(""));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        deviceRead(w, Kind::Old);
        w.functionList()->setCurrentRow(4);
        KeyboardData *model = w.keyboardData();
        model->selectKey(0);
        QPushButton *like = buttonWith(w.mousePage(), "mouseAction", 15);
        QVERIFY(like->isHidden());
        // Even if the button were reachable, the click is refused for this keypad.
        like->setVisible(true);
        like->setEnabled(true);
        QTest::mouseClick(like, Qt::LeftButton);
        QCOMPARE(model->keyDataAt(0, 0)->type, quint8(KeyType::Empty));
        QTest::mouseClick(buttonWith(w.mousePage(), "mouseAction", 0), Qt::LeftButton);
        QCOMPARE(model->keyDataAt(0, 0)->type, quint8(KeyType::Mouse));
    }

    void realKeypadRoutingOutlivesItsUnplug()
    {
        Widget w(configFrom(""));
        QListWidget *list = w.functionList();
        QStackedWidget *stack = w.functionStack();
        list->setCurrentRow(5);
        QCOMPARE(stack->currentIndex(), 5);

        // An "Old" keypad: the page in view turns into its delay page once the read is done.
        auto fw = std::make_shared<sim::LegacyFirmware>(sim::LegacyFirmware::Generation::Old);
        const int id = sim::SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
        QVERIFY(QTest::qWaitFor([&] { return stack->currentIndex() == 8; }, 10000));
        QCOMPARE(list->item(5)->text(), QStringLiteral("DelaySetting"));
        for (QPushButton *b : w.mousePage()->swipeAndLikeButtons())
            QVERIFY(b->isHidden());

        // Unplugged: the rows keep the routing of the last keypad read.
        sim::SimBus::unplug(id);
        QVERIFY(QTest::qWaitFor([&] { return !w.isDeviceConnected(); }, 5000));
        QCOMPARE(stack->currentIndex(), 8);
        list->setCurrentRow(3);
        QCOMPARE(stack->currentIndex(), 10);
        QVERIFY(!w.isRgbLedPageActive());
        QCOMPARE(list->item(5)->text(), QStringLiteral("DelaySetting"));
    }
};

QTEST_MAIN(TestFunctionPageFrame)
#include "tst_functionpageframe.moc"
