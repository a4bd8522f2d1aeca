#pragma once

#include "model/physicallayout.h"
#include "session/keypadsession.h"
#include "session/verifiedsave.h"
#include "model/keyboarddata.h"
#include "model/keypadidentity.h"
#include "model/pendingedits.h"
#include "model/profile.h"
#include "model/records.h"
#include "model/slotmap.h"
#include "app/commandcolumn.h"
#include "app/layerbar.h"
#include "app/panelview.h"
#include "app/profileactions.h"
#include "app/standaloneledcolumn.h"
#include "app/topbar.h"
#include "app/windowscaler.h"

#include <QHash>
#include <QPointer>
#include <QPushButton>
#include <QSize>
#include <QVector>
#include <QWidget>

#include <functional>

class AppConfig;
class CloseGuard;
class EditHistory;
class FunctionPages;
class StartupSettings;
struct ConnectResult;
struct LayoutSheetData;
class BaseKeysPage;
class ExtraKeysPage;
class MousePage;
class MultimediaPage;
class ProcreatePage;
class RgbLedPage;
class StatusLine;
class StatusPresenter;
class LegacyRgbLedPage;
class LegacyOldRgbLedPage;
class LegacyDelayPage;
class LegacyOldDelayPage;
class MacroPage;
struct RgbModeOption;
struct StandaloneLedLayoutConfig;
class KeyButton;
class KnobButton;
class QBoxLayout;
class QCloseEvent;
class QComboBox;
class QFrame;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QMenu;
class QMessageBox;
class QStackedWidget;
class QTextEdit;
class QTimer;
class QVBoxLayout;

// The main window: the device's panel picture with its layer buttons, the key function
// display, the command buttons and the function pages below. Its code is spread over
// widget*.cpp by concern (start-up, layout presets, selection and captions, layers,
// connection, pages).
class Widget : public QWidget
{
    Q_OBJECT

public:
    // Scale-1 sizes of the window's elements.
    static constexpr int BASE_LAYER_BTN_WIDTH = LayerBar::BASE_BUTTON_WIDTH;
    static constexpr double LAYER_WIDTH_SCALE_RATIO = LayerBar::WIDTH_SCALE_RATIO;
    static constexpr double KNOB_SMALL_SCALE = 1.3;
    static constexpr double KNOB_BIG_SCALE = 1.6;
    static constexpr int KNOB_SMALL_BASE_SIZE = 80;
    static constexpr int KNOB_BIG_BASE_SIZE = 96;
    static constexpr double KNOB3_CENTER_SCALE = 1.3;
    static constexpr int KNOB_GROUP_BASE_VERTICAL_SPACING = 20;
    static constexpr int KNOB_CONTAINER_PADDING = PanelView::KNOB_CONTAINER_PADDING;
    static constexpr int MIN_WINDOW_WIDTH = WindowScaler::MIN_WIDTH;
    static constexpr int MIN_WINDOW_HEIGHT = WindowScaler::MIN_HEIGHT;
    static constexpr int KEY_BASE_SIZE = PanelView::KEY_BASE_SIZE;
    static constexpr int KEY_MATRIX_SPACING = PanelView::KEY_MATRIX_SPACING;
    static constexpr int KEY_NUM_LABEL_POS_X = PanelView::KEY_NUM_LABEL_POS_X;
    static constexpr int KEY_NUM_LABEL_POS_Y = PanelView::KEY_NUM_LABEL_POS_Y;
    static constexpr int KEY_NUM_LABEL_SIZE = PanelView::KEY_NUM_LABEL_SIZE;
    static constexpr int KEY_NUM_LABEL_FONT_SIZE = PanelView::KEY_NUM_LABEL_FONT_SIZE;
    static constexpr int INIT_FUNC_BTN_FONT_SIZE = CommandColumn::BASE_FONT_PX;
    static constexpr int INIT_FUNC_BTN_HEIGHT = CommandColumn::BASE_BUTTON_HEIGHT;
    static constexpr int PHYSICAL_KEY_COUNT = PanelView::PHYSICAL_KEY_COUNT;
    static constexpr int VIRTUAL_KEY_COUNT = 9;
    static constexpr int TOTAL_BUTTON_COUNT = PanelView::TOTAL_BUTTON_COUNT;
    static constexpr int DESIGN_WIDTH = WindowScaler::DESIGN_WIDTH;
    static constexpr int DESIGN_HEIGHT = WindowScaler::DESIGN_HEIGHT;
    // How far the row beside the panel gives way on a small window.
    static constexpr int DISPLAY_MINIMUM_WIDTH = 110;
    static constexpr int COMMAND_FONT_FLOOR_PX = CommandColumn::FONT_FLOOR_PX;
    static constexpr int COMMAND_TEXT_SIDE_ROOM = CommandColumn::TEXT_SIDE_ROOM;
    static constexpr int MIDDLE_ROW_SPACING = 12;
    // Width of the button that offers the fix for a keypad that may not be opened.
    static constexpr int ACCESS_FIX_ROOM = TopBar::ACCESS_FIX_ROOM;

    // Fixed underlying type: any stored value is legal and falls back to the default panel.
    enum StartupLayoutPreset : int {
        Startup16Plus3 = 0,
        Startup6Plus1 = 1,
        Startup0Plus1 = 2,
        Startup5Plus2 = 3,
        Startup1Plus0 = 4,
    };
    Q_ENUM(StartupLayoutPreset)

    using PhysicalLayoutConfig = ::PhysicalLayoutConfig;

    // Takes the language and layer count from Config.ini, the user's settings and the
    // system locale, in that order (StartupSettings).
    explicit Widget(QWidget *parent = nullptr);
    // Takes the settings as already read (tests, or a caller that found them elsewhere).
    explicit Widget(const AppConfig &config, QWidget *parent = nullptr);
    explicit Widget(const StartupSettings &settings, QWidget *parent = nullptr);
    ~Widget() override;

    // The window size for a screen's available area: the design size clipped to the area
    // less a 24 px margin, never below the minimum window size.
    static QSize initialWindowSize(const QSize &available);

    // --- language
    QString uiText(const QString &text) const;
    bool isChinese() const { return m_chinese; }
    // Turns the window to the language at once (its language switch); widgetlanguage.cpp.
    void setChinese(bool chinese);
    // Gives every text the window shows the current language: on start, and on a switch
    // (the table is looked up both ways, so a Chinese text turns back into its English one).
    void updateLanguageTexts();
    // "Macropad Studio", with the connected keypad's model.
    void updateWindowTitle();

    // --- layout presets
    PhysicalLayoutConfig buildDefault16Plus3Layout() const;
    PhysicalLayoutConfig build16Plus3LayoutS1() const;
    PhysicalLayoutConfig build16Plus3LayoutS2() const;
    PhysicalLayoutConfig build16Plus3LayoutS3() const;
    PhysicalLayoutConfig build6Plus1Layout() const;
    PhysicalLayoutConfig build6Plus0Layout() const;
    PhysicalLayoutConfig build1Plus0Layout() const;
    PhysicalLayoutConfig build0Plus1Layout() const;
    PhysicalLayoutConfig build0Plus1LayoutP1S1() const;
    PhysicalLayoutConfig build5Plus2Layout() const;
    PhysicalLayoutConfig layoutForDeviceInfo(const DeviceInfo &info) const;
    PhysicalLayoutConfig layoutForStartupPreset() const;
    void applyPhysicalLayout(const PhysicalLayoutConfig &config);
    const PhysicalLayoutConfig &currentLayout() const { return m_panel->layout(); }
    int dataIndexFromButtonIndex(int buttonIndex) const { return m_panel->dataIndexFromButtonIndex(buttonIndex); }
    int buttonIndexFromDataIndex(int dataIndex) const { return m_panel->buttonIndexFromDataIndex(dataIndex); }
    // The slots of the keypad on the panel: which exist, which button shows each, which the
    // keypad keeps.
    const SlotMap &slotMap() const { return m_panel->slotMap(); }
    void assignKnobPointers(int firstIndex, KnobButton *left, KnobButton *right, KnobButton *press)
    {
        m_panel->assignKnobPointers(firstIndex, left, right, press);
    }
    // Buttons recorded for knob 0..2 (left, right, press); null when not recorded.
    KnobButton *knobPointer(int knob, int action) const { return m_panel->knobPointer(knob, action); }

    // --- device kind, kept by the keypad session
    KeypadSession *session() const { return m_session; }
    bool isDeviceConnected() const { return m_session->isConnected(); }
    bool isLegacyDevice() const { return m_session->isLegacy(); }
    const DeviceInfo &deviceInfo() const { return m_session->deviceInfo(); }
    const LegacyDeviceInfo &legacyInfo() const { return m_session->legacyInfo(); }
    // Records what kind of keypad is connected (after a completed read). Index maps, preset
    // choice and layer counts follow it.
    void setDeviceKind(bool legacy, const DeviceInfo &info, const LegacyDeviceInfo &legacyInfo);
    // The pages, their routing and the features the kind of keypad set above offers: what a
    // connect read does before it lays the panel out.
    void routePagesForKeypad();

    // --- selection and captions
    void selectButton(int buttonIndex);
    QString displayButtonTextForCurrentPage(int dataIndex) const;
    QString displayFullTextForCurrentPage(int dataIndex) const;
    void refreshKeyButtonVisuals();
    void restoreKeyFunctionDisplay();
    void refreshPhysicalKeyDisplayMode();

    // --- layers
    void setForcedLayerDisplayCount(int count);
    int forcedLayerDisplayCount() const { return m_layerBar->forcedCount(); }
    int effectiveLayerDisplayCount() const;
    void updateLayerButtonsVisibility();
    QPushButton *layerButton(int index) const;

    // --- function pages
    bool isBaseKeysPageActive() const;
    bool isMousePageActive() const;
    bool isProcreatePageActive() const;
    bool isRgbLedPageActive() const;
    void updateFunctionPagesForDevice();
    QListWidget *functionList() const;
    QStackedWidget *functionStack() const;

    // --- parts of the window
    KeyboardData *keyboardData() { return &m_keyboardData; }
    const KeyboardData *keyboardData() const { return &m_keyboardData; }
    // The panel button of a slot (0..24), or null for an unused slot.
    QPushButton *buttonAt(int buttonIndex) const { return m_panel->buttonAt(buttonIndex); }
    QPushButton *highlightedButton() const { return m_panel->highlighted(); }
    QFrame *physicalPanelFrame() const { return m_panel->frame(); }
    QTextEdit *keyFunctionDisplay() const { return m_commandColumn ? m_commandColumn->keyFunctionDisplay() : nullptr; }
    QLabel *statusLabel() const { return m_topBar->statusLabel(); }
    QPushButton *clearButton() const { return m_commandColumn->clearButton(); }
    QPushButton *clearAllButton() const { return m_commandColumn->clearAllButton(); }
    QPushButton *viewSettingsButton() const { return m_commandColumn->viewButton(); }
    QPushButton *saveSettingsButton() const { return m_commandColumn->saveButton(); }

public slots:
    void onButtonClicked();
    void onSelectedKeyChanged(int keyIdx);
    void onKeyButtonTextChanged(int keyIdx, const QString &text);
    void onKeyFullTextChanged(int keyIdx, const QString &text);
    void onClearSelectedClicked();
    void onClearAllClicked();
    void onSaveSettingsClicked();
    void onViewSettingsClicked();
    void showError(const QString &msg);
    void setStartupDisplayLayoutPreset(Widget::StartupLayoutPreset preset);
    Widget::StartupLayoutPreset startupDisplayLayoutPreset() const { return m_startupPreset; }
    void initHIDCommunication();
    void onDeviceConnected();
    void onDeviceDisconnected();
    // A keypad is present but may not be opened (no udev rule); widgetaccess.cpp.
    void onDeviceAccessDenied();
    void onDeviceAccessDeniedCleared();
    // The short dialog with the commands that install the udev rule.
    void showAccessFix();
    void onFunctionPageChanged(int row);
    void onResizeTimeout();

public:
    // Offered beside the status while a keypad refuses to be opened.
    QPushButton *accessFixButton() const { return m_topBar->accessFixButton(); }
    // The panel frame shows no keys or knobs (a keypad is there but cannot be read).
    bool isPanelEmpty() const { return m_panel->isEmpty(); }

private:
    void construct(const StartupSettings &config);
    void connectDeviceAccessStatus();

    // start-up
    void initUI();
    QWidget *buildTopBar();
    QLayout *buildMiddleRow();
    QString windowStyleSheet() const;
    void initButtonClickLogic();

    // layers
    void initLayerSwitchLogic();
    void onLayerButtonClicked(int id);

    // panel geometry (widgetpanelgeometry.cpp)
    // Shares the row between panel, display and command column and lays the panel out at
    // the scale that keeps it whole (see PanelFit).
    void fitPanelToWindow();
    void updateSlotMap();
    void markAbsentButtons() { m_panel->markAbsentButtons(); }

    // selection
    void showFullTextInDisplay(const QString &text);
    QString captionForCurrentPage(int dataIndex, bool full) const;
    // What the panel's buttons show: the model's keys and LED colours, their captions on the
    // page in view, the window's language.
    PanelView::Content panelContent();

    // function pages (widgetpages.cpp)
    QWidget *createFunctionPageFrame();
    // Wires a page built just now to the panel and the window (lighting, macro recording).
    void onPageBuilt(int page, QWidget *widget);
    void lockWindowForRecording(QWidget *macroPage, bool recording);
    void refreshLegacyDelayPage();
    void refreshLegacyOldDelayPage();
    void refreshLegacyRgbLedPage();
    void refreshLegacyOldRgbLedPage();
    bool hasStandaloneLedLayout() const;
    void refreshStandaloneLedDisplay(double scale);
    void applyRgbLedKeyDisplay();
    void checkRgbModeButton(int mode);
    void syncColorPickerToSelection();
    void updateRgbLedPageStyle(double scale);

    // --- members (construction order matters: the model outlives nothing it signals to)
    KeyboardData m_keyboardData;
    bool m_chinese = false;
    StartupLayoutPreset m_startupPreset = Startup6Plus1;

    KeypadSession *m_session = nullptr;

    // window composition
    QVBoxLayout *m_mainLayout = nullptr;
    TopBar *m_topBar = nullptr;
    LayerBar *m_layerBar = nullptr;
    PanelView *m_panel = nullptr; // the keypad's picture: buttons, slots, selection
    QHBoxLayout *m_middleRowLayout = nullptr;
    CommandColumn *m_commandColumn = nullptr;
    FunctionPages *m_pages = nullptr; // the page list and stack below the panel

    // --- function page contents (widgetpages.cpp); a page is built when first shown or
    // asked for ---------------------------------------------------------------------------
public:
    // Sets the four page-routing flags from the kind of keypad read last (legacy "R10Udav",
    // legacy "Old" or anything else); run after every completed device read, followed by
    // updateFunctionPagesForDevice and updateLegacyMouseFeatureAvailability.
    void updatePageRoutingFlags();
    // Swipe and like are offered unless an "Old" legacy keypad is connected.
    void updateLegacyMouseFeatureAvailability();
    static QString wrapProcreateLabel(const QString &label);
    BaseKeysPage *baseKeysPage() const;
    ExtraKeysPage *extraKeysPage() const;
    MultimediaPage *multiMediaPage() const;
    MousePage *mousePage() const;
    ProcreatePage *procreatePage() const;
    MacroPage *macroPage() const;
    LegacyDelayPage *legacyDelayPage() const;
    LegacyOldDelayPage *legacyOldDelayPage() const;
    FunctionPages *functionPages() const { return m_pages; }
    // --- end of function page contents ------------------------------------------------

    // --- lighting (widgetleds.cpp, widgetstandaloneleds.cpp) ----------------------------
public:
    RgbLedPage *rgbLedPage() const;
    LegacyRgbLedPage *legacyRgbLedPage() const;
    LegacyOldRgbLedPage *legacyOldRgbLedPage() const;
    QVector<RgbModeOption> rgbModeOptionsForCurrentLayout() const;
    void refreshRgbModeButtons();
    // The separate LEDs beside the panel (only the knob-only keypad with four LEDs has them).
    StandaloneLedLayoutConfig standaloneLedLayoutConfig() const;
    QWidget *standaloneLedContainer() const { return m_standaloneLeds->container(); }
    QVector<QPushButton *> standaloneLedButtons() const { return m_standaloneLeds->buttons(); }
    int selectedStandaloneLed() const { return m_standaloneLeds->selectedLed(); }
    void selectStandaloneLedIndex(int ledIndex);

private:
    void wireRgbLedPage(RgbLedPage *page);
    void wireLegacyRgbLedPage(LegacyRgbLedPage *page);
    void onRgbColorPicked(const QColor &color);
    // The selected key's panel button when it is a key (not a knob action), else null.
    KeyButton *selectedKeyButton() const;
    // Colour of an LED of the current layer; yellow when layer or LED is out of range.
    QColor ledColorOf(int ledIndex) const;
    void initStandaloneLeds();

    StandaloneLedColumn *m_standaloneLeds = nullptr;
    // --- end of lighting ----------------------------------------------------------------

    // --- window scaling (widgetscaling.cpp) ---------------------------------------------
public:
    // The scale the window's elements are laid out at (1.0 at the design size).
    double scaleRatio() const { return m_scaler->scaleRatio(); }
    // The scale of the panel picture: the window scale, or less where the window is too
    // small for the whole panel at that scale.
    double panelScale() const { return m_panel->scale(); }
    // min(width / 1500, height / 1100), never below 0.8.
    static double scaleForSize(const QSize &size) { return WindowScaler::scaleForSize(size); }
    // The window size the panel and the columns beside it were last fitted to.
    QSize laidOutSize() const { return m_scaler->laidOutSize(); }

private:
    // The scaler tells when and at which scale; these lay the window's parts out.
    void initWindowScaler();
    void preUpdateFontsOnly(double scale);
    void preUpdateAllElements(double scale);
    void updateBottomSectionSizes(double scale);
    void relayoutAt(double scale);
    // The size changed at the same scale: the size-bound parts follow it.
    void refitToSize();
    // Settles the window's layout, then fits the command texts and the page list to it.
    void fitToSettledLayout();

    WindowScaler *m_scaler = nullptr;
    // --- end of window scaling -------------------------------------------------------

    // --- connection controller (widgetconnection.cpp) -----------------------------------
public:
    // Saves the keys a macro recording changed at once; the macro page calls it when a
    // recording stops. Refused with a log line while no keypad is connected, no key is
    // selected or the device is busy (the keys then stay dirty for the next Save).
    void startAutoSaveAfterRecording();
    // A read or save this window started has not reported back yet. Save and View refuse
    // meanwhile, also in the moments the device lock is free between two of its steps.
    bool isDeviceTaskRunning() const { return m_session->isBusy(); }

public slots:
    void readConfigFromDevice();

signals:
    // A connect read is in the model and every view shows it (also when the keypad answered
    // neither protocol and nothing was loaded).
    void keypadLoaded();
    // A View re-read is in the model.
    void settingsReread();
    // The background check of a read ended (connect, View): `complete` when every layer and
    // lighting record was read the same twice; the model then shows what the keypad holds.
    void readConfirmed(bool complete);

private:
    // The window's side of what the session tells, in the order the session tells it.
    void connectSession();
    void onSessionConnected();
    void onKindChanged();
    void onConnectReadArrived(const ConnectResult &result);
    void onReadApplied(const ConnectResult &result, KeypadSession::ReadKind kind);
    void onEditsRestored(int restored, bool readComplete);
    void onConnectReadDone(const ConnectResult &result);
    void onReadConfirmed(bool complete, const ReadCoverage &loaded);
    void onSessionDisconnected();
    void onModelBlanked();
    void onSaveStarted(int items);
    void onSaveFinished(const VerifiedSave::Outcome &outcome, bool sameConnection);
    void refreshViewsFromModel();
    void onOperationFinished(bool success, const QString &msg);
    // Save and View are off while a save runs (and without a keypad) whatever `enabled` says.
    void setDeviceTaskButtonsEnabled(bool enabled);
    // Says for a moment why a click did nothing; then the status returns.
    void showRefusal(const QString &why);

    StatusLine *m_status = nullptr;
    StatusPresenter *m_statusPresenter = nullptr;
    // --- end of connection controller ------------------------------------------------

    // --- editing comforts (widgetediting.cpp) --------------------------------------------
public:
    EditHistory *editHistory() const { return m_history; }
    QPushButton *undoButton() const { return m_topBar->undoButton(); }
    QPushButton *redoButton() const { return m_topBar->redoButton(); }
    QLabel *unsavedCountLabel() const { return m_commandColumn->unsavedCountLabel(); }
    // Anything edited that the keypad does not hold yet; the window title then carries "*"
    // (through the "[*]" placeholder, which the title code keeps in its title).
    bool hasUnsavedMarks() const;
    // "3 unsaved changes", empty when nothing is unsaved.
    QString unsavedCountText() const;
    // Marks, count, title and the panel's accessible texts now rather than after the event.
    void refreshUnsavedMarks();

private:
    void initEditing();
    void scheduleUnsavedMarks();
    void refreshEditControls();
    void onHistoryStepApplied(int layer, int key);

    EditHistory *m_history = nullptr;
    QTimer *m_marksTimer = nullptr;
    // --- end of editing comforts ---------------------------------------------------------

    // --- unsaved changes (widgetunsaved.cpp) ---------------------------------------------
public:
    // Runs a question about unsaved changes (on closing the window, before View Settings
    // reads over them) and returns the button chosen (QMessageBox::Save, Discard or Cancel).
    // The default shows the box modally; tests answer for the user.
    using UnsavedQuestion = std::function<int(QMessageBox &box)>;
    void setUnsavedQuestion(UnsavedQuestion ask);
    // Edits kept for keypads that left before they were saved.
    const PendingEdits &pendingEdits() const { return m_session->pendingEdits(); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Before View Settings reads over edits the keypad does not have: whether the user
    // agrees to drop them (true at once when there are none).
    bool mayReadOverUnsavedEdits();
    // The close after a save could not take everything: says so, the window stays open.
    void refuseCloseAfterSave(int left);

    CloseGuard *m_closeGuard = nullptr;
    UnsavedQuestion m_unsavedQuestion;
    // --- end of unsaved changes -----------------------------------------------------------

    // --- profiles (widgetprofiles.cpp) ----------------------------------------------------
public:
    // Asks for the file to export to (`forExport`) or import from; empty when the user gave
    // none. The default opens a file dialog; tests supply paths instead.
    using ProfilePathChooser = ProfileActions::ProfilePathChooser;
    void setProfilePathChooser(ProfilePathChooser chooser);
    QPushButton *exportProfileButton() const { return m_topBar->exportProfileButton(); }
    QPushButton *importProfileButton() const { return m_topBar->importProfileButton(); }
    void onExportProfileClicked();
    void onImportProfileClicked();

private:
    // The top bar's Export and Import, and where their files are chosen.
    void initProfileActions();
    void showProfileOutcome(const QString &status, const QString &details, bool failed);

    ProfileActions *m_profileActions = nullptr;
    // --- end of profiles ------------------------------------------------------------------

    // --- layout sheet (widgetsheet.cpp) -----------------------------------------------------
public:
    // Asks where to write a layout sheet; empty when the user gave no name. The default opens
    // a file dialog; tests supply paths instead.
    using SheetPathChooser = ProfileActions::SheetPathChooser;
    void setSheetPathChooser(SheetPathChooser chooser);
    // Export's menu: "Profile…" and "Layout sheet…".
    QMenu *exportMenu() const { return m_topBar->exportMenu(); }
    // What the sheet prints: the panel, layers and lighting the window shows, unsaved edits
    // included.
    LayoutSheetData layoutSheetData() const;
    void onExportSheetClicked();

private:
    void initSheetExport();
    // --- end of layout sheet --------------------------------------------------------------

    // --- language switch (widgetlanguage.cpp) ---------------------------------------------
public:
    // English / 中文 in the top bar; the user's choice is kept in the per-user settings.
    QComboBox *languageSwitch() const { return m_topBar->languageSwitch(); }

private:
    void initLanguageSwitch();
    // --- end of language switch -----------------------------------------------------------

    // --- several keypads (widgetkeypads.cpp) ----------------------------------------------
public:
    // In the top bar while two or more keypads are plugged.
    QComboBox *keypadChooser() const;
    // Closes the open keypad and opens the one with this identity, after the question about
    // unsaved edits; the choice is kept for the next start.
    void chooseKeypad(const QString &identity);

private:
    void initKeypadChooser();
    void refreshKeypadChooser();
    void sayWhenAnotherKeypadOpened();
    // --- end of several keypads -----------------------------------------------------------
};
