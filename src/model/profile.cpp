#include "model/profile.h"

#include "model/boundedfile.h"
#include "model/keyboarddata.h"
#include "model/keynames.h"
#include "model/slotmap.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kLegacyMaxEntries = 18; // key entries one legacy key record carries
constexpr int kOldMaxMode = 5;

int pressCount(const KeyData &k, bool withModifiers)
{
    int n = 0;
    for (const MacroStepData &s : k.macroSteps)
        if (s.action == 0 && s.keyCode != 0 && (withModifiers || !isModifierUsage(s.keyCode)))
            ++n;
    return n;
}

QString slotList(const QVector<int> &indices)
{
    QStringList parts;
    for (int s : indices)
        parts << QString::number(s);
    return parts.join(QStringLiteral(", "));
}

QString colorText(const LedColorData &c)
{
    return QStringLiteral("#%1%2%3")
        .arg(c.r, 2, 16, QLatin1Char('0'))
        .arg(c.g, 2, 16, QLatin1Char('0'))
        .arg(c.b, 2, 16, QLatin1Char('0'));
}

QJsonObject keyToJson(int slot, const KeyData &k)
{
    QJsonObject o;
    o.insert(QStringLiteral("slot"), slot);
    switch (k.type) {
    case KeyType::Basic:
        o.insert(QStringLiteral("type"), QStringLiteral("basic"));
        o.insert(QStringLiteral("usage"), k.keyCode);
        break;
    case KeyType::Combination: {
        o.insert(QStringLiteral("type"), QStringLiteral("combination"));
        o.insert(QStringLiteral("modifiers"), k.modifierBits);
        QJsonArray keys;
        for (char c : k.comboKeys)
            keys.append(int(quint8(c)));
        o.insert(QStringLiteral("keys"), keys);
        break;
    }
    case KeyType::Macro: {
        o.insert(QStringLiteral("type"), QStringLiteral("macro"));
        QJsonArray steps;
        for (const MacroStepData &s : k.macroSteps) {
            QJsonObject step;
            step.insert(QStringLiteral("action"),
                        s.action == 0 ? QStringLiteral("press") : QStringLiteral("release"));
            step.insert(QStringLiteral("usage"), s.keyCode);
            step.insert(QStringLiteral("delay"), s.delayMs);
            steps.append(step);
        }
        o.insert(QStringLiteral("steps"), steps);
        break;
    }
    case KeyType::Multimedia:
        o.insert(QStringLiteral("type"), QStringLiteral("media"));
        o.insert(QStringLiteral("usage"), k.mediaUsage);
        break;
    case KeyType::Mouse:
        o.insert(QStringLiteral("type"), QStringLiteral("mouse"));
        o.insert(QStringLiteral("action"), k.mouseAction);
        break;
    default:
        o.insert(QStringLiteral("type"), QStringLiteral("empty"));
        break;
    }
    return o;
}

// A macro written by this program always has 1..64 steps; one with none (possible in the
// model while recording starts) is saved as an empty key so the file stays loadable.
KeyData exportable(const KeyData &k)
{
    if ((k.type == KeyType::Macro && k.macroSteps.isEmpty())
        || (k.type == KeyType::Combination && k.modifierBits == 0 && k.comboKeys.isEmpty())
        || (k.type == KeyType::Mouse && k.mouseAction > 15) || !KeyType::isValid(k.type))
        return KeyData();
    if (k.type == KeyType::Macro && k.macroSteps.size() > KeyboardData::MAX_MACRO_STEPS) {
        KeyData cut = k;
        cut.setMacro(k.macroSteps.mid(0, KeyboardData::MAX_MACRO_STEPS));
        return cut;
    }
    return k;
}

} // namespace

// ---- ProfileDevice --------------------------------------------------------------------

ProfileDevice ProfileDevice::fromDeviceInfo(const DeviceInfo &info)
{
    ProfileDevice d;
    d.protocol = Protocol::Current;
    if (!info.valid)
        return d;
    d.keyCount = info.keyCount;
    d.encoderCount = info.encoderCount;
    d.extraKeyCount = info.extraKeyCount;
    d.layerCount = info.layerCount;
    d.variantP = info.variantP;
    d.shape = info.shape;
    d.variantB = info.variantB;
    return d;
}

ProfileDevice ProfileDevice::fromLegacyInfo(const LegacyDeviceInfo &info)
{
    ProfileDevice d;
    d.protocol = info.format == LegacyDeviceInfo::R10Udav ? Protocol::LegacyR10Udav
                                                          : Protocol::LegacyOld;
    d.keyCount = info.keyCount;
    d.encoderCount = info.encoderCount;
    d.layerCount = info.layerCount;
    d.shape = info.shape;
    d.firmwareVersion = info.version;
    return d;
}

QString ProfileDevice::protocolName(Protocol p)
{
    switch (p) {
    case Protocol::Current:
        return QStringLiteral("current");
    case Protocol::LegacyR10Udav:
        return QStringLiteral("legacy-r10udav");
    case Protocol::LegacyOld:
        return QStringLiteral("legacy-old");
    case Protocol::None:
        break;
    }
    return QStringLiteral("none");
}

bool ProfileDevice::protocolFromName(const QString &name, Protocol *out)
{
    for (Protocol p : {Protocol::None, Protocol::Current, Protocol::LegacyR10Udav, Protocol::LegacyOld}) {
        if (protocolName(p) == name) {
            *out = p;
            return true;
        }
    }
    return false;
}

int ProfileDevice::usableLayerCount() const
{
    switch (protocol) {
    case Protocol::None:
        return KeyboardData::LAYER_COUNT;
    case Protocol::Current:
        // A keypad that did not report its layers is taken to have them all.
        return layerCount <= 0 ? KeyboardData::LAYER_COUNT
                               : qMin(layerCount, KeyboardData::LAYER_COUNT);
    case Protocol::LegacyR10Udav:
    case Protocol::LegacyOld:
        return qBound(0, layerCount, 3);
    }
    return 0;
}

bool ProfileDevice::hasSlot(int slot) const
{
    // The slots the keypad's own panel draws and the keypad keeps: a profile of a knob-only
    // housing carries no key slots, so loading it elsewhere cannot clear keys it never had.
    return SlotMap::forDevice(*this).hasSlot(slot);
}

bool ProfileDevice::isSameModel(const ProfileDevice &o) const
{
    return protocol == o.protocol && keyCount == o.keyCount && encoderCount == o.encoderCount
           && extraKeyCount == o.extraKeyCount && layerCount == o.layerCount && variantP == o.variantP
           && shape == o.shape && variantB == o.variantB;
}

QString ProfileDevice::describe() const
{
    const auto count = [](int n, const char *one, const char *many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    QString text = count(keyCount, "key", "keys") + QStringLiteral(", ") + count(encoderCount, "knob", "knobs")
                   + QStringLiteral(", ") + count(usableLayerCount(), "layer", "layers");
    switch (protocol) {
    case Protocol::None:
        return QStringLiteral("no keypad");
    case Protocol::Current:
        return text + QStringLiteral(" (current protocol)");
    case Protocol::LegacyR10Udav:
        return text + QStringLiteral(" (legacy R10Udav, firmware %1)").arg(firmwareVersion);
    case Protocol::LegacyOld:
        return text + QStringLiteral(" (legacy Old, firmware %1)").arg(firmwareVersion);
    }
    return text;
}

ProfileData::ProfileData()
    : layers(KeyboardData::LAYER_COUNT, QVector<KeyData>(KeyboardData::KEYS_PER_LAYER))
    , keyPresent(KeyboardData::LAYER_COUNT, QVector<bool>(KeyboardData::KEYS_PER_LAYER, false))
    , ledConfigs(KeyboardData::LAYER_COUNT)
    , ledPresent(KeyboardData::LAYER_COUNT, false)
{
}

// ---- export -----------------------------------------------------------------------------

namespace Profile {

const char *const FORMAT_NAME = "macropad-studio-profile";

ProfileData fromModel(const KeyboardData &model, const ProfileDevice &device)
{
    ProfileData p;
    p.version = FORMAT_VERSION;
    p.device = device;
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l) {
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k) {
            p.layers[l][k] = exportable(*model.keyDataAt(l, k));
            p.layers[l][k].dirty = false;
            p.keyPresent[l][k] = true;
        }
        p.ledConfigs[l] = model.ledConfig(l);
        p.ledConfigs[l].modeDirty = false;
        p.ledConfigs[l].colorDirty.fill(false);
        p.ledPresent[l] = true;
    }
    return p;
}

QByteArray toJson(const ProfileData &p)
{
    QJsonObject device;
    device.insert(QStringLiteral("protocol"), ProfileDevice::protocolName(p.device.protocol));
    device.insert(QStringLiteral("keys"), p.device.keyCount);
    device.insert(QStringLiteral("knobs"), p.device.encoderCount);
    device.insert(QStringLiteral("extraKeys"), p.device.extraKeyCount);
    device.insert(QStringLiteral("layers"), p.device.layerCount);
    device.insert(QStringLiteral("variant"), p.device.variantP);
    device.insert(QStringLiteral("shape"), p.device.shape);
    device.insert(QStringLiteral("variantB"), p.device.variantB);
    device.insert(QStringLiteral("firmware"), p.device.firmwareVersion);

    QJsonArray layers;
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l) {
        QJsonObject layer;
        layer.insert(QStringLiteral("layer"), l);
        QJsonArray keys;
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k)
            if (p.keyPresent[l][k])
                keys.append(keyToJson(k, exportable(p.layers[l][k])));
        layer.insert(QStringLiteral("keys"), keys);
        if (p.ledPresent[l]) {
            QJsonObject led;
            led.insert(QStringLiteral("mode"), p.ledConfigs[l].mode);
            QJsonArray colors;
            for (const LedColorData &c : p.ledConfigs[l].colors)
                colors.append(colorText(c));
            led.insert(QStringLiteral("colors"), colors);
            layer.insert(QStringLiteral("lighting"), led);
        }
        layers.append(layer);
    }

    QJsonObject top;
    top.insert(QStringLiteral("format"), QLatin1String(FORMAT_NAME));
    top.insert(QStringLiteral("version"), FORMAT_VERSION);
    top.insert(QStringLiteral("device"), device);
    top.insert(QStringLiteral("layers"), layers);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

// ---- import -----------------------------------------------------------------------------

QString misfit(const KeyData &k, const ProfileDevice &t)
{
    using P = ProfileDevice::Protocol;
    if (t.protocol == P::LegacyR10Udav && k.type == KeyType::Macro) {
        const int n = pressCount(k, true);
        if (n > kLegacyMaxEntries)
            return QStringLiteral("macro of %1 key presses, this keypad keeps %2").arg(n).arg(kLegacyMaxEntries);
    }
    if (t.protocol == P::LegacyOld) {
        if (k.type == KeyType::Mouse && k.mouseAction >= 11)
            return QStringLiteral("\"%1\" is unknown to this keypad").arg(mouseLongName(k.mouseAction));
        if (k.type == KeyType::Macro) {
            const int n = pressCount(k, false);
            if (n > kLegacyMaxEntries)
                return QStringLiteral("macro of %1 key presses, this keypad keeps %2").arg(n).arg(kLegacyMaxEntries);
        }
    }
    return QString();
}

QStringList notFitting(const ProfileData &p, const ProfileDevice &t)
{
    QStringList out;
    const int usable = t.usableLayerCount();
    for (int l = 0; l < KeyboardData::LAYER_COUNT; ++l) {
        bool content = false;
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k)
            content = content || (p.keyPresent[l][k] && p.layers[l][k].type != KeyType::Empty);
        if (l >= usable) {
            if (content || p.ledPresent[l])
                out << QStringLiteral("layer %1: this keypad has %2 layers").arg(l).arg(usable);
            continue;
        }
        QVector<int> missing;
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k) {
            if (!p.keyPresent[l][k])
                continue;
            const KeyData &key = p.layers[l][k];
            if (!t.hasSlot(k)) {
                if (key.type != KeyType::Empty)
                    missing << k;
                continue;
            }
            const QString why = misfit(key, t);
            if (!why.isEmpty())
                out << QStringLiteral("layer %1, slot %2: %3").arg(l).arg(k).arg(why);
        }
        if (!missing.isEmpty())
            out << QStringLiteral("layer %1, slots %2: no such key on this keypad")
                       .arg(l)
                       .arg(slotList(missing));
        if (p.ledPresent[l] && t.protocol == ProfileDevice::Protocol::LegacyOld) {
            const LayerLedConfigData &led = p.ledConfigs[l];
            if (led.mode > kOldMaxMode)
                out << QStringLiteral("layer %1, lighting: mode %2 is unknown to this keypad, kept as it was")
                           .arg(l)
                           .arg(led.mode);
        }
    }
    return out;
}

ProfileImportResult apply(const ProfileData &p, const ProfileDevice &t, KeyboardData &model)
{
    const KeyboardData::Replacement replacing(model); // the views hear of it once
    ProfileImportResult r;
    r.ok = true;
    r.notFitted = notFitting(p, t);
    const int usable = t.usableLayerCount();
    for (int l = 0; l < usable; ++l) {
        for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k) {
            if (!p.keyPresent[l][k] || !t.hasSlot(k) || !misfit(p.layers[l][k], t).isEmpty())
                continue;
            if (model.setKeyAt(l, k, p.layers[l][k]))
                ++r.keysChanged;
        }
        if (!p.ledPresent[l])
            continue;
        const quint32 before = model.ledRevision(l);
        const LayerLedConfigData &led = p.ledConfigs[l];
        if (t.protocol != ProfileDevice::Protocol::LegacyOld || led.mode <= kOldMaxMode)
            model.setLedMode(l, led.mode);
        for (int i = 0; i < KeyboardData::LEDS_PER_LAYER; ++i)
            model.setLedColor(l, i, led.colors[i]);
        if (model.ledRevision(l) != before)
            ++r.lightingChanged;
    }
    return r;
}

QByteArray exportJson(const KeyboardData &model, const ProfileDevice &device)
{
    return toJson(fromModel(model, device));
}

ProfileImportResult importJson(const QByteArray &json, const ProfileDevice &target, KeyboardData &model)
{
    ProfileData p;
    QString error;
    if (!parse(json, &p, &error)) {
        ProfileImportResult r;
        r.error = error;
        return r;
    }
    return apply(p, target, model);
}

bool exportToFile(const QString &path, const KeyboardData &model, const ProfileDevice &device,
                  QString *error)
{
    return writeFile(path, fromModel(model, device), error);
}

bool writeFile(const QString &path, const ProfileData &profile, QString *error)
{
    QString why;
    if (!BoundedFile::write(path, toJson(profile), &why)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    return true;
}

bool readFile(const QString &path, ProfileData *out, QString *error)
{
    QByteArray bytes;
    QString why;
    if (BoundedFile::read(path, MAX_FILE_BYTES, QStringLiteral("a profile"), &bytes, &why)
            != BoundedFile::Read
        || !parse(bytes, out, &why)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    return true;
}

ProfileImportResult importFromFile(const QString &path, const ProfileDevice &target, KeyboardData &model)
{
    ProfileData p;
    ProfileImportResult r;
    if (!readFile(path, &p, &r.error))
        return r;
    return apply(p, target, model);
}

} // namespace Profile
