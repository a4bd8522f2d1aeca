#pragma once

#include "i18n/uitext.h"
#include "model/profile.h"

#include <QObject>
#include <QString>

#include <functional>

class EditHistory;
class KeyboardData;
class KeypadSession;
class SlotMap;
struct LayoutSheetData;
struct PhysicalLayoutConfig;

// Export and Import of profiles and the layout sheet export. Export writes the configuration
// the window shows (unsaved edits included) to a file, Import loads a file into the model as
// edits that Save then writes. Only files are touched, never the keypad, so all of it runs
// on the GUI thread. Where files are chosen is injected: the window opens file dialogs,
// tests supply paths.
class ProfileActions : public QObject
{
    Q_OBJECT

public:
    // Asks for the file to export to (`forExport`) or import from; empty when the user gave
    // none.
    using ProfilePathChooser = std::function<QString(bool forExport)>;
    // Asks where to write a layout sheet; empty when the user gave no name.
    using SheetPathChooser = std::function<QString()>;
    // What the sheet prints at the moment it is written.
    using SheetSource = std::function<LayoutSheetData()>;

    ProfileActions(KeypadSession *session, KeyboardData *model, QObject *parent = nullptr);

    // Names the undo step an import forms.
    void setHistory(EditHistory *history) { m_history = history; }
    void setLanguage(UiText::Language language) { m_language = language; }
    void setProfilePathChooser(ProfilePathChooser chooser);
    void setSheetPathChooser(SheetPathChooser chooser);
    void setSheetSource(SheetSource source);

    // The connected keypad a profile is written for and fitted to; none without a keypad.
    ProfileDevice profileTarget() const;
    // The model's side of a sheet, on the panel, slots and layers the window offers.
    LayoutSheetData sheetData(const PhysicalLayoutConfig &panel, const SlotMap &slotMap,
                              int layerCount) const;

    void exportProfile();
    void importProfile();
    void exportSheet();

signals:
    // What came of an action, for the status line and a message box (`details` below it).
    void finished(const QString &status, const QString &details, bool failed);

private:
    QString text(const QString &english) const { return UiText::text(english, m_language); }

    KeypadSession *m_session = nullptr;
    KeyboardData *m_model = nullptr;
    EditHistory *m_history = nullptr;
    UiText::Language m_language = UiText::Language::English;
    ProfilePathChooser m_profilePathChooser;
    SheetPathChooser m_sheetPathChooser;
    SheetSource m_sheetSource;
};
