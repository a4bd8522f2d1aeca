#include "model/keyboarddata.h"
#include "model/profile.h"
#include "support/hostilefiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>


Q_DECLARE_METATYPE(KeyData)
Q_DECLARE_METATYPE(ProfileDevice::Protocol)

namespace {

using Mutator = std::function<void(QJsonObject &)>;

MacroStepData st(quint8 action, quint8 usage, quint16 delay)
{
    MacroStepData s;
    s.action = action;
    s.keyCode = usage;
    s.delayMs = delay;
    return s;
}

// A configuration using every kind of function, on every layer, with edited lighting.
void fill(KeyboardData &m)
{
    for (int l = 0; l < 4; ++l) {
        m.setCurrentLayer(l);
        m.selectKey(0);
        m.applyBaseKey(quint8(0x04 + l));
        m.selectKey(1);
        m.applyBaseKey(0xE0);
        m.applyBaseKey(0x1D);
        m.selectKey(2);
        m.applyBaseKey(0x0B);
        m.applyBaseKey(0x0C);
        m.selectKey(3);
        m.setSelectedMultimedia(0x00E9);
        m.selectKey(4);
        m.setSelectedMouseAction(quint8(11 + l));
        m.selectKey(24);
        for (int i = 0; i < 64; ++i)
            m.appendSelectedMacroStep(st(quint8(i % 2), quint8(0x1E + i / 2 % 10), quint16(i * 1000)));
        m.selectKey(12);
        m.applyBaseKey(0xE1);
        m.applyBaseKey(0xE6);
        m.setLedMode(l, quint8(l + 2));
        m.setLedColor(l, 0, {255, 0, 0});
        m.setLedColor(l, 15, {0, quint8(l), 255});
    }
    m.setCurrentLayer(0);
}

QJsonObject validProfile()
{
    KeyboardData m;
    fill(m);
    DeviceInfo info;
    info.valid = true;
    info.keyCount = 16;
    info.encoderCount = 3;
    info.layerCount = 4;
    return QJsonDocument::fromJson(Profile::exportJson(m, ProfileDevice::fromDeviceInfo(info))).object();
}

// Edits one value deep inside the document: path like {"layers", 1, "keys", 2}.
void setAt(QJsonObject &top, const QVariantList &path, const QJsonValue &value)
{
    std::function<QJsonValue(const QJsonValue &, int)> rec = [&](const QJsonValue &node, int i) -> QJsonValue {
        if (i == path.size())
            return value;
        if (path[i].type() == QVariant::String) {
            QJsonObject o = node.toObject();
            const QString key = path[i].toString();
            if (i + 1 == path.size() && value.isUndefined())
                o.remove(key);
            else
                o[key] = rec(o.value(key), i + 1);
            return o;
        }
        QJsonArray a = node.toArray();
        const int idx = path[i].toInt();
        if (i + 1 == path.size() && value.isUndefined())
            a.removeAt(idx);
        else if (idx >= a.size())
            a.append(rec(QJsonValue(), i + 1));
        else
            a[idx] = rec(a[idx], i + 1);
        return a;
    };
    top = rec(top, 0).toObject();
}

} // namespace

class TstProfile : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip();
    void importMarksOnlyDifferences();
    void malformed_data();
    void malformed();
    void randomDamage();
    void anotherModel();
    void fitsTheKeypadsOwnSlots();
    void differencesAfterWrite();
    void sameOnKeypad_data();
    void sameOnKeypad();
    void files();
};

void TstProfile::roundTrip()
{
    KeyboardData source;
    fill(source);
    for (auto protocol : {ProfileDevice::Protocol::Current, ProfileDevice::Protocol::LegacyR10Udav}) {
        ProfileDevice device;
        device.protocol = protocol;
        device.keyCount = 16;
        device.encoderCount = 3;
        device.layerCount = protocol == ProfileDevice::Protocol::Current ? 4 : 3;
        const QByteArray json = Profile::exportJson(source, device);

        ProfileData parsed;
        QString error;
        QVERIFY2(Profile::parse(json, &parsed, &error), qPrintable(error));
        QCOMPARE(parsed.device.protocol, protocol);
        QCOMPARE(parsed.device.encoderCount, 3);

        KeyboardData fresh;
        const ProfileImportResult r = Profile::apply(parsed, ProfileDevice(), fresh);
        QVERIFY(r.ok);
        QVERIFY(r.notFitted.isEmpty());
        QCOMPARE(r.keysChanged, 4 * 7);
        QCOMPARE(r.lightingChanged, 4);
        for (int l = 0; l < 4; ++l) {
            for (int k = 0; k < 25; ++k) {
                const KeyData &a = *source.keyDataAt(l, k);
                const KeyData &b = *fresh.keyDataAt(l, k);
                QVERIFY2(a.sameFunction(b), qPrintable(QStringLiteral("layer %1 slot %2").arg(l).arg(k)));
                QCOMPARE(b.fullText, a.fullText);
                QCOMPARE(b.buttonText, a.buttonText);
                QCOMPARE(b.dirty, a.type != KeyType::Empty);
            }
            QCOMPARE(fresh.ledConfig(l).mode, source.ledConfig(l).mode);
            QVERIFY(fresh.ledConfig(l).colors == source.ledConfig(l).colors);
        }
        QCOMPARE(fresh.keyDataAt(3, 24)->macroSteps.size(), 64);
        QCOMPARE(fresh.keyDataAt(3, 24)->macroSteps[63].delayMs, quint16(63000));
        // Exporting the imported copy gives the same file.
        QCOMPARE(Profile::exportJson(fresh, device), json);
    }
}

void TstProfile::importMarksOnlyDifferences()
{
    KeyboardData m;
    fill(m);
    const QByteArray json = Profile::exportJson(m, ProfileDevice());
    m.clearChangeFlags();

    // Same configuration: nothing to save afterwards.
    ProfileImportResult r = Profile::importJson(json, ProfileDevice(), m);
    QVERIFY(r.ok);
    QCOMPARE(r.keysChanged, 0);
    QCOMPARE(r.lightingChanged, 0);
    QVERIFY(!m.hasUnsavedChanges());

    // Two keys and one LED edited since the export: the import marks exactly those.
    m.setCurrentLayer(2);
    m.selectKey(7);
    m.setSelectedMultimedia(0xE2);
    m.selectKey(3);
    m.setSelectedMouseAction(1);
    m.setLedColor(1, 4, {1, 2, 3});
    m.clearChangeFlags();
    m.selectKey(3);

    QStringList log;
    connect(&m, &KeyboardData::keyButtonTextChanged, this,
            [&](int k, const QString &t) { log << QStringLiteral("B%1:%2").arg(k).arg(t); });
    connect(&m, &KeyboardData::keyFullTextChanged, this,
            [&](int k, const QString &t) { log << QStringLiteral("F%1:%2").arg(k).arg(t); });
    r = Profile::importJson(json, ProfileDevice(), m);
    QCOMPARE(r.keysChanged, 2);
    QCOMPARE(r.lightingChanged, 1);
    QCOMPARE(log, QStringList({"B3:Vol+", "F3:Vol+", "B7:"}));
    int dirty = 0;
    for (int l = 0; l < 4; ++l)
        for (int k = 0; k < 25; ++k)
            dirty += m.keyDataAt(l, k)->dirty;
    QCOMPARE(dirty, 2);
    QVERIFY(m.keyDataAt(2, 7)->dirty);
    QCOMPARE(m.keyDataAt(2, 7)->type, quint8(KeyType::Empty));
    QVERIFY(m.ledConfig(1).colorDirty[4]);
    QCOMPARE(m.ledConfig(1).colors[4], (LedColorData{255, 255, 0}));
    QVERIFY(!m.ledConfig(1).colorDirty[3]);
    QVERIFY(!m.ledConfig(1).modeDirty);
}

void TstProfile::malformed_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");

    const QJsonObject base = validProfile();
    const QByteArray good = QJsonDocument(base).toJson(QJsonDocument::Indented);
    auto row = [&](const char *name, const QVariantList &path, const QJsonValue &v, const char *msg) {
        QJsonObject o = base;
        setAt(o, path, v);
        QTest::newRow(name) << QJsonDocument(o).toJson() << QString::fromUtf8(msg);
    };

    const int cut = good.indexOf("\"lighting\"", good.size() / 2);
    const int line = good.left(cut).count('\n') + 1;
    QTest::newRow("truncated") << good.left(cut + 3)
                               << QStringLiteral("line %1, column %2: not valid JSON (unterminated string)")
                                      .arg(line)
                                      .arg(cut - good.lastIndexOf('\n', cut) + 3);
    QTest::newRow("empty file") << QByteArray() << "line 1, column 1: not valid JSON (illegal value)";
    QTest::newRow("a list") << QByteArray("[1,2]") << "top level: expected an object";
    row("other format", {"format"}, "keypad-thing", "format: \"keypad-thing\" is not a Macropad Studio profile");
    row("no version", {"version"}, QJsonValue::Undefined, "version: missing");
    row("version as text", {"version"}, "1", "version: expected a whole number, found a text");
    row("newer version", {"version"}, 2,
        "version: version 2 is newer than this program reads (1); update Macropad Studio");
    row("no device", {"device"}, QJsonValue::Undefined, "device: missing");
    row("unknown protocol", {"device", "protocol"}, "usb3", "device.protocol: unknown protocol \"usb3\"");
    row("knob count", {"device", "knobs"}, 300, "device.knobs: 300 is out of range 0..255");
    row("layers not a list", {"layers"}, 4, "layers: expected a list, found a number");
    row("layer 4", {"layers", 3, "layer"}, 4, "layers[3].layer: 4 is out of range 0..3");
    row("layer twice", {"layers", 3, "layer"}, 1, "layers[3].layer: layer 1 appears twice");
    row("slot 25", {"layers", 2, "keys", 5, "slot"}, 25, "layers[2].keys[5].slot: 25 is out of range 0..24");
    row("slot twice", {"layers", 2, "keys", 5, "slot"}, 4, "layers[2].keys[5].slot: slot 4 appears twice in layer 2");
    row("key not an object", {"layers", 0, "keys", 1}, true, "layers[0].keys[1]: expected an object, found true/false");
    row("unknown type", {"layers", 0, "keys", 1, "type"}, "joystick", "layers[0].keys[1].type: unknown key type \"joystick\"");
    {
        // Quoted to a line, not echoed whole.
        QJsonObject o = base;
        setAt(o, {"layers", 0, "keys", 1, "type"}, QString(5 << 20, QLatin1Char('j')));
        QTest::newRow("5 MB type") << QJsonDocument(o).toJson()
                                   << QStringLiteral("layers[0].keys[1].type: unknown key type \"%1\u2026\"")
                                          .arg(QString(200, QLatin1Char('j')));
    }
    row("usage 256", {"layers", 1, "keys", 0, "usage"}, 256, "layers[1].keys[0].usage: 256 is out of range 0..255");
    row("usage fraction", {"layers", 1, "keys", 0, "usage"}, 4.5, "layers[1].keys[0].usage: expected a whole number, found 4.5");
    row("usage text", {"layers", 1, "keys", 0, "usage"}, "4", "layers[1].keys[0].usage: expected a whole number, found a text");
    row("usage missing", {"layers", 1, "keys", 0, "usage"}, QJsonValue::Undefined, "layers[1].keys[0].usage: missing");
    row("media 65536", {"layers", 0, "keys", 3, "usage"}, 65536, "layers[0].keys[3].usage: 65536 is out of range 0..65535");
    row("mouse 16", {"layers", 0, "keys", 4, "action"}, 16, "layers[0].keys[4].action: 16 is out of range 0..15");
    row("seven combination keys", {"layers", 3, "keys", 1, "keys"}, QJsonArray{4, 5, 6, 7, 8, 9, 10},
        "layers[3].keys[1].keys: 7 keys, a combination holds at most 6");
    row("modifier among keys", {"layers", 3, "keys", 1, "keys"}, QJsonArray{4, 0xE1},
        "layers[3].keys[1].keys[1]: LShift is a modifier; put it in \"modifiers\"");
    row("key twice", {"layers", 3, "keys", 1, "keys"}, QJsonArray{4, 4},
        "layers[3].keys[1].keys[1]: A is listed twice");
    row("key zero", {"layers", 3, "keys", 1, "keys"}, QJsonArray{0},
        "layers[3].keys[1].keys[0]: 0 is out of range 1..255");
    {
        QJsonObject o = base;
        setAt(o, {"layers", 3, "keys", 1, "keys"}, QJsonArray());
        setAt(o, {"layers", 3, "keys", 1, "modifiers"}, 0);
        QTest::newRow("empty combination") << QJsonDocument(o).toJson()
                                           << "layers[3].keys[1]: a combination needs a modifier or a key";
    }
    QJsonArray steps = base["layers"].toArray()[2].toObject()["keys"].toArray()[24].toObject()["steps"].toArray();
    steps.append(steps[0]);
    row("65 steps", {"layers", 2, "keys", 24, "steps"}, steps, "layers[2].keys[24].steps: 65 steps, a macro holds at most 64");
    row("no steps", {"layers", 2, "keys", 24, "steps"}, QJsonArray(), "layers[2].keys[24].steps: a macro needs at least one step");
    row("step action", {"layers", 2, "keys", 2, "steps", 1, "action"}, "hold",
        "layers[2].keys[2].steps[1].action: \"hold\" is neither \"press\" nor \"release\"");
    row("negative delay", {"layers", 2, "keys", 2, "steps", 3, "delay"}, -1,
        "layers[2].keys[2].steps[3].delay: -1 is out of range 0..65535");
    row("15 colours", {"layers", 1, "lighting", "colors", 15}, QJsonValue::Undefined,
        "layers[1].lighting.colors: 15 colours, expected 16");
    row("bad colour", {"layers", 1, "lighting", "colors", 9}, "#ggg000",
        "layers[1].lighting.colors[9]: \"#ggg000\" is not a colour of the form #rrggbb");
    row("colour as number", {"layers", 1, "lighting", "colors", 9}, 0xFF0000,
        "layers[1].lighting.colors[9]: expected a text, found a number");
    row("mode 300", {"layers", 3, "lighting", "mode"}, 300, "layers[3].lighting.mode: 300 is out of range 0..255");

    // A parsed document keeps only the last of two members of one name, so these are found
    // on the text: at the top (a second, empty layer list), deep in a key, and spelt with an
    // escape.
    const QByteArray head("{\"format\":\"macropad-studio-profile\",\"version\":1,");
    auto twice = [&](const char *name, const QByteArray &rest, const QByteArray &second, const char *place,
                     const char *member) {
        const QByteArray json = head + rest;
        QTest::newRow(name) << json
                            << QStringLiteral("%1: member \"%2\" appears twice (line 1, column %3)")
                                   .arg(QLatin1String(place), QLatin1String(member))
                                   .arg(json.lastIndexOf(second) + 1);
    };
    twice("second layer list",
          "\"device\":{\"protocol\":\"none\"},\"layers\":[{\"layer\":0,\"keys\":[{\"slot\":0,\"type\":\"empty\"}]}],"
          "\"layers\":[]}",
          "\"layers\"", "top level", "layers");
    twice("usage twice in a key",
          "\"device\":{\"protocol\":\"none\"},\"layers\":[{\"layer\":0},{\"layer\":1,\"keys\":[{\"slot\":0,"
          "\"type\":\"empty\"},{\"slot\":1,\"type\":\"basic\",\"usage\":4,\"usage\":5}]}]}",
          "\"usage\"", "layers[1].keys[1]", "usage");
    twice("escaped name", "\"device\":{\"protocol\":\"none\",\"prot\\u006fcol\":\"current\"},\"layers\":[]}",
          "\"prot", "device", "protocol");
}

void TstProfile::malformed()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, message);

    // A model with pending edits of its own: a refused file must not touch them either.
    KeyboardData m;
    m.selectKey(5);
    m.applyBaseKey(0x2C);
    m.setLedColor(3, 3, {3, 3, 3});
    const QByteArray before = Profile::exportJson(m, ProfileDevice());
    QSignalSpy button(&m, &KeyboardData::keyButtonTextChanged);
    QSignalSpy full(&m, &KeyboardData::keyFullTextChanged);

    const ProfileImportResult r = Profile::importJson(json, ProfileDevice(), m);
    QVERIFY(!r.ok);
    QCOMPARE(r.error, message);
    QCOMPARE(r.keysChanged, 0);
    QCOMPARE(Profile::exportJson(m, ProfileDevice()), before);
    QCOMPARE(button.count() + full.count(), 0);
    for (int l = 0; l < 4; ++l)
        for (int k = 0; k < 25; ++k)
            QCOMPARE(m.keyDataAt(l, k)->dirty, l == 0 && k == 5);
    QVERIFY(m.ledConfig(3).colorDirty[3]);
    QCOMPARE(m.ledConfig(0).mode, quint8(1));
}

void TstProfile::randomDamage()
{
    // Files damaged at random (flipped bytes, cuts, inserted bytes) are either read in
    // full or refused with a message; a refusal never changes the model.
    const QByteArray good = QJsonDocument(validProfile()).toJson(QJsonDocument::Compact);
    QRandomGenerator rng(20261208);
    KeyboardData m;
    m.selectKey(2);
    m.applyBaseKey(0x2C);
    const QByteArray before = Profile::exportJson(m, ProfileDevice());
    int refused = 0;
    for (int round = 0; round < 400; ++round) {
        QByteArray bad = good;
        const int edits = 1 + int(rng.bounded(4));
        for (int e = 0; e < edits; ++e) {
            const int at = int(rng.bounded(bad.size()));
            switch (rng.bounded(3)) {
            case 0:
                bad[at] = char(rng.bounded(256));
                break;
            case 1:
                bad.truncate(at);
                break;
            default:
                bad.insert(at, char(rng.bounded(32, 127)));
                break;
            }
            if (bad.isEmpty())
                break;
        }
        KeyboardData probe;
        const ProfileImportResult r = Profile::importJson(bad, ProfileDevice(), probe);
        if (r.ok)
            continue;
        ++refused;
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(Profile::importJson(bad, ProfileDevice(), m).error, r.error);
        QCOMPARE(Profile::exportJson(m, ProfileDevice()), before);
    }
    QVERIFY(refused > 200);
}

void TstProfile::anotherModel()
{
    ProfileData p;
    QString error;
    QVERIFY(Profile::parse(QJsonDocument(validProfile()).toJson(), &p, &error));

    // A 6-key, 1-knob keypad with two layers: slots 0-8 of layers 0 and 1.
    DeviceInfo small;
    small.valid = true;
    small.keyCount = 6;
    small.encoderCount = 1;
    small.layerCount = 2;
    KeyboardData m;
    QCOMPARE(ProfileDevice::fromDeviceInfo(small).describe(), "6 keys, 1 knob, 2 layers (current protocol)");
    ProfileImportResult r = Profile::apply(p, ProfileDevice::fromDeviceInfo(small), m);
    QVERIFY(r.ok);
    QCOMPARE(r.notFitted, QStringList({"layer 0, slots 12, 24: no such key on this keypad",
                                       "layer 1, slots 12, 24: no such key on this keypad",
                                       "layer 2: this keypad has 2 layers",
                                       "layer 3: this keypad has 2 layers"}));
    QCOMPARE(r.keysChanged, 2 * 5);
    QCOMPARE(r.lightingChanged, 2);
    QCOMPARE(m.keyDataAt(1, 4)->mouseAction, quint8(12));
    QCOMPARE(m.keyDataAt(1, 12)->type, quint8(KeyType::Empty));
    QCOMPARE(m.keyDataAt(2, 0)->type, quint8(KeyType::Empty));
    QCOMPARE(m.ledConfig(2).mode, quint8(1));
    QVERIFY(!m.keyDataAt(2, 0)->dirty);

    // An "Old" legacy keypad: 3 layers, slots 0-14 and 16-18, no gestures, modes up to 5,
    // at most 18 key presses per macro.
    LegacyDeviceInfo old;
    old.valid = true;
    old.keyCount = 15;
    old.encoderCount = 1;
    old.format = LegacyDeviceInfo::Old;
    KeyboardData m2;
    r = Profile::apply(p, ProfileDevice::fromLegacyInfo(old), m2);
    QCOMPARE(r.notFitted, QStringList({"layer 0, slot 4: \"Left Swipe\" is unknown to this keypad",
                                       "layer 0, slots 24: no such key on this keypad",
                                       "layer 1, slot 4: \"Right Swipe\" is unknown to this keypad",
                                       "layer 1, slots 24: no such key on this keypad",
                                       "layer 2, slot 4: \"Up Swipe\" is unknown to this keypad",
                                       "layer 2, slots 24: no such key on this keypad",
                                       "layer 3: this keypad has 3 layers"}));
    QCOMPARE(m2.keyDataAt(0, 4)->type, quint8(KeyType::Empty));
    QCOMPARE(m2.keyDataAt(0, 12)->modifierBits, quint8(0x42));

    // A 16-key, 3-knob "R10Udav" keypad keeps all 25 slots but at most 18 key presses in a
    // macro.
    old.format = LegacyDeviceInfo::R10Udav;
    old.layerCount = 3;
    old.keyCount = 16;
    old.encoderCount = 3;
    KeyboardData m3;
    r = Profile::apply(p, ProfileDevice::fromLegacyInfo(old), m3);
    QCOMPARE(r.notFitted, QStringList({"layer 0, slot 24: macro of 32 key presses, this keypad keeps 18",
                                       "layer 1, slot 24: macro of 32 key presses, this keypad keeps 18",
                                       "layer 2, slot 24: macro of 32 key presses, this keypad keeps 18",
                                       "layer 3: this keypad has 3 layers"}));
    QCOMPARE(m3.keyDataAt(0, 4)->mouseAction, quint8(11));
    QCOMPARE(m3.keyDataAt(2, 24)->type, quint8(KeyType::Empty));

    // Lighting modes above 5 stay as they were on "Old" keypads, and say so; the colours
    // still load.
    ProfileData lit;
    lit.ledPresent[0] = true;
    lit.ledConfigs[0].mode = 7;
    lit.ledConfigs[0].colors[0] = {0, 0, 255};
    old.format = LegacyDeviceInfo::Old;
    KeyboardData m4;
    r = Profile::apply(lit, ProfileDevice::fromLegacyInfo(old), m4);
    QCOMPARE(r.notFitted, QStringList({"layer 0, lighting: mode 7 is unknown to this keypad, kept as it was"}));
    QCOMPARE(r.lightingChanged, 1);
    QCOMPARE(m4.ledConfig(0).mode, quint8(1));
    QVERIFY(!m4.ledConfig(0).modeDirty);
    QVERIFY(m4.ledConfig(0).colorDirty[0]);
    QCOMPARE(r.keysChanged, 0);
}

void TstProfile::fitsTheKeypadsOwnSlots()
{
    // The profile holds something in slots 0-4, 12 and 24 of every layer.
    ProfileData p;
    QString error;
    QVERIFY(Profile::parse(QJsonDocument(validProfile()).toJson(), &p, &error));
    auto current = [](int keys, int knobs) {
        DeviceInfo info;
        info.valid = true;
        info.keyCount = quint8(keys);
        info.encoderCount = quint8(knobs);
        info.layerCount = 4;
        return ProfileDevice::fromDeviceInfo(info);
    };
    auto legacy = [](int keys, int knobs, int shape) {
        LegacyDeviceInfo info;
        info.valid = true;
        info.keyCount = quint8(keys);
        info.encoderCount = quint8(knobs);
        info.shape = quint8(shape);
        info.format = LegacyDeviceInfo::R10Udav;
        return ProfileDevice::fromLegacyInfo(info);
    };
    const struct {
        ProfileDevice target;
        const char *missing; // slots with content that do not fit, on every layer it has
        int layers;
    } cases[] = {
        {current(0, 1), "3, 4, 12, 24", 4}, // one knob: its three actions in slots 0-2
        {current(1, 0), "1, 2, 3, 4, 12, 24", 4},
        {legacy(1, 0, 0), "1, 2, 3, 4, 12, 24", 3},
        {legacy(0, 1, 0), "0, 4, 12, 24", 3}, // the legacy knob answers in slots 1-3
        {legacy(0, 1, 1), "3, 4, 12, 24", 3},
        {legacy(6, 1, 0), "12, 24", 3},       // keys 0-5, the knob in 16-18
    };
    for (const auto &c : cases) {
        QStringList expected;
        for (int l = 0; l < 4; ++l)
            expected << (l < c.layers ? QStringLiteral("layer %1, slots %2: no such key on this keypad").arg(l).arg(QLatin1String(c.missing))
                                      : QStringLiteral("layer 3: this keypad has 3 layers"));
        KeyboardData m;
        const ProfileImportResult r = Profile::apply(p, c.target, m);
        QCOMPARE(r.notFitted, expected);
        const int fitting = 7 - int(QString::fromLatin1(c.missing).split(QLatin1Char(',')).size());
        QCOMPARE(r.keysChanged, c.layers * fitting);
        for (int k = 0; k < 25; ++k)
            QCOMPARE(m.keyDataAt(0, k)->dirty, c.target.hasSlot(k) && p.layers[0][k].type != KeyType::Empty);
        // Nothing that does not fit is compared after a write either.
        QVERIFY(Profile::differences(p, c.target, m.layers(), p.ledConfigs).isEmpty());
    }
}

void TstProfile::differencesAfterWrite()
{
    KeyboardData m;
    fill(m);
    ProfileData p = Profile::fromModel(m, ProfileDevice());
    QVERIFY(Profile::differences(p, ProfileDevice(), m.layers(), m.ledConfigs()).isEmpty());

    // What a keypad that silently dropped one write and mangled one colour reads back as.
    QVector<QVector<KeyData>> back = m.layers();
    back[1][3].reset();
    QVector<LayerLedConfigData> leds = m.ledConfigs();
    leds[2].colors[15] = {0, 0, 0};
    leds[3].mode = 0;
    QCOMPARE(Profile::differences(p, ProfileDevice(), back, leds),
             QStringList({"layer 1, slot 3: expected \"Vol+\", found nothing",
                          "layer 2, LED 15: expected #0002ff, found #000000",
                          "layer 3, lighting: expected mode 5, found 0"}));
    // A short read-back is a difference too, not a crash.
    back.resize(1);
    leds.clear();
    const QStringList d = Profile::differences(p, ProfileDevice(), back, leds);
    QVERIFY(d.contains(QStringLiteral("layer 3, slot 24: not read back")));
    QVERIFY(d.contains(QStringLiteral("layer 0, lighting: not read back")));
}

void TstProfile::sameOnKeypad_data()
{
    QTest::addColumn<ProfileDevice::Protocol>("protocol");
    QTest::addColumn<KeyData>("written");
    QTest::addColumn<KeyData>("readBack");
    QTest::addColumn<bool>("same");

    auto basic = [](quint8 u) { KeyData k; k.setBasicKey(u); return k; };
    auto combo = [](quint8 m, const QByteArray &keys) { KeyData k; k.setCombination(m, keys); return k; };
    auto macro = [](const QVector<MacroStepData> &s) { KeyData k; k.setMacro(s); return k; };
    auto media = [](quint16 u) { KeyData k; k.setMultimedia(u); return k; };
    auto mouse = [](quint8 a) { KeyData k; k.setMouseAction(a); return k; };
    const auto R10 = ProfileDevice::Protocol::LegacyR10Udav;
    const auto Old = ProfileDevice::Protocol::LegacyOld;
    const auto Cur = ProfileDevice::Protocol::Current;
    const QByteArray a("\x04", 1), b("\x05", 1);

    // How the legacy keypads return what was written to them.
    QTest::newRow("r10 combination returns as macro")
        << R10 << combo(0x01, a)
        << macro({st(0, 0xE0, 0), st(0, 4, 20), st(1, 4, 20), st(1, 0xE0, 20)}) << true;
    QTest::newRow("r10 lone press returns as basic")
        << R10 << macro({st(0, 4, 0), st(1, 4, 50)}) << basic(4) << true;
    QTest::newRow("r10 delayed press is no basic") << R10 << macro({st(0, 4, 30)}) << basic(4) << false;
    QTest::newRow("r10 other key") << R10 << combo(0x01, a) << combo(0x01, b) << false;
    QTest::newRow("r10 media 0 is empty") << R10 << media(0) << KeyData() << true;
    QTest::newRow("r10 basic 0 is empty") << R10 << basic(0) << KeyData() << true;
    QTest::newRow("r10 media") << R10 << media(0xE9) << media(0xEA) << false;
    QTest::newRow("r10 mouse") << R10 << mouse(12) << mouse(12) << true;
    QTest::newRow("old combination returns as macro")
        << Old << combo(0x03, a)
        << macro({st(0, 0xE0, 0), st(0, 0xE1, 0), st(0, 4, 0), st(1, 4, 20), st(1, 0xE1, 20), st(1, 0xE0, 20)})
        << true;
    QTest::newRow("old keeps one delay")
        << Old << macro({st(0, 4, 30), st(1, 4, 20), st(0, 5, 20), st(1, 5, 20)})
        << macro({st(0, 4, 30), st(0, 5, 30), st(1, 5, 20), st(1, 4, 20)}) << true;
    QTest::newRow("old delay lost") << Old << macro({st(0, 4, 30)}) << basic(4) << false;
    QTest::newRow("old key order") << Old << macro({st(0, 4, 0), st(0, 5, 0)})
                                   << macro({st(0, 5, 0), st(0, 4, 0)}) << false;
    QTest::newRow("old modifier mask") << Old << combo(0x01, a) << combo(0x02, a) << false;
    QTest::newRow("current needs equal records")
        << Cur << combo(0x01, a) << macro({st(0, 0xE0, 0), st(0, 4, 20), st(1, 4, 20), st(1, 0xE0, 20)})
        << false;
    QTest::newRow("current equal") << Cur << combo(0x01, a) << combo(0x01, a) << true;
}

void TstProfile::sameOnKeypad()
{
    QFETCH(ProfileDevice::Protocol, protocol);
    QFETCH(KeyData, written);
    QFETCH(KeyData, readBack);
    QFETCH(bool, same);
    QCOMPARE(Profile::sameOnKeypad(written, readBack, protocol), same);
    QCOMPARE(Profile::sameOnKeypad(readBack, written, protocol), same);
}

void TstProfile::files()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    KeyboardData m;
    fill(m);
    const QString path = dir.filePath(QStringLiteral("set-up.json"));
    QString error;
    QVERIFY2(Profile::exportToFile(path, m, ProfileDevice(), &error), qPrintable(error));

    KeyboardData fresh;
    const ProfileImportResult r = Profile::importFromFile(path, ProfileDevice(), fresh);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(Profile::exportJson(fresh, ProfileDevice()), Profile::exportJson(m, ProfileDevice()));

    const QString missing = dir.filePath(QStringLiteral("nope.json"));
    const ProfileImportResult r2 = Profile::importFromFile(missing, ProfileDevice(), fresh);
    QVERIFY(!r2.ok);
    QVERIFY2(r2.error.startsWith(missing + QStringLiteral(": cannot read")), qPrintable(r2.error));

    QVERIFY(!Profile::exportToFile(dir.path(), m, ProfileDevice(), &error));
    QCOMPARE(error, dir.path() + QStringLiteral(": a directory, not a file"));

    // A broken file reports its own path with the place inside it.
    QFile bad(dir.filePath(QStringLiteral("bad.json")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("{\"format\": \"macropad-studio-profile\", \"version\": 1,\n \"device\": {}}");
    bad.close();
    const ProfileImportResult r3 = Profile::importFromFile(bad.fileName(), ProfileDevice(), fresh);
    QCOMPARE(r3.error, bad.fileName() + QStringLiteral(": device.protocol: missing"));

    // A pipe, a device, a directory and a file over the limit are refused at once, unread.
    testsupport::HostileFiles hostile(Profile::MAX_FILE_BYTES + 1);
    QVERIFY(hostile.ok());
    const QByteArray before = Profile::exportJson(fresh, ProfileDevice());
    for (const auto &e : hostile.entries()) {
        QElapsedTimer t;
        t.start();
        const ProfileImportResult r4 = Profile::importFromFile(e.path, ProfileDevice(), fresh);
        QVERIFY2(t.elapsed() < 2000, qPrintable(e.path));
        QVERIFY(!r4.ok);
        QVERIFY2(r4.error.startsWith(e.path + QStringLiteral(": ") + e.problem), qPrintable(r4.error));
        QCOMPARE(Profile::exportJson(fresh, ProfileDevice()), before);
    }
}

QTEST_GUILESS_MAIN(TstProfile)
#include "tst_profile.moc"
