#pragma once

#include "i18n/uitext.h"

#include <QMessageBox>

// The question the window asks when it is closed with changes that are not on the keypad:
// Save / Discard / Cancel while they can be saved, Discard / Cancel while they cannot (the
// keypad they belong to is not connected, or a save of them is still running). Before View
// Settings reads the keypad over such changes it asks Read Again (Discard) / Cancel.
class UnsavedChangesBox : public QMessageBox
{
    Q_OBJECT

public:
    enum class Situation {
        CanSave,      // the connected keypad takes them
        Saving,       // a save is already on its way
        KeypadAbsent, // their keypad is not connected
        Rereading,    // View Settings is about to read the keypad over them
    };

    // `unsaved`: changes the situation is about; `elsewhere`: changes kept for a keypad
    // that is not connected, mentioned beside savable ones (they are lost on closing).
    UnsavedChangesBox(Situation situation, int unsaved, int elsewhere, UiText::Language language,
                      QWidget *parent = nullptr);

    // Told after Save was chosen when the window could not close: the save failed or left
    // changes behind, or the keypad went away.
    static QMessageBox *closeRefused(int unsaved, UiText::Language language, QWidget *parent);
};
