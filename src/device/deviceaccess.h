#pragma once

#include <QString>

// Telling "the keypad is there but we may not open it" apart from other open failures
// (the node vanished, the interface is busy), so the window can point at the udev rule.
namespace DeviceAccess {

// `openErrno`: errno as it stood right after hid_open_path failed (cleared before the call).
// `hidError`: hid_error(nullptr) after the failure, may be empty. `path`: the path that
// failed. hidapi does not promise to keep errno, and its message is translated with the
// process locale, so all three are consulted.
bool isPermissionDenied(int openErrno, const QString &hidError, const char *path);

} // namespace DeviceAccess
