// The language switch of the top bar: every text turns at once, and the choice is kept for
// the user's next start (in the per-user settings, never in Config.ini, which may lie in a
// folder only root can write).
#include "app/widget.h"

#include "app/qttranslations.h"
#include "app/startupsettings.h"
#include "i18n/uitext.h"
#include "model/logcategories.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDebug>
#include <QSignalBlocker>

namespace {

// With the layout's spacing before it, the switch fills the 84 px the top bar always kept
// free at its right end, so the status text stays where it was.
constexpr int LANGUAGE_SWITCH_WIDTH = 76;
constexpr int LANGUAGE_SWITCH_HEIGHT = 34;

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

void Widget::addLanguageSwitch(QHBoxLayout *topBarLayout)
{
    m_languageSwitch = new QComboBox(m_topBar);
    m_languageSwitch->setObjectName(QStringLiteral("languageSwitch"));
    // Each language under its own name, so a user who cannot read the current one still
    // finds theirs.
    m_languageSwitch->addItem(QStringLiteral("English"));
    m_languageSwitch->addItem(QStringLiteral("中文"));
    m_languageSwitch->setCurrentIndex(m_chinese ? 1 : 0);
    m_languageSwitch->setFixedSize(LANGUAGE_SWITCH_WIDTH, LANGUAGE_SWITCH_HEIGHT);
    m_languageSwitch->setStyleSheet(languageSwitchStyle());
    m_languageSwitch->setCursor(Qt::PointingHandCursor);
    m_languageSwitch->setToolTip(QStringLiteral("Interface language"));
    topBarLayout->addWidget(m_languageSwitch);

    // `activated` comes from the user only; setChinese moves the switch without it.
    connect(m_languageSwitch, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        const bool chinese = index == 1;
        setChinese(chinese);
        StartupSettings::rememberLanguage(chinese);
    });
}

void Widget::setChinese(bool chinese)
{
    if (chinese == m_chinese)
        return;
    m_chinese = chinese;
    UiText::setLanguage(chinese ? UiText::Language::Chinese : UiText::Language::English);
    QtTranslations::apply(chinese);
    updateLanguageTexts();
    if (m_languageSwitch) {
        const QSignalBlocker blocker(m_languageSwitch);
        m_languageSwitch->setCurrentIndex(chinese ? 1 : 0);
    }
    qCDebug(lcWindow) << "Widget: language switched to" << (chinese ? "zh" : "en");
}
