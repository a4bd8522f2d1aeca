#pragma once

#include <QString>

// Qt's own texts (the file dialogs of Export and Import, the standard buttons of message
// boxes) in the window's language. They come from the distribution's Qt translations
// (Debian: qttranslations5-l10n); where those are missing the dialogs stay English, quietly.
namespace QtTranslations {

// Puts Qt's Chinese translation in place, or takes it away for English. True when Qt's
// texts are now in the language asked for (always for English).
bool apply(bool chinese);
// Where the translation is looked for, and whether it is there.
QString chineseFile();
bool chineseAvailable();

} // namespace QtTranslations
