// Comparing a profile with what a keypad holds, as that keypad stores it.
#include "model/profile.h"

#include "model/keyboarddata.h"
#include "model/keynames.h"

namespace {

constexpr int kLegacyMaxEntries = 18;

// The key entries an "R10Udav" keypad keeps: (usage, delay) per press, modifiers as
// their usages.
QVector<QPair<quint8, quint16>> r10Entries(const KeyData &k)
{
    QVector<QPair<quint8, quint16>> out;
    switch (k.type) {
    case KeyType::Basic:
        if (k.keyCode != 0)
            out.append({k.keyCode, 0});
        break;
    case KeyType::Macro:
        for (const MacroStepData &s : k.macroSteps)
            if (s.action == 0 && s.keyCode != 0)
                out.append({s.keyCode, s.delayMs});
        break;
    case KeyType::Combination:
        for (int bit = 0; bit < 8; ++bit)
            if (k.modifierBits & (1u << bit))
                out.append({quint8(0xE0 + bit), quint16(out.isEmpty() ? 0 : 20)});
        for (char c : k.comboKeys)
            if (c != 0)
                out.append({quint8(c), quint16(out.isEmpty() ? 0 : 20)});
        break;
    default:
        break;
    }
    return out.mid(0, kLegacyMaxEntries);
}

// What an "Old" keypad keeps: one modifier mask, the keys (repeats kept) and one delay.
struct OldForm {
    quint8 mask = 0;
    QByteArray keys;
    quint16 delay = 0;
    bool operator==(const OldForm &o) const
    {
        return mask == o.mask && keys == o.keys && delay == o.delay;
    }
};

OldForm oldForm(const KeyData &k)
{
    OldForm f;
    auto take = [&f](quint8 usage) {
        if (usage == 0)
            return;
        if (isModifierUsage(usage))
            f.mask |= quint8(1u << (usage - 0xE0));
        else if (f.keys.size() < kLegacyMaxEntries)
            f.keys.append(char(usage));
    };
    switch (k.type) {
    case KeyType::Basic:
        take(k.keyCode);
        break;
    case KeyType::Combination:
        f.mask = k.modifierBits;
        for (char c : k.comboKeys)
            take(quint8(c));
        break;
    case KeyType::Macro: {
        bool first = true;
        for (const MacroStepData &s : k.macroSteps) {
            if (s.action != 0 || s.keyCode == 0)
                continue;
            if (first)
                f.delay = s.delayMs;
            first = false;
            take(s.keyCode);
        }
        break;
    }
    default:
        break;
    }
    return f;
}

// Kinds a legacy record can have: nothing, keys, a media code, a mouse action.
enum class LegacyKind { Nothing, Keys, Media, Mouse };

LegacyKind legacyKind(const KeyData &k)
{
    switch (k.type) {
    case KeyType::Multimedia:
        return k.mediaUsage == 0 ? LegacyKind::Nothing : LegacyKind::Media;
    case KeyType::Mouse:
        return k.mouseAction > 15 ? LegacyKind::Nothing : LegacyKind::Mouse;
    case KeyType::Basic:
    case KeyType::Macro:
    case KeyType::Combination:
        return LegacyKind::Keys;
    default:
        return LegacyKind::Nothing;
    }
}

QString describeKey(const KeyData &k)
{
    switch (k.type) {
    case KeyType::Empty:
        return QStringLiteral("nothing");
    case KeyType::Macro: {
        QStringList steps;
        for (const MacroStepData &s : k.macroSteps)
            steps << QStringLiteral("%1 %2 %3ms")
                         .arg(s.action == 0 ? QStringLiteral("press") : QStringLiteral("release"),
                              keyName(s.keyCode))
                         .arg(s.delayMs);
        return QStringLiteral("macro [%1]").arg(steps.join(QStringLiteral(", ")));
    }
    case KeyType::Mouse:
        return QStringLiteral("mouse %1").arg(k.mouseAction);
    default: {
        KeyData copy = k;
        updateKeyTexts(copy);
        return QStringLiteral("\"%1\"").arg(copy.fullText);
    }
    }
}

QString colorText(const LedColorData &c)
{
    return QStringLiteral("#%1%2%3")
        .arg(c.r, 2, 16, QLatin1Char('0'))
        .arg(c.g, 2, 16, QLatin1Char('0'))
        .arg(c.b, 2, 16, QLatin1Char('0'));
}

} // namespace

namespace Profile {

bool sameOnKeypad(const KeyData &a, const KeyData &b, ProfileDevice::Protocol protocol)
{
    using P = ProfileDevice::Protocol;
    if (protocol == P::None || protocol == P::Current)
        return a.sameFunction(b);

    LegacyKind ka = legacyKind(a), kb = legacyKind(b);
    // A key record with no key entries is an empty slot.
    if (ka == LegacyKind::Keys && (protocol == P::LegacyR10Udav ? r10Entries(a).isEmpty()
                                                                : oldForm(a) == OldForm()))
        ka = LegacyKind::Nothing;
    if (kb == LegacyKind::Keys && (protocol == P::LegacyR10Udav ? r10Entries(b).isEmpty()
                                                                : oldForm(b) == OldForm()))
        kb = LegacyKind::Nothing;
    if (ka != kb)
        return false;
    switch (ka) {
    case LegacyKind::Nothing:
        return true;
    case LegacyKind::Media:
        return a.mediaUsage == b.mediaUsage;
    case LegacyKind::Mouse:
        return a.mouseAction == b.mouseAction;
    case LegacyKind::Keys:
        return protocol == P::LegacyR10Udav ? r10Entries(a) == r10Entries(b) : oldForm(a) == oldForm(b);
    }
    return false;
}

QStringList differences(const ProfileData &p, const ProfileDevice &t,
                        const QVector<QVector<KeyData>> &layers,
                        const QVector<LayerLedConfigData> &ledConfigs)
{
    QStringList out;
    const int usable = t.usableLayerCount();
    for (int l = 0; l < usable; ++l) {
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k) {
            if (!p.keyPresent[l][k] || !t.hasSlot(k) || !misfit(p.layers[l][k], t).isEmpty())
                continue;
            const KeyData &want = p.layers[l][k];
            if (l >= layers.size() || k >= layers[l].size()) {
                out << QStringLiteral("layer %1, slot %2: not read back").arg(l).arg(k);
                continue;
            }
            if (!sameOnKeypad(want, layers[l][k], t.protocol))
                out << QStringLiteral("layer %1, slot %2: expected %3, found %4")
                           .arg(l)
                           .arg(k)
                           .arg(describeKey(want), describeKey(layers[l][k]));
        }
        // An "Old" keypad's lighting cannot be read back, so it is not compared.
        if (!p.ledPresent[l] || t.protocol == ProfileDevice::Protocol::LegacyOld)
            continue;
        if (l >= ledConfigs.size()) {
            out << QStringLiteral("layer %1, lighting: not read back").arg(l);
            continue;
        }
        const LayerLedConfigData &want = p.ledConfigs[l];
        const LayerLedConfigData &got = ledConfigs[l];
        if (want.mode != got.mode)
            out << QStringLiteral("layer %1, lighting: expected mode %2, found %3")
                       .arg(l)
                       .arg(want.mode)
                       .arg(got.mode);
        for (int i = 0; i < KeyboardData::LEDS_PER_LAYER; ++i)
            if (want.colors[i] != got.colors[i])
                out << QStringLiteral("layer %1, LED %2: expected %3, found %4")
                           .arg(l)
                           .arg(i)
                           .arg(colorText(want.colors[i]), colorText(got.colors[i]));
    }
    return out;
}

} // namespace Profile
