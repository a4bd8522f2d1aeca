#pragma once

#include <QByteArray>
#include <QString>

// Reads a small file whole, with a bound, and only from a regular file; writes one whole, only
// over a regular file. Profiles, captures and the settings files are named by users and
// scripts; a path that is a pipe, a device or a directory must not hang the program (opening
// a FIFO waits for a writer), make it read without end (/dev/zero), or be replaced by a
// regular file, and a huge file must not be read only to be refused.
class BoundedFile
{
public:
    enum Outcome {
        Read,       // `bytes` holds the whole file
        CannotOpen, // missing, no permission, or a read error
        NotAFile,   // a directory, a pipe, a device or a socket: not opened for reading
        TooLarge,   // more than the limit; at most limit + 1 bytes were read
    };

    // Reads `path` into `bytes` when it is a regular file of at most `maxBytes` bytes. On any
    // other outcome `bytes` is left empty and `problem` says why, in a form that follows the
    // path in a message ("cannot read (no such file or directory)", "a pipe, not a file",
    // "20000000 bytes, too large for a profile"); `what` names the kind of file for the last.
    static Outcome read(const QString &path, qint64 maxBytes, const QString &what,
                        QByteArray *bytes, QString *problem);

    // Writes `bytes` as the whole content of `path`: into a new file in the same folder,
    // which then replaces `path` in one step, so a failure at any point leaves what was
    // there before and no temporary file. A symbolic link is written through (the link
    // stays). Only a regular file or no file is replaced: over a pipe, a device or a
    // directory nothing is written and `problem` says what the path is ("a device, not a
    // file"); other failures give the system's reason ("cannot write (no space left on
    // device)").
    static bool write(const QString &path, const QByteArray &bytes, QString *problem);
#ifdef Q_OS_UNIX
    // The writing step alone, on an open descriptor: every byte, or false with `problem`
    // as above.
    static bool writeAll(int fd, const QByteArray &bytes, QString *problem);
#endif
};
