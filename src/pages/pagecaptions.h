#pragma once

#include <QString>

struct KeyData;

// Caption rules that depend on the function page in view.
namespace PageCaptions {

// On the base keys page direction words read as arrows: every whole word "up", "down",
// "left" or "right" (any case; words are bounded by anything but letters and digits)
// becomes the matching arrow character.
QString withArrows(const QString &text);

// On the Procreate page a key that holds one of the shortcuts is named after it: the
// short name on the key button, the full name in the display area. Empty when the key
// holds none of them. Not translated.
QString procreateName(const KeyData &key, bool fullText);

} // namespace PageCaptions
