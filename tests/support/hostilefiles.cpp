#include "support/hostilefiles.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace testsupport {

NamedPipe::NamedPipe(const QString &path, int unblockAfterMs)
    : m_path(path)
{
    const QByteArray name = QFile::encodeName(path);
    m_ok = ::mkfifo(name.constData(), 0600) == 0;
    if (!m_ok)
        return;
    m_watchdog = std::thread([this, name, unblockAfterMs] {
        int wait = unblockAfterMs;
        while (!m_done.tryAcquire(1, wait)) {
            // Succeeds only while someone has the pipe open for reading, which it releases.
            const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            wait = 100;
        }
    });
}

NamedPipe::~NamedPipe()
{
    if (!m_ok)
        return;
    m_done.release();
    m_watchdog.join();
    ::unlink(QFile::encodeName(m_path).constData());
}

HostileFiles::HostileFiles(qint64 oversizeBytes)
    : m_pipe(m_dir.filePath(QStringLiteral("pipe.json"))), m_oversize(oversizeBytes)
{
    QFile huge(m_dir.filePath(QStringLiteral("huge.json")));
    // resize() leaves a sparse file: the size is real, the disk stays empty.
    m_ok = m_dir.isValid() && QDir(m_dir.path()).mkdir(QStringLiteral("folder.json"))
           && huge.open(QIODevice::WriteOnly) && huge.resize(oversizeBytes)
           && QFile::link(m_pipe.path(), m_dir.filePath(QStringLiteral("link-to-pipe.json")));
    // The numbers of /dev/full.
    const QString own = m_dir.filePath(QStringLiteral("device.json"));
    m_device = ::mknod(QFile::encodeName(own).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0
                   ? own
                   : QStringLiteral("/dev/full");
}

QVector<HostileFiles::Entry> HostileFiles::entries() const
{
    return {
        {m_pipe.path(), QStringLiteral("a pipe, not a file")},
        {QStringLiteral("/dev/zero"), QStringLiteral("a device, not a file")},
        {m_dir.filePath(QStringLiteral("folder.json")), QStringLiteral("a directory, not a file")},
        {m_dir.filePath(QStringLiteral("huge.json")), QStringLiteral("%1 bytes, too large").arg(m_oversize)},
    };
}

QVector<HostileFiles::Entry> HostileFiles::writeTargets() const
{
    return {
        {m_pipe.path(), QStringLiteral("a pipe, not a file")},
        {m_device, QStringLiteral("a device, not a file")},
        {m_dir.filePath(QStringLiteral("folder.json")), QStringLiteral("a directory, not a file")},
        {m_dir.filePath(QStringLiteral("link-to-pipe.json")), QStringLiteral("a pipe, not a file")},
    };
}

QString HostileFiles::nodeAt(const QString &path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("nothing");
    return QStringLiteral("mode %1 inode %2 device %3:%4")
        .arg(st.st_mode, 0, 8)
        .arg(st.st_ino)
        .arg(major(st.st_rdev))
        .arg(minor(st.st_rdev));
}

QStringList HostileFiles::namesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                               QDir::Name);
}

} // namespace testsupport
