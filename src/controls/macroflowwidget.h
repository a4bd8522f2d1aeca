#pragma once

#include <QList>
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

    int spacing() const { return m_spacing; }
    int count() const { return m_items.size(); }
    QWidget* itemAt(int index) const { return m_items.value(index); }
    QList<QWidget*> items() const { return m_items; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();

    QList<QWidget*> m_items;
    int m_spacing;
};
