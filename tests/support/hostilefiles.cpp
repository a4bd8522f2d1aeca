#include "support/hostilefiles.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
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
           && huge.open(QIODevice::WriteOnly) && huge.resize(oversizeBytes);
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

} // namespace testsupport
