#include "controls/macroflowwidget.h"

#include <QResizeEvent>

#include <algorithm>

MacroFlowWidget::MacroFlowWidget(int spacing, QWidget* parent)
    : QWidget(parent)
    , m_spacing(spacing)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void MacroFlowWidget::addItem(QWidget* widget)
{
    if (!widget || items().contains(widget))
        return;
    widget->setParent(this);
    m_items.append(QPointer<QWidget>(widget));
    widget->show();
    relayout();
}

void MacroFlowWidget::clear()
{
    for (QWidget* item : items()) {
        item->hide();
        item->deleteLater();
    }
    m_items.clear();
    setMinimumHeight(0);
    updateGeometry();
}

void MacroFlowWidget::removeItemsFrom(int index)
{
    dropDeletedItems();
    if (index <= 0) {
        clear();
        return;
    }
    while (m_items.size() > index) {
        QPointer<QWidget> item = m_items.takeLast();
        if (item) {
            item->hide();
            item->deleteLater();
        }
    }
    relayout();
}

int MacroFlowWidget::count() const
{
    return items().size();
}

QWidget* MacroFlowWidget::itemAt(int index) const
{
    return items().value(index);
}

QList<QWidget*> MacroFlowWidget::items() const
{
    QList<QWidget*> live;
    for (const QPointer<QWidget>& item : m_items)
        if (item)
            live.append(item.data());
    return live;
}

void MacroFlowWidget::dropDeletedItems()
{
    m_items.removeAll(QPointer<QWidget>());
}

void MacroFlowWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void MacroFlowWidget::relayout()
{
    dropDeletedItems();
    if (m_items.isEmpty())
        return;

    const int available = width();
    const int sp = m_spacing;
    int x = sp;
    int y = sp;
    int rowHeight = 0;
    for (QWidget* item : items()) {
        QSize size = item->geometry().size();
        if (size.width() <= 0)
            size = item->sizeHint();
        // Wrap unless the item is the first of its row: an over-wide block stays alone.
        if (x + sp + size.width() > available && x > sp) {
            x = sp;
            y += rowHeight + sp;
            rowHeight = 0;
        }
        item->move(x, y);
        rowHeight = std::max(rowHeight, size.height());
        x += size.width() + sp;
    }
    setMinimumHeight(y + rowHeight + sp);
    updateGeometry();
}
