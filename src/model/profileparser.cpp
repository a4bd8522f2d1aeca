// Reading profile files: every value is checked before anything is kept, so a refused file
// changes nothing, and each refusal names the JSON place it is about.
#include "model/profile.h"

#include "model/filetext.h"
#include "model/jsonmembers.h"
#include "model/keyboarddata.h"
#include "model/keynames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>

namespace {

// A text from the file, as a message quotes it.
QString quoted(const QString &text)
{
    return QStringLiteral("\"%1\"").arg(FileText::excerpt(text));
}

class Reader
{
public:
    QString error;

    bool fail(const QString &place, const QString &problem)
    {
        if (error.isEmpty())
            error = QStringLiteral("%1: %2").arg(place, problem);
        return false;
    }

    // An integer within [lo, hi]; JSON numbers are doubles, so 4.5 and 1e10 are refused.
    bool integer(const QJsonObject &o, const QString &field, const QString &place, qint64 lo,
                 qint64 hi, qint64 *out, bool required = true)
    {
        const QString where = place.isEmpty() ? field : place + QLatin1Char('.') + field;
        const QJsonValue v = o.value(field);
        if (v.isUndefined()) {
            if (!required)
                return true;
            return fail(where, QStringLiteral("missing"));
        }
        return integerValue(v, where, lo, hi, out);
    }

    bool integerValue(const QJsonValue &v, const QString &where, qint64 lo, qint64 hi, qint64 *out)
    {
        if (!v.isDouble())
            return fail(where, QStringLiteral("expected a whole number, found %1").arg(kindOf(v)));
        const double d = v.toDouble();
        if (!std::isfinite(d) || std::floor(d) != d)
            return fail(where, QStringLiteral("expected a whole number, found %1").arg(d));
        if (d < double(lo) || d > double(hi))
            return fail(where, QStringLiteral("%1 is out of range %2..%3").arg(d).arg(lo).arg(hi));
        *out = qint64(d);
        return true;
    }

    bool object(const QJsonValue &v, const QString &where, QJsonObject *out)
    {
        if (!v.isObject())
            return fail(where, v.isUndefined() ? QStringLiteral("missing")
                                               : QStringLiteral("expected an object, found %1").arg(kindOf(v)));
        *out = v.toObject();
        return true;
    }

    bool array(const QJsonValue &v, const QString &where, QJsonArray *out)
    {
        if (!v.isArray())
            return fail(where, v.isUndefined() ? QStringLiteral("missing")
                                               : QStringLiteral("expected a list, found %1").arg(kindOf(v)));
        *out = v.toArray();
        return true;
    }

    bool string(const QJsonValue &v, const QString &where, QString *out)
    {
        if (!v.isString())
            return fail(where, v.isUndefined() ? QStringLiteral("missing")
                                               : QStringLiteral("expected a text, found %1").arg(kindOf(v)));
        *out = v.toString();
        return true;
    }

    static QString kindOf(const QJsonValue &v)
    {
        switch (v.type()) {
        case QJsonValue::Null:
            return QStringLiteral("null");
        case QJsonValue::Bool:
            return QStringLiteral("true/false");
        case QJsonValue::Double:
            return QStringLiteral("a number");
        case QJsonValue::String:
            return QStringLiteral("a text");
        case QJsonValue::Array:
            return QStringLiteral("a list");
        case QJsonValue::Object:
            return QStringLiteral("an object");
        default:
            return QStringLiteral("nothing");
        }
    }

    bool device(const QJsonObject &top, ProfileDevice *out)
    {
        QJsonObject o;
        if (!object(top.value(QStringLiteral("device")), QStringLiteral("device"), &o))
            return false;
        QString protocol;
        if (!string(o.value(QStringLiteral("protocol")), QStringLiteral("device.protocol"), &protocol))
            return false;
        ProfileDevice d;
        if (!ProfileDevice::protocolFromName(protocol, &d.protocol))
            return fail(QStringLiteral("device.protocol"),
                        QStringLiteral("unknown protocol %1").arg(quoted(protocol)));
        const struct {
            const char *name;
            int *field;
        } counts[] = {
            {"keys", &d.keyCount},       {"knobs", &d.encoderCount}, {"extraKeys", &d.extraKeyCount},
            {"layers", &d.layerCount},   {"variant", &d.variantP},   {"shape", &d.shape},
            {"variantB", &d.variantB},   {"firmware", &d.firmwareVersion},
        };
        for (const auto &c : counts) {
            qint64 v = 0;
            if (!integer(o, QLatin1String(c.name), QStringLiteral("device"), 0, 255, &v, false))
                return false;
            *c.field = int(v);
        }
        *out = d;
        return true;
    }

    bool steps(const QJsonValue &v, const QString &where, QVector<MacroStepData> *out)
    {
        QJsonArray list;
        if (!array(v, where, &list))
            return false;
        if (list.isEmpty())
            return fail(where, QStringLiteral("a macro needs at least one step"));
        if (list.size() > KeyboardData::MAX_MACRO_STEPS)
            return fail(where, QStringLiteral("%1 steps, a macro holds at most %2")
                                   .arg(list.size())
                                   .arg(KeyboardData::MAX_MACRO_STEPS));
        for (int i = 0; i < list.size(); ++i) {
            const QString at = QStringLiteral("%1[%2]").arg(where).arg(i);
            QJsonObject s;
            if (!object(list[i], at, &s))
                return false;
            QString action;
            if (!string(s.value(QStringLiteral("action")), at + QStringLiteral(".action"), &action))
                return false;
            MacroStepData step;
            if (action == QLatin1String("press"))
                step.action = 0;
            else if (action == QLatin1String("release"))
                step.action = 1;
            else
                return fail(at + QStringLiteral(".action"),
                            QStringLiteral("%1 is neither \"press\" nor \"release\"").arg(quoted(action)));
            qint64 usage = 0, delay = 0;
            if (!integer(s, QStringLiteral("usage"), at, 0, 255, &usage)
                || !integer(s, QStringLiteral("delay"), at, 0, 65535, &delay))
                return false;
            step.keyCode = quint8(usage);
            step.delayMs = quint16(delay);
            *out << step;
        }
        return true;
    }

    bool comboKeys(const QJsonValue &v, const QString &where, QByteArray *out)
    {
        QJsonArray list;
        if (!array(v, where, &list))
            return false;
        if (list.size() > KeyboardData::MAX_COMBO_KEYS)
            return fail(where, QStringLiteral("%1 keys, a combination holds at most %2")
                                   .arg(list.size())
                                   .arg(KeyboardData::MAX_COMBO_KEYS));
        for (int i = 0; i < list.size(); ++i) {
            const QString at = QStringLiteral("%1[%2]").arg(where).arg(i);
            qint64 usage = 0;
            if (!integerValue(list[i], at, 1, 255, &usage))
                return false;
            if (isModifierUsage(quint8(usage)))
                return fail(at, QStringLiteral("%1 is a modifier; put it in \"modifiers\"")
                                    .arg(modifierName(quint8(usage))));
            if (out->contains(char(usage)))
                return fail(at, QStringLiteral("%1 is listed twice").arg(keyName(quint8(usage))));
            out->append(char(usage));
        }
        return true;
    }

    bool key(const QJsonValue &v, const QString &where, int *slot, KeyData *out)
    {
        QJsonObject o;
        if (!object(v, where, &o))
            return false;
        qint64 s = 0;
        if (!integer(o, QStringLiteral("slot"), where, 0, KeyboardData::KEYS_PER_LAYER - 1, &s))
            return false;
        *slot = int(s);
        QString type;
        if (!string(o.value(QStringLiteral("type")), where + QStringLiteral(".type"), &type))
            return false;

        KeyData k;
        qint64 n = 0;
        if (type == QLatin1String("empty")) {
            k.reset();
        } else if (type == QLatin1String("basic")) {
            if (!integer(o, QStringLiteral("usage"), where, 0, 255, &n))
                return false;
            k.setBasicKey(quint8(n));
        } else if (type == QLatin1String("combination")) {
            QByteArray keys;
            if (!integer(o, QStringLiteral("modifiers"), where, 0, 255, &n)
                || !comboKeys(o.value(QStringLiteral("keys")), where + QStringLiteral(".keys"), &keys))
                return false;
            if (n == 0 && keys.isEmpty())
                return fail(where, QStringLiteral("a combination needs a modifier or a key"));
            k.setCombination(quint8(n), keys);
        } else if (type == QLatin1String("macro")) {
            QVector<MacroStepData> list;
            if (!steps(o.value(QStringLiteral("steps")), where + QStringLiteral(".steps"), &list))
                return false;
            k.setMacro(list);
        } else if (type == QLatin1String("media")) {
            if (!integer(o, QStringLiteral("usage"), where, 0, 0xFFFF, &n))
                return false;
            k.setMultimedia(quint16(n));
        } else if (type == QLatin1String("mouse")) {
            if (!integer(o, QStringLiteral("action"), where, 0, 15, &n))
                return false;
            k.setMouseAction(quint8(n));
        } else {
            return fail(where + QStringLiteral(".type"), QStringLiteral("unknown key type %1").arg(quoted(type)));
        }
        k.dirty = false;
        *out = k;
        return true;
    }

    bool lighting(const QJsonValue &v, const QString &where, LayerLedConfigData *out)
    {
        QJsonObject o;
        if (!object(v, where, &o))
            return false;
        LayerLedConfigData led;
        qint64 mode = 0;
        if (!integer(o, QStringLiteral("mode"), where, 0, 255, &mode))
            return false;
        led.mode = quint8(mode);
        QJsonArray colors;
        const QString cw = where + QStringLiteral(".colors");
        if (!array(o.value(QStringLiteral("colors")), cw, &colors))
            return false;
        if (colors.size() != KeyboardData::LEDS_PER_LAYER)
            return fail(cw, QStringLiteral("%1 colours, expected %2")
                                .arg(colors.size())
                                .arg(KeyboardData::LEDS_PER_LAYER));
        static const QRegularExpression hex(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        for (int i = 0; i < colors.size(); ++i) {
            const QString at = QStringLiteral("%1[%2]").arg(cw).arg(i);
            QString text;
            if (!string(colors[i], at, &text))
                return false;
            if (!hex.match(text).hasMatch())
                return fail(at, QStringLiteral("%1 is not a colour of the form #rrggbb").arg(quoted(text)));
            const uint rgb = text.midRef(1).toUInt(nullptr, 16);
            led.colors[i] = LedColorData{quint8(rgb >> 16), quint8(rgb >> 8), quint8(rgb)};
        }
        *out = led;
        return true;
    }

    bool layers(const QJsonObject &top, ProfileData *p)
    {
        QJsonArray list;
        if (!array(top.value(QStringLiteral("layers")), QStringLiteral("layers"), &list))
            return false;
        QVector<bool> seenLayer(KeyboardData::LAYER_COUNT, false);
        for (int i = 0; i < list.size(); ++i) {
            const QString where = QStringLiteral("layers[%1]").arg(i);
            QJsonObject o;
            if (!object(list[i], where, &o))
                return false;
            qint64 l = 0;
            if (!integer(o, QStringLiteral("layer"), where, 0, KeyboardData::LAYER_COUNT - 1, &l))
                return false;
            if (seenLayer[l])
                return fail(where + QStringLiteral(".layer"), QStringLiteral("layer %1 appears twice").arg(l));
            seenLayer[l] = true;

            const QJsonValue keysValue = o.value(QStringLiteral("keys"));
            if (!keysValue.isUndefined()) {
                QJsonArray keys;
                if (!array(keysValue, where + QStringLiteral(".keys"), &keys))
                    return false;
                for (int j = 0; j < keys.size(); ++j) {
                    const QString at = QStringLiteral("%1.keys[%2]").arg(where).arg(j);
                    int slot = 0;
                    KeyData k;
                    if (!key(keys[j], at, &slot, &k))
                        return false;
                    if (p->keyPresent[l][slot])
                        return fail(at + QStringLiteral(".slot"),
                                    QStringLiteral("slot %1 appears twice in layer %2").arg(slot).arg(l));
                    p->keyPresent[l][slot] = true;
                    p->layers[l][slot] = k;
                }
            }
            const QJsonValue ledValue = o.value(QStringLiteral("lighting"));
            if (!ledValue.isUndefined()) {
                if (!lighting(ledValue, where + QStringLiteral(".lighting"), &p->ledConfigs[l]))
                    return false;
                p->ledPresent[l] = true;
            }
        }
        return true;
    }
};

QString syntaxPlace(const QByteArray &json, int offset)
{
    int line = 1, column = 1;
    for (int i = 0; i < offset && i < json.size(); ++i) {
        if (json[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return QStringLiteral("line %1, column %2").arg(line).arg(column);
}

} // namespace

namespace Profile {

bool parse(const QByteArray &json, ProfileData *out, QString *error)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    Reader r;
    QString place, member;
    int offset = 0;
    if (pe.error != QJsonParseError::NoError) {
        r.fail(syntaxPlace(json, pe.offset),
               QStringLiteral("not valid JSON (%1)").arg(pe.errorString()));
    } else if (!doc.isObject()) {
        r.fail(QStringLiteral("top level"), QStringLiteral("expected an object"));
    } else if (JsonMembers::firstDuplicate(json, &place, &member, &offset)) {
        // The parsed document kept only the last of the two, so checking it would pass a
        // file that means something other than it seems to (a second "layers": [] empties it).
        r.fail(place.isEmpty() ? QStringLiteral("top level") : FileText::excerpt(place),
               QStringLiteral("member %1 appears twice (%2)").arg(quoted(member), syntaxPlace(json, offset)));
    } else {
        const QJsonObject top = doc.object();
        QString format;
        qint64 version = 0;
        ProfileData p;
        if (r.string(top.value(QStringLiteral("format")), QStringLiteral("format"), &format)
            && (format == QLatin1String(FORMAT_NAME)
                || r.fail(QStringLiteral("format"),
                          QStringLiteral("%1 is not a Macropad Studio profile").arg(quoted(format))))
            && r.integer(top, QStringLiteral("version"), QString(), 1, INT_MAX, &version)
            && (version <= FORMAT_VERSION
                || r.fail(QStringLiteral("version"),
                          QStringLiteral("version %1 is newer than this program reads (%2); "
                                         "update Macropad Studio")
                              .arg(version)
                              .arg(FORMAT_VERSION)))
            && r.device(top, &p.device) && r.layers(top, &p)) {
            p.version = int(version);
            *out = p;
            return true;
        }
    }
    if (error)
        *error = r.error;
    return false;
}

} // namespace Profile
