#include "i18n/uitext.h"

#include <atomic>

namespace UiText {

// Defined with the table itself.
QVector<QPair<QString, QString>> buildTranslationTable();

namespace {
std::atomic<int> g_language{int(Language::English)};
}

void setLanguage(Language language)
{
    g_language.store(int(language), std::memory_order_relaxed);
}

Language language()
{
    return Language(g_language.load(std::memory_order_relaxed));
}

const QVector<QPair<QString, QString>> &pairs()
{
    // Function-local static: thread-safe one-time construction.
    static const QVector<QPair<QString, QString>> table = buildTranslationTable();
    return table;
}

QString text(const QString &source, Language target)
{
    for (const auto *table : {&pairs(), &addedPairs(), &sheetPairs()}) {
        if (target == Language::Chinese) {
            for (const auto &p : *table)
                if (p.first == source)
                    return p.second;
        } else {
            for (const auto &p : *table)
                if (p.second == source)
                    return p.first;
        }
    }
    return source;
}

QString text(const QString &english)
{
    return text(english, language());
}

} // namespace UiText
