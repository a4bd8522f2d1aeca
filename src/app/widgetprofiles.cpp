// Profiles in the window: the top bar's Export and Import run ProfileActions with file
// dialogs to choose the files; what came of them shows in the status line and a box.
#include "app/widget.h"

#include "app/statusline.h"
#include "i18n/uitext.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

void Widget::initProfileActions()
{
    m_profileActions = new ProfileActions(m_session, &m_keyboardData, this);
    m_profileActions->setLanguage(m_chinese ? UiText::Language::Chinese : UiText::Language::English);
    connect(m_profileActions, &ProfileActions::finished, this, &Widget::showProfileOutcome);
    connect(m_topBar, &TopBar::exportProfileRequested, this, &Widget::onExportProfileClicked);
    connect(m_topBar, &TopBar::importProfileRequested, this, &Widget::onImportProfileClicked);
    m_profileActions->setProfilePathChooser([this](bool forExport) {
        const QString filter = uiText(QStringLiteral("Keypad profiles (*.json)"));
        if (forExport) {
            QString path = QFileDialog::getSaveFileName(
                this, uiText(QStringLiteral("Export Profile")),
                QDir::home().filePath(QStringLiteral("keypad-profile.json")), filter);
            if (!path.isEmpty() && !path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
                path += QStringLiteral(".json");
            return path;
        }
        return QFileDialog::getOpenFileName(this, uiText(QStringLiteral("Import Profile")),
                                            QDir::homePath(), filter);
    });
}

void Widget::setProfilePathChooser(ProfilePathChooser chooser)
{
    m_profileActions->setProfilePathChooser(std::move(chooser));
}

void Widget::showProfileOutcome(const QString &status, const QString &details, bool failed)
{
    m_status->endMoment();
    m_status->show(status, failed ? QStringLiteral("color: #FF0000; font-weight: bold;")
                                  : QStringLiteral("color: #00FF00; font-weight: bold;"));
    // Not exec(): the box must not run a nested loop inside the click that opened it.
    auto *box = new QMessageBox(failed ? QMessageBox::Warning : QMessageBox::Information,
                                uiText(QStringLiteral("Profile")), status, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("profileMessageBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (!details.isEmpty())
        box->setInformativeText(details);
    box->open();
}

void Widget::onExportProfileClicked()
{
    m_profileActions->exportProfile();
}

void Widget::onImportProfileClicked()
{
    m_profileActions->importProfile();
}
