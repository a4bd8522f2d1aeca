#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

namespace sim {

// A capture of the device link's conversation (written by LinkCapture), read back strictly so
// that a keypad can be replayed from it: a file that is cut short or malformed is refused with
// the number of the line where it goes wrong, never half used.
class CaptureFile
{
public:
    // One interface of a candidate keypad as the scan saw it (a "device" line).
    struct Interface {
        quint16 vendorId = 0;
        quint16 productId = 0;
        int number = 0;
        quint16 usagePage = 0;
        quint16 usage = 0;
        QByteArray path;
        int line = 0;
    };
    // One report the program wrote, and the reports it read before it wrote the next one or
    // closed the keypad: the keypad's answer to it.
    struct Exchange {
        QByteArray request;
        QVector<QByteArray> replies;
        int line = 0; // of the request
    };

    // Far more than a long session's capture, far less than memory.
    static constexpr qint64 MAX_FILE_BYTES = 64 * 1024 * 1024;

    // False when the file cannot be read or is refused; errorString() tells why. Only a
    // regular file of at most MAX_FILE_BYTES is read: a pipe, a device or a directory is
    // refused without waiting on it.
    bool load(const QString &path);
    bool parse(const QByteArray &text);

    QString errorString() const { return m_error; }
    // The line a refusal is about (0 when the file could not be read at all).
    int errorLine() const { return m_errorLine; }

    const QVector<Interface> &interfaces() const { return m_interfaces; }
    const QVector<Exchange> &exchanges() const { return m_exchanges; }
    // The path of the first interface the program opened; empty when it opened none.
    QByteArray openedPath() const { return m_openedPath; }
    // The interfaces of the keypad the program opened (those sharing its vendor and product
    // ID), each interface number once; empty when it opened none.
    QVector<Interface> openedKeypad() const;

private:
    bool fail(int line, const QString &why);
    bool parseLine(int line, const QByteArray &text);

    QVector<Interface> m_interfaces;
    QVector<Exchange> m_exchanges;
    QByteArray m_openedPath;
    QString m_error;
    int m_errorLine = 0;
    // Parser state
    bool m_sawVersion = false;
    bool m_sawEnd = false;
    bool m_inExchange = false;
    qint64 m_lastTime = 0;
};

} // namespace sim
