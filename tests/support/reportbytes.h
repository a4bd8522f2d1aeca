#pragma once

// Building expected current-protocol requests in tests of the bytes on the wire.

#include <QByteArray>

namespace testsupport {

inline QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

// A 63-byte request: `head`, zero fill, XOR of bytes 0-61 in byte 62.
inline QByteArray packet(const QByteArray &head)
{
    QByteArray p = head.left(62);
    p.append(QByteArray(62 - p.size(), '\0'));
    char x = 0;
    for (char c : p)
        x ^= c;
    p.append(x);
    return p;
}

} // namespace testsupport
