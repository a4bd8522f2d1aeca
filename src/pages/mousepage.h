#pragma once

#include "pages/scalablepage.h"

#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>

class KeyboardData;
class QPushButton;

// Mouse buttons, wheel steps (plain and with Ctrl, Shift or Alt), swipes and like. Keypads
// with the old legacy firmware cannot do swipes and like: their buttons are hidden there and
// a click that reaches them anyway is refused.
class MousePage : public QWidget, public ScalablePage
{
    Q_OBJECT

public:
    static constexpr int ICON_SIZE = 34;

    explicit MousePage(KeyboardData *model, QWidget *parent = nullptr);

    // Tells the page whether the connected keypad has the old legacy firmware. Asked on
    // every click and by updateLegacyMouseFeatureAvailability; without it, none is assumed.
    void setLegacyOldDeviceCheck(std::function<bool()> check);
    // Shows or hides the swipe and like buttons for the connected keypad.
    void updateLegacyMouseFeatureAvailability();
    QList<QPushButton *> swipeAndLikeButtons() const { return m_swipeAndLikeButtons; }

    // The button icon: a mouse outline with the used part highlighted.
    static QPixmap mouseIcon(const QString &kind, bool available);
    static QString styleSheetFor(int paddingV, int paddingH, int fontPx);
    // Window scaling: padding and font size follow the scale.
    void updateMouseStyleSheet(double scale);
    void applyScale(double scale) override { updateMouseStyleSheet(scale); }

private:
    void onMouseClicked(QPushButton *button);
    bool legacyOldDevice() const;

    KeyboardData *m_model;
    std::function<bool()> m_legacyOldCheck;
    QList<QPushButton *> m_swipeAndLikeButtons;
};
