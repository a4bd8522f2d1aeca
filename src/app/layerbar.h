#pragma once

#include "app/layercount.h"

#include <QVector>
#include <QWidget>

class QButtonGroup;
class QPushButton;
class UnsavedMark;

// The column of layer buttons left of the panel ("LAYER 1" to "LAYER 3"), one checked at a
// time, each with a mark while its layer holds unsaved edits. It keeps the counts that
// decide how many it offers; the window tells it what it knows of the keypad.
class LayerBar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int LAYER_COUNT = 3;
    static constexpr int BASE_BUTTON_WIDTH = 80;
    static constexpr double WIDTH_SCALE_RATIO = 1.2;

    explicit LayerBar(QWidget *parent);

    QPushButton *button(int index) const;

    // --- how many are offered
    void setStartupCount(int count);
    // A negative count lifts the forced count; more than three is three.
    void setForcedCount(int count);
    int forcedCount() const { return m_forcedCount; }
    // Kept after the keypad leaves: the buttons keep the last keypad's count.
    void setLastConnectedCount(int count);
    // The count to offer with what is known of the connected keypad (logged).
    int displayCount(const LayerCountInputs &device) const;

    // Offers the first `count` buttons; with none offered, none is checked.
    void showCount(int count);
    void setCheckedLayer(int layer);
    void setLayerUnsaved(int layer, bool unsaved);

    // Width of the column for a window width (the buttons widen with the window).
    void fitToWindowWidth(int windowWidth, int designWidth);

signals:
    // The user chose a layer (0-based).
    void layerChosen(int layer);

private:
    QPushButton *m_buttons[LAYER_COUNT] = {nullptr, nullptr, nullptr};
    QButtonGroup *m_group = nullptr;
    QVector<UnsavedMark *> m_marks;
    int m_startupCount = 3;
    int m_forcedCount = -1;
    int m_lastConnectedCount = 0;
};
