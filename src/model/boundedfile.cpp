#include "model/boundedfile.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString cannotRead(const QString &reason)
{
    return QStringLiteral("cannot read (%1)").arg(reason);
}

QString tooLarge(qint64 size, const QString &what)
{
    return QStringLiteral("%1 bytes, too large for %2").arg(size).arg(what);
}

#ifdef Q_OS_UNIX
QString notAFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a directory, not a file");
    if (S_ISFIFO(mode))
        return QStringLiteral("a pipe, not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device, not a file");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket, not a file");
    return QStringLiteral("not a regular file");
}
#endif

} // namespace

BoundedFile::Outcome BoundedFile::read(const QString &path, qint64 maxBytes, const QString &what,
                                       QByteArray *bytes, QString *problem)
{
    bytes->clear();
    problem->clear();
#ifdef Q_OS_UNIX
    // Looked at before it is opened: opening is what blocks on a FIFO, and opening some
    // devices has effects of its own.
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0) {
        *problem = cannotRead(qt_error_string(errno));
        return CannotOpen;
    }
    if (!S_ISREG(st.st_mode)) {
        *problem = notAFile(st.st_mode);
        return NotAFile;
    }
    if (st.st_size > maxBytes) {
        *problem = tooLarge(st.st_size, what);
        return TooLarge;
    }
    // Non-blocking, in case the path was replaced by a FIFO since the look; what was opened
    // is checked again on the descriptor itself.
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        *problem = cannotRead(qt_error_string(errno));
        return CannotOpen;
    }
    if (::fstat(fd, &st) != 0) {
        *problem = cannotRead(qt_error_string(errno));
        ::close(fd);
        return CannotOpen;
    }
    if (!S_ISREG(st.st_mode)) {
        *problem = notAFile(st.st_mode);
        ::close(fd);
        return NotAFile;
    }
    // One byte past the limit tells a file that grew since the look from one that fits.
    QByteArray data;
    data.resize(int(qMin<qint64>(st.st_size, maxBytes) + 1));
    qint64 got = 0;
    for (;;) {
        if (got == data.size()) {
            if (got > maxBytes)
                break;
            data.resize(int(qMin<qint64>(got * 2, maxBytes + 1)));
        }
        const ssize_t n = ::read(fd, data.data() + got, size_t(data.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *problem = cannotRead(qt_error_string(errno));
            ::close(fd);
            return CannotOpen;
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    if (got > maxBytes) {
        *problem = tooLarge(qMax<qint64>(got, st.st_size), what);
        return TooLarge;
    }
    data.resize(int(got));
    *bytes = data;
    return Read;
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *problem = info.isDir() ? QStringLiteral("a directory, not a file")
                                : QStringLiteral("not a regular file");
        return NotAFile;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = cannotRead(file.errorString());
        return CannotOpen;
    }
    if (file.size() > maxBytes) {
        *problem = tooLarge(file.size(), what);
        return TooLarge;
    }
    const QByteArray data = file.read(maxBytes + 1);
    if (data.size() > maxBytes) {
        *problem = tooLarge(data.size(), what);
        return TooLarge;
    }
    *bytes = data;
    return Read;
#endif
}
