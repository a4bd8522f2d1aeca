#include "model/boundedfile.h"

#include "model/filetext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

namespace {

QString cannotRead(const QString &reason)
{
    return QStringLiteral("cannot read (%1)").arg(reason);
}

QString cannotWrite(const QString &reason)
{
    return QStringLiteral("cannot write (%1)").arg(reason);
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

// Where a write through `path` lands: the file a symbolic link names (the link itself stays,
// as an editor keeps it), else `path`.
QString writeTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

// What stands at `target`: true with `exists` false for nothing, true with its mode for a
// regular file, false with `problem` set for anything else or a failed look.
bool mayReplace(const QByteArray &target, bool *exists, mode_t *mode, QString *problem)
{
    struct stat st;
    if (::stat(target.constData(), &st) != 0) {
        if (errno != ENOENT) {
            *problem = cannotWrite(FileText::systemReason(errno));
            return false;
        }
        *exists = false;
        return true;
    }
    if (!S_ISREG(st.st_mode)) {
        *problem = notAFile(st.st_mode);
        return false;
    }
    *exists = true;
    *mode = st.st_mode & 07777;
    return true;
}

// A new, empty file beside `target` that no one else has open, or -1 with `problem` set.
int createBeside(const QString &target, QByteArray *tempName, QString *problem)
{
    const QFileInfo info(target);
    for (int attempt = 0;; ++attempt) {
        // Hidden, and named after the file it becomes, should a crash leave it behind.
        const QString name = QStringLiteral(".%1.%2.tmp")
                                 .arg(info.fileName())
                                 .arg(QRandomGenerator::global()->generate() & 0xFFFFFF, 6, 16,
                                      QLatin1Char('0'));
        *tempName = QFile::encodeName(info.dir().filePath(name));
        // 0666 less the umask, as any new file; a replaced file's own mode is set after.
        const int fd = ::open(tempName->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0)
            return fd;
        if ((errno == EEXIST && attempt < 100) || errno == EINTR)
            continue;
        *problem = cannotWrite(FileText::systemReason(errno));
        return -1;
    }
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
        *problem = cannotRead(FileText::systemReason(errno));
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
        *problem = cannotRead(FileText::systemReason(errno));
        return CannotOpen;
    }
    if (::fstat(fd, &st) != 0) {
        *problem = cannotRead(FileText::systemReason(errno));
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
            *problem = cannotRead(FileText::systemReason(errno));
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

#ifdef Q_OS_UNIX
bool BoundedFile::writeAll(int fd, const QByteArray &bytes, QString *problem)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that takes nothing without an error would loop for ever: call it full.
            *problem = cannotWrite(FileText::systemReason(n < 0 ? errno : ENOSPC));
            return false;
        }
        done += n;
    }
    return true;
}
#endif

bool BoundedFile::write(const QString &path, const QByteArray &bytes, QString *problem)
{
    problem->clear();
#ifdef Q_OS_UNIX
    const QString target = writeTarget(path);
    const QByteArray targetName = QFile::encodeName(target);
    bool exists = false;
    mode_t mode = 0;
    if (!mayReplace(targetName, &exists, &mode, problem))
        return false;
    QByteArray tempName;
    const int fd = createBeside(target, &tempName, problem);
    if (fd < 0)
        return false;
    const auto failed = [problem] {
        *problem = cannotWrite(FileText::systemReason(errno));
        return false;
    };
    // A replaced file keeps who may read it.
    bool ok = (!exists || ::fchmod(fd, mode) == 0 || failed()) && writeAll(fd, bytes, problem);
    // Some file systems report a full disk only when the data reaches it.
    ok = ok && (::fsync(fd) == 0 || failed());
    const bool closed = ::close(fd) == 0;
    ok = ok && (closed || failed());
    // Looked at again just before: rename() would put a regular file in a pipe's or a
    // device's place as readily as in a file's.
    if (ok)
        ok = mayReplace(targetName, &exists, &mode, problem);
    ok = ok && (::rename(tempName.constData(), targetName.constData()) == 0 || failed());
    if (!ok)
        ::unlink(tempName.constData());
    return ok;
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *problem = info.isDir() ? QStringLiteral("a directory, not a file")
                                : QStringLiteral("not a regular file");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *problem = cannotWrite(file.errorString());
        return false;
    }
    return true;
#endif
}
