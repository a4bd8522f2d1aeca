#pragma once

#include <QWidget>

class QPainter;

// The small orange dot that tells an edit is not on the keypad yet. Keys and knobs paint it
// themselves (paint); a button that draws itself through the style gets one as a child
// widget that keeps to its parent's top-right corner.
class UnsavedMark : public QWidget
{
    Q_OBJECT

public:
    explicit UnsavedMark(QWidget *parent);

    // Draws the dot in the top-right corner of `area`, sized to it.
    static void paint(QPainter &painter, const QRect &area);
    static QColor color() { return QColor(255, 140, 0); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void follow();
};
