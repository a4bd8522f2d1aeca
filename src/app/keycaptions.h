#pragma once

#include "i18n/uitext.h"

#include <QString>

struct KeyData;

// The captions of a key function as the user reads them: on the panel button (short) and in
// the key function display (full). They depend on the function page in view (arrows on the
// base keys page, shortcut names on the Procreate page), on the language and on the panel
// (single-knob keypads keep media functions as plain key codes). Needs no window, so the
// printed layout sheet and the window share it.
namespace KeyCaptions {

enum class Page { Other, BaseKeys, Procreate };
enum class Form { Button, Full };

QString caption(const KeyData &key, Form form, Page page, UiText::Language language,
                const QString &panelName);

// A full caption as plain text, for paper: the macro separator becomes an arrow character.
QString plainText(const QString &caption);

} // namespace KeyCaptions
