// Profiles in the window: Export writes the configuration the window shows (unsaved edits
// included) to a file, Import loads a file into the model as edits that Save then writes.
// Only files are touched here, never the keypad, so both run on the GUI thread.
#include "app/widget.h"

#include "app/edithistory.h"

#include "app/profilefiles.h"
#include "app/statusline.h"
#include "model/logcategories.h"

#include <QBoxLayout>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

void Widget::initProfileActions()
{
    connect(m_topBar, &TopBar::exportProfileRequested, this, &Widget::onExportProfileClicked);
    connect(m_topBar, &TopBar::importProfileRequested, this, &Widget::onImportProfileClicked);
    m_profilePathChooser = [this](bool forExport) {
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
    };
}

void Widget::setProfilePathChooser(ProfilePathChooser chooser)
{
    m_profilePathChooser = std::move(chooser);
}

ProfileDevice Widget::profileTarget() const
{
    if (!isDeviceConnected())
        return ProfileDevice();
    return isLegacyDevice() ? ProfileDevice::fromLegacyInfo(legacyInfo())
                          : ProfileDevice::fromDeviceInfo(deviceInfo());
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
    qCDebug(lcWindow) << "[UI][click] Export profile";
    const QString path = m_profilePathChooser ? m_profilePathChooser(true) : QString();
    if (path.isEmpty())
        return;
    QString error;
    const ProfileData profile = ProfileFiles::keypadProfile(m_keyboardData, profileTarget());
    if (!ProfileFiles::write(path, profile, &error)) {
        qCDebug(lcWindow) << "Widget: profile export failed:" << error;
        showProfileOutcome(uiText(QStringLiteral("Profile not exported")), error, true);
        return;
    }
    qCDebug(lcWindow) << "Widget: profile exported to" << path;
    showProfileOutcome(uiText(QStringLiteral("Profile exported")), QDir::toNativeSeparators(path),
                       false);
}

void Widget::onImportProfileClicked()
{
    qCDebug(lcWindow) << "[UI][click] Import profile";
    // Without a keypad there is nothing to save the edits to, and the next connection's read
    // would replace them; while a read or save runs, its result would do the same.
    if (!isDeviceConnected()) {
        showProfileOutcome(uiText(QStringLiteral("Connect the keypad before importing a profile")),
                           QString(), true);
        return;
    }
    if (isDeviceTaskRunning()) {
        showProfileOutcome(uiText(QStringLiteral("The keypad is busy: import again in a moment")),
                           QString(), true);
        return;
    }
    const QString path = m_profilePathChooser ? m_profilePathChooser(false) : QString();
    if (path.isEmpty())
        return;

    m_history->nameStep(QStringLiteral("Import Profile"));
    const ProfileImportResult r = Profile::importFromFile(path, profileTarget(), m_keyboardData);
    if (!r.ok) {
        qCDebug(lcWindow) << "Widget: profile refused:" << r.error;
        showProfileOutcome(uiText(QStringLiteral("Profile refused")), r.error, true);
        return;
    }
    qCDebug(lcWindow).nospace() << "Widget: profile imported keys=" << r.keysChanged
                                << " lighting=" << r.lightingChanged << " notFitted=" << r.notFitted.size();

    QString status;
    if (r.keysChanged == 0 && r.lightingChanged == 0)
        status = uiText(QStringLiteral("The profile matches the keypad: nothing changed"));
    else
        status = uiText(QStringLiteral("Profile imported: %1 keys, %2 lighting layers changed"))
                     .arg(r.keysChanged)
                     .arg(r.lightingChanged);
    QStringList details;
    if (r.keysChanged > 0 || r.lightingChanged > 0)
        details << uiText(QStringLiteral("Save Settings writes the changes to the keypad."));
    if (!r.notFitted.isEmpty())
        details << uiText(QStringLiteral("Not imported, this keypad cannot hold:")) + QLatin1Char('\n')
                       + r.notFitted.join(QLatin1Char('\n'));
    showProfileOutcome(status, details.join(QStringLiteral("\n\n")), false);
}
