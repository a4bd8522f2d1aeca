#include "model/keynames.h"

#include "model/keynametable.h"
#include "model/records.h"

#include <QStringList>

namespace {

QString hexByte(quint8 usage)
{
    return QStringLiteral("0x%1").arg(usage, 2, 16, QLatin1Char('0'));
}

constexpr quint8 kLeftShift = 0xE1;
constexpr quint8 kRightShift = 0xE5;

// A shift is held at step `index` when some earlier step pressed a shift that no step
// between released again. Tracking the two shifts separately keeps "press LShift, A, B"
// upper-case throughout, and ends the hold at the matching release only.
bool shiftHeldBefore(const QVector<MacroStepData> &steps, int index)
{
    bool left = false;
    bool right = false;
    for (int i = 0; i < index; ++i) {
        const MacroStepData &s = steps[i];
        const bool press = s.action == 0;
        if (s.keyCode == kLeftShift)
            left = press;
        else if (s.keyCode == kRightShift)
            right = press;
    }
    return left || right;
}

} // namespace

QString keyName(quint8 usage)
{
    if (const char *name = KeyNameTable::keyboardUsage(usage))
        return QString::fromLatin1(name);
    return hexByte(usage);
}

QString modifierName(quint8 usage)
{
    if (isModifierUsage(usage))
        return QString::fromLatin1(KeyNameTable::keyboardUsage(usage));
    return hexByte(usage);
}

QString mediaName(quint16 usage)
{
    if (const char *name = KeyNameTable::consumerUsage(usage))
        return QString::fromLatin1(name);
    return QStringLiteral("Media(0x%1)").arg(usage, 4, 16, QLatin1Char('0'));
}

QString mouseLongName(quint8 code)
{
    const char *name = KeyNameTable::mouseLong(code);
    return name ? QString::fromLatin1(name) : QString();
}

QString mouseShortName(quint8 code)
{
    const char *name = KeyNameTable::mouseShort(code);
    return name ? QString::fromLatin1(name) : QString();
}

QString macroArrowSeparator()
{
    return QStringLiteral("<span style='color:#3296ff;font-weight:bold;'> &#x27A1; </span>");
}

void updateCombinationTexts(KeyData &key)
{
    QStringList names;
    for (int bit = 0; bit < 8; ++bit)
        if (key.modifierBits & (1u << bit))
            names << modifierName(quint8(0xE0 + bit));
    for (char c : key.comboKeys)
        names << keyName(quint8(c));

    if (names.isEmpty()) {
        key.fullText.clear();
        key.buttonText = QStringLiteral("-");
        return;
    }
    key.fullText = names.join(QStringLiteral(" + "));
    key.buttonText = key.fullText.size() <= 10 ? key.fullText
                                                : key.fullText.left(10) + QStringLiteral("...");
}

void updateMacroTexts(KeyData &key)
{
    const QVector<MacroStepData> &steps = key.macroSteps;
    if (steps.isEmpty()) {
        key.fullText.clear();
        key.buttonText = QStringLiteral("-");
        return;
    }

    QStringList names;
    for (int i = 0; i < steps.size(); ++i) {
        const MacroStepData &s = steps[i];
        if (s.action != 0)
            continue;
        if (isModifierUsage(s.keyCode)) {
            names << modifierName(s.keyCode);
            continue;
        }
        QString name = keyName(s.keyCode);
        if (isLetterUsage(s.keyCode) && !shiftHeldBefore(steps, i))
            name = name.toLower();
        names << name;
    }

    if (names.isEmpty()) {
        key.fullText = QStringLiteral("Macro(%1)").arg(steps.size());
        key.buttonText = key.fullText;
        return;
    }
    key.fullText = names.join(macroArrowSeparator());
    const QString joined = names.join(QStringLiteral(" -> "));
    key.buttonText = joined.size() >= 9 ? joined.left(8) + QStringLiteral("...") : joined;
}

void updateKeyTexts(KeyData &key)
{
    switch (key.type) {
    case KeyType::Basic:
        key.fullText = keyName(key.keyCode);
        key.buttonText = key.fullText;
        break;
    case KeyType::Multimedia:
        key.fullText = mediaName(key.mediaUsage);
        key.buttonText = key.fullText;
        break;
    case KeyType::Mouse:
        key.fullText = mouseLongName(key.mouseAction);
        key.buttonText = mouseShortName(key.mouseAction);
        break;
    case KeyType::Combination:
        updateCombinationTexts(key);
        break;
    case KeyType::Macro:
        updateMacroTexts(key);
        break;
    default:
        key.fullText.clear();
        key.buttonText.clear();
        break;
    }
}
