#include "app/profilefiles.h"

#include "model/keyboarddata.h"


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
    return Profile::writeFile(path, profile, error);
}

} // namespace ProfileFiles
