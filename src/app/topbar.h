#pragma once

#include <QWidget>

class FittingLabel;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QMenu;
class QPushButton;

// The strip above the panel: the status line in the middle, Undo and Redo on its left,
// Export (a menu: the profile, the layout sheet), Import and the language switch on its
// right, and "How to fix" beside the status while a keypad refuses to be opened. It owns
// the controls and says what the user asked for; the window runs the flows.
class TopBar : public QWidget
{
    Q_OBJECT

public:
    // Width of the button that offers the fix for a keypad that may not be opened.
    static constexpr int ACCESS_FIX_ROOM = 116;

    // `narrowestWindow`: the width the bar must fit into with every item shown.
    TopBar(bool chinese, int narrowestWindow, QWidget *parent);

    QLabel *statusLabel() const;
    QPushButton *undoButton() const { return m_undoButton; }
    QPushButton *redoButton() const { return m_redoButton; }
    QPushButton *exportProfileButton() const { return m_exportProfileButton; }
    QPushButton *importProfileButton() const { return m_importProfileButton; }
    QMenu *exportMenu() const { return m_exportMenu; }
    QComboBox *languageSwitch() const { return m_languageSwitch; }
    QPushButton *accessFixButton() const { return m_accessFixButton; }
    QComboBox *keypadChooser() const { return m_keypadChooser; }

    // Moves the switch to a language chosen elsewhere (no languageChosen for it).
    void showLanguage(bool chinese);
    // The fix button takes its room from the status, so the bar never asks for more than
    // the narrowest window has.
    void setAccessFixOffered(bool offered);
    // The keypads on the bus, by name and identity, the open one current (-1: none open).
    // Shown only while there are two or more to choose from; like the fix button it takes
    // its room from the status.
    void showKeypads(const QStringList &names, const QStringList &identities, int current);
    // The status font for a window scale (a resize shows it at once).
    void applyFontScale(double scale);
    // Bar and status heights for a window scale (the relayout).
    void applyScale(double scale);

signals:
    void undoClicked();
    void redoClicked();
    void exportProfileRequested();
    void exportSheetRequested();
    void importProfileRequested();
    // From the user only: a language shown through showLanguage does not report.
    void languageChosen(bool chinese);
    void accessFixClicked();
    // From the user only: the identity of the keypad chosen in the chooser.
    void keypadChosen(const QString &identity);

private:
    void addProfileButtons(QHBoxLayout *layout);
    void addExportMenu();
    void addEditControls(QHBoxLayout *layout);
    void addLanguageSwitch(QHBoxLayout *layout, bool chinese);
    void addAccessFixButton(QHBoxLayout *layout);
    void addKeypadChooser(QHBoxLayout *layout);
    int widestName(const QStringList &names) const;

    FittingLabel *m_status = nullptr;
    QPushButton *m_undoButton = nullptr;
    QPushButton *m_redoButton = nullptr;
    QPushButton *m_exportProfileButton = nullptr;
    QPushButton *m_importProfileButton = nullptr;
    QMenu *m_exportMenu = nullptr;
    QComboBox *m_languageSwitch = nullptr;
    QPushButton *m_accessFixButton = nullptr;
    QComboBox *m_keypadChooser = nullptr;
    bool m_chinese = false;
};
