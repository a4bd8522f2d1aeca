#include "model/jsonmembers.h"

#include <QSet>
#include <QVector>

namespace {

// One open object or list on the way from the top of the document to the current token.
struct Frame {
    bool object = false;
    bool expectName = false; // objects: the next text is a member name
    int index = 0;           // lists: index of the current element
    QString member;          // objects: name of the current member
    QSet<QString> names;     // objects: names seen so far
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads the JSON text whose opening quote is at `at`; decodes it into `out` when `decode`
// is set (escapes included, so "l\u0061yers" and "layers" are one name, as for the
// parser). Returns the position after the closing quote, or -1 for a broken text.
int readText(const char *s, int n, int at, bool decode, QString *out)
{
    int i = at + 1;
    int run = i;
    while (i < n) {
        const char c = s[i];
        if (c == '"') {
            if (decode)
                out->append(QString::fromUtf8(s + run, i - run));
            return i + 1;
        }
        if (c != '\\') {
            ++i;
            continue;
        }
        if (decode)
            out->append(QString::fromUtf8(s + run, i - run));
        if (i + 1 >= n)
            return -1;
        const char e = s[i + 1];
        i += 2;
        if (e == 'u') {
            if (i + 4 > n)
                return -1;
            int unit = 0;
            for (int k = 0; k < 4; ++k) {
                const int d = hexDigit(s[i + k]);
                if (d < 0)
                    return -1;
                unit = unit * 16 + d;
            }
            i += 4;
            if (decode)
                out->append(QChar(ushort(unit)));
        } else if (decode) {
            switch (e) {
            case 'b': out->append(QLatin1Char('\b')); break;
            case 'f': out->append(QLatin1Char('\f')); break;
            case 'n': out->append(QLatin1Char('\n')); break;
            case 'r': out->append(QLatin1Char('\r')); break;
            case 't': out->append(QLatin1Char('\t')); break;
            default: out->append(QLatin1Char(e)); break; // \" \\ \/
            }
        }
        run = i;
    }
    return -1;
}

// Path of the innermost frame, built from where each outer frame stands.
QString pathTo(const QVector<Frame> &stack)
{
    QString path;
    for (int f = 0; f + 1 < stack.size(); ++f) {
        if (stack[f].object) {
            if (!path.isEmpty())
                path += QLatin1Char('.');
            path += stack[f].member;
        } else {
            path += QStringLiteral("[%1]").arg(stack[f].index);
        }
    }
    return path;
}

} // namespace

namespace JsonMembers {

bool firstDuplicate(const QByteArray &json, QString *place, QString *name, int *offset)
{
    const char *s = json.constData();
    const int n = json.size();
    int i = 0;
    if (n >= 3 && uchar(s[0]) == 0xEF && uchar(s[1]) == 0xBB && uchar(s[2]) == 0xBF)
        i = 3; // a byte-order mark, which the parser skips too
    // No recursion: a document nested a thousand levels deep costs heap, not stack.
    QVector<Frame> stack;
    while (i < n) {
        switch (s[i]) {
        case '{':
        case '[': {
            Frame f;
            f.object = s[i] == '{';
            f.expectName = f.object;
            stack.append(f);
            ++i;
            break;
        }
        case '}':
        case ']':
            if (!stack.isEmpty())
                stack.removeLast();
            ++i;
            break;
        case ',':
            if (!stack.isEmpty()) {
                Frame &f = stack.last();
                if (f.object)
                    f.expectName = true;
                else
                    ++f.index;
            }
            ++i;
            break;
        case '"': {
            const bool isName = !stack.isEmpty() && stack.last().object && stack.last().expectName;
            QString text;
            const int end = readText(s, n, i, isName, &text);
            if (end < 0)
                return false;
            if (isName) {
                Frame &f = stack.last();
                f.expectName = false;
                if (f.names.contains(text)) {
                    if (place)
                        *place = pathTo(stack);
                    if (name)
                        *name = text;
                    if (offset)
                        *offset = i;
                    return true;
                }
                f.names.insert(text);
                f.member = text;
            }
            i = end;
            break;
        }
        default:
            ++i; // white space, ':' and the characters of numbers, true, false and null
            break;
        }
    }
    return false;
}

} // namespace JsonMembers
