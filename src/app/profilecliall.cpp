// `--import FILE --all`: one profile onto every plugged keypad of its model, each verified.
#include "app/profilecli.h"

#include "device/hidmanager.h"

int ProfileCli::importProfileToAll(const QString &path)
{
    // The file is checked whole before any keypad is touched.
    ProfileData profile;
    QString error;
    if (!Profile::readFile(path, &profile, &error)) {
        fail(QStringLiteral("Error: profile refused: %1").arg(error));
        return BadFileOrUsage;
    }
    const QVector<KeypadEntry> keypads = m_hid->surveyKeypads();
    if (keypads.isEmpty()) {
        fail(QStringLiteral("Error: no keypad found; connect it with a USB cable"));
        return DeviceFailure;
    }
    const bool anyModel = profile.device.protocol == ProfileDevice::Protocol::None;
    const QString preferred = m_hid->preferredKeypad();
    QStringList outcome;
    int tried = 0;
    int verified = 0;
    for (int i = 0; i < keypads.size(); ++i) {
        const KeypadEntry &k = keypads[i];
        const QString name = QStringLiteral("%1  %2").arg(i + 1).arg(k.identity());
        const ProfileDevice device = !k.modelKnown ? ProfileDevice()
                                     : k.legacy    ? ProfileDevice::fromLegacyInfo(k.legacyModel)
                                                   : ProfileDevice::fromDeviceInfo(k.model);
        if (!k.modelKnown || (!anyModel && !profile.device.isSameModel(device))) {
            outcome << QStringLiteral("%1: skipped (%2)")
                           .arg(name, k.modelKnown ? device.describe() : QStringLiteral("model unknown"));
            continue;
        }
        say(QStringLiteral("Keypad %1 of %2: %3").arg(i + 1).arg(keypads.size()).arg(k.identity()));
        // One keypad after the other through the one link: close the last, open this one.
        m_hid->disconnectDevice();
        m_hid->setPreferredKeypad(k.identity());
        ProfileCli one;
        one.setLineSink(m_sink);
        one.setWaitTimeoutMs(m_waitMs);
        const int rc = one.importProfile(path);
        m_lines << one.lines();
        ++tried;
        verified += rc == Success ? 1 : 0;
        outcome << QStringLiteral("%1: %2").arg(name, rc == Success ? QStringLiteral("verified")
                                                                  : QStringLiteral("FAILED (exit %1)").arg(rc));
    }
    m_hid->disconnectDevice();
    m_hid->setPreferredKeypad(preferred);
    for (const QString &line : qAsConst(outcome))
        say(line);
    if (tried == 0) {
        fail(QStringLiteral("Error: no plugged keypad is the profile's model (%1)").arg(profile.device.describe()));
        return DeviceFailure;
    }
    if (verified < tried) {
        fail(QStringLiteral("Error: %1 of %2 keypads did not take the profile").arg(tried - verified).arg(tried));
        return DeviceFailure;
    }
    say(QStringLiteral("Profile imported and verified on %1 of %2 keypads").arg(verified).arg(keypads.size()));
    return Success;
}
