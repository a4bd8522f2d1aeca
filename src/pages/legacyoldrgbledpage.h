#pragma once

#include <QList>
#include <QScrollArea>

#include <functional>

class KeyboardData;
class QPushButton;

// Lighting page of "Old" legacy keypads: six numbered effects and seven named colours, both
// for the whole current layer (such a keypad keeps one colour per layer, stored as LED 0).
class LegacyOldRgbLedPage : public QScrollArea
{
    Q_OBJECT

public:
    static constexpr int MODE_COUNT = 6;

    explicit LegacyOldRgbLedPage(KeyboardData *model, QWidget *parent = nullptr);

    // True while an "Old" keypad is connected. Without it the page stays disabled.
    void setDeviceCheck(std::function<bool()> check);

    void setLegacyOldRgbMode(int mode);
    void setLegacyOldRgbColor(int index);
    void refreshLegacyOldRgbLedPage();

    // The highlighted entries as of the last refresh (-1 when the page is disabled).
    int currentModeIndex() const { return m_currentMode; }
    int currentColorIndex() const { return m_currentColor; }
    QList<QPushButton *> modeButtons() const { return m_modeButtons; }
    QList<QPushButton *> colorButtons() const { return m_colorButtons; }

private:
    bool deviceApplies() const;

    KeyboardData *m_model;
    std::function<bool()> m_deviceCheck;
    QList<QPushButton *> m_modeButtons;
    QList<QPushButton *> m_colorButtons;
    int m_currentMode = -1;
    int m_currentColor = -1;
};
