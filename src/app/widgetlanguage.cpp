// The language switch of the top bar: every text turns at once, and the choice is kept for
// the user's next start (in the per-user settings, never in Config.ini, which may lie in a
// folder only root can write).
#include "app/widget.h"

#include "app/qttranslations.h"
#include "app/startupsettings.h"
#include "i18n/uitext.h"
#include "model/logcategories.h"

#include <QDebug>

void Widget::initLanguageSwitch()
{
    connect(m_topBar, &TopBar::languageChosen, this, [this](bool chinese) {
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
    if (m_profileActions)
        m_profileActions->setLanguage(UiText::language());
    QtTranslations::apply(chinese);
    updateLanguageTexts();
    if (m_topBar) {
        m_topBar->showLanguage(chinese);
        refreshKeypadChooser();
    }
    qCDebug(lcWindow) << "Widget: language switched to" << (chinese ? "zh" : "en");
}
