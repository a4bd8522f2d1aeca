#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

// Lays out the step blocks of a macro left to right, wrapping to a new row when the
// width is used up, and reports the height it needs through its minimum height so that a
// surrounding scroll area can scroll.
class MacroFlowWidget : public QWidget
{
    Q_OBJECT

public:
    explicit MacroFlowWidget(int spacing, QWidget* parent = nullptr);

    // Takes ownership of `widget` (becomes its parent), appends and shows it.
    void addItem(QWidget* widget);
    // Hides every item at once and deletes them later; the flow becomes empty.
    void clear();
    // The same for the items from `index` on; the ones before it stay where they are.
    void removeItemsFrom(int index);

    int spacing() const { return m_spacing; }
    int count() const;
    QWidget* itemAt(int index) const;
    QList<QWidget*> items() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    void dropDeletedItems();

    // Guarded: a block deleted by its owner must not be left behind as a dangling pointer.
    QList<QPointer<QWidget>> m_items;
    int m_spacing;
};
