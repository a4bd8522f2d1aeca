#include "device/deviceaccess.h"

#include <cerrno>

#include <unistd.h>

namespace DeviceAccess {

bool isPermissionDenied(int openErrno, const QString &hidError, const char *path)
{
    if (openErrno == EACCES || openErrno == EPERM)
        return true;
    // hidapi's own message ends in strerror(errno); untranslated in the C locale.
    if (hidError.contains(QLatin1String("Permission denied"), Qt::CaseInsensitive))
        return true;
    // A device node that exists but is not ours to read and write.
    if (path && path[0] == '/') {
        errno = 0;
        if (::access(path, R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM))
            return true;
    }
    return false;
}

} // namespace DeviceAccess
