#pragma once

#include <QObject>
#include <QRect>
#include <QVector>

#include <functional>

class QWidget;

// Arrow keys on the panel: from the focused key or knob to its nearest neighbour in the
// pressed direction, by where the buttons sit on screen, so the order is the keypad's own
// whatever the layout preset.
class PanelNavigator : public QObject
{
    Q_OBJECT

public:
    // `buttons` gives the panel's buttons in view; `select` selects one (and focuses it).
    PanelNavigator(std::function<QVector<QWidget *>()> buttons,
                   std::function<void(QWidget *)> select, QObject *parent = nullptr);

    // Watches a panel button for arrow keys.
    void watch(QWidget *button);
    // Index of the nearest rectangle from `from` in the direction of the arrow `key`, or -1.
    static int neighbour(const QVector<QRect> &rects, int from, int key);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<QVector<QWidget *>()> m_buttons;
    std::function<void(QWidget *)> m_select;
};
