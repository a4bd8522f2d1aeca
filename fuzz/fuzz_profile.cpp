// Fuzz target for profile files: the duplicate-member scan and the reader on any bytes, and
// for what the reader accepts, the promises the import builds on: what it writes back reads
// the same, and it loads into a keypad of every kind and compares against the result without
// a fault. Build and run: scripts/checks.d/fuzz-profile.
#include "model/jsonmembers.h"
#include "model/keyboarddata.h"
#include "model/profile.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

QVector<ProfileDevice> targets()
{
    ProfileDevice none;
    DeviceInfo knob;
    knob.valid = true;
    knob.encoderCount = 1;
    knob.layerCount = 2;
    LegacyDeviceInfo r10;
    r10.valid = true;
    r10.keyCount = 16;
    r10.encoderCount = 3;
    r10.version = 10;
    r10.format = LegacyDeviceInfo::R10Udav;
    LegacyDeviceInfo old;
    old.valid = true;
    old.keyCount = 15;
    old.encoderCount = 1;
    old.version = 8;
    return {none, ProfileDevice::fromDeviceInfo(knob), ProfileDevice::fromLegacyInfo(r10),
            ProfileDevice::fromLegacyInfo(old)};
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A copy of exactly the input's size, so a read past its end is caught.
    const QByteArray json(reinterpret_cast<const char *>(data), int(size));

    QString place, name;
    int offset = -1;
    if (JsonMembers::firstDuplicate(json, &place, &name, &offset) && (offset < 0 || offset >= json.size()))
        std::abort();

    ProfileData profile;
    QString error;
    if (!Profile::parse(json, &profile, &error)) {
        if (error.isEmpty()) // a refusal always says why
            std::abort();
        return 0;
    }

    const QByteArray written = Profile::toJson(profile);
    ProfileData again;
    if (!Profile::parse(written, &again, &error) || Profile::toJson(again) != written)
        std::abort();

    static const QVector<ProfileDevice> kinds = targets();
    for (const ProfileDevice &target : kinds) {
        KeyboardData model;
        const ProfileImportResult r = Profile::apply(profile, target, model);
        if (!r.ok || r.notFitted != Profile::notFitting(profile, target))
            std::abort();
        // A keypad holding what was loaded holds the profile, by the check run after a write.
        if (!Profile::differences(profile, target, model.layers(), model.ledConfigs()).isEmpty())
            std::abort();
    }
    return 0;
}
