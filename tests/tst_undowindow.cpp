// Undo, redo and the marks of unsaved edits in the window against a simulated keypad: the
// shortcuts and buttons, the panel following an undo to its layer and key, the clean state
// being what the keypad holds across a real save, and the panel read by a screen reader.
#include "app/edithistory.h"
#include "app/widget.h"
#include "controls/keybutton.h"
#include "controls/knobbutton.h"
#include "controls/unsavedmark.h"
#include "pages/multimediapage.h"
#include "sim/currentfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/logcapture.h"
#include "support/windowharness.h"

#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QThreadPool>
#include <QtTest>

#include <memory>

using sim::SimBus;
using testsupport::configFrom;
using testsupport::LogCapture;
using testsupport::spinUntil;

namespace {

QString accessible(QWidget *w, QAccessible::Text t)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(t) : QString();
}

// Renders the window when MACROPAD_SHOTS_DIR names a directory.
void shoot(Widget &w, const QString &name)
{
    const QString shots = qEnvironmentVariable("MACROPAD_SHOTS_DIR");
    if (!shots.isEmpty() && QDir().mkpath(shots))
        w.grab().save(QStringLiteral("%1/undo-%2.png").arg(shots, name));
}

bool layerMarked(Widget &w, int layer)
{
    auto *mark = w.layerButton(layer)->findChild<UnsavedMark *>();
    return mark && !mark->isHidden();
}

} // namespace

class TstUndoWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initKnobResources(); }
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        testsupport::resetDeviceLink();
    }
    void editUndoSaveAndMarks();
    void keyboardAndScreenReader();
};

void TstUndoWindow::editUndoSaveAndMarks()
{
    LogCapture log;
    Widget w(configFrom(""));
    testsupport::ReadWatch reads(w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto fw = std::make_shared<sim::CurrentFirmware>();
    fw->fillFullConfiguration(2);
    SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
    QVERIFY(reads.waitLoaded());
    KeyboardData &m = *w.keyboardData();
    QVERIFY(!w.undoButton()->isEnabled());
    QVERIFY(w.windowTitle().contains(QLatin1String("[*]")));
    QVERIFY(!w.isWindowModified());
    const QByteArray readRecord = fw->keyRecord(1, 0);

    // A multimedia key on layer 2, from its page.
    QTest::mouseClick(w.layerButton(1), Qt::LeftButton);
    const QString readCaption = w.buttonAt(0)->text();
    QTest::mouseClick(w.buttonAt(0), Qt::LeftButton);
    w.functionList()->setCurrentRow(2);
    QPushButton *media = nullptr;
    for (QPushButton *b : w.multiMediaPage()->findChildren<QPushButton *>())
        if (b->property("mediaCode").isValid() && !media)
            media = b;
    QVERIFY(media);
    QTest::mouseClick(media, Qt::LeftButton);
    const QString mediaCaption = w.buttonAt(0)->text();
    QVERIFY(mediaCaption != readCaption);
    QVERIFY(spinUntil([&] { return w.unsavedCountLabel()->text() == QStringLiteral("1 unsaved change"); }));
    QVERIFY(static_cast<KeyButton *>(w.buttonAt(0))->isUnsaved());
    QVERIFY(layerMarked(w, 1) && !layerMarked(w, 0));
    QVERIFY(w.isWindowModified());
    QCOMPARE(w.undoButton()->toolTip(), QStringLiteral("Undo Key Assignment"));
    shoot(w, QStringLiteral("marked"));

    // Undone from layer 1: the window goes to layer 2 and selects the key.
    QTest::mouseClick(w.layerButton(0), Qt::LeftButton);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m.currentLayer(), 1);
    QCOMPARE(m.selectedKey(), w.dataIndexFromButtonIndex(0));
    QCOMPARE(w.buttonAt(0)->text(), readCaption);
    QVERIFY(spinUntil([&] { return w.unsavedCountLabel()->text().isEmpty(); }));
    QVERIFY(!w.isWindowModified() && !layerMarked(w, 1));
    QVERIFY(!static_cast<KeyButton *>(w.buttonAt(0))->isUnsaved());
    QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(w.buttonAt(0)->text(), mediaCaption);

    // Saved with Ctrl+S; undo past the save changes the key again, redo is the keypad's.
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(spinUntil([&] { return !w.isDeviceTaskRunning() && !m.hasUnsavedChanges(); }, 8000));
    QVERIFY(fw->keyRecord(1, 0) != readRecord);
    QVERIFY(spinUntil([&] { return !w.isWindowModified(); }));
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(m.keyDataAt(1, 0)->dirty);
    QVERIFY(spinUntil([&] { return w.unsavedCountLabel()->text() == QStringLiteral("1 unsaved change"); }));
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!m.hasUnsavedChanges());

    // Clear All, named in the tooltip, and its undo.
    const int assigned = [&] {
        int n = 0;
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k)
            n += m.keyDataAt(1, k)->type != KeyType::Empty ? 1 : 0;
        return n;
    }();
    QVERIFY(assigned > 1);
    QTest::mouseClick(w.clearAllButton(), Qt::LeftButton);
    QVERIFY(spinUntil([&] { return w.unsavedCountLabel()->text() == QStringLiteral("%1 unsaved changes").arg(assigned); }));
    QCOMPARE(w.undoButton()->toolTip(), QStringLiteral("Undo Clear All"));
    QTest::mouseClick(w.undoButton(), Qt::LeftButton);
    QCOMPARE(w.buttonAt(0)->text(), mediaCaption);
    QVERIFY(!m.hasUnsavedChanges());
    QCOMPARE(w.redoButton()->toolTip(), QStringLiteral("Redo Clear All"));

    // F5 reads the keypad again: a new history.
    QVERIFY(w.undoButton()->isEnabled());
    log.clear();
    reads.clear();
    QTest::keyClick(&w, Qt::Key_F5);
    QVERIFY(spinUntil([&] { return reads.rereads() > 0; }, 8000));
    QVERIFY(!w.undoButton()->isEnabled() && !w.redoButton()->isEnabled());

    // Chinese texts.
    Widget zh(configFrom("language=CH\n"));
    QCOMPARE(zh.undoButton()->toolTip(), QStringLiteral("撤销"));
    zh.keyboardData()->selectKey(0);
    zh.keyboardData()->clearSelectedKey();
    QVERIFY(spinUntil([&] { return zh.unsavedCountLabel()->text() == QStringLiteral("1 处未保存的更改"); }));
    QCOMPARE(zh.undoButton()->toolTip(), QStringLiteral("撤销“清除”"));
    zh.resize(Widget::MIN_WINDOW_WIDTH, Widget::MIN_WINDOW_HEIGHT);
    zh.show();
    QVERIFY(QTest::qWaitForWindowExposed(&zh));
    testsupport::spinFor(50);
    shoot(zh, QStringLiteral("chinese-narrow"));
}

void TstUndoWindow::keyboardAndScreenReader()
{
    Widget w(configFrom(""));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    KeyboardData &m = *w.keyboardData();
    QPushButton *third = w.buttonAt(2);
    QTest::mouseClick(third, Qt::LeftButton);
    KeyData combo;
    combo.setCombination(0x01, QByteArray(1, char(0x06))); // LCtrl + C
    m.assignSelectedKey(combo);
    w.refreshUnsavedMarks();
    QCOMPARE(accessible(third, QAccessible::Name), QStringLiteral("Key 3: ") + combo.fullText);
    QVERIFY(accessible(third, QAccessible::Description).contains(QLatin1String("unsaved change")));
    QCOMPARE(accessible(w.buttonAt(3), QAccessible::Name), QStringLiteral("Key 4: Not assigned"));
    const KnobButton *knob = w.findChild<KnobButton *>();
    QVERIFY(knob);
    for (int b = 0; b < Widget::TOTAL_BUTTON_COUNT; ++b)
        if (qobject_cast<KnobButton *>(w.buttonAt(b)))
            QVERIFY(accessible(w.buttonAt(b), QAccessible::Name).startsWith(QLatin1String("Knob ")));

    // Arrows walk the panel by position; Delete clears the key.
    third->setFocus();
    const QPoint at = third->mapTo(&w, third->rect().center());
    QTest::keyClick(third, Qt::Key_Right);
    QPushButton *right = w.buttonAt(w.buttonIndexFromDataIndex(m.selectedKey()));
    QVERIFY(right && right != third);
    const QPoint rightAt = right->mapTo(&w, right->rect().center());
    QVERIFY(rightAt.x() > at.x() && qAbs(rightAt.y() - at.y()) < third->height() / 2);
    QVERIFY(right->hasFocus());
    QTest::keyClick(right, Qt::Key_Left);
    QCOMPARE(m.selectedKey(), w.dataIndexFromButtonIndex(2));
    QTest::keyClick(third, Qt::Key_Down);
    QPushButton *below = w.buttonAt(w.buttonIndexFromDataIndex(m.selectedKey()));
    QVERIFY(below->mapTo(&w, below->rect().center()).y() > at.y());
    QTest::keyClick(below, Qt::Key_Up);
    QTest::keyClick(third, Qt::Key_Delete);
    QCOMPARE(m.keyDataAt(0, 2)->type, quint8(KeyType::Empty));

    // Tab reaches the panel keys, the pages' buttons and the top bar's.
    for (QWidget *c : {static_cast<QWidget *>(third), static_cast<QWidget *>(w.undoButton()),
                       static_cast<QWidget *>(w.clearAllButton())})
        QVERIFY(c->focusPolicy() & Qt::TabFocus);
    for (QAbstractButton *b : w.findChildren<QAbstractButton *>())
        QVERIFY2(b->focusPolicy() & Qt::TabFocus, qPrintable(b->objectName() + b->text()));
}

QTEST_MAIN(TstUndoWindow)
#include "tst_undowindow.moc"
