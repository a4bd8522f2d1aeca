#include "app/profileactions.h"

#include "app/edithistory.h"
#include "app/layoutsheet.h"
#include "app/layoutsheetdata.h"
#include "app/profilefiles.h"
#include "model/keyboarddata.h"
#include "model/logcategories.h"
#include "session/keypadsession.h"

#include <QDebug>
#include <QDir>

ProfileActions::ProfileActions(KeypadSession *session, KeyboardData *model, QObject *parent)
    : QObject(parent), m_session(session), m_model(model)
{
}

void ProfileActions::setProfilePathChooser(ProfilePathChooser chooser)
{
    m_profilePathChooser = std::move(chooser);
}

void ProfileActions::setSheetPathChooser(SheetPathChooser chooser)
{
    m_sheetPathChooser = std::move(chooser);
}

void ProfileActions::setSheetSource(SheetSource source)
{
    m_sheetSource = std::move(source);
}

ProfileDevice ProfileActions::profileTarget() const
{
    if (!m_session->isConnected())
        return ProfileDevice();
    return m_session->isLegacy() ? ProfileDevice::fromLegacyInfo(m_session->legacyInfo())
                                 : ProfileDevice::fromDeviceInfo(m_session->deviceInfo());
}

void ProfileActions::exportProfile()
{
    qCDebug(lcWindow) << "[UI][click] Export profile";
    const QString path = m_profilePathChooser ? m_profilePathChooser(true) : QString();
    if (path.isEmpty())
        return;
    QString error;
    const ProfileData profile = ProfileFiles::keypadProfile(*m_model, profileTarget());
    if (!ProfileFiles::write(path, profile, &error)) {
        qCDebug(lcWindow) << "Widget: profile export failed:" << error;
        emit finished(text(QStringLiteral("Profile not exported")), error, true);
        return;
    }
    qCDebug(lcWindow) << "Widget: profile exported to" << path;
    emit finished(text(QStringLiteral("Profile exported")), QDir::toNativeSeparators(path), false);
}

void ProfileActions::importProfile()
{
    qCDebug(lcWindow) << "[UI][click] Import profile";
    // Without a keypad there is nothing to save the edits to, and the next connection's read
    // would replace them; while a read or save runs, its result would do the same.
    if (!m_session->isConnected()) {
        emit finished(text(QStringLiteral("Connect the keypad before importing a profile")),
                      QString(), true);
        return;
    }
    if (m_session->isBusy()) {
        emit finished(text(QStringLiteral("The keypad is busy: import again in a moment")),
                      QString(), true);
        return;
    }
    const QString path = m_profilePathChooser ? m_profilePathChooser(false) : QString();
    if (path.isEmpty())
        return;

    if (m_history)
        m_history->nameStep(QStringLiteral("Import Profile"));
    const ProfileImportResult r = Profile::importFromFile(path, profileTarget(), *m_model);
    if (!r.ok) {
        qCDebug(lcWindow) << "Widget: profile refused:" << r.error;
        emit finished(text(QStringLiteral("Profile refused")), r.error, true);
        return;
    }
    qCDebug(lcWindow).nospace() << "Widget: profile imported keys=" << r.keysChanged
                                << " lighting=" << r.lightingChanged << " notFitted=" << r.notFitted.size();

    QString status;
    if (r.keysChanged == 0 && r.lightingChanged == 0)
        status = text(QStringLiteral("The profile matches the keypad: nothing changed"));
    else
        status = text(QStringLiteral("Profile imported: %1 keys, %2 lighting layers changed"))
                     .arg(r.keysChanged)
                     .arg(r.lightingChanged);
    QStringList details;
    if (r.keysChanged > 0 || r.lightingChanged > 0)
        details << text(QStringLiteral("Save Settings writes the changes to the keypad."));
    if (!r.notFitted.isEmpty())
        details << text(QStringLiteral("Not imported, this keypad cannot hold:")) + QLatin1Char('\n')
                       + r.notFitted.join(QLatin1Char('\n'));
    emit finished(status, details.join(QStringLiteral("\n\n")), false);
}

LayoutSheetData ProfileActions::sheetData(const PhysicalLayoutConfig &panel, const SlotMap &slotMap,
                                          int layerCount) const
{
    LayoutSheetData d;
    d.panel = panel;
    d.device = profileTarget();
    d.slotMap = slotMap;
    d.layerCount = qMax(1, layerCount);
    d.layers = m_model->layers();
    d.ledConfigs = m_model->ledConfigs();
    // "Old" keypads cannot report their lighting: colours shown for them are guesses.
    const bool lighting =
        !(m_session->isLegacy() && m_session->legacyInfo().format == LegacyDeviceInfo::Old);
    d.lightingKnown = QVector<bool>(d.layers.size(), lighting);
    d.unsaved = m_model->hasUnsavedChanges();
    d.date = QDate::currentDate();
    d.language = m_language;
    return d;
}

void ProfileActions::exportSheet()
{
    qCDebug(lcWindow) << "[UI][click] Export layout sheet";
    const QString path = m_sheetPathChooser ? m_sheetPathChooser() : QString();
    if (path.isEmpty() || !m_sheetSource)
        return;
    QStringList written;
    QString error;
    if (!LayoutSheet(m_sheetSource()).write(path, &written, &error)) {
        qCDebug(lcWindow) << "Widget: layout sheet not written:" << error;
        emit finished(text(QStringLiteral("Layout sheet not exported")), error, true);
        return;
    }
    qCDebug(lcWindow) << "Widget: layout sheet written to" << written;
    QStringList shown;
    for (const QString &file : qAsConst(written))
        shown << QDir::toNativeSeparators(file);
    emit finished(text(QStringLiteral("Layout sheet exported")), shown.join(QLatin1Char('\n')), false);
}
