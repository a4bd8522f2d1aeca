#pragma once

#include <QObject>

class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;
class QWidget;

// Right of the panel: the key function display in its frame, and the column of command
// buttons (Clear, Clear All, View Settings, Save Settings) with the count of unsaved
// changes under Save. Two widgets of the window's middle row, so a QObject that makes and
// fits them; the window places them and runs what the buttons ask for.
class CommandColumn : public QObject
{
    Q_OBJECT

public:
    // The commands' font at scale 1 and the floor it steps down to while a text would be
    // cut; the room kept between a text and its button's edges.
    static constexpr int BASE_FONT_PX = 32;
    static constexpr int BASE_BUTTON_HEIGHT = 70;
    static constexpr int FONT_FLOOR_PX = 14;
    static constexpr int TEXT_SIDE_ROOM = 10;

    // Makes the display frame, then the column, as children of `window`.
    explicit CommandColumn(QWidget *window);

    QFrame *displayFrame() const { return m_inputFrame; }
    QWidget *column() const { return m_column; }
    QTextEdit *keyFunctionDisplay() const { return m_display; }
    QPushButton *clearButton() const { return m_clearButton; }
    QPushButton *clearAllButton() const { return m_clearAllButton; }
    QPushButton *viewButton() const { return m_viewButton; }
    QPushButton *saveButton() const { return m_saveButton; }
    QLabel *unsavedCountLabel() const { return m_unsavedCountLabel; }
    // The count under Save Settings (made with the editing comforts, after the window).
    QLabel *addUnsavedCountLabel();

    // The display's width in a window that leaves it its own room.
    static int preferredDisplayWidth(int windowWidth);
    // The column's width for the commands' texts in a font size, margins included.
    int widthFor(int fontPx) const;
    // The widths the row gives display and column (a display width of 0: its preferred).
    void setWidths(int displayWidth, int columnWidth, int windowWidth);
    // The display's width again, for a window of that width.
    void updateDisplayWidth(int windowWidth);
    // The four buttons share the row's height with what else the column holds.
    void fitButtonHeights(int rowHeight, double scale);

    // Fonts for a window scale (a resize shows them at once).
    void applyFontScale(double scale);
    // Fonts and button heights for a window scale (the relayout).
    void applyScale(double scale);
    // The commands' font again for the widths the layout gave the buttons.
    void refit(double scale);

signals:
    void clearClicked();
    void clearAllClicked();
    void viewClicked();
    void saveClicked();

private:
    QWidget *buildColumn(QWidget *window);
    // Own style sheet of the four buttons at a scale: the window sheet's font size and
    // minimum height would otherwise outrank setFont. The font steps down (not below
    // FONT_FLOOR_PX) while a text would be cut in the buttons' current width.
    QString buttonStyleSheet(double scale) const;

    QFrame *m_inputFrame = nullptr;
    QTextEdit *m_display = nullptr;
    QWidget *m_column = nullptr;
    QPushButton *m_clearButton = nullptr;
    QPushButton *m_clearAllButton = nullptr;
    QPushButton *m_viewButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QLabel *m_unsavedCountLabel = nullptr;
    int m_displayWidth = 0; // given by the row's fit; 0 until then
    int m_buttonHeight = BASE_BUTTON_HEIGHT;
};
