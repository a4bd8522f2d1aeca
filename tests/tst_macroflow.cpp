#include "controls/macroflowwidget.h"

#include <QFrame>
#include <QPointer>
#include <QtTest>

namespace {

QWidget* block(int w, int h = 58)
{
    auto* frame = new QFrame;
    frame->setFixedSize(w, h);
    return frame;
}

QList<QPoint> positions(const MacroFlowWidget& flow)
{
    QList<QPoint> out;
    for (QWidget* item : flow.items())
        out << item->pos();
    return out;
}

} // namespace

class TstMacroFlow : public QObject
{
    Q_OBJECT
private slots:
    void tenBlocksWrapAndReflow();
    void clearHidesAtOnce();
    void wideItemsAndMixedHeights();
    void blockDeletedByItsOwner();
    void removeTrailingItems();
};

void TstMacroFlow::tenBlocksWrapAndReflow()
{
    QWidget window;
    auto* flow = new MacroFlowWidget(6, &window);
    QCOMPARE(flow->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(flow->sizePolicy().verticalPolicy(), QSizePolicy::Preferred);
    flow->resize(200, 100);
    window.show();
    for (int i = 0; i < 10; ++i)
        flow->addItem(block(58));

    QCOMPARE(flow->count(), 10);
    const QList<QPoint> three = positions(*flow);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(three.at(i), QPoint(6 + 64 * (i % 3), 6 + 64 * (i / 3)));
    QCOMPARE(flow->minimumHeight(), 6 + 4 * 58 + 3 * 6 + 6);
    for (QWidget* item : flow->items()) {
        QCOMPARE(item->parentWidget(), flow);
        QVERIFY(!item->isHidden());
    }

    // Wider: six to a row (6 + 6 x 64 = 390 <= 400), two rows, nothing else called.
    flow->resize(400, 100);
    const QList<QPoint> six = positions(*flow);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(six.at(i), QPoint(6 + 64 * (i % 6), 6 + 64 * (i / 6)));
    QCOMPARE(flow->minimumHeight(), 6 + 2 * 58 + 6 + 6);

    // Exactly full: 3 blocks need 6 + 3 x 64 = 198 pixels.
    flow->resize(198, 100);
    QCOMPARE(flow->itemAt(2)->pos(), QPoint(134, 6));
    flow->resize(197, 100);
    QCOMPARE(flow->itemAt(2)->pos(), QPoint(6, 70));
}

void TstMacroFlow::clearHidesAtOnce()
{
    MacroFlowWidget flow(6);
    flow.resize(200, 100);
    QList<QPointer<QWidget>> blocks;
    for (int i = 0; i < 5; ++i) {
        blocks << block(58);
        flow.addItem(blocks.last());
    }
    flow.show();
    QVERIFY(flow.minimumHeight() > 0);

    flow.clear();
    QCOMPARE(flow.count(), 0);
    QCOMPARE(flow.minimumHeight(), 0);
    for (const auto& b : blocks) {
        QVERIFY(!b.isNull()); // deletion is deferred ...
        QVERIFY(!b->isVisible()); // ... but the block is gone from sight already
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const auto& b : blocks)
        QVERIFY(b.isNull());

    // The flow is usable again after clearing.
    flow.addItem(block(58));
    QCOMPARE(flow.itemAt(0)->pos(), QPoint(6, 6));
    QCOMPARE(flow.minimumHeight(), 70);
}

void TstMacroFlow::wideItemsAndMixedHeights()
{
    MacroFlowWidget flow(6);
    flow.resize(200, 100);
    flow.show();
    flow.addItem(block(58, 30));
    flow.addItem(block(58, 80)); // the row takes the tallest block's height
    flow.addItem(block(300, 40)); // wider than the flow: wraps, stays alone, unshrunk
    flow.addItem(block(58, 20));

    QCOMPARE(flow.itemAt(0)->pos(), QPoint(6, 6));
    QCOMPARE(flow.itemAt(1)->pos(), QPoint(70, 6));
    QCOMPARE(flow.itemAt(2)->pos(), QPoint(6, 6 + 80 + 6));
    QCOMPARE(flow.itemAt(2)->width(), 300);
    QCOMPARE(flow.itemAt(3)->pos(), QPoint(6, 92 + 40 + 6));
    QCOMPARE(flow.minimumHeight(), 138 + 20 + 6);

    // A flow narrower than any block still gives every block its own row.
    flow.resize(30, 100);
    QCOMPARE(flow.itemAt(1)->pos(), QPoint(6, 6 + 30 + 6));

    // An empty flow keeps its height untouched by a resize.
    MacroFlowWidget empty(6);
    empty.setMinimumHeight(5);
    empty.show();
    empty.resize(100, 50);
    QCOMPARE(empty.minimumHeight(), 5);
}

void TstMacroFlow::blockDeletedByItsOwner()
{
    MacroFlowWidget flow(6);
    flow.resize(200, 100);
    flow.show();
    QWidget* first = block(58);
    flow.addItem(first);
    flow.addItem(block(58));
    flow.addItem(first); // adding twice does not duplicate
    QCOMPARE(flow.count(), 2);

    delete first;
    QCOMPARE(flow.count(), 1);
    flow.resize(150, 100); // relayout must not touch the deleted block
    QCOMPARE(flow.itemAt(0)->pos(), QPoint(6, 6));
    flow.clear();
    QCOMPARE(flow.count(), 0);
}

void TstMacroFlow::removeTrailingItems()
{
    MacroFlowWidget flow(6);
    flow.resize(200, 100);
    QList<QPointer<QWidget>> blocks;
    for (int i = 0; i < 10; ++i) {
        blocks << block(58);
        flow.addItem(blocks.last());
    }
    flow.show();
    QCOMPARE(flow.minimumHeight(), 262);

    // The first four stay where they were; the rest leave sight at once.
    flow.removeItemsFrom(4);
    QCOMPARE(flow.count(), 4);
    QCOMPARE(flow.itemAt(3), blocks.at(3).data());
    QCOMPARE(flow.itemAt(3)->pos(), QPoint(6, 70));
    QCOMPARE(flow.minimumHeight(), 6 + 2 * 58 + 6 + 6);
    for (int i = 4; i < 10; ++i)
        QVERIFY(!blocks.at(i)->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(blocks.at(i).isNull(), i >= 4);

    // Past the end changes nothing; from 0 is a clear.
    flow.removeItemsFrom(9);
    QCOMPARE(flow.count(), 4);
    flow.addItem(block(58));
    QCOMPARE(flow.itemAt(4)->pos(), QPoint(70, 70));
    flow.removeItemsFrom(0);
    QCOMPARE(flow.count(), 0);
    QCOMPARE(flow.minimumHeight(), 0);
}

QTEST_MAIN(TstMacroFlow)
#include "tst_macroflow.moc"
