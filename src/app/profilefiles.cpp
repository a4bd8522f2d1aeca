#include "app/profilefiles.h"

#include "model/keyboarddata.h"

#include <QSaveFile>

namespace ProfileFiles {

ProfileData keypadProfile(const KeyboardData &model, const ProfileDevice &device)
{
    ProfileData p = Profile::fromModel(model, device);
    const int layers = device.usableLayerCount();
    const bool lighting = device.protocol != ProfileDevice::Protocol::LegacyOld;
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l) {
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k)
            p.keyPresent[l][k] = l < layers && device.hasSlot(k);
        p.ledPresent[l] = lighting && l < layers;
    }
    return p;
}

bool write(const QString &path, const ProfileData &profile, QString *error)
{
    QSaveFile file(path);
    const QByteArray bytes = Profile::toJson(profile);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("%1: cannot write (%2)").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace ProfileFiles
