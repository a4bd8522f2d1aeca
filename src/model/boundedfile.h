#pragma once

#include <QByteArray>
#include <QString>

// Reads a small file whole, with a bound, and only from a regular file. Profiles and the
// settings file are named by users and scripts; a path that is a pipe, a device or a
// directory must not hang the program (opening a FIFO waits for a writer) or make it read
// without end (/dev/zero), and a huge file must not be read only to be refused.
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
    // path in a message ("cannot read (No such file or directory)", "a pipe, not a file",
    // "20000000 bytes, too large for a profile"); `what` names the kind of file for the last.
    static Outcome read(const QString &path, qint64 maxBytes, const QString &what,
                        QByteArray *bytes, QString *problem);
};
