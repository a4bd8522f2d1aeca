#include "pages/pagecaptions.h"

#include "model/records.h"
#include "pages/procreatetable.h"

#include <QRegularExpression>

namespace PageCaptions {

QString withArrows(const QString &text)
{
    if (text.isEmpty())
        return text;
    // Lookarounds instead of \b: an underscore counts as a word character for \b, but here
    // anything that is not a letter or digit bounds a word.
    static const QRegularExpression word(
        QStringLiteral("(?<![\\p{L}\\p{N}])(up|down|left|right)(?![\\p{L}\\p{N}])"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    QString out;
    int last = 0;
    auto it = word.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += text.midRef(last, m.capturedStart() - last);
        const QString w = m.captured(1).toLower();
        if (w == QLatin1String("up"))
            out += QChar(0x2191);
        else if (w == QLatin1String("down"))
            out += QChar(0x2193);
        else if (w == QLatin1String("left"))
            out += QChar(0x2190);
        else
            out += QChar(0x2192);
        last = m.capturedEnd();
    }
    out += text.midRef(last);
    return out;
}

QString procreateName(const KeyData &key, bool fullText)
{
    const ProcreateShortcut *s = findProcreateShortcut(key);
    if (!s)
        return QString();
    return fullText ? s->label : s->shortLabel;
}

} // namespace PageCaptions
