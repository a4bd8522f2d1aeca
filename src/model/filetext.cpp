#include "model/filetext.h"

namespace FileText {

QString systemReason(int errnum)
{
    QString reason = qt_error_string(errnum);
    // "Is a directory" but not an all-capital abbreviation at the start.
    if (reason.size() > 1 && reason.at(0).isUpper() && !reason.at(1).isUpper())
        reason[0] = reason.at(0).toLower();
    return reason;
}

QString excerpt(const QString &text)
{
    if (text.size() <= MAX_ECHO)
        return text;
    // Never half of a surrogate pair.
    const int cut = text.at(MAX_ECHO - 1).isHighSurrogate() ? MAX_ECHO - 1 : MAX_ECHO;
    return text.left(cut) + QChar(0x2026);
}

} // namespace FileText
