#pragma once

#include <QPointer>
#include <QWidget>

// The keyboard focus indicator: a ring laid over the focused control, inside its edge, so
// it shows on a control of any shape and style sheet without changing its size. A white
// outer line stands out from the window's dark surfaces, a dark inner line from a light
// control (a key lit white or yellow).
//
// Controls that draw a selection ring of their own (keys, knob actions) read the dynamic
// property "keyboardFocusRing" and keep theirs clear of it.
class FocusRing : public QWidget
{
    Q_OBJECT

public:
    static constexpr int OUTER_WIDTH = 2;
    static constexpr int INNER_WIDTH = 1;
    // How far in from a control's edge its own drawing has to stay while the ring is on it.
    static constexpr int WIDTH = OUTER_WIDTH + INNER_WIDTH;

    explicit FocusRing(QWidget *parent = nullptr);

    // Shows the ring on `target` (none for null) and follows it until told otherwise.
    void attach(QWidget *target);
    QWidget *target() const { return m_target; }
    static QColor outerColor();
    static QColor innerColor();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void follow();

    QPointer<QWidget> m_target;
    // Where the ring waits while no control has it: a child of a control would go with it.
    QPointer<QWidget> m_home;
};
