#pragma once

#include <QString>

struct KeyData;

// Caption rule of the Procreate page.
namespace PageCaptions {

// On the Procreate page a key that holds one of the shortcuts is named after it: the
// short name on the key button, the full name in the display area. Empty when the key
// holds none of them. Not translated.
QString procreateName(const KeyData &key, bool fullText);

} // namespace PageCaptions
