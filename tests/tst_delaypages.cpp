// The delay pages of legacy keypads: the "R10Udav" cells (one per pressed key of the
// selected key, ranges, "NULL" cells, a basic key turned into a two-step macro, only the
// chosen press step changed) and the "Old" slider and number box kept in step, limited to
// 60000 ms; both only for their own generation, both reached through the page list.
#include "i18n/uitext.h"
#include "app/widget.h"
#include "model/keyboarddata.h"
#include "pages/clampeddelayspinbox.h"
#include "pages/legacydelaypage.h"
#include "pages/legacyolddelaypage.h"
#include "support/pageharness.h"
#include "support/windowharness.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QtTest>

using testsupport::configFrom;
using testsupport::saveShot;
using testsupport::deviceRead;
using Kind = testsupport::KeypadKind;

namespace {

MacroStepData step(quint8 action, quint8 code, quint16 delay)
{
    return MacroStepData{action, code, delay};
}

// Layer 0: key 0 Ctrl+C as a macro, key 1 "A", key 2 volume up, key 3 a macro of 20 presses.
void loadKeys(Widget &w)
{
    QVector<QVector<KeyData>> layers(KeyboardData::LAYER_COUNT, QVector<KeyData>(KeyboardData::KEYS_PER_LAYER));
    layers[0][0].setMacro({step(0, 0xE0, 0), step(0, 0x06, 50), step(1, 0x06, 20), step(1, 0xE0, 20)});
    layers[0][1].setBasicKey(0x04);
    layers[0][2].setMultimedia(0x00E9);
    QVector<MacroStepData> many;
    for (int i = 0; i < 20; ++i) {
        many.append(step(0, quint8(0x04 + i), quint16(100 + i)));
        many.append(step(1, quint8(0x04 + i), 20));
    }
    layers[0][3].setMacro(many);
    w.keyboardData()->loadLayers(layers);
}

QLineEdit *editOf(QSpinBox *box)
{
    return box->findChild<QLineEdit *>();
}

void typeInto(QSpinBox *box, const QString &text)
{
    QLineEdit *edit = editOf(box);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

} // namespace

class TstDelayPages : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { UiText::setLanguage(UiText::Language::English); }
    void entriesOfAKey();
    void r10UdavCells();
    void r10UdavEdits();
    void r10UdavOnlyForItsGeneration();
    void oldSliderAndBox();
    void oldOnlyForItsGeneration();
    void chineseRenders();
};

void TstDelayPages::entriesOfAKey()
{
    KeyData macro;
    macro.setMacro({step(1, 0x04, 5), step(0, 0, 7), step(0, 0xE1, 9), step(0, 0x05, 11)});
    QCOMPARE(LegacyDelayPage::legacyDelayEntries(macro),
             (QVector<MacroStepData>{step(0, 0xE1, 9), step(0, 0x05, 11)}));
    KeyData basic;
    basic.setBasicKey(0x2C);
    QCOMPARE(LegacyDelayPage::legacyDelayEntries(basic), (QVector<MacroStepData>{step(0, 0x2C, 0)}));
    KeyData media;
    media.setMultimedia(0xE9);
    QVERIFY(LegacyDelayPage::legacyDelayEntries(media).isEmpty());
    QVERIFY(LegacyDelayPage::legacyDelayEntries(KeyData()).isEmpty());

    QCOMPARE(LegacyDelayPage::legacyDelayButtonText(0), QString());
    QCOMPARE(LegacyDelayPage::legacyDelayButtonText(0xE0), QStringLiteral("LCtrl"));
    QCOMPARE(LegacyDelayPage::legacyDelayButtonText(0xE6), QStringLiteral("RAlt"));
    QCOMPARE(LegacyDelayPage::legacyDelayButtonText(0x06), QStringLiteral("C"));
}

void TstDelayPages::r10UdavCells()
{
    Widget w(configFrom(""));
    w.resize(1400, 1000);
    w.show();
    deviceRead(w, Kind::R10Udav);
    loadKeys(w);
    auto *page = w.legacyDelayPage();
    QVERIFY(page);

    // Row 5 shows the delay page instead of the macro recorder.
    w.functionList()->setCurrentRow(5);
    QCOMPARE(w.functionStack()->currentWidget(), page);
    QCOMPARE(w.functionList()->item(5)->text(), QStringLiteral("DelaySetting"));

    // Nothing selected: every cell off and "NULL".
    const QList<ClampedDelaySpinBox *> spins = page->delaySpins();
    const QList<QPushButton *> keys = page->delayKeys();
    QCOMPARE(spins.size(), 18);
    for (int i = 0; i < 18; ++i) {
        QVERIFY(!page->cells().at(i)->isEnabled());
        QCOMPARE(keys.at(i)->text(), QStringLiteral("NULL"));
    }

    w.selectButton(0);
    QCOMPARE(w.keyboardData()->selectedKey(), 0);
    QVERIFY(page->cells().at(0)->isEnabled());
    QVERIFY(page->cells().at(1)->isEnabled());
    QCOMPARE(keys.at(0)->text(), QStringLiteral("LCtrl"));
    QCOMPARE(spins.at(0)->value(), 0);
    QCOMPARE(keys.at(1)->text(), QStringLiteral("C"));
    QCOMPARE(spins.at(1)->value(), 50);
    QVERIFY(keys.at(1)->styleSheet().contains(QStringLiteral("color:#00ff00")));
    for (int i = 2; i < 18; ++i) {
        QVERIFY(!page->cells().at(i)->isEnabled());
        QCOMPARE(keys.at(i)->text(), QStringLiteral("NULL"));
        QVERIFY(keys.at(i)->styleSheet().contains(QStringLiteral("color:#ff0000")));
        QCOMPARE(spins.at(i)->value(), 50);
    }
    // Ranges: only the first entry may follow at once.
    QCOMPARE(spins.at(0)->minimum(), 0);
    for (int i = 1; i < 18; ++i)
        QCOMPARE(spins.at(i)->minimum(), 50);
    QCOMPARE(spins.at(17)->maximum(), 60000);
    QCOMPARE(spins.at(0)->suffix(), QStringLiteral(" ms"));
    QCOMPARE(page->arrowButton(0, true)->text(), QString(QChar(0x25B2)));
    QCOMPARE(page->arrowButton(0, false)->text(), QString(QChar(0x25BC)));
    QVERIFY(!keys.at(0)->isEnabled());
    saveShot(&w, QStringLiteral("delaypage_r10udav"));

    // A macro of 20 presses: the keypad keeps 18.
    w.selectButton(3);
    for (int i = 0; i < 18; ++i) {
        QVERIFY(page->cells().at(i)->isEnabled());
        QCOMPARE(spins.at(i)->value(), 100 + i);
    }
    QCOMPARE(keys.at(17)->text(), QStringLiteral("R"));

    // On a 1024 x 768 screen the cells shrink rather than end cut off at the page's edge.
    w.resize(Widget::initialWindowSize(QSize(1024, 768)));
    QVERIFY(QTest::qWaitFor([&] {
        for (int i = 0; i < 18; ++i)
            for (QWidget *part : {static_cast<QWidget *>(page->arrowButton(i, true)),
                                  static_cast<QWidget *>(keys.at(i)), static_cast<QWidget *>(spins.at(i))})
                if (part->visibleRegion() != QRegion(part->rect()))
                    return false;
        return true;
    }, 2000));

    // A multimedia key has no entries; nor has a blank one.
    w.selectButton(2);
    QVERIFY(!page->cells().at(0)->isEnabled());
    QCOMPARE(keys.at(0)->text(), QStringLiteral("NULL"));
    QCOMPARE(spins.at(0)->value(), 0);
}

void TstDelayPages::r10UdavEdits()
{
    Widget w(configFrom(""));
    deviceRead(w, Kind::R10Udav);
    loadKeys(w);
    KeyboardData *m = w.keyboardData();
    auto *page = w.legacyDelayPage();
    const QList<ClampedDelaySpinBox *> spins = page->delaySpins();
    w.functionList()->setCurrentRow(5);

    // Cell 1 of Ctrl+C changes the press of C only.
    w.selectButton(0);
    QVERIFY(!m->keyDataAt(0, 0)->dirty);
    spins.at(1)->setValue(300);
    QCOMPARE(m->keyDataAt(0, 0)->macroSteps,
             (QVector<MacroStepData>{step(0, 0xE0, 0), step(0, 0x06, 300), step(1, 0x06, 20), step(1, 0xE0, 20)}));
    QVERIFY(m->keyDataAt(0, 0)->dirty);
    // Arrows step by one; below 50 is out of reach for a later entry.
    QTest::mouseClick(page->arrowButton(1, true), Qt::LeftButton);
    QCOMPARE(m->keyDataAt(0, 0)->macroSteps.at(1).delayMs, quint16(301));
    QTest::mouseClick(page->arrowButton(1, false), Qt::LeftButton);
    QTest::mouseClick(page->arrowButton(1, false), Qt::LeftButton);
    QCOMPARE(m->keyDataAt(0, 0)->macroSteps.at(1).delayMs, quint16(299));
    QVERIFY(!editOf(spins.at(1))->hasSelectedText());
    QCOMPARE(editOf(spins.at(1))->cursorPosition(), editOf(spins.at(1))->text().size());
    spins.at(1)->setValue(10);
    QCOMPARE(m->keyDataAt(0, 0)->macroSteps.at(1).delayMs, quint16(50));
    spins.at(0)->setValue(0);
    QCOMPARE(m->keyDataAt(0, 0)->macroSteps.at(0).delayMs, quint16(0));
    // A number typed past the range is held at 60000.
    typeInto(spins.at(0), QStringLiteral("70000"));
    QCOMPARE(spins.at(0)->value(), 60000);
    QCOMPARE(m->keyDataAt(0, 0)->macroSteps.at(0).delayMs, quint16(60000));
    QCOMPARE(m->keyDataAt(0, 0)->macroSteps.at(1).delayMs, quint16(50));

    // Basic "A": one cell at 0 ms; a delay turns it into press (delay) and release (20 ms).
    w.selectButton(1);
    QVERIFY(page->cells().at(0)->isEnabled());
    QVERIFY(!page->cells().at(1)->isEnabled());
    QCOMPARE(page->delayKeys().at(0)->text(), QStringLiteral("A"));
    QCOMPARE(spins.at(0)->value(), 0);
    spins.at(0)->setValue(100);
    const KeyData *a = m->keyDataAt(0, 1);
    QCOMPARE(a->type, KeyType::Macro);
    QCOMPARE(a->macroSteps, (QVector<MacroStepData>{step(0, 0x04, 100), step(1, 0x04, 20)}));
    QVERIFY(a->dirty);
    QCOMPARE(w.buttonAt(1)->text(), a->buttonText);
    QCOMPARE(spins.at(0)->value(), 100);
    QCOMPARE(page->delayKeys().at(0)->text(), QStringLiteral("A"));

    // Entries beyond the key's own and functions without entries change nothing.
    page->setLegacyDelayValue(5, 400);
    page->setLegacyDelayValue(18, 400);
    page->setLegacyDelayValue(-1, 400);
    QCOMPARE(a->macroSteps, (QVector<MacroStepData>{step(0, 0x04, 100), step(1, 0x04, 20)}));
    w.selectButton(2);
    page->setLegacyDelayValue(0, 400);
    QCOMPARE(m->keyDataAt(0, 2)->type, KeyType::Multimedia);
    QVERIFY(!m->keyDataAt(0, 2)->dirty);

    // The last of 18 entries of a longer macro is its 18th press; the 19th and 20th stay.
    w.selectButton(3);
    spins.at(17)->setValue(777);
    const QVector<MacroStepData> many = m->keyDataAt(0, 3)->macroSteps;
    QCOMPARE(many.at(34), step(0, 0x15, 777));
    QCOMPARE(many.at(36), step(0, 0x16, 118));
    QCOMPARE(many.at(32), step(0, 0x14, 116));
}

void TstDelayPages::r10UdavOnlyForItsGeneration()
{
    for (Kind kind : {Kind::Current, Kind::Old}) {
        Widget w(configFrom(""));
        deviceRead(w, kind);
        loadKeys(w);
        auto *page = w.legacyDelayPage();
        w.selectButton(0);
        page->refreshLegacyDelayPage();
        for (QWidget *cell : page->cells())
            QVERIFY(!cell->isEnabled());
        page->setLegacyDelayValue(1, 300);
        QCOMPARE(w.keyboardData()->keyDataAt(0, 0)->macroSteps.at(1).delayMs, quint16(50));
        QVERIFY(!w.keyboardData()->keyDataAt(0, 0)->dirty);
    }

    // A keypad that leaves takes the cells with it.
    Widget w(configFrom(""));
    deviceRead(w, Kind::R10Udav);
    loadKeys(w);
    auto *page = w.legacyDelayPage();
    w.selectButton(0);
    QVERIFY(page->cells().at(0)->isEnabled());
    w.onDeviceDisconnected();
    for (QWidget *cell : page->cells())
        QVERIFY(!cell->isEnabled());
}

void TstDelayPages::oldSliderAndBox()
{
    Widget w(configFrom(""));
    w.resize(1400, 1000);
    w.show();
    deviceRead(w, Kind::Old);
    loadKeys(w);
    KeyboardData *m = w.keyboardData();
    auto *page = w.legacyOldDelayPage();
    QVERIFY(page);
    w.functionList()->setCurrentRow(5);
    QCOMPARE(w.functionStack()->currentWidget(), page);
    QSlider *slider = page->delaySlider();
    ClampedDelaySpinBox *box = page->delaySpin();
    QVERIFY(slider->isEnabled());
    QVERIFY(box->isEnabled());
    QCOMPARE(slider->maximum(), 60000);
    QCOMPARE(slider->pageStep(), 50);

    // A basic key shows 0; typing 70000 stores 60000 as a press and release.
    w.selectButton(1);
    QCOMPARE(box->value(), 0);
    box->setFocus();
    typeInto(box, QStringLiteral("70000"));
    QCOMPARE(box->value(), 60000);
    QCOMPARE(slider->value(), 60000);
    QCOMPARE(m->keyDataAt(0, 1)->macroSteps, (QVector<MacroStepData>{step(0, 0x04, 60000), step(1, 0x04, 20)}));
    QVERIFY(m->keyDataAt(0, 1)->dirty);
    QCOMPARE(w.buttonAt(1)->text(), m->keyDataAt(0, 1)->buttonText);

    // The slider moves the box and the key.
    slider->setValue(500);
    QCOMPARE(box->value(), 500);
    QCOMPARE(m->keyDataAt(0, 1)->macroSteps, (QVector<MacroStepData>{step(0, 0x04, 500), step(1, 0x04, 20)}));
    QTest::mouseClick(page->arrowButton(true), Qt::LeftButton);
    QCOMPARE(slider->value(), 501);
    QCOMPARE(m->keyDataAt(0, 1)->macroSteps.at(0).delayMs, quint16(501));
    QVERIFY(!editOf(box)->hasSelectedText());

    // A macro: one delay for every press with a key, releases keep theirs.
    w.selectButton(0);
    QCOMPARE(box->value(), 0);
    QCOMPARE(slider->value(), 0);
    QVERIFY(!m->keyDataAt(0, 0)->dirty);
    box->setValue(250);
    QCOMPARE(m->keyDataAt(0, 0)->macroSteps,
             (QVector<MacroStepData>{step(0, 0xE0, 250), step(0, 0x06, 250), step(1, 0x06, 20), step(1, 0xE0, 20)}));
    QVERIFY(m->keyDataAt(0, 0)->dirty);

    // Selection shows the key's first press delay; nothing for a media key.
    w.selectButton(1);
    QCOMPARE(box->value(), 501);
    QCOMPARE(slider->value(), 501);
    w.selectButton(2);
    QCOMPARE(box->value(), 0);
    slider->setValue(900);
    QCOMPARE(m->keyDataAt(0, 2)->type, KeyType::Multimedia);
    QVERIFY(!m->keyDataAt(0, 2)->dirty);
    // Nothing took the delay, so the controls do not pretend it was kept.
    QCOMPARE(slider->value(), 0);
    QCOMPARE(box->value(), 0);
    saveShot(&w, QStringLiteral("delaypage_old"));
}

void TstDelayPages::oldOnlyForItsGeneration()
{
    for (Kind kind : {Kind::Current, Kind::R10Udav}) {
        Widget w(configFrom(""));
        deviceRead(w, kind);
        loadKeys(w);
        auto *page = w.legacyOldDelayPage();
        w.selectButton(1);
        page->refreshLegacyOldDelayPage();
        QVERIFY(!page->delaySlider()->isEnabled());
        QVERIFY(!page->delaySpin()->isEnabled());
        page->setLegacyOldDelayValue(300);
        QCOMPARE(w.keyboardData()->keyDataAt(0, 1)->type, KeyType::Basic);
        QVERIFY(!w.keyboardData()->keyDataAt(0, 1)->dirty);
    }
}

void TstDelayPages::chineseRenders()
{
    for (Kind kind : {Kind::R10Udav, Kind::Old}) {
        Widget w(configFrom("language=ch\n"));
        w.resize(1400, 1000);
        w.show();
        deviceRead(w, kind);
        loadKeys(w);
        w.functionList()->setCurrentRow(5);
        QCOMPARE(w.functionList()->item(5)->text(), QStringLiteral("延时设置"));
        w.selectButton(0);
        saveShot(&w, kind == Kind::Old ? QStringLiteral("delaypage_old_zh") : QStringLiteral("delaypage_r10udav_zh"));
    }
}

QTEST_MAIN(TstDelayPages)
#include "tst_delaypages.moc"
