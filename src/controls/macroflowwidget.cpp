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
    if (!widget || m_items.contains(widget))
        return;
    widget->setParent(this);
    // A block deleted by its owner must not stay in the flow as a dangling pointer.
    connect(widget, &QObject::destroyed, this, [this](QObject* gone) {
        m_items.removeAll(static_cast<QWidget*>(gone));
    });
    m_items.append(widget);
    widget->show();
    relayout();
}

void MacroFlowWidget::clear()
{
    for (QWidget* item : qAsConst(m_items)) {
        disconnect(item, &QObject::destroyed, this, nullptr);
        item->hide();
        item->deleteLater();
    }
    m_items.clear();
    setMinimumHeight(0);
    updateGeometry();
}

void MacroFlowWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void MacroFlowWidget::relayout()
{
    if (m_items.isEmpty())
        return;

    const int available = width();
    const int sp = m_spacing;
    int x = sp;
    int y = sp;
    int rowHeight = 0;
    for (QWidget* item : qAsConst(m_items)) {
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
