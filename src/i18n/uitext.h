#pragma once

#include <QPair>
#include <QString>
#include <QVector>

// The interface language. Every text the window shows passes through text(): the table
// holds English/Chinese pairs, and a text without a pair is shown unchanged in both
// languages (key names such as "Esc", the page name "Procreate").
namespace UiText {

enum class Language { English, Chinese };

// Chosen once while the window is built; read from any thread afterwards.
void setLanguage(Language language);
Language language();

// Translate into the current language.
QString text(const QString &english);
// Translate into the given language. The lookup is symmetric: in Chinese mode the first
// pair whose English side equals the input gives its Chinese side, in English mode the
// first pair whose Chinese side equals the input gives its English side, so a text that is
// already in the target language comes back as it was.
QString text(const QString &source, Language target);

// The pairs in table order (built on first use, kept for the life of the process).
const QVector<QPair<QString, QString>> &pairs();
// Texts the program shows beyond that table (desktop integration), looked up after it.
const QVector<QPair<QString, QString>> &addedPairs();
// Texts of the printed layout sheet, looked up last.
const QVector<QPair<QString, QString>> &sheetPairs();

} // namespace UiText
