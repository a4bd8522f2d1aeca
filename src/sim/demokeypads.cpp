#include "sim/demokeypads.h"

#include "sim/currentfirmware.h"
#include "sim/legacyfirmware.h"
#include "sim/replayfirmware.h"
#include "sim/simbus.h"
#include "sim/simlog.h"

#include <QDebug>

#include <array>
#include <cstdio>

namespace sim {

namespace {

using Step = CurrentFirmware::Step;

// What one panel variant reports about itself, and which data indices its panel uses.
struct CurrentVariant {
    const char *name;
    quint8 keys, knobs, extra, layers, p, s, b;
    int firstKnobSlot; // -1: no knob
    int knobCount;
};

// One row per panel preset of the window; the identities are the ones it matches on.
constexpr std::array<CurrentVariant, 10> kVariants{{
    {"16k3e", 16, 3, 0, 3, 0, 0, 2, 16, 3},
    {"16k3e-s1", 16, 3, 0, 3, 0, 1, 2, 16, 3},
    {"16k3e-s2", 16, 3, 0, 3, 0, 2, 2, 16, 2},
    {"16k3e-s3", 16, 3, 0, 3, 0, 3, 2, 16, 3},
    {"6k1e", 6, 1, 0, 3, 0, 0, 1, 6, 1},
    {"6k0e", 6, 0, 0, 3, 0, 0, 1, -1, 0},
    {"1k0e", 1, 0, 0, 3, 0, 0, 1, -1, 0},
    {"0k1e", 0, 1, 0, 3, 0, 0, 1, 0, 1},
    {"0k1e-p1s1", 0, 1, 0, 3, 1, 1, 1, 0, 1},
    {"5k2e", 5, 2, 0, 3, 0, 0, 1, 5, 2},
}};

// Keys the panel of a variant actually shows (the S1 variant reports 16 keys but has 4).
int shownKeys(const CurrentVariant &v)
{
    if (qstrcmp(v.name, "16k3e-s1") == 0)
        return 4;
    if (qstrcmp(v.name, "16k3e-s2") == 0 || qstrcmp(v.name, "16k3e-s3") == 0)
        return 0;
    return v.keys;
}

QVector<Step> typeText(const QByteArray &usages, quint16 delay)
{
    QVector<Step> steps;
    for (char u : usages) {
        steps.append({0, quint8(u), delay});
        steps.append({1, quint8(u), quint16(delay / 2)});
    }
    return steps;
}

QVector<std::array<quint8, 3>> gradient(std::array<quint8, 3> from, std::array<quint8, 3> to)
{
    QVector<std::array<quint8, 3>> colors;
    for (int i = 0; i < 16; ++i) {
        std::array<quint8, 3> c{};
        for (int ch = 0; ch < 3; ++ch)
            c[size_t(ch)] = quint8(from[size_t(ch)] + (int(to[size_t(ch)]) - int(from[size_t(ch)])) * i / 15);
        colors.append(c);
    }
    return colors;
}

// The big keypad as someone who uses it daily would have it: letters and shortcuts, a long
// macro, media keys, mouse actions, knobs on volume and zoom, each of its three layers lit
// differently: the three the window has buttons for.
void fillLivedIn(CurrentFirmware &fw)
{
    using F = CurrentFirmware;
    const char ctrl = 0x01, shift = 0x02, alt = 0x04, gui = 0x08;
    // Layer 0: editing.
    fw.setKeyRecord(0, 0, F::combinationRecord(ctrl, QByteArray(1, 0x06)));          // Ctrl+C
    fw.setKeyRecord(0, 1, F::combinationRecord(ctrl, QByteArray(1, 0x19)));          // Ctrl+V
    fw.setKeyRecord(0, 2, F::combinationRecord(ctrl, QByteArray(1, 0x1D)));          // Ctrl+Z
    fw.setKeyRecord(0, 3, F::combinationRecord(ctrl | shift, QByteArray(1, 0x1D)));  // Ctrl+Shift+Z
    fw.setKeyRecord(0, 4, F::basicRecord(0x29));                                     // Esc
    fw.setKeyRecord(0, 5, F::basicRecord(0x2B));                                     // Tab
    fw.setKeyRecord(0, 6, F::basicRecord(0x28));                                     // Enter
    fw.setKeyRecord(0, 7, F::basicRecord(0x2C));                                     // Space
    // "Hello, world!" typed by a macro: 30 steps, a 130-byte record, three chunks on the wire.
    QVector<Step> hello = typeText(QByteArray::fromHex("0b080f0f12362c1a12150f07"), 30);
    hello.prepend({0, 0xE1, 0});
    hello.insert(2, {1, 0xE1, 10});
    hello.append({0, 0xE1, 10});
    hello.append({0, 0x1E, 20});
    hello.append({1, 0x1E, 20});
    hello.append({1, 0xE1, 10});
    fw.setKeyRecord(0, 8, F::macroRecord(hello));
    fw.setKeyRecord(0, 9, F::combinationRecord(gui, QByteArray(1, 0x07)));           // Win+D
    fw.setKeyRecord(0, 10, F::combinationRecord(alt, QByteArray(1, 0x2B)));          // Alt+Tab
    fw.setKeyRecord(0, 11, F::combinationRecord(ctrl | shift, QByteArray::fromHex("16"))); // Ctrl+Shift+S
    fw.setKeyRecord(0, 12, F::multimediaRecord(0x00CD));                             // play/pause
    fw.setKeyRecord(0, 13, F::multimediaRecord(0x00B6));                             // previous
    fw.setKeyRecord(0, 14, F::multimediaRecord(0x00B5));                             // next
    fw.setKeyRecord(0, 15, F::multimediaRecord(0x00E2));                             // mute
    fw.setKeyRecord(0, 16, F::multimediaRecord(0x00EA));                             // knob 1: volume
    fw.setKeyRecord(0, 17, F::multimediaRecord(0x00E9));
    fw.setKeyRecord(0, 18, F::multimediaRecord(0x00E2));
    fw.setKeyRecord(0, 19, F::mouseRecord(6));                                       // knob 2: zoom
    fw.setKeyRecord(0, 20, F::mouseRecord(5));
    fw.setKeyRecord(0, 21, F::mouseRecord(2));
    fw.setKeyRecord(0, 22, F::mouseRecord(4));                                       // knob 3: scroll
    fw.setKeyRecord(0, 23, F::mouseRecord(3));
    fw.setKeyRecord(0, 24, F::mouseRecord(0));
    // Layer 1: a number pad and a short macro.
    const QByteArray digits = QByteArray::fromHex("1e1f20212223242526275657542d2e28");
    for (int k = 0; k < 16; ++k)
        fw.setKeyRecord(1, k, F::basicRecord(quint8(digits[k])));
    fw.setKeyRecord(1, 15, F::macroRecord({{0, 0xE0, 0}, {0, 0x04, 20}, {1, 0x04, 20}, {1, 0xE0, 20}}));
    fw.setKeyRecord(1, 16, F::basicRecord(0x50));
    fw.setKeyRecord(1, 17, F::basicRecord(0x4F));
    fw.setKeyRecord(1, 18, F::basicRecord(0x28));
    // Layer 2: drawing shortcuts and gestures.
    fw.setKeyRecord(2, 0, F::basicRecord(0x05));                                      // B: brush
    fw.setKeyRecord(2, 1, F::basicRecord(0x08));                                      // E: eraser
    fw.setKeyRecord(2, 2, F::combinationRecord(ctrl | alt, QByteArray::fromHex("1d")));
    fw.setKeyRecord(2, 3, F::mouseRecord(11));
    fw.setKeyRecord(2, 4, F::mouseRecord(12));
    fw.setKeyRecord(2, 5, F::mouseRecord(15));
    fw.setKeyRecord(2, 16, F::basicRecord(0x2F));                                     // [ and ]
    fw.setKeyRecord(2, 17, F::basicRecord(0x30));

    fw.setLighting(0, F::lightingPayload(3, gradient({255, 0, 64}, {0, 64, 255})));
    fw.setLighting(1, F::lightingPayload(1, QVector<std::array<quint8, 3>>(16, {0, 200, 80})));
    fw.setLighting(2, F::lightingPayload(5, gradient({255, 160, 0}, {128, 0, 255})));
}

// A smaller panel: its keys and knob actions each get something on the first two layers.
void fillSmall(CurrentFirmware &fw, const CurrentVariant &v)
{
    using F = CurrentFirmware;
    const int keys = shownKeys(v);
    for (int k = 0; k < keys; ++k) {
        fw.setKeyRecord(0, k, F::basicRecord(quint8(0x04 + k))); // A, B, C ...
        fw.setKeyRecord(1, k, F::combinationRecord(0x01, QByteArray(1, char(0x04 + k))));
    }
    if (keys > 0)
        fw.setKeyRecord(0, keys - 1,
                        F::macroRecord(typeText(QByteArray::fromHex("0b08"), 25) + typeText(QByteArray::fromHex("0f0f12"), 25)));
    for (int n = 0; n < v.knobCount; ++n) {
        const int first = v.firstKnobSlot + 3 * n;
        fw.setKeyRecord(0, first, F::multimediaRecord(0x00EA));
        fw.setKeyRecord(0, first + 1, F::multimediaRecord(0x00E9));
        if (qstrcmp(v.name, "5k2e") != 0) // its knobs turn but do not press
            fw.setKeyRecord(0, first + 2, F::multimediaRecord(0x00E2));
        fw.setKeyRecord(1, first, F::mouseRecord(4));
        fw.setKeyRecord(1, first + 1, F::mouseRecord(3));
    }
    fw.setLighting(0, F::lightingPayload(2, gradient({0, 255, 255}, {255, 0, 255})));
    fw.setLighting(1, F::lightingPayload(1, QVector<std::array<quint8, 3>>(16, {255, 96, 0})));
}

const CurrentVariant *variant(const QString &name)
{
    for (const CurrentVariant &v : kVariants)
        if (name == QLatin1String(v.name))
            return &v;
    return nullptr;
}

} // namespace

const QVector<DemoKeypad> &demoKeypads()
{
    static const QVector<DemoKeypad> list = {
        {QStringLiteral("16k3e"), QStringLiteral("16 keys, 3 knobs (4 x 4), in daily use"), 0x1189, 0x8842},
        {QStringLiteral("16k3e-s1"), QStringLiteral("4 keys in a row under 3 knobs"), 0x1189, 0x8842},
        {QStringLiteral("16k3e-s2"), QStringLiteral("2 knobs, no keys"), 0x1189, 0x8842},
        {QStringLiteral("16k3e-s3"), QStringLiteral("3 knobs, no keys"), 0x1189, 0x8842},
        {QStringLiteral("6k1e"), QStringLiteral("6 keys, 1 knob"), 0x1189, 0x8840},
        {QStringLiteral("6k0e"), QStringLiteral("6 keys"), 0x1189, 0x8840},
        {QStringLiteral("1k0e"), QStringLiteral("a single key"), 0x514C, 0x8850},
        {QStringLiteral("0k1e"), QStringLiteral("a single knob"), 0x514C, 0x8850},
        {QStringLiteral("0k1e-p1s1"), QStringLiteral("a single knob, second housing"), 0x514C, 0x8850},
        {QStringLiteral("5k2e"), QStringLiteral("5 keys, 2 turn-only knobs"), 0x4C4A, 0x4155},
        {QStringLiteral("r10udav"), QStringLiteral("legacy firmware, R10Udav generation (16 keys, 3 knobs)"), 0x1189, 0x8830},
        {QStringLiteral("old"), QStringLiteral("legacy firmware, Old generation (15 keys, 1 knob)"), 0x1189, 0x8831},
    };
    return list;
}

QString defaultDemoKeypadName()
{
    return QStringLiteral("16k3e");
}

std::shared_ptr<Firmware> makeDemoFirmware(const QString &name)
{
    if (name == QLatin1String("r10udav") || name == QLatin1String("old")) {
        auto fw = std::make_shared<LegacyFirmware>(name == QLatin1String("old") ? LegacyFirmware::Generation::Old
                                                                                : LegacyFirmware::Generation::R10Udav);
        fw->loadDemoConfiguration();
        return fw;
    }
    const CurrentVariant *v = variant(name);
    if (!v)
        return nullptr;
    auto fw = std::make_shared<CurrentFirmware>();
    CurrentFirmware::Identity id;
    id.keyCount = v->keys;
    id.encoderCount = v->knobs;
    id.extraKeyCount = v->extra;
    id.layerCount = v->layers;
    id.variantP = v->p;
    id.shape = v->s;
    id.variantB = v->b;
    fw->setIdentity(id);
    fw->clearAllKeys();
    if (name == defaultDemoKeypadName())
        fillLivedIn(*fw);
    else
        fillSmall(*fw, *v);
    return fw;
}

int plugDemoKeypad(const QString &name)
{
    std::shared_ptr<Firmware> fw = makeDemoFirmware(name);
    const DemoKeypad *demo = nullptr;
    for (const DemoKeypad &d : demoKeypads())
        if (d.name == name)
            demo = &d;
    if (!fw || !demo)
        return 0;
    // The old generation predates the vendor page: it is found on interface 0.
    const QVector<InterfaceSpec> itfs =
        name == QLatin1String("old") ? SimBus::interfaceZeroOnly() : SimBus::standardInterfaces();
    const int id = SimBus::plug(demo->vendorId, demo->productId, fw, itfs, demo->description);
    qCDebug(lcSim).noquote() << "Demo: simulated keypad" << name << "plugged in," << demo->description;
    return id;
}

int installReplayKeypad(const QString &path, QString *error)
{
    CaptureFile capture;
    if (!capture.load(path)) {
        if (error)
            *error = capture.errorString();
        return 0;
    }
    const QVector<CaptureFile::Interface> keypad = capture.openedKeypad();
    if (keypad.isEmpty()) {
        if (error)
            *error = QStringLiteral("the capture never opened a keypad: there is nothing to replay");
        return 0;
    }
    QVector<InterfaceSpec> itfs;
    for (const CaptureFile::Interface &itf : keypad)
        itfs.append(InterfaceSpec{itf.number, itf.usagePage, itf.usage, false});
    const int id = SimBus::plug(keypad.first().vendorId, keypad.first().productId,
                                std::make_shared<ReplayFirmware>(capture), itfs,
                                QStringLiteral("Replayed keypad"));
    qCDebug(lcSim).noquote() << "Demo: replaying" << capture.exchanges().size() << "requests of a keypad"
                             << QString::number(keypad.first().vendorId, 16) << QString::number(keypad.first().productId, 16);
    return id;
}

bool installDemoKeypad(const QStringList &args)
{
    QString name = defaultDemoKeypadName();
    QString replay;
    int latencyMs = 1; // a full-speed USB endpoint delivers one report per millisecond
    bool noAccess = false; // as without the udev rule: the keypad is seen but refuses to open
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--keypad") && i + 1 < args.size())
            name = args[++i];
        else if (a.startsWith(QLatin1String("--keypad=")))
            name = a.mid(9);
        else if (a == QLatin1String("--latency") && i + 1 < args.size())
            latencyMs = args[++i].toInt();
        else if (a.startsWith(QLatin1String("--latency=")))
            latencyMs = a.mid(10).toInt();
        else if (a == QLatin1String("--no-access"))
            noAccess = true;
        else if (a == QLatin1String("--replay") && i + 1 < args.size())
            replay = args[++i];
        else if (a.startsWith(QLatin1String("--replay=")))
            replay = a.mid(9);
    }
    return installDemoKeypad(name, latencyMs, noAccess, replay);
}

QStringList demoKeypadChoices()
{
    QStringList lines;
    for (const DemoKeypad &d : demoKeypads())
        lines << QStringLiteral("%1 %2").arg(d.name, -10).arg(d.description);
    return lines;
}

bool installDemoKeypad(QString name, int latencyMs, bool noAccess, const QString &replayPath)
{
    if (!replayPath.isEmpty()) {
        QString why;
        const int id = installReplayKeypad(replayPath, &why);
        if (!id) {
            std::fprintf(stderr, "Cannot replay %s: %s\n", qPrintable(replayPath), qPrintable(why));
            return false;
        }
        SimBus::setLatency(id, latencyMs);
        SimBus::setRefuseOpen(id, noAccess);
        return true;
    }
    if (name.trimmed().isEmpty())
        name = defaultDemoKeypadName();
    // Several keypads at once ("16k3e,6k1e,16k3e"), each with its own serial number and path;
    // all names are checked before any is plugged.
    QStringList names;
    for (const QString &part : name.split(QLatin1Char(',')))
        names << part.trimmed().toLower();
    for (const QString &n : qAsConst(names)) {
        if (!makeDemoFirmware(n)) {
            std::fprintf(stderr, "Unknown simulated keypad \"%s\". Choose one with --keypad NAME:\n",
                         qPrintable(n));
            for (const QString &line : demoKeypadChoices())
                std::fprintf(stderr, "  %s\n", qPrintable(line));
            return false;
        }
    }
    for (const QString &n : qAsConst(names)) {
        const int id = plugDemoKeypad(n);
        SimBus::setLatency(id, latencyMs);
        SimBus::setRefuseOpen(id, noAccess);
    }
    return true;
}

} // namespace sim
