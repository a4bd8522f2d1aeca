// Several keypads plugged: the chooser in the top bar, switching between them, and the choice
// kept for the next start.
#include "app/widget.h"

#include "app/keypadsummary.h"
#include "app/startupsettings.h"
#include "app/statusline.h"
#include "app/statuspresenter.h"
#include "app/topbar.h"
#include "device/hidmanager.h"
#include "model/logcategories.h"

#include <QComboBox>
#include <QDebug>

void Widget::initKeypadChooser()
{
    HIDManager *hid = HIDManager::instance();
    // A keypad named on the command line wins over the one chosen last time.
    if (hid->preferredKeypad().isEmpty())
        hid->setPreferredKeypad(StartupSettings::rememberedKeypad());
    connect(hid, &HIDManager::keypadsChanged, this, &Widget::refreshKeypadChooser);
    connect(hid, &HIDManager::deviceConnected, this, &Widget::refreshKeypadChooser);
    connect(hid, &HIDManager::deviceDisconnected, this, &Widget::refreshKeypadChooser);
    connect(m_topBar, &TopBar::keypadChosen, this, &Widget::chooseKeypad);
}

QComboBox *Widget::keypadChooser() const
{
    return m_topBar->keypadChooser();
}

void Widget::refreshKeypadChooser()
{
    const HIDManager *hid = HIDManager::instance();
    const QVector<KeypadEntry> keypads = hid->keypads();
    const QString open = hid->openKeypadIdentity();
    const auto language = m_chinese ? UiText::Language::Chinese : UiText::Language::English;
    QStringList names;
    QStringList identities;
    int current = -1;
    for (const KeypadEntry &k : keypads) {
        if (k.identity() == open)
            current = identities.size();
        names << KeypadSummary::chooserText(k, language);
        identities << k.identity();
    }
    m_topBar->showKeypads(names, identities, current);
}

void Widget::sayWhenAnotherKeypadOpened()
{
    // The keypad chosen (here or last time) is not the one the link opened: it was unplugged,
    // or is not plugged in yet. Said, so the user does not edit one keypad believing it is
    // another.
    const HIDManager *hid = HIDManager::instance();
    const QString chosen = hid->preferredKeypad();
    const QString open = hid->openKeypadIdentity();
    if (chosen.isEmpty() || open.isEmpty() || open == chosen)
        return;
    for (const KeypadEntry &k : hid->keypads()) {
        if (k.identity() != open)
            continue;
        const auto language = m_chinese ? UiText::Language::Chinese : UiText::Language::English;
        m_status->show(uiText(QStringLiteral("The chosen keypad is not plugged in: now editing %1"))
                           .arg(KeypadSummary::chooserText(k, language)),
                       StatusPresenter::PROBLEM_STYLE);
        qCDebug(lcWindow).noquote() << "Widget: chosen keypad" << chosen << "absent, opened" << open;
    }
}

void Widget::chooseKeypad(const QString &identity)
{
    HIDManager *hid = HIDManager::instance();
    if (identity.isEmpty() || identity == hid->openKeypadIdentity())
        return;
    // Leaving the keypad is reading another one over the window's edits: the same question
    // as View Settings, and the keypad must be free.
    if ((hid->isConnected() && !session()->isFreeFor("Switch")) || !mayReadOverUnsavedEdits()) {
        refreshKeypadChooser(); // back to the keypad still open
        return;
    }
    qCDebug(lcWindow).noquote() << "Widget: switching to keypad" << identity;
    // The edits were given up: they are not kept for the keypad being left.
    if (m_keyboardData.hasUnsavedChanges())
        m_keyboardData.resetAll();
    hid->setPreferredKeypad(identity);
    StartupSettings::rememberKeypad(identity);
    if (hid->isConnected())
        hid->disconnectDevice(); // the scan that follows opens the chosen one
}
