#pragma once

#include "model/records.h"

#include <QList>
#include <QVector>
#include <QWidget>

#include <functional>

class ClampedDelaySpinBox;
class KeyboardData;
class QPushButton;

// Delay page of "R10Udav" legacy keypads: such firmware keeps, per key, up to 18 pressed
// keys each with its own delay. One cell per entry shows the delay box, two arrows and the
// key's name; cells beyond the selected key's entries show "NULL" in red and stay disabled.
class LegacyDelayPage : public QWidget
{
    Q_OBJECT

public:
    static constexpr int CELL_COUNT = 18;
    static constexpr int MAX_DELAY_MS = 60000;
    // Every entry but the first needs this much time after the one before.
    static constexpr int MIN_LATER_DELAY_MS = 50;
    // Release delay of a basic key turned into a macro by giving it a delay.
    static constexpr quint16 RELEASE_DELAY_MS = 20;

    explicit LegacyDelayPage(KeyboardData *model, QWidget *parent = nullptr);

    // True while a "R10Udav" keypad is connected. Without it every cell stays disabled.
    void setDeviceCheck(std::function<bool()> check);

    // The entries of a key as the keypad stores them: a macro's press steps with a key, in
    // order, at most 18; a basic key's key with delay 0; nothing for other functions.
    static QVector<MacroStepData> legacyDelayEntries(const KeyData &key);
    static QString legacyDelayButtonText(quint8 code);

    void setLegacyDelayValue(int entry, int delay);
    void refreshLegacyDelayPage();

    QList<ClampedDelaySpinBox *> delaySpins() const { return m_legacyDelaySpins; }
    QList<QPushButton *> delayKeys() const { return m_legacyDelayKeys; }
    QList<QWidget *> cells() const { return m_cells; }
    // Up and down arrow of a cell.
    QPushButton *arrowButton(int cell, bool up) const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    bool deviceApplies() const;
    // Sizes the cells for the page's width: six cells a row need 1202 px at their full size;
    // a narrower page (a 1024 x 768 screen) gets smaller cells and text rather than cells
    // cut at the page's edge.
    void fitCellsToWidth();
    QString pageStyleSheet() const;

    KeyboardData *m_model;
    std::function<bool()> m_deviceCheck;
    QList<ClampedDelaySpinBox *> m_legacyDelaySpins;
    QList<QPushButton *> m_legacyDelayKeys;
    QList<QWidget *> m_cells;
    QList<QPushButton *> m_upArrows;
    QList<QPushButton *> m_downArrows;
    QList<QWidget *> m_frames;
    QList<QWidget *> m_arrowPanels;
    double m_fit = 1.0; // cell size factor for the page's width
};
