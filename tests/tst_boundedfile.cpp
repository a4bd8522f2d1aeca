// Writing a file whole or not at all: over a regular file the new content replaces it and
// keeps who may read it, through a symbolic link it goes into the file named, and a write
// that fails half-way leaves the older file, no temporary one, and the system's reason.
#include "model/boundedfile.h"
#include "support/hostilefiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TstBoundedFile : public QObject
{
    Q_OBJECT

private slots:
    void writesWholeOrNothing();
};

void TstBoundedFile::writesWholeOrNothing()
{
    using testsupport::HostileFiles;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("set-up.json"));
    const QByteArray filled(4000, 'x');
    const QByteArray blank("{}");
    QString problem;
    QVERIFY2(BoundedFile::write(path, filled, &problem), qPrintable(problem));

    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    const QStringList names = HostileFiles::namesIn(dir.path());
    QVERIFY2(BoundedFile::write(path, blank, &problem), qPrintable(problem));
    QCOMPARE(contentOf(path), blank);
    QCOMPARE(QFile::permissions(path), permissions);
    const QString link = dir.filePath(QStringLiteral("link.json"));
    QVERIFY(QFile::link(path, link));
    QVERIFY2(BoundedFile::write(link, filled, &problem), qPrintable(problem));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(contentOf(path), filled);
    QStringList withLink = names;
    withLink << QStringLiteral("link.json");
    withLink.sort();
    QCOMPARE(HostileFiles::namesIn(dir.path()), withLink);

    QVERIFY(!BoundedFile::write(dir.path(), blank, &problem));
    QCOMPARE(problem, QStringLiteral("a directory, not a file"));

    // A file size limit stands in for a full disk.
    {
        struct rlimit limit;
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
        const struct rlimit unlimited = limit;
        limit.rlim_cur = 1000;
        void (*const handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        const bool written = BoundedFile::write(path, QByteArray(2000, 'y'), &problem);
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        std::signal(SIGXFSZ, handler);
        QVERIFY(!written);
        QCOMPARE(problem, QStringLiteral("cannot write (file too large)"));
        QCOMPARE(contentOf(path), filled);
        QCOMPARE(HostileFiles::namesIn(dir.path()), withLink);
    }
    // A full disk by its name, not "Unknown error" (the writing step alone: /dev/full as a
    // path is refused as a device).
    {
        const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
        QVERIFY(fd >= 0);
        QVERIFY(!BoundedFile::writeAll(fd, filled, &problem));
        ::close(fd);
        QCOMPARE(problem, QStringLiteral("cannot write (no space left on device)"));
    }
}

QTEST_GUILESS_MAIN(TstBoundedFile)
#include "tst_boundedfile.moc"
