#pragma once

#include <QColor>
#include <QList>
#include <QScrollArea>

#include <functional>

class KeyboardData;
class QPushButton;

// Lighting page of "R10Udav" legacy keypads: six numbered effects for the current layer and
// 56 colour swatches for the selected key. It acts only while such a keypad is connected;
// the window tells it so through the checks.
class LegacyRgbLedPage : public QScrollArea
{
    Q_OBJECT

public:
    static constexpr int MODE_COUNT = 6;

    explicit LegacyRgbLedPage(KeyboardData *model, QWidget *parent = nullptr);

    // True while an "R10Udav" keypad is connected. Without it the page stays disabled.
    void setDeviceCheck(std::function<bool()> check);
    // True while a key (not a knob action) is selected on the panel.
    void setKeySelectedCheck(std::function<bool()> check);

    void setLegacyRgbMode(int mode);
    void setLegacyRgbColor(const QColor &color);
    void refreshLegacyRgbLedPage();

    QList<QPushButton *> modeButtons() const { return m_modeButtons; }
    QList<QPushButton *> colorButtons() const { return m_colorButtons; }
    static QString modeButtonStyle(bool current);

signals:
    // A key's colour changed in the model (the panel shows colours while this page shows).
    void ledColorsChanged();

private:
    bool deviceApplies() const;
    bool keySelected() const;

    KeyboardData *m_model;
    std::function<bool()> m_deviceCheck;
    std::function<bool()> m_keySelectedCheck;
    QList<QPushButton *> m_modeButtons;
    QList<QPushButton *> m_colorButtons;
};
