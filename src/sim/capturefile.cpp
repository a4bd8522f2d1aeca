#include "sim/capturefile.h"

#include "device/linkcapture.h"
#include "model/boundedfile.h"
#include "model/filetext.h"

#include <QList>
#include <QSet>

namespace sim {

namespace {

// The longest report a capture may hold; far above any HID report of the family.
constexpr int MAX_REPORT = 4096;

// A field of the file, as a message quotes it.
QString quoted(const QByteArray &field)
{
    return QStringLiteral("\"%1\"").arg(FileText::excerpt(QString::fromLatin1(field)));
}

bool parseTime(const QByteArray &field, qint64 *out)
{
    if (field.isEmpty() || field.size() > 18)
        return false;
    for (char c : field)
        if (c < '0' || c > '9')
            return false;
    *out = field.toLongLong();
    return true;
}

bool parseHex16(const QByteArray &field, quint16 *out)
{
    bool ok = false;
    const uint v = field.toUInt(&ok, 16);
    if (!ok || field.size() > 4 || v > 0xFFFF)
        return false;
    *out = quint16(v);
    return true;
}

bool isHex(const QByteArray &text)
{
    for (char c : text) {
        const bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit)
            return false;
    }
    return true;
}

} // namespace

bool CaptureFile::load(const QString &path)
{
    QByteArray bytes;
    QString problem;
    if (BoundedFile::read(path, MAX_FILE_BYTES, QStringLiteral("a capture"), &bytes, &problem)
        != BoundedFile::Read) {
        // The caller names the path, as it does for a refusal at a line.
        m_errorLine = 0;
        m_error = problem;
        return false;
    }
    return parse(bytes);
}

bool CaptureFile::fail(int line, const QString &why)
{
    m_errorLine = line;
    m_error = QStringLiteral("line %1: %2").arg(line).arg(why);
    m_interfaces.clear();
    m_exchanges.clear();
    m_openedPath.clear();
    return false;
}

bool CaptureFile::parse(const QByteArray &text)
{
    *this = CaptureFile();
    QList<QByteArray> lines = text.split('\n');
    // A complete file ends with a line end: split leaves an empty last piece then.
    const bool endsWithNewline = lines.last().isEmpty();
    if (endsWithNewline)
        lines.removeLast();
    for (int i = 0; i < lines.size(); ++i) {
        const int number = i + 1;
        if (i == lines.size() - 1 && !endsWithNewline)
            return fail(number, QStringLiteral("the line stops without its line end: the capture was cut short"));
        if (!parseLine(number, lines[i]))
            return false;
    }
    if (!m_sawVersion)
        return fail(qMax(1, lines.size()), QStringLiteral("no version line: not a capture"));
    if (!m_sawEnd)
        return fail(lines.size(), QStringLiteral("the capture stops without its end line: it was cut short"));
    return true;
}

bool CaptureFile::parseLine(int line, const QByteArray &raw)
{
    QByteArray text = raw;
    if (text.endsWith('\r'))
        text.chop(1);
    if (text.isEmpty() || text.startsWith('#'))
        return true;
    const QList<QByteArray> f = text.split(' ');
    for (const QByteArray &field : f)
        if (field.isEmpty())
            return fail(line, QStringLiteral("empty field (two spaces, or a space at an end)"));
    const QByteArray &kind = f[0];

    if (!m_sawVersion) {
        if (kind != LinkCapture::FORMAT_NAME || f.size() != 2)
            return fail(line, QStringLiteral("expected the version line \"%1 %2\"")
                                  .arg(QLatin1String(LinkCapture::FORMAT_NAME))
                                  .arg(LinkCapture::FORMAT_VERSION));
        if (f[1] != QByteArray::number(LinkCapture::FORMAT_VERSION))
            return fail(line, QStringLiteral("capture format version %1 is not known (this program reads %2)")
                                  .arg(FileText::excerpt(QString::fromLatin1(f[1])),
                                       QString::number(LinkCapture::FORMAT_VERSION)));
        m_sawVersion = true;
        return true;
    }
    if (m_sawEnd)
        return fail(line, QStringLiteral("a record after the end line"));
    if (f.size() < 2)
        return fail(line, QStringLiteral("record %1 without its time").arg(quoted(kind)));
    qint64 time = 0;
    if (!parseTime(f[1], &time))
        return fail(line, QStringLiteral("bad time %1").arg(quoted(f[1])));
    if (time < m_lastTime)
        return fail(line, QStringLiteral("the time goes backwards"));
    m_lastTime = time;

    auto wantFields = [&](int n) {
        return f.size() == n
                   ? true
                   : fail(line, QStringLiteral("record %1 has %2 fields, expected %3")
                                    .arg(quoted(kind), QString::number(f.size()), QString::number(n)));
    };

    if (kind == "device") {
        if (!wantFields(8))
            return false;
        Interface itf;
        bool ok = false;
        itf.number = f[4].toInt(&ok, 16);
        if (!parseHex16(f[2], &itf.vendorId) || !parseHex16(f[3], &itf.productId) || !ok
            || !parseHex16(f[5], &itf.usagePage) || !parseHex16(f[6], &itf.usage))
            return fail(line, QStringLiteral("bad number in the device line"));
        itf.path = QByteArray::fromPercentEncoding(f[7]);
        itf.line = line;
        m_interfaces.append(itf);
        return true;
    }
    if (kind == "open") {
        if (!wantFields(3))
            return false;
        if (m_openedPath.isEmpty())
            m_openedPath = QByteArray::fromPercentEncoding(f[2]);
        m_inExchange = false;
        return true;
    }
    if (kind == "close" || kind == "end") {
        if (!wantFields(2))
            return false;
        m_inExchange = false;
        m_sawEnd = kind == "end";
        return true;
    }
    if (kind == "error") {
        if (f.size() != 4 && f.size() != 5)
            return fail(line, QStringLiteral("record \"error\" has %1 fields, expected 4 or 5").arg(f.size()));
        if (f[2] != "open" && f[2] != "write" && f[2] != "read")
            return fail(line, QStringLiteral("error of an unknown operation %1").arg(quoted(f[2])));
        bool ok = false;
        f[3].toInt(&ok);
        if (!ok)
            return fail(line, QStringLiteral("bad result %1").arg(quoted(f[3])));
        return true;
    }
    if (kind == "out" || kind == "in") {
        if (!wantFields(4))
            return false;
        bool ok = false;
        const int length = f[2].toInt(&ok);
        if (!ok || length < 1 || length > MAX_REPORT)
            return fail(line, QStringLiteral("bad length %1").arg(quoted(f[2])));
        if (!isHex(f[3]) || f[3].size() % 2 != 0)
            return fail(line, QStringLiteral("the bytes are not hexadecimal"));
        if (f[3].size() != 2 * length)
            return fail(line, QStringLiteral("%1 bytes announced, %2 given").arg(length).arg(f[3].size() / 2));
        const QByteArray bytes = QByteArray::fromHex(f[3]);
        if (kind == "out") {
            m_exchanges.append({bytes, {}, line});
            m_inExchange = true;
        } else if (m_inExchange) {
            m_exchanges.last().replies.append(bytes);
        }
        // A report read before the program asked for anything answers nothing: left out.
        return true;
    }
    return fail(line, QStringLiteral("unknown record %1").arg(quoted(kind)));
}

QVector<CaptureFile::Interface> CaptureFile::openedKeypad() const
{
    QVector<Interface> keypad;
    const Interface *opened = nullptr;
    for (const Interface &itf : m_interfaces)
        if (!m_openedPath.isEmpty() && itf.path == m_openedPath)
            opened = &itf;
    if (!opened)
        return keypad;
    QSet<int> numbers;
    for (const Interface &itf : m_interfaces) {
        if (itf.vendorId != opened->vendorId || itf.productId != opened->productId || numbers.contains(itf.number))
            continue;
        numbers.insert(itf.number);
        keypad.append(itf);
    }
    return keypad;
}

} // namespace sim
