#include "app/keycaptions.h"

#include "model/keynames.h"
#include "model/records.h"
#include "pages/pagecaptions.h"

#include <QRegularExpression>
#include <QStringList>
#include <QVector>

namespace KeyCaptions {

namespace {

bool isSingleKnobPanel(const QString &name)
{
    return name == QLatin1String("Layout_0K_1E_P0_S0") || name == QLatin1String("Layout_0K_1E_P1_S1");
}

// Media functions that single-knob keypads store as one-byte key codes.
bool isSingleByteMediaCode(quint8 code)
{
    switch (code) {
    case 0x6F: case 0x70: case 0xB5: case 0xB6: case 0xB7: case 0xE2: case 0xE9: case 0xEA:
        return true;
    default:
        return false;
    }
}

// One name per press step; a letter reads upper-case only while a Shift press is held
// (met before any release when looking back).
QStringList macroPressNames(const QVector<MacroStepData> &steps)
{
    QStringList names;
    for (int i = 0; i < steps.size(); ++i) {
        const MacroStepData &s = steps.at(i);
        if (s.action != 0)
            continue;
        if (isModifierUsage(s.keyCode)) {
            names << modifierName(s.keyCode);
            continue;
        }
        QString name = keyName(s.keyCode);
        if (isLetterUsage(s.keyCode)) {
            bool shifted = false;
            for (int j = i - 1; j >= 0; --j) {
                const MacroStepData &prev = steps.at(j);
                if (prev.action != 0)
                    break;
                if (prev.keyCode == 0xE1 || prev.keyCode == 0xE5) {
                    shifted = true;
                    break;
                }
            }
            if (!shifted)
                name = name.toLower();
        }
        names << name;
    }
    return names;
}

// Direction words read as arrows on the base keys page, where the arrow keys sit.
QString withArrows(const QString &text)
{
    static const QRegularExpression word(
        QStringLiteral("(?<![\\p{L}\\p{N}])(up|down|left|right)(?![\\p{L}\\p{N}])"),
        QRegularExpression::CaseInsensitiveOption);
    QString out;
    int last = 0;
    auto it = word.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += text.midRef(last, m.capturedStart() - last);
        const QString w = m.captured(1).toLower();
        out += w == QLatin1String("up")     ? QChar(0x2191)
               : w == QLatin1String("down") ? QChar(0x2193)
               : w == QLatin1String("left") ? QChar(0x2190)
                                            : QChar(0x2192);
        last = m.capturedEnd();
    }
    out += text.midRef(last);
    return out;
}

} // namespace

QString caption(const KeyData &key, Form form, Page page, UiText::Language language,
                const QString &panelName)
{
    if (key.type == KeyType::Empty)
        return QString();
    const bool full = form == Form::Full;

    if (page == Page::Procreate) {
        // The short names are English abbreviations for small caps; the Chinese names are
        // short already, and the cap fits what does not fit.
        const QString name =
            PageCaptions::procreateName(key, full || language == UiText::Language::Chinese);
        if (!name.isEmpty())
            return UiText::text(name, language);
    }

    if (key.type == KeyType::Basic && isSingleByteMediaCode(key.keyCode) && isSingleKnobPanel(panelName))
        return UiText::text(mediaName(key.keyCode), language);

    QString text;
    switch (key.type) {
    case KeyType::Basic:
        text = keyName(key.keyCode);
        break;
    case KeyType::Macro: {
        const QStringList names = macroPressNames(key.macroSteps);
        if (full) {
            text = names.isEmpty() ? QStringLiteral("Macro(%1)").arg(key.macroSteps.size())
                                   : names.join(macroArrowSeparator());
        } else {
            // The whole sequence: the button fits it to the cap and cuts only what does
            // not fit there, so the caption always starts with the first step.
            text = names.join(QStringLiteral(" -> "));
            if (text.isEmpty())
                text = QStringLiteral("-");
        }
        break;
    }
    case KeyType::Multimedia:
        text = mediaName(key.mediaUsage);
        break;
    case KeyType::Mouse:
        text = mouseLongName(key.mouseAction);
        break;
    case KeyType::Combination:
        // The full combination on the button too: the button's own fitting keeps its
        // beginning, where the model's short text would already have cut the end.
        text = key.fullText.isEmpty() ? key.buttonText : key.fullText;
        break;
    default:
        text = full ? key.fullText : key.buttonText;
        break;
    }

    const bool arrows = page == Page::BaseKeys;
    if (text.contains(QLatin1String("<span")))
        return arrows ? withArrows(text) : text;
    // Translated first: the table knows "Mouse Left", not "Mouse \u2190".
    text = UiText::text(text, language);
    return arrows ? withArrows(text) : text;
}

QString plainText(const QString &caption)
{
    if (!caption.contains(QLatin1String("<span")))
        return caption;
    QString out = caption;
    out.replace(macroArrowSeparator(), QStringLiteral("\u00A0\u2192 ")); // the arrow ends a line, never starts one
    return out;
}

} // namespace KeyCaptions
