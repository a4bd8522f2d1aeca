// The headless profile runner against simulated keypads: a keypad copied to a fresh one
// through a file on both protocols, every bad file refused before the keypad is touched,
// the exit statuses, and the read-back catching a keypad that acknowledges a write it does
// not keep.
#include "app/profilecli.h"
#include "device/hidmanager.h"
#include "sim/currentfirmware.h"
#include "sim/legacyfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/hostilefiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include <memory>

using Fw = sim::CurrentFirmware;
using LegacyFw = sim::LegacyFirmware;

namespace {

// A runner whose lines stay in the test (and are printed on failure by the caller).
struct Runner {
    ProfileCli cli;
    Runner(int waitMs = 3000)
    {
        cli.setWaitTimeoutMs(waitMs);
        cli.setLineSink(nullptr);
    }
    QString text() const { return cli.lines().join(QLatin1Char('\n')); }
    bool said(const QString &part) const { return text().contains(part); }
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces the key object of (layer, slot) in an exported profile.
QByteArray withKey(const QByteArray &json, int layer, int slot, const QJsonObject &key)
{
    QJsonObject root = QJsonDocument::fromJson(json).object();
    QJsonArray layers = root.value(QStringLiteral("layers")).toArray();
    for (int i = 0; i < layers.size(); ++i) {
        QJsonObject l = layers[i].toObject();
        if (l.value(QStringLiteral("layer")).toInt() != layer)
            continue;
        QJsonArray keys = l.value(QStringLiteral("keys")).toArray();
        for (int k = 0; k < keys.size(); ++k) {
            if (keys[k].toObject().value(QStringLiteral("slot")).toInt() == slot) {
                QJsonObject o = key;
                o.insert(QStringLiteral("slot"), slot);
                keys[k] = o;
            }
        }
        l.insert(QStringLiteral("keys"), keys);
        layers[i] = l;
    }
    root.insert(QStringLiteral("layers"), layers);
    return QJsonDocument(root).toJson();
}

QJsonObject basicKey(int usage)
{
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("basic")}, {QStringLiteral("usage"), usage}};
}

QJsonObject macroKey(int steps)
{
    QJsonArray list;
    for (int i = 0; i < steps; ++i)
        list.append(QJsonObject{{QStringLiteral("action"), i % 2 ? QStringLiteral("release") : QStringLiteral("press")},
                                {QStringLiteral("usage"), 4},
                                {QStringLiteral("delay"), 10}});
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("macro")}, {QStringLiteral("steps"), list}};
}

QJsonObject comboKey(const QJsonArray &keys)
{
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("combination")},
                       {QStringLiteral("modifiers"), 1},
                       {QStringLiteral("keys"), keys}};
}

// The configuration a keypad of the current protocol holds, for comparing two keypads.
QStringList currentContents(const Fw &fw)
{
    QStringList out;
    for (int l = 0; l < Fw::LAYERS; ++l) {
        for (int k = 0; k < Fw::SLOTS; ++k)
            out << QStringLiteral("L%1K%2 %3").arg(l).arg(k).arg(QString::fromLatin1(fw.keyRecord(l, k).toHex()));
        out << QStringLiteral("L%1 light %2").arg(l).arg(QString::fromLatin1(fw.lighting(l).toHex()));
    }
    return out;
}

QStringList legacyContents(const LegacyFw &fw, bool withLighting)
{
    QStringList out;
    for (int l = 0; l < LegacyFw::LAYERS; ++l) {
        for (int k = 1; k <= fw.keysPerLayer(); ++k)
            out << QStringLiteral("L%1K%2 %3").arg(l).arg(k).arg(QString::fromLatin1(fw.record(l, k).toHex()));
        if (withLighting) {
            const LayerLedConfigData c = fw.lighting(l);
            QString colours;
            for (const LedColorData &col : c.colors)
                colours += QStringLiteral("%1,%2,%3 ").arg(col.r).arg(col.g).arg(col.b);
            out << QStringLiteral("L%1 mode %2 %3").arg(l).arg(c.mode).arg(colours);
        }
    }
    return out;
}

} // namespace

class TstProfileCli : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        testsupport::resetDeviceLink();
    }

    void roundTripCurrentProtocol();
    void roundTripLegacy_data();
    void roundTripLegacy();
    void badFilesRefusedBeforeTheKeypad_data();
    void badFilesRefusedBeforeTheKeypad();
    void exitStatuses();
    void knobOnlyKeypadTakesItsThreeSlots();
    void verificationCatchesDroppedWrite();
    void importWritesOnlyDifferences();
    void importToEveryKeypadOfTheModel();
};

void TstProfileCli::roundTripCurrentProtocol()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.json"));

    auto source = std::make_shared<Fw>();
    source->fillFullConfiguration(8);
    QVERIFY(testsupport::plugAndConnect(source) > 0);
    {
        Runner r;
        QCOMPARE(r.cli.run({QStringLiteral("prog"), QStringLiteral("--export"), path}), 0);
        QVERIFY2(r.said(QStringLiteral("Profile written to ") + path), qPrintable(r.text()));
    }
    // Reading is all an export does.
    QCOMPARE(source->requestCount(Fw::WriteKey) + source->requestCount(Fw::WriteMacroChunk)
                 + source->requestCount(Fw::ClearKey) + source->requestCount(Fw::WriteLighting),
             0);
    testsupport::resetDeviceLink();

    auto fresh = std::make_shared<Fw>();
    fresh->clearAllKeys();
    QVERIFY(currentContents(*fresh) != currentContents(*source));
    QVERIFY(testsupport::plugAndConnect(fresh) > 0);
    Runner r;
    QCOMPARE(r.cli.run({QStringLiteral("prog"), QStringLiteral("--import=") + path}), 0);
    QVERIFY2(r.said(QStringLiteral("Profile imported and verified")), qPrintable(r.text()));
    QCOMPARE(currentContents(*fresh), currentContents(*source));

    // Importing the same file again finds nothing to write.
    fresh->resetCounters();
    Runner again;
    QCOMPARE(again.cli.importProfile(path), 0);
    QVERIFY(again.said(QStringLiteral("nothing to write")));
    QCOMPARE(fresh->requestCount(Fw::WriteKey) + fresh->requestCount(Fw::WriteMacroChunk)
                 + fresh->requestCount(Fw::ClearKey) + fresh->requestCount(Fw::WriteLighting),
             0);
}

void TstProfileCli::roundTripLegacy_data()
{
    QTest::addColumn<bool>("r10udav");
    QTest::newRow("R10Udav") << true;
    QTest::newRow("Old") << false;
}

void TstProfileCli::roundTripLegacy()
{
    QFETCH(bool, r10udav);
    const auto generation = r10udav ? LegacyFw::Generation::R10Udav : LegacyFw::Generation::Old;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("legacy.json"));

    auto source = std::make_shared<LegacyFw>(generation);
    source->loadDemoConfiguration();
    QVERIFY(testsupport::plugAndConnect(source) > 0);
    {
        Runner r(3000);
        QCOMPARE(r.cli.exportProfile(path), 0);
        QVERIFY2(r.said(r10udav ? QStringLiteral("legacy R10Udav") : QStringLiteral("legacy Old")),
                 qPrintable(r.text()));
    }
    testsupport::resetDeviceLink();

    auto fresh = std::make_shared<LegacyFw>(generation);
    // "Old" keypads cannot report their lighting, so only the keys can be compared there.
    QVERIFY(legacyContents(*fresh, r10udav) != legacyContents(*source, r10udav));
    QVERIFY(testsupport::plugAndConnect(fresh) > 0);
    Runner r;
    QCOMPARE(r.cli.importProfile(path), 0);
    QVERIFY2(r.said(QStringLiteral("Profile imported and verified")), qPrintable(r.text()));
    QCOMPARE(legacyContents(*fresh, r10udav), legacyContents(*source, r10udav));
    // Committed, not only in the keypad's working memory.
    QVERIFY(fresh->commitCount() > 0);
    fresh->powerCycle();
    QCOMPARE(legacyContents(*fresh, r10udav), legacyContents(*source, r10udav));
    testsupport::resetDeviceLink();

    // The file holds only what the keypad has: its three layers, its slots, and lighting only
    // where the keypad can report it. Loaded into a 4-layer keypad it leaves the rest alone.
    const QJsonArray layers = QJsonDocument::fromJson(readFile(path)).object().value(QStringLiteral("layers")).toArray();
    int keyObjects = 0, lightingObjects = 0;
    for (const QJsonValue &v : layers) {
        const QJsonObject l = v.toObject();
        const int n = l.value(QStringLiteral("keys")).toArray().size();
        const bool lit = l.contains(QStringLiteral("lighting"));
        if (l.value(QStringLiteral("layer")).toInt() == 3)
            QVERIFY(n == 0 && !lit);
        keyObjects += n;
        lightingObjects += lit ? 1 : 0;
    }
    QCOMPARE(keyObjects, 3 * (r10udav ? 25 : 18)); // "Old": keys 0-14 and its knob, 16-18
    QCOMPARE(lightingObjects, r10udav ? 3 : 0);

    auto current = std::make_shared<Fw>();
    current->fillFullConfiguration(4);
    const QByteArray layer3Key = current->keyRecord(3, 0);
    const QByteArray lighting0 = current->lighting(0);
    const QByteArray lighting3 = current->lighting(3);
    QVERIFY(testsupport::plugAndConnect(current) > 0);
    Runner into;
    QCOMPARE(into.cli.importProfile(path), 0);
    QCOMPARE(current->keyRecord(3, 0), layer3Key);
    QCOMPARE(current->lighting(3), lighting3);
    if (!r10udav)
        QCOMPARE(current->lighting(0), lighting0);
}

void TstProfileCli::badFilesRefusedBeforeTheKeypad_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");

    // A real export of the keypad used below, spoiled in one place per row.
    auto fw = std::make_shared<Fw>();
    fw->fillFullConfiguration(2);
    QVERIFY(testsupport::plugAndConnect(fw) > 0);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("good.json"));
    Runner r;
    QCOMPARE(r.cli.exportProfile(path), 0);
    testsupport::resetDeviceLink();
    const QByteArray good = readFile(path);
    QVERIFY(!good.isEmpty());

    QTest::newRow("truncated") << good.left(good.size() / 2) << "not valid JSON";
    QTest::newRow("wrong type") << withKey(good, 1, 2, QJsonObject{{QStringLiteral("type"), QStringLiteral("basic")}, {QStringLiteral("usage"), QStringLiteral("4")}})
                                << "layers[1].keys[2].usage: expected a whole number, found a text";
    QTest::newRow("usage out of range") << withKey(good, 0, 3, basicKey(300))
                                        << "layers[0].keys[3].usage: 300 is out of range 0..255";
    QTest::newRow("65 macro steps") << withKey(good, 2, 0, macroKey(65)) << "layers[2].keys[0].steps";
    QTest::newRow("7 combination keys") << withKey(good, 0, 1, comboKey({4, 5, 6, 7, 8, 9, 10}))
                                        << "layers[0].keys[1].keys: 7 keys, a combination holds at most 6";
    // A second, empty layer list would otherwise turn the import into a verified no-op.
    QTest::newRow("layers twice") << good.left(good.lastIndexOf('}')) + ",\n    \"layers\": []\n}\n"
                                  << "top level: member \"layers\" appears twice";
    {
        QJsonObject root = QJsonDocument::fromJson(good).object();
        root.insert(QStringLiteral("version"), 2);
        QTest::newRow("newer version") << QJsonDocument(root).toJson()
                                       << "version: version 2 is newer than this program reads (1)";
    }
}

void TstProfileCli::badFilesRefusedBeforeTheKeypad()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.json"));
    writeFile(path, json);

    auto fw = std::make_shared<Fw>();
    fw->fillFullConfiguration(2);
    const QStringList before = currentContents(*fw);
    QVERIFY(testsupport::plugAndConnect(fw) > 0);
    fw->resetCounters();

    Runner r;
    QCOMPARE(r.cli.run({QStringLiteral("prog"), QStringLiteral("--import"), path}), 2);
    QVERIFY2(r.said(QStringLiteral("Error: profile refused: ")), qPrintable(r.text()));
    QVERIFY2(r.said(message), qPrintable(r.text()));
    // Refused before a single request: the keypad was neither written nor even read.
    QCOMPARE(fw->totalRequests(), 0);
    QCOMPARE(currentContents(*fw), before);
}

void TstProfileCli::exitStatuses()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.json"));

    // Usage.
    QVERIFY(ProfileCli::requested({QStringLiteral("prog"), QStringLiteral("--keypad"), QStringLiteral("r10udav"),
                                   QStringLiteral("--import"), path}));
    QVERIFY(!ProfileCli::requested({QStringLiteral("prog"), QStringLiteral("--keypad"), QStringLiteral("old")}));
    {
        Runner r;
        QCOMPARE(r.cli.run({QStringLiteral("prog"), QStringLiteral("--export")}), 2);
        QVERIFY(r.said(QStringLiteral("--export needs a file name")));
        QVERIFY(r.said(QStringLiteral("usage: macropad-studio")));
    }
    {
        Runner r;
        QCOMPARE(r.cli.run({QStringLiteral("prog"), QStringLiteral("--import"), QStringLiteral("--keypad"),
                            QStringLiteral("old")}),
                 2);
        QVERIFY(r.said(QStringLiteral("--import needs a file name")));
    }
    {
        Runner r;
        QCOMPARE(r.cli.run({QStringLiteral("prog"), QStringLiteral("--export"), path, QStringLiteral("--import"), path}),
                 2);
        QVERIFY(r.said(QStringLiteral("give one of --export and --import")));
    }
    // A file that is not there is a bad file, found before any waiting for a keypad.
    {
        Runner r(60000);
        QElapsedTimer t;
        t.start();
        QCOMPARE(r.cli.importProfile(dir.filePath(QStringLiteral("missing.json"))), 2);
        QVERIFY(t.elapsed() < 5000);
        QVERIFY(r.said(QStringLiteral("cannot read")));
    }
    // So are a pipe, a device, a directory and a file over the limit, none of them read.
    {
        testsupport::HostileFiles hostile(Profile::MAX_FILE_BYTES + 1);
        QVERIFY(hostile.ok());
        for (const auto &e : hostile.entries()) {
            Runner r(60000);
            QElapsedTimer t;
            t.start();
            QCOMPARE(r.cli.importProfile(e.path), 2);
            QVERIFY2(t.elapsed() < 2000, qPrintable(e.path));
            QVERIFY2(r.said(QStringLiteral("Error: profile refused: %1: %2").arg(e.path, e.problem)),
                     qPrintable(r.text()));
        }
    }

    // A keypad the system refuses to open ends the wait at once.
    {
        const int id = sim::SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId,
                                         std::make_shared<Fw>());
        sim::SimBus::setRefuseOpen(id, true);
        Runner r(20000);
        QElapsedTimer t;
        t.start();
        QCOMPARE(r.cli.exportProfile(path), 1);
        QVERIFY2(t.elapsed() < 10000, qPrintable(QString::number(t.elapsed())));
        QVERIFY2(r.said(QStringLiteral("access was denied: install the udev rule")), qPrintable(r.text()));
        QVERIFY(!QFile::exists(path));
        testsupport::resetDeviceLink();
    }

    // No keypad: a device failure after the wait, and no file left behind.
    {
        Runner r(400);
        QCOMPARE(r.cli.exportProfile(path), 1);
        QVERIFY2(r.said(QStringLiteral("Error: no keypad found within 1 s")), qPrintable(r.text()));
        QVERIFY(!QFile::exists(path));
    }

    // A keypad plugged while the runner waits is used.
    auto fw = std::make_shared<Fw>();
    fw->fillFullConfiguration(1);
    QTimer::singleShot(300, [fw] {
        sim::SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, fw);
    });
    {
        Runner r(5000);
        QCOMPARE(r.cli.exportProfile(path), 0);
        QVERIFY(r.said(QStringLiteral("Waiting for the keypad")));
        QVERIFY(QFile::exists(path));
    }

    // Onto what is not a file nothing is written: the node stays the node. Over a regular
    // file the profile replaces it whole, and no temporary file is left beside either.
    {
        using testsupport::HostileFiles;
        HostileFiles hostile(Profile::MAX_FILE_BYTES + 1);
        QVERIFY(hostile.ok());
        const QStringList names = HostileFiles::namesIn(hostile.dir());
        for (const auto &e : hostile.writeTargets()) {
            const QString node = HostileFiles::nodeAt(e.path);
            Runner r;
            QCOMPARE(r.cli.exportProfile(e.path), 2);
            QVERIFY2(r.said(QStringLiteral("Error: %1: %2").arg(e.path, e.problem)), qPrintable(r.text()));
            QCOMPARE(HostileFiles::nodeAt(e.path), node);
        }
        QCOMPARE(HostileFiles::namesIn(hostile.dir()), names);
        const QString older = QDir(hostile.dir()).filePath(QStringLiteral("older.json"));
        writeFile(older, "an older profile");
        Runner r;
        QCOMPARE(r.cli.exportProfile(older), 0);
        QCOMPARE(readFile(older), readFile(path));
        QStringList withOlder = names;
        withOlder << QStringLiteral("older.json");
        withOlder.sort();
        QCOMPARE(HostileFiles::namesIn(hostile.dir()), withOlder);
    }

    // A read that lost a chunk of a macro is incomplete: a device failure, and no file that
    // would restore that macro as an empty key.
    fw->setReplyHook([](quint8 command, QVector<QByteArray> &replies) {
        for (int i = 0; command == Fw::ReadLayer && i < replies.size(); ++i)
            if (quint8(replies[i][1]) == Fw::MacroChunkReply) {
                replies.removeAt(i);
                return;
            }
    });
    {
        const QString partial = dir.filePath(QStringLiteral("partial.json"));
        Runner r;
        QCOMPARE(r.cli.exportProfile(partial), 1);
        QVERIFY2(r.said(QStringLiteral("Error: reading the keypad's layers failed")), qPrintable(r.text()));
        QVERIFY(!QFile::exists(partial));
    }
    fw->setReplyHook({});

    // A file that cannot be written is a bad file.
    {
        Runner r;
        QCOMPARE(r.cli.exportProfile(dir.filePath(QStringLiteral("no/such/dir/p.json"))), 2);
        QVERIFY(r.said(QStringLiteral("cannot write")));
    }

    // A keypad that stops answering in the middle of the writes is a device failure.
    const QByteArray changed = withKey(readFile(path), 0, 0, basicKey(0x2C));
    writeFile(path, changed);
    Fw::FaultRule silent;
    silent.kind = Fw::FaultKind::Silence;
    silent.command = Fw::WriteKey;
    fw->addFault(silent);
    {
        Runner r;
        QCOMPARE(r.cli.importProfile(path), 1);
        QVERIFY2(r.said(QStringLiteral("Error: writing to the keypad failed")), qPrintable(r.text()));
    }
    fw->clearFaults();
    {
        Runner r;
        QCOMPARE(r.cli.importProfile(path), 0);
        QCOMPARE(fw->keyRecord(0, 0), Fw::basicRecord(0x2C));
    }

    // A keypad that answers nothing at all.
    testsupport::resetDeviceLink();
    QVERIFY(testsupport::plugAndConnect(nullptr) > 0 || HIDManager::instance()->isConnected());
    {
        Runner r;
        QCOMPARE(r.cli.exportProfile(path), 1);
        QVERIFY2(r.said(QStringLiteral("Error: the keypad does not answer")), qPrintable(r.text()));
    }
}

void TstProfileCli::knobOnlyKeypadTakesItsThreeSlots()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.json"));
    auto big = std::make_shared<Fw>();
    big->fillFullConfiguration(0);
    QVERIFY(testsupport::plugAndConnect(big) > 0);
    Runner exporter;
    QCOMPARE(exporter.cli.exportProfile(path), 0);
    testsupport::resetDeviceLink();

    auto knob = std::make_shared<Fw>();
    Fw::Identity id;
    id.keyCount = 0;
    id.encoderCount = 1;
    knob->setIdentity(id);
    knob->clearAllKeys();
    QVERIFY(testsupport::plugAndConnect(knob) > 0);
    Runner r;
    QCOMPARE(r.cli.importProfile(path), 0);
    QVERIFY2(r.said(QStringLiteral("Writing 12 keys and 4 lighting layers")), qPrintable(r.text()));
    QStringList missing;
    for (int k = 3; k < 25; ++k)
        missing << QString::number(k);
    for (int l = 0; l < 4; ++l) {
        QVERIFY2(r.said(QStringLiteral("Not imported (this keypad cannot hold it): layer %1, slots %2: no such key")
                            .arg(l)
                            .arg(missing.join(QStringLiteral(", ")))),
                 qPrintable(r.text()));
        for (int k = 0; k < 25; ++k)
            QCOMPARE(knob->keyRecord(l, k), k < 3 ? big->keyRecord(l, k) : QByteArray());
    }
    QVERIFY(r.said(QStringLiteral("verified: 12 keys and 4 lighting layers changed, 4 not imported")));

    // Its own export holds its three slots, so it cannot blank another keypad's other keys.
    Runner back;
    QCOMPARE(back.cli.exportProfile(path), 0);
    int keys = 0;
    for (const QJsonValue &l : QJsonDocument::fromJson(readFile(path)).object().value(QStringLiteral("layers")).toArray())
        keys += l.toObject().value(QStringLiteral("keys")).toArray().size();
    QCOMPARE(keys, 4 * 3);
}

void TstProfileCli::verificationCatchesDroppedWrite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.json"));
    auto fw = std::make_shared<Fw>();
    fw->fillFullConfiguration(2);
    QVERIFY(testsupport::plugAndConnect(fw) > 0);
    Runner exporter;
    QCOMPARE(exporter.cli.exportProfile(path), 0);
    QByteArray json = withKey(readFile(path), 1, 3, basicKey(0x1E));
    json = withKey(json, 2, 5, basicKey(0x1F));
    writeFile(path, json);

    // The keypad acknowledges the write of layer 1, key 3 but keeps its old record.
    const QByteArray kept = fw->keyRecord(1, 3);
    Fw::FaultRule drop;
    drop.kind = Fw::FaultKind::DropWrite;
    drop.layer = 1;
    drop.key = 3;
    fw->addFault(drop);

    Runner r;
    QCOMPARE(r.cli.importProfile(path), 1);
    QVERIFY2(r.said(QStringLiteral("differs: layer 1, slot 3: expected")), qPrintable(r.text()));
    QVERIFY(!r.said(QStringLiteral("slot 5")));
    QVERIFY(r.said(QStringLiteral("Error: verification failed: the keypad does not hold 1 item of the profile")));
    QVERIFY(!r.said(QStringLiteral("imported and verified")));
    QCOMPARE(fw->keyRecord(1, 3), kept);
    QCOMPARE(fw->keyRecord(2, 5), Fw::basicRecord(0x1F));
}

void TstProfileCli::importWritesOnlyDifferences()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.json"));
    auto fw = std::make_shared<Fw>();
    fw->fillFullConfiguration(2);
    QVERIFY(testsupport::plugAndConnect(fw) > 0);
    Runner exporter;
    QCOMPARE(exporter.cli.exportProfile(path), 0);

    // One key and one colour of one layer differ.
    QJsonObject root = QJsonDocument::fromJson(withKey(readFile(path), 3, 7, basicKey(0x04))).object();
    QJsonArray layers = root.value(QStringLiteral("layers")).toArray();
    for (int i = 0; i < layers.size(); ++i) {
        QJsonObject l = layers[i].toObject();
        if (l.value(QStringLiteral("layer")).toInt() != 2)
            continue;
        QJsonObject light = l.value(QStringLiteral("lighting")).toObject();
        QJsonArray colours = light.value(QStringLiteral("colors")).toArray();
        colours[9] = QStringLiteral("#123456");
        light.insert(QStringLiteral("colors"), colours);
        l.insert(QStringLiteral("lighting"), light);
        layers[i] = l;
    }
    root.insert(QStringLiteral("layers"), layers);
    writeFile(path, QJsonDocument(root).toJson());

    fw->resetCounters();
    Runner r;
    QCOMPARE(r.cli.importProfile(path), 0);
    QVERIFY2(r.said(QStringLiteral("Writing 1 key and 1 lighting layer to the keypad")), qPrintable(r.text()));
    QCOMPARE(fw->requestCount(Fw::WriteKey), 1);
    QCOMPARE(fw->requestCount(Fw::WriteLighting), 1);
    QCOMPARE(fw->requestCount(Fw::WriteMacroChunk) + fw->requestCount(Fw::ClearKey), 0);
    QCOMPARE(fw->keyRecord(3, 7), Fw::basicRecord(0x04));
    QCOMPARE(fw->lightingColor(2, 9), (std::array<quint8, 3>{0x12, 0x34, 0x56}));
    QVERIFY(r.said(QStringLiteral("Profile imported and verified: 1 key and 1 lighting layer changed")));
}

// --import --all: twins of the profile's model each get it and are verified on their own, a
// keypad of another model is skipped, and one that fails mid-write fails the run without
// stopping the others.
void TstProfileCli::importToEveryKeypadOfTheModel()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.json"));
    auto make = [] {
        auto fw = std::make_shared<Fw>();
        fw->fillFullConfiguration(2);
        return fw;
    };
    auto first = make();
    auto failing = make();
    auto third = make();
    Fw::Identity six;
    six.keyCount = 6;
    six.encoderCount = 1;
    auto other = std::make_shared<Fw>();
    other->setIdentity(six);
    const int firstId = sim::SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, first);
    sim::SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, failing);
    sim::SimBus::plug(0x514C, 0x8850, other);
    sim::SimBus::plug(testsupport::kDefaultVendorId, testsupport::kDefaultProductId, third);
    HIDManager::instance()->setPreferredKeypad(QString::fromUtf8(sim::SimBus::pathOf(firstId, 1)));
    Runner exporter;
    QCOMPARE(exporter.cli.exportProfile(path), 0);
    HIDManager::instance()->disconnectDevice();
    writeFile(path, withKey(readFile(path), 1, 3, basicKey(0x1E)));

    Fw::FaultRule silent; // the second twin stops answering key writes
    silent.command = Fw::WriteKey;
    failing->addFault(silent);
    Runner r;
    QCOMPARE(r.cli.importProfileToAll(path), 1);
    const QStringList lines = r.cli.lines();
    auto line = [&](int number) {
        for (const QString &l : lines)
            if (l.startsWith(QStringLiteral("%1  ").arg(number)) && l.contains(QStringLiteral(": ")))
                return l;
        return QString();
    };
    QVERIFY2(line(1).endsWith(QStringLiteral(": verified")), qPrintable(r.text()));
    QVERIFY2(line(2).contains(QStringLiteral(": FAILED")), qPrintable(r.text()));
    QVERIFY2(line(3).endsWith(QStringLiteral(": verified")), qPrintable(r.text()));
    QVERIFY2(line(4).contains(QStringLiteral(": skipped (6 keys")), qPrintable(r.text()));
    QVERIFY(r.said(QStringLiteral("Error: 1 of 3 keypads did not take the profile")));
    QCOMPARE(first->keyRecord(1, 3), Fw::basicRecord(0x1E));
    QCOMPARE(third->keyRecord(1, 3), Fw::basicRecord(0x1E));
    QVERIFY(failing->keyRecord(1, 3) != Fw::basicRecord(0x1E));
    QVERIFY(other->keyRecord(1, 3) != Fw::basicRecord(0x1E));
}

QTEST_MAIN(TstProfileCli)
#include "tst_profilecli.moc"
