#pragma once

#include "model/physicallayout.h"
#include "model/slotmap.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>

#include <functional>

class KeyButton;
class KnobButton;
class PanelNavigator;
class QBoxLayout;
class QFrame;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

// The picture of the keypad in the window: the group box with the panel frame, the key
// matrix and the knob buttons, laid out for a preset at a panel scale. It keeps the 25 panel
// slots (which button shows which data slot, through the SlotMap), the highlighted button,
// and what each button shows: caption, assigned and unsaved marks, LED colour, accessible
// name. What a button shows comes from the window through Content; a click on a button is
// told with buttonChosen.
class PanelView : public QObject
{
    Q_OBJECT

public:
    static constexpr int KEY_BASE_SIZE = 80;
    static constexpr int KEY_MATRIX_SPACING = 12;
    static constexpr int KEY_NUM_LABEL_POS_X = 5;
    static constexpr int KEY_NUM_LABEL_POS_Y = 5;
    static constexpr int KEY_NUM_LABEL_SIZE = 20;
    static constexpr int KEY_NUM_LABEL_FONT_SIZE = 14;
    static constexpr int KNOB_CONTAINER_PADDING = 10;
    static constexpr int PHYSICAL_KEY_COUNT = 16;
    static constexpr int TOTAL_BUTTON_COUNT = SlotMap::SLOT_COUNT;

    // Where the buttons' faces come from: the key of the layer in view for a data slot, its
    // caption on the page in view (short for the button, full for the display), the colour
    // of an LED, and a text in the window's language.
    struct Content
    {
        std::function<const KeyData *(int dataIndex)> key;
        std::function<QString(int dataIndex, bool full)> caption;
        std::function<QColor(int ledIndex)> ledColor;
        std::function<QString(const QString &english)> text;
    };

    // Builds the group with the frame, the sixteen keys and the (empty) knob container as
    // children of `window`, whose font the knob captions are measured in.
    explicit PanelView(QWidget *window);

    void setContent(Content content);

    QGroupBox *group() const { return m_group; }
    QHBoxLayout *groupLayout() const { return m_groupLayout; }
    QFrame *frame() const { return m_frame; }

    // --- presets and slots
    // Gives the panel the preset's buttons: keys, knob actions and turn-only knobs on their
    // slots, all plain and unselected. layOut then sizes them, even at an unchanged scale.
    void applyLayout(const PhysicalLayoutConfig &config);
    const PhysicalLayoutConfig &layout() const { return m_layout; }
    // The slots of the keypad (or of the preset when none is known), and the buttons of slots
    // it cannot keep turned off.
    void updateSlotMap(bool legacy, const DeviceInfo &info, const LegacyDeviceInfo &legacyInfo);
    void markAbsentButtons();
    const SlotMap &slotMap() const { return m_slotMap; }
    int dataIndexFromButtonIndex(int buttonIndex) const { return m_slotMap.slotOfButton(buttonIndex); }
    int buttonIndexFromDataIndex(int dataIndex) const { return m_slotMap.buttonOfSlot(dataIndex); }
    // The button of a slot (0..24), or null for an unused slot.
    QPushButton *buttonAt(int buttonIndex) const;
    // Every button the panel has made, used by the preset or not: keys, knob actions,
    // turn-only knobs.
    QVector<QPushButton *> allButtons() const;
    void assignKnobPointers(int firstIndex, KnobButton *left, KnobButton *right, KnobButton *press);
    KnobButton *knobPointer(int knob, int action) const;
    // The button map of the default panel, and the matrix of the single-key one (diagnostics).
    void logLayout() const;

    // --- geometry
    // Lays the panel out at `panelScale`; nothing when it is laid out for this preset and
    // scale already.
    void layOut(double panelScale);
    double scale() const { return m_scale; }
    // An outline where a keypad would be, without its keys and knobs.
    void setEmpty(bool empty);
    bool isEmpty() const { return m_empty; }

    // --- selection
    QPushButton *highlighted() const { return m_highlighted; }
    // Checks `button` (null: none) and unchecks every other slot.
    void checkOnly(QPushButton *button);
    void select(QPushButton *button);
    void clearHighlight();
    // Forgets the highlighted button and leaves its check to the model's selection.
    void forgetHighlight() { m_highlighted = nullptr; }
    // A click on a panel button: logged and told with buttonChosen.
    void takeClick(QPushButton *button);
    // The arrow keys move the selection (and the focus) between the buttons in view: every
    // button made so far, and every knob button a later preset makes.
    void watchArrowKeys();

    // --- faces
    static void setSlotMarker(QPushButton *button, bool set);
    // One slot after its key changed: caption, mark and, on the lighting page, its LED colour.
    void showKeyChange(int dataIndex, bool lightingPage);
    void refreshMarkers();
    // Captions and marks of every slot, without LED colours.
    void showCaptions();
    // The keys in their LED colours, without captions.
    void showLedColors();
    void refreshUnsavedMarks();
    void refreshAccessibleTexts();
    // No keypad: no captions, marks or highlight.
    void blank();
    void updateKeyNumberColors();

signals:
    // The user clicked the panel button of this slot (0..24).
    void buttonChosen(int buttonIndex);

private:
    QWidget *buildKeyMatrix();
    KnobButton *takeKnobButton(QVector<KnobButton *> &pool, int index, const QString &imagePath);
    void logButtonMap() const;
    void watchArrowKeysOn(QPushButton *button);
    QString accessibleNameOf(QPushButton *button, int dataIndex) const;

    void arrangePanelFrame();
    void scaleKeys(double scale);
    void updateKnobGroupAbsoluteLayout(double scale);
    void updateWidgetSizes();
    void updatePhysicalPanelGeometry(double scale);

    QWidget *m_window = nullptr;
    Content m_content;
    QGroupBox *m_group = nullptr;
    QHBoxLayout *m_groupLayout = nullptr;
    QFrame *m_frame = nullptr;
    QBoxLayout *m_frameLayout = nullptr;
    QWidget *m_keyMatrix = nullptr;
    QWidget *m_knobContainer = nullptr;

    QVector<QPushButton *> m_buttonSlots;    // 25 slots, null when unused
    QVector<KeyButton *> m_keyButtons;       // the 16 keys of the matrix
    QVector<QWidget *> m_keyHolders;         // their cells
    QVector<QLabel *> m_keyNumberLabels;
    QVector<KnobButton *> m_knobPool;        // 3 per knob: left, right, press
    QVector<KnobButton *> m_turnOnlyButtons; // left, right, left, right
    KnobButton *m_knobPointers[3][3] = {};
    QPointer<QPushButton> m_highlighted;
    PanelNavigator *m_navigator = nullptr; // from watchArrowKeys on

    PhysicalLayoutConfig m_layout;
    SlotMap m_slotMap;
    double m_scale = 1.0;
    QString m_applied; // preset and panel scale the panel was last laid out for
    bool m_empty = false;
};
