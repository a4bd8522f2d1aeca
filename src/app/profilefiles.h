#pragma once

#include "model/profile.h"

#include <QString>

class KeyboardData;

// Writing a connected keypad's profile, shared by the window and the command line.
namespace ProfileFiles {

// The model's configuration as a profile of `device`, without what the keypad does not hold:
// layers beyond its own, slots beyond its keys and knobs and lighting it cannot report
// ("Old" keypads) are left out, so
// importing the file into another keypad leaves those parts of it alone instead of
// overwriting them with blank keys and made-up colours.
ProfileData keypadProfile(const KeyboardData &model, const ProfileDevice &device);

// Writes the profile to `path` in one piece (a failed write leaves an older file intact; a
// pipe, a device or a directory is refused, untouched).
bool write(const QString &path, const ProfileData &profile, QString *error);

} // namespace ProfileFiles
