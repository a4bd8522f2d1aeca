#pragma once

#include <QWidget>

#include <functional>

class ClampedDelaySpinBox;
class KeyboardData;
class QPushButton;
class QSlider;

// Delay page of "Old" legacy keypads: their firmware keeps one delay for a whole key, set
// here with a slider and a number box that follow each other.
class LegacyOldDelayPage : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MAX_DELAY_MS = 60000;
    static constexpr quint16 RELEASE_DELAY_MS = 20;

    explicit LegacyOldDelayPage(KeyboardData *model, QWidget *parent = nullptr);

    // True while an "Old" keypad is connected. Without it slider and box stay disabled.
    void setDeviceCheck(std::function<bool()> check);

    void setLegacyOldDelayValue(int delay);
    void refreshLegacyOldDelayPage();

    QSlider *delaySlider() const { return m_legacyOldDelaySlider; }
    ClampedDelaySpinBox *delaySpin() const { return m_legacyOldDelaySpin; }
    QPushButton *arrowButton(bool up) const { return up ? m_upArrow : m_downArrow; }

private:
    bool deviceApplies() const;

    KeyboardData *m_model;
    std::function<bool()> m_deviceCheck;
    QSlider *m_legacyOldDelaySlider = nullptr;
    ClampedDelaySpinBox *m_legacyOldDelaySpin = nullptr;
    QPushButton *m_upArrow = nullptr;
    QPushButton *m_downArrow = nullptr;
};
