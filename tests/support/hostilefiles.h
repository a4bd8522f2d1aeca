#pragma once

// Paths that a program reading small files (profiles, settings) must refuse without reading:
// a named pipe, a device, a directory and a file over the limit.
//
//     testsupport::HostileFiles hostile(Profile::MAX_FILE_BYTES + 1);
//     QVERIFY(hostile.ok());
//     for (const auto &e : hostile.entries()) { ... e.path ... e.problem ... }

#include <QSemaphore>
#include <QString>
#include <QTemporaryDir>
#include <QVector>

#include <thread>

namespace testsupport {

// A named pipe, made on construction and removed on destruction. Should the code under test
// block opening it for reading anyway, a writer comes by after `unblockAfterMs` (and again
// every 100 ms) and closes at once: the test then fails its time check instead of hanging.
class NamedPipe
{
public:
    explicit NamedPipe(const QString &path, int unblockAfterMs = 5000);
    ~NamedPipe();
    NamedPipe(const NamedPipe &) = delete;
    NamedPipe &operator=(const NamedPipe &) = delete;

    bool ok() const { return m_ok; }
    QString path() const { return m_path; }

private:
    QString m_path;
    bool m_ok = false;
    QSemaphore m_done;
    std::thread m_watchdog;
};

class HostileFiles
{
public:
    struct Entry {
        QString path;
        QString problem; // the words the refusal must contain
    };

    // `oversizeBytes`: size of the (sparse) regular file that is one byte too many.
    explicit HostileFiles(qint64 oversizeBytes);

    bool ok() const { return m_ok && m_pipe.ok(); }
    // The pipe, /dev/zero, a directory and the oversized file, in that order.
    QVector<Entry> entries() const;
    // What a write must leave as it is: the pipe, a device node, the directory and a
    // symbolic link to the pipe. The device node is one of this fixture's own when the
    // system lets it make one (as root, where a faulty write would replace /dev/full for
    // the whole machine), else /dev/full.
    QVector<Entry> writeTargets() const;
    // The folder the entries lie in.
    QString dir() const { return m_dir.path(); }

    // What is at `path` itself (type, inode, device numbers), to show it is still the same
    // node after a write was refused.
    static QString nodeAt(const QString &path);
    // Every name in `dir`, hidden ones too: a write must leave no temporary file behind.
    static QStringList namesIn(const QString &dir);

private:
    QTemporaryDir m_dir;
    NamedPipe m_pipe;
    qint64 m_oversize;
    QString m_device;
    bool m_ok = false;
};

} // namespace testsupport
