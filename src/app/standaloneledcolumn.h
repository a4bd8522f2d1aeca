#pragma once

#include <QColor>
#include <QObject>
#include <QVector>

#include <functional>

class QButtonGroup;
class QPushButton;
class QWidget;
struct StandaloneLedLayoutConfig;

// The separate LEDs beside the panel (only the knob-only keypad with four LEDs has them):
// a column of LED buttons that show the current layer's colours and, where the layout lets
// them, choose which LED the colour picker edits. Its widgets are made the first time a
// layout has LEDs, inside the panel's group and placed by hand beside the panel frame.
class StandaloneLedColumn : public QObject
{
    Q_OBJECT

public:
    // `panelGroup` holds the column, `panelFrame` is the frame it stands beside.
    StandaloneLedColumn(QWidget *panelGroup, QWidget *panelFrame, QObject *parent);

    // The colour an LED of the current layer shows.
    void setColorSource(std::function<QColor(int ledIndex)> colorOf);

    QWidget *container() const { return m_container; }
    QVector<QPushButton *> buttons() const { return m_buttons; }
    int selectedLed() const { return m_selected; }

    // Whether a click chooses an LED (some layouts only allow it on the lighting page).
    static bool selectable(const StandaloneLedLayoutConfig &c, bool onLightingPage);
    // Chooses an LED of the layout (an unknown one: the first); false when the layout's LEDs
    // cannot be chosen now.
    bool select(const StandaloneLedLayoutConfig &c, int ledIndex, bool onLightingPage);
    // Places, colours and checks the buttons at a panel scale; true when they are shown and
    // may be chosen (the picker then shows the chosen LED's colour).
    bool refresh(const StandaloneLedLayoutConfig &c, double scale, bool onLightingPage);

signals:
    // The user clicked an LED.
    void ledChosen(int ledIndex);
    // The panel frame moved or changed size: the column must be placed again.
    void frameMoved();

private:
    void ensureWidgets(const StandaloneLedLayoutConfig &c);
    void updateGeometry(const StandaloneLedLayoutConfig &c, double scale, bool onLightingPage);

    QWidget *m_panelGroup = nullptr;
    QWidget *m_panelFrame = nullptr;
    std::function<QColor(int)> m_colorOf;
    QWidget *m_container = nullptr;
    QButtonGroup *m_group = nullptr;
    QVector<QPushButton *> m_buttons;
    int m_selected = 0;
};
