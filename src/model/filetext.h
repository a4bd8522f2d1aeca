#pragma once

#include <QString>

// Words for messages about files named by users, and about what those files hold.
namespace FileText {

// The longest piece of a file's content a message repeats.
constexpr int MAX_ECHO = 200;

// The system's reason for `errnum` (an errno value), lower case to follow the rest of a
// message: ENOSPC gives "no space left on device".
QString systemReason(int errnum);

// `text` as a message may quote it: cut to MAX_ECHO characters and an ellipsis. A file can
// hold megabytes where a short name was expected, and a message must stay a line.
QString excerpt(const QString &text);

} // namespace FileText
