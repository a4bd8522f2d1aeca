// The top bar's controls and how they share its width. What a click starts (profiles, the
// layout sheet, the language, the access fix) is the window's business.
#include "app/topbar.h"

#include "app/topbarstyle.h"
#include "controls/fittinglabel.h"
#include "i18n/uitext.h"
#include "model/physicallayout.h"

#include <QAbstractItemView>
#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QSizePolicy>
#include <QSignalBlocker>
#include <QSpacerItem>

namespace {

constexpr int BAR_HEIGHT = 50;
constexpr int STATUS_HEIGHT = 34;
constexpr int PROFILE_BUTTON_WIDTH = 96;
constexpr int PROFILE_BUTTON_HEIGHT = 34;
constexpr int EDIT_BUTTON_WIDTH = 40;
constexpr int EDIT_BUTTON_HEIGHT = 34;
// With the layout's spacing before it, the switch fills the 84 px the top bar always kept
// free at its right end, so the status text stays where it was.
constexpr int LANGUAGE_SWITCH_WIDTH = 76;
constexpr int LANGUAGE_SWITCH_HEIGHT = 34;
constexpr int KEYPAD_CHOOSER_MIN_WIDTH = 160;
constexpr int KEYPAD_CHOOSER_MAX_WIDTH = 270;

QString languageSwitchStyle()
{
    return QStringLiteral(
        "QComboBox { background-color: #3c3c3c; color: white; border: 1px solid #5a5a5a;"
        " border-radius: 4px; font-weight: bold; font-size: 13px; padding-left: 6px; }"
        "QComboBox:hover { background-color: #4a4a4a; }"
        "QComboBox QAbstractItemView { background-color: #3c3c3c; color: white;"
        " selection-background-color: #1E90FF; border: 1px solid #5a5a5a; }");
}

} // namespace

TopBar::TopBar(bool chinese, int narrowestWindow, QWidget *parent)
    : QWidget(parent)
    , m_chinese(chinese)
{
    setObjectName(QStringLiteral("topBar"));
    setAttribute(Qt::WA_StyledBackground, true);
    setFixedHeight(BAR_HEIGHT);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(8);
    m_status = new FittingLabel(this);
    m_status->setObjectName(QStringLiteral("topTipBar"));
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setFixedHeight(STATUS_HEIGHT);
    layout->addWidget(m_status, 1);
    addProfileButtons(layout);          // Export and Import, right of the status
    addEditControls(layout);            // Undo and Redo, left of the status
    addLanguageSwitch(layout, chinese); // English / 中文 at the right end
    addAccessFixButton(layout);         // right of the status while a keypad refuses to open
    addKeypadChooser(layout);           // left of Export while several keypads are plugged
    // The status keeps its whole width where the window has it; in the narrowest window it
    // asks for no more than what the bar's other items (the fix button among them) leave
    // there, and fits its text in.
    m_accessFixButton->setFixedWidth(ACCESS_FIX_ROOM);
    m_accessFixButton->hide();
    m_keypadChooser->hide();
    m_status->setLargestMinimumWidth(0);
    layout->invalidate();
    m_status->setLargestMinimumWidth(narrowestWindow - layout->minimumSize().width());
}

QLabel *TopBar::statusLabel() const
{
    return m_status;
}

void TopBar::addProfileButtons(QHBoxLayout *layout)
{
    auto make = [this](const QString &text, const QString &name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setFixedSize(PROFILE_BUTTON_WIDTH, PROFILE_BUTTON_HEIGHT);
        b->setStyleSheet(topBarButtonStyle());
        b->setCursor(Qt::PointingHandCursor);
        return b;
    };
    m_exportProfileButton = make(QStringLiteral("Export"), QStringLiteral("exportProfileButton"));
    m_importProfileButton = make(QStringLiteral("Import"), QStringLiteral("importProfileButton"));
    layout->addWidget(m_exportProfileButton);
    layout->addWidget(m_importProfileButton);
    // As much room on the left of the status text as the buttons take on its right, so the
    // status stays centred over the window; in a narrow window the room goes to the text.
    layout->insertItem(0, new QSpacerItem(2 * PROFILE_BUTTON_WIDTH + layout->spacing(), 0,
                                          QSizePolicy::Preferred, QSizePolicy::Minimum));

    addExportMenu(); // Export offers the profile and the layout sheet
    connect(m_importProfileButton, &QPushButton::clicked, this, &TopBar::importProfileRequested);
}

void TopBar::addExportMenu()
{
    m_exportMenu = new QMenu(m_exportProfileButton);
    m_exportMenu->setObjectName(QStringLiteral("exportMenu"));
    m_exportMenu->setStyleSheet(QStringLiteral(
        "QMenu { background: #3c3c3c; color: white; border: 1px solid #5a5a5a; }"
        "QMenu::item { padding: 6px 18px; } QMenu::item:selected { background: #4a4a4a; }"));
    QAction *profile = m_exportMenu->addAction(QStringLiteral("Profile…"));
    profile->setObjectName(QStringLiteral("exportProfileAction"));
    QAction *sheet = m_exportMenu->addAction(QStringLiteral("Layout sheet…"));
    sheet->setObjectName(QStringLiteral("exportSheetAction"));
    connect(profile, &QAction::triggered, this, &TopBar::exportProfileRequested);
    connect(sheet, &QAction::triggered, this, &TopBar::exportSheetRequested);
    connect(m_exportMenu, &QMenu::aboutToShow, this, [this, profile, sheet] {
        const auto language = m_chinese ? UiText::Language::Chinese : UiText::Language::English;
        profile->setText(UiText::text(QStringLiteral("Profile…"), language));
        sheet->setText(UiText::text(QStringLiteral("Layout sheet…"), language));
    });
    // popup(), not exec(): the click that opens the menu returns at once.
    connect(m_exportProfileButton, &QPushButton::clicked, this, [this] {
        m_exportMenu->popup(m_exportProfileButton->mapToGlobal(QPoint(0, m_exportProfileButton->height())));
    });
}

void TopBar::addEditControls(QHBoxLayout *layout)
{
    // Arrows rather than words: the status text needs the bar's width in a narrow window.
    // The tooltips and accessible names carry the words.
    auto make = [this](const QString &arrow, const QString &name, const QString &what) {
        auto *b = new QPushButton(arrow, this);
        b->setObjectName(name);
        b->setAccessibleName(what);
        b->setFixedSize(EDIT_BUTTON_WIDTH, EDIT_BUTTON_HEIGHT);
        b->setStyleSheet(topBarButtonStyle());
        b->setCursor(Qt::PointingHandCursor);
        b->setEnabled(false);
        return b;
    };
    m_undoButton = make(QStringLiteral("\u21B6"), QStringLiteral("undoButton"), QStringLiteral("Undo"));
    m_redoButton = make(QStringLiteral("\u21B7"), QStringLiteral("redoButton"), QStringLiteral("Redo"));
    layout->insertWidget(0, m_undoButton);
    layout->insertWidget(1, m_redoButton);
    // As much room right of the status as the two take on its left, so it stays centred
    // (a spacer takes the place of the spacing beside it).
    const int statusAt = layout->indexOf(m_status);
    layout->insertItem(statusAt + 1, new QSpacerItem(2 * (EDIT_BUTTON_WIDTH + layout->spacing()), 0,
                                                     QSizePolicy::Preferred, QSizePolicy::Minimum));
    connect(m_undoButton, &QPushButton::clicked, this, &TopBar::undoClicked);
    connect(m_redoButton, &QPushButton::clicked, this, &TopBar::redoClicked);
}

void TopBar::addLanguageSwitch(QHBoxLayout *layout, bool chinese)
{
    m_languageSwitch = new QComboBox(this);
    m_languageSwitch->setObjectName(QStringLiteral("languageSwitch"));
    // Each language under its own name, so a user who cannot read the current one still
    // finds theirs.
    m_languageSwitch->addItem(QStringLiteral("English"));
    m_languageSwitch->addItem(QStringLiteral("中文"));
    m_languageSwitch->setCurrentIndex(chinese ? 1 : 0);
    m_languageSwitch->setFixedSize(LANGUAGE_SWITCH_WIDTH, LANGUAGE_SWITCH_HEIGHT);
    m_languageSwitch->setStyleSheet(languageSwitchStyle());
    m_languageSwitch->setCursor(Qt::PointingHandCursor);
    m_languageSwitch->setToolTip(QStringLiteral("Interface language"));
    layout->addWidget(m_languageSwitch);
    // `activated` comes from the user only; showLanguage moves the switch without it.
    connect(m_languageSwitch, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { emit languageChosen(index == 1); });
}

void TopBar::addAccessFixButton(QHBoxLayout *layout)
{
    m_accessFixButton = new QPushButton(QStringLiteral("How to fix"), this);
    m_accessFixButton->setObjectName(QStringLiteral("accessFixButton"));
    m_accessFixButton->setStyleSheet(topBarButtonStyle());
    m_accessFixButton->setCursor(Qt::PointingHandCursor);
    m_accessFixButton->setFixedHeight(34);
    m_accessFixButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->insertWidget(layout->indexOf(m_status) + 1, m_accessFixButton);
    connect(m_accessFixButton, &QPushButton::clicked, this, &TopBar::accessFixClicked);
}

void TopBar::addKeypadChooser(QHBoxLayout *layout)
{
    m_keypadChooser = new QComboBox(this);
    m_keypadChooser->setObjectName(QStringLiteral("keypadChooser"));
    m_keypadChooser->setFixedSize(KEYPAD_CHOOSER_MIN_WIDTH, LANGUAGE_SWITCH_HEIGHT);
    m_keypadChooser->setStyleSheet(languageSwitchStyle());
    m_keypadChooser->setCursor(Qt::PointingHandCursor);
    // The list shows each name whole even where the closed box cuts it.
    m_keypadChooser->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    layout->insertWidget(layout->indexOf(m_exportProfileButton), m_keypadChooser);
    connect(m_keypadChooser, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { emit keypadChosen(m_keypadChooser->itemData(index).toString()); });
}

int TopBar::widestName(const QStringList &names) const
{
    // The box's own font: the style sheet's, once the box has been polished.
    m_keypadChooser->ensurePolished();
    int widest = 0;
    for (const QString &name : names)
        widest = qMax(widest, m_keypadChooser->fontMetrics().horizontalAdvance(name));
    return widest;
}

void TopBar::showKeypads(const QStringList &names, const QStringList &identities, int current)
{
    {
        const QSignalBlocker blocker(m_keypadChooser);
        m_keypadChooser->clear();
        // With one keypad there is nothing to choose: the hidden box holds nothing either.
        for (int i = 0; names.size() >= 2 && i < names.size() && i < identities.size(); ++i) {
            m_keypadChooser->addItem(names[i], identities[i]);
            m_keypadChooser->setItemData(i, names[i], Qt::ToolTipRole);
        }
        m_keypadChooser->setCurrentIndex(current);
        m_keypadChooser->setToolTip(m_keypadChooser->currentText());
        m_keypadChooser->view()->setMinimumWidth(widestName(names) + 40);
    }
    // As wide as the open keypad's name (the serial number or path at its end is what tells
    // twins apart; the list shows every name whole), taken from the status's room.
    const bool wasOffered = m_keypadChooser->isVisibleTo(this);
    const int before = wasOffered ? m_keypadChooser->width() + layout()->spacing() : 0;
    const bool offered = names.size() >= 2;
    if (offered)
        m_keypadChooser->setFixedWidth(
            qBound(KEYPAD_CHOOSER_MIN_WIDTH, widestName({m_keypadChooser->currentText()}) + 44,
                   KEYPAD_CHOOSER_MAX_WIDTH));
    const int after = offered ? m_keypadChooser->width() + layout()->spacing() : 0;
    m_status->setLargestMinimumWidth(m_status->largestMinimumWidth() + before - after);
    m_keypadChooser->setVisible(offered);
}

void TopBar::showLanguage(bool chinese)
{
    m_chinese = chinese;
    const QSignalBlocker blocker(m_languageSwitch);
    m_languageSwitch->setCurrentIndex(chinese ? 1 : 0);
}

void TopBar::setAccessFixOffered(bool offered)
{
    if (offered == m_accessFixButton->isVisibleTo(this))
        return;
    const int room = ACCESS_FIX_ROOM + layout()->spacing();
    m_status->setLargestMinimumWidth(m_status->largestMinimumWidth() + (offered ? -room : room));
    m_accessFixButton->setVisible(offered);
}

void TopBar::applyFontScale(double scale)
{
    // The status line's own rule on the bar outranks the window sheet's 24 px. Setting a
    // sheet polishes the whole bar again, so an unchanged one is left alone.
    const QString sheet = QStringLiteral("QLabel#topTipBar { font-size: %1px; }")
                              .arg(qMax(18, nearestPx(24 * scale)));
    if (styleSheet() != sheet)
        setStyleSheet(sheet);
}

void TopBar::applyScale(double scale)
{
    setFixedHeight(qMax(BAR_HEIGHT, nearestPx(BAR_HEIGHT * scale)));
    m_status->setFixedHeight(qMax(STATUS_HEIGHT, nearestPx(STATUS_HEIGHT * scale)));
}
