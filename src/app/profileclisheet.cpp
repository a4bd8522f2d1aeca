// The layout sheet from the command line: of the connected keypad (read as for an export)
// or of a saved profile with no keypad at all. Both draw a profile, so a sheet of a keypad
// and the sheet of the profile exported from it are the same sheet.
#include "app/profilecli.h"

#include "app/layoutsheet.h"
#include "app/profilefiles.h"
#include "model/keyboarddata.h"

int ProfileCli::exportSheet(const QString &path, const QString &profilePath, const QString &paperName,
                            UiText::Language language)
{
    // Everything that can be refused is refused before the keypad is touched.
    LayoutSheet::Paper paper = LayoutSheet::defaultPaper();
    if (!paperName.isEmpty() && !LayoutSheet::paperFromName(paperName, &paper)) {
        fail(QStringLiteral("Error: --paper takes a4 or letter, not '%1'").arg(paperName));
        return BadFileOrUsage;
    }
    if (LayoutSheet::formatOf(path) == LayoutSheet::Format::Unknown) {
        fail(QStringLiteral("Error: %1: a layout sheet is written as .pdf, .svg or .png").arg(path));
        return BadFileOrUsage;
    }

    ProfileData profile;
    if (!profilePath.isEmpty()) {
        QString error;
        if (!Profile::readFile(profilePath, &profile, &error)) {
            fail(QStringLiteral("Error: profile refused: %1").arg(error));
            return BadFileOrUsage;
        }
        say(QStringLiteral("Profile %1 read (made on: %2)").arg(profilePath, profile.device.describe()));
    } else {
        if (!readKeypadProfile(&profile))
            return DeviceFailure;
    }

    const LayoutSheet sheet(LayoutSheetData::fromProfile(profile, language), paper);
    QStringList written;
    QString error;
    if (!sheet.write(path, &written, &error)) {
        fail(QStringLiteral("Error: %1").arg(error));
        return BadFileOrUsage;
    }
    for (const QString &file : qAsConst(written))
        say(QStringLiteral("Layout sheet written to %1").arg(file));
    return Success;
}
