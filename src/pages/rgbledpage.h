#pragma once

#include <QList>
#include <QScrollArea>
#include <QString>
#include <QVector>

class KeyboardData;
class QButtonGroup;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;
class RgbColorPickerWidget;

// One lighting effect the user can choose: the number stored in the layer and sent to the
// keypad, and its English name (translated when shown).
struct RgbModeOption {
    int modeId = 0;
    QString name;
};

// The lighting page of current keypads: a colour picker for the selected key's base colour
// beside a grid of effect buttons for the whole layer. The page changes the layer's mode
// itself; where a picked colour goes (a key, a separate LED, nowhere) depends on what is
// selected on the panel, so the window routes colorPicked.
class RgbLedPage : public QScrollArea
{
    Q_OBJECT

public:
    static constexpr int MODE_BUTTON_COUNT = 10;

    explicit RgbLedPage(KeyboardData *model, QWidget *parent = nullptr);

    // The effects a panel layout offers, in id order. The knob-only layout with separate LEDs
    // numbers its effects differently; the number is what the keypad stores.
    static QVector<RgbModeOption> rgbModeOptionsForLayout(const QString &layoutName);
    // The scroll-area wrapper shared by the lighting pages.
    static void setUpScrollWrapper(QScrollArea *area);
    static QString modeButtonStyle(int fontPx);

    // Layout whose effects are offered; takes effect at the next refreshRgbModeButtons.
    void setLayoutName(const QString &layoutName) { m_layoutName = layoutName; }
    QString layoutName() const { return m_layoutName; }

    // Brings the effect buttons in line with the layout and the current layer's mode. A
    // stored mode the layout does not offer becomes the first offered one (a change to save).
    void refreshRgbModeButtons();
    // That rule on its own, for the current layer: the window applies it while the page is
    // not built.
    static void keepModeOffered(KeyboardData *model, const QString &layoutName);
    // Checks the effect button whose id is `mode` (none when no button has it).
    void checkRgbModeButton(int mode);
    void updateRgbLedPageStyle(double scale);
    void retranslate();

    RgbColorPickerWidget *colorPicker() const { return m_picker; }
    QButtonGroup *modeGroup() const { return m_modeGroup; }
    QList<QPushButton *> modeButtons() const { return m_modeButtons; }
    QList<QWidget *> modeCells() const { return m_modeCells; }
    QWidget *content() const { return m_content; }

signals:
    // The user moved the picker; the colour has not been stored anywhere yet.
    void colorPicked(const QColor &color);
    // An effect button was clicked and the current layer's mode set to `mode`.
    void modeSelected(int mode);

private:
    void onModeClicked(int id);
    int currentMode() const;

    KeyboardData *m_model;
    QString m_layoutName;
    QWidget *m_content = nullptr;
    QHBoxLayout *m_pageLayout = nullptr;
    QWidget *m_palettePanel = nullptr;
    QWidget *m_modePanel = nullptr;
    QVBoxLayout *m_paletteLayout = nullptr;
    QVBoxLayout *m_modeLayout = nullptr;
    QGridLayout *m_modeGrid = nullptr;
    QLabel *m_paletteTitle = nullptr;
    QLabel *m_paletteHint = nullptr;
    QLabel *m_modeTitle = nullptr;
    QLabel *m_modeHint = nullptr;
    RgbColorPickerWidget *m_picker = nullptr;
    QButtonGroup *m_modeGroup = nullptr;
    QList<QPushButton *> m_modeButtons;
    QList<QWidget *> m_modeCells;
};
