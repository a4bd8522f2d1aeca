// Bulk read and the save of changed items on the simulated keypad: order, progress and
// results, partial failures, unplugging at every report of a save, and edits made while a
// save runs on a worker.
#include "device/hidmanager.h"
#include "device/keyrecord.h"
#include "model/keyboarddata.h"
#include "sim/currentfirmware.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/keydatatestkit.h"
#include "support/logcapture.h"
#include "support/reportbytes.h"

#include <QSignalSpy>
#include <QtConcurrent>
#include <QtTest>

#include <memory>

using Fw = sim::CurrentFirmware;
using sim::SimBus;
using keydatatest::basic;
using testsupport::hex;
using testsupport::packet;

namespace {

KeyData macro(int steps)
{
    QVector<MacroStepData> s;
    for (int i = 0; i < steps; ++i)
        s.append({quint8(i % 2), quint8(0x10 + i / 2), quint16(5 * i)});
    KeyData k;
    k.setMacro(s);
    return k;
}

void setKey(KeyboardData &model, int layer, int key, const KeyData &data)
{
    *model.keyDataAt(layer, key) = data;
    model.markKeyChanged(layer, key);
}

bool isDirty(const KeyboardData &model, int layer, int key)
{
    return model.keyDataAt(layer, key)->dirty;
}

// The key the keypad holds in a slot, decoded; Empty when it holds none.
KeyData stored(const Fw &fw, int layer, int key)
{
    const QByteArray r = fw.keyRecord(layer, key);
    KeyData k;
    KeyRecord::decode(reinterpret_cast<const unsigned char *>(r.constData()), r.size(), k);
    return k;
}

QByteArray yellowLighting(quint8 mode)
{
    QByteArray p = QByteArray(1, char(mode)) + QByteArray(3, '\0');
    for (int i = 0; i < 16; ++i)
        p.append(hex("ffff00"));
    return p;
}

} // namespace

class TestProtocolSave : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { testsupport::resetDeviceLink(); }

    void saveOrderProgressAndLighting();
    void refusedKeyStaysDirty();
    void nothingToSave();
    void saveKeysOnly();
    void readAllConfiguration();
    void readWithoutLightingAnswers();
    void unplugAtEveryReportOfASave();
    void editsDuringASaveStayDirty();

private:
    // Plugs `fw` (a fresh keypad when null) and connects; the bus id.
    int connect(std::shared_ptr<Fw> fw);
    QVector<QByteArray> written(int command = -1) const;

    std::shared_ptr<Fw> m_fw;
    int m_id = 0;
};

int TestProtocolSave::connect(std::shared_ptr<Fw> fw)
{
    m_fw = fw ? fw : std::make_shared<Fw>();
    m_id = testsupport::plugAndConnect(m_fw);
    if (m_id > 0)
        SimBus::clearWrittenReports(m_id);
    return m_id;
}

QVector<QByteArray> TestProtocolSave::written(int command) const
{
    QVector<QByteArray> out;
    for (const QByteArray &r : SimBus::writtenReports(m_id))
        if (r.size() > 1 && (command < 0 || quint8(r[1]) == command))
            out.append(r.mid(1, 63));
    return out;
}

void TestProtocolSave::saveOrderProgressAndLighting()
{
    QVERIFY(connect(nullptr) > 0);
    HIDManager *mgr = HIDManager::instance();
    KeyboardData model;
    setKey(model, 2, 5, basic(0x04));
    model.setLedColor(0, 3, LedColorData{255, 0, 0});

    QSignalSpy progress(mgr, &HIDManager::progressUpdated);
    QSignalSpy finished(mgr, &HIDManager::operationFinished);
    QVERIFY(mgr->saveDirtyConfiguration(model));

    // The lighting of layer 0 goes before the key of layer 2.
    const QVector<QByteArray> sent = written();
    QCOMPARE(sent.size(), 2);
    QCOMPARE(int(quint8(sent[0][0])), int(Fw::WriteLighting));
    QCOMPARE(int(quint8(sent[1][0])), int(Fw::WriteKey));
    QCOMPARE(int(quint8(sent[1][1])), 2);
    QCOMPARE(int(quint8(sent[1][2])), 5);
    QByteArray lit = yellowLighting(1);
    lit[4 + 9] = char(0xFF);
    lit[4 + 10] = 0;
    lit[4 + 11] = 0;
    QCOMPARE(sent[0].toHex(), packet(hex("0900fe34") + lit).toHex());

    QCOMPARE(progress.size(), 2);
    QCOMPARE(progress[0], (QVariantList{0, 2, QStringLiteral("Saving RGB layer 1...")}));
    QCOMPARE(progress[1], (QVariantList{1, 2, QStringLiteral("Saving key L3 K5...")}));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0], (QVariantList{true, QStringLiteral("Save completed")}));
    QVERIFY(!model.hasUnsavedChanges());
    QVERIFY(stored(*m_fw, 2, 5).sameFunction(basic(0x04)));
    QCOMPARE(m_fw->lightingColor(0, 3), (std::array<quint8, 3>{255, 0, 0}));
    QVERIFY(!mgr->isBusy());

    // Back to all yellow with mode 1: 01 00 00 00 and sixteen FF FF 00 on the wire.
    SimBus::clearWrittenReports(m_id);
    model.setLedColor(0, 3, LedColorData{255, 255, 0});
    QVERIFY(mgr->saveDirtyConfiguration(model));
    QCOMPARE(written().size(), 1);
    QCOMPARE(written()[0].toHex(), packet(hex("0900fe34") + yellowLighting(1)).toHex());
    QCOMPARE(m_fw->lighting(0), yellowLighting(1));

    // A full round: what was saved reads back the same.
    setKey(model, 1, 0, macro(64));
    setKey(model, 1, 24, basic(0x2C));
    model.setLedMode(3, 7);
    QVERIFY(mgr->saveDirtyConfiguration(model));
    QVector<QVector<KeyData>> layers;
    QVector<LayerLedConfigData> leds;
    QVERIFY(mgr->readAllConfiguration(layers, leds));
    for (int l = 0; l < 4; ++l)
        for (int k = 0; k < 25; ++k)
            QVERIFY2(layers[l][k].sameFunction(*model.keyDataAt(l, k)), qPrintable(QStringLiteral("%1/%2").arg(l).arg(k)));
    QCOMPARE(int(leds[3].mode), 7);
}

void TestProtocolSave::refusedKeyStaysDirty()
{
    QVERIFY(connect(nullptr) > 0);
    HIDManager *mgr = HIDManager::instance();
    KeyboardData model;
    setKey(model, 0, 1, basic(0x04));
    setKey(model, 0, 2, basic(0x05));
    setKey(model, 0, 3, macro(3));
    m_fw->addFault({Fw::FaultKind::AckStatus, Fw::WriteKey, 0, 2, -1, 4});

    QSignalSpy finished(mgr, &HIDManager::operationFinished);
    QVERIFY(!mgr->saveDirtyConfiguration(model));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0], (QVariantList{false, QStringLiteral("Some items failed to save, please retry")}));
    QVERIFY(!isDirty(model, 0, 1));
    QVERIFY(isDirty(model, 0, 2));
    QVERIFY(!isDirty(model, 0, 3)); // the failure did not stop the save
    QVERIFY(stored(*m_fw, 0, 3).sameFunction(macro(3)));
    QVERIFY(m_fw->keyRecord(0, 2).isEmpty());

    // The next save writes exactly the key that failed.
    m_fw->clearFaults();
    SimBus::clearWrittenReports(m_id);
    QVERIFY(mgr->saveDirtyConfiguration(model));
    QCOMPARE(written().size(), 1);
    QCOMPARE(int(quint8(written()[0][2])), 2);
    QVERIFY(!model.hasUnsavedChanges());
}

void TestProtocolSave::nothingToSave()
{
    HIDManager *mgr = HIDManager::instance();
    KeyboardData model;
    setKey(model, 0, 0, basic(0x04));
    QSignalSpy finished(mgr, &HIDManager::operationFinished);
    QSignalSpy progress(mgr, &HIDManager::progressUpdated);

    // Without a keypad: false at once and no signal.
    QVERIFY(!mgr->saveDirtyConfiguration(model));
    QVERIFY(!mgr->saveDirtyKeys(model));
    QVector<QVector<KeyData>> layers;
    QVector<LayerLedConfigData> leds;
    QVERIFY(!mgr->readAllConfiguration(layers, leds));
    QVERIFY(!mgr->readAllLayers(layers));
    QVERIFY(finished.isEmpty() && progress.isEmpty());
    QVERIFY(isDirty(model, 0, 0));

    QVERIFY(connect(nullptr) > 0);
    testsupport::LogCapture log;
    KeyboardData clean;
    QVERIFY(mgr->saveDirtyConfiguration(clean));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0], (QVariantList{true, QStringLiteral("Nothing to save")}));
    QVERIFY(mgr->saveDirtyKeys(clean));
    QCOMPARE(finished.size(), 2);
    QCOMPARE(finished[1], (QVariantList{true, QStringLiteral("没有需要保存的按键")}));
    QVERIFY(log.contains(QStringLiteral("HIDManager: nothing to save")));
    // Lighting alone is nothing for the keys-only save.
    clean.setLedMode(1, 4);
    QVERIFY(mgr->saveDirtyKeys(clean));
    QCOMPARE(finished[2], (QVariantList{true, QStringLiteral("没有需要保存的按键")}));
    QVERIFY(progress.isEmpty());
    QVERIFY(written().isEmpty());
    QVERIFY(clean.hasLedChanges());
}

void TestProtocolSave::saveKeysOnly()
{
    QVERIFY(connect(nullptr) > 0);
    HIDManager *mgr = HIDManager::instance();
    testsupport::LogCapture log;
    KeyboardData model;
    setKey(model, 1, 0, macro(20));
    setKey(model, 3, 7, KeyData()); // an emptied key is cleared on the keypad
    m_fw->setKeyRecord(3, 7, Fw::basicRecord(0x2C));
    model.setLedMode(0, 5);

    QSignalSpy progress(mgr, &HIDManager::progressUpdated);
    QSignalSpy finished(mgr, &HIDManager::operationFinished);
    QVERIFY(mgr->saveDirtyKeys(model));
    QCOMPARE(progress.size(), 2);
    QCOMPARE(progress[0], (QVariantList{0, 2, QStringLiteral("正在保存第 2 层的按键 0...")}));
    QCOMPARE(progress[1], (QVariantList{1, 2, QStringLiteral("正在保存第 4 层的按键 7...")}));
    QCOMPARE(finished[0], (QVariantList{true, QStringLiteral("Save completed")}));
    QVERIFY(written(Fw::WriteLighting).isEmpty());
    QCOMPARE(written(Fw::WriteMacroChunk).size(), 2);
    QCOMPARE(written(Fw::ClearKey).size(), 1);
    QVERIFY(m_fw->keyRecord(3, 7).isEmpty());
    QVERIFY(log.contains(QStringLiteral("HIDManager: saved layer= 1 key= 0")));
    QVERIFY(!isDirty(model, 1, 0) && !isDirty(model, 3, 7));
    QVERIFY(model.hasLedChanges());

    setKey(model, 2, 2, basic(0x07));
    m_fw->addFault({Fw::FaultKind::AckStatus, Fw::WriteKey, 2, 2, -1, 4});
    QVERIFY(!mgr->saveDirtyKeys(model));
    QCOMPARE(finished.last(), (QVariantList{false, QStringLiteral("Some keys failed to save, please retry")}));
    QVERIFY(log.contains(QStringLiteral("HIDManager: FAILED layer= 2 key= 2")));
    QVERIFY(isDirty(model, 2, 2));
}

void TestProtocolSave::readAllConfiguration()
{
    auto fw = std::make_shared<Fw>();
    fw->fillFullConfiguration(8);
    fw->setReplyShuffleSeed(11);
    QVERIFY(connect(fw) > 0);
    HIDManager *mgr = HIDManager::instance();

    QSignalSpy progress(mgr, &HIDManager::progressUpdated);
    QSignalSpy finished(mgr, &HIDManager::operationFinished);
    QVector<QVector<KeyData>> layers(1);
    QVector<LayerLedConfigData> leds;
    QVERIFY(mgr->readAllConfiguration(layers, leds));
    QCOMPARE(layers.size(), 4);
    QCOMPARE(leds.size(), 4);
    int macros = 0;
    for (int l = 0; l < 4; ++l) {
        QCOMPARE(layers[l].size(), 25);
        for (int k = 0; k < 25; ++k) {
            QVERIFY(layers[l][k].sameFunction(stored(*fw, l, k)));
            QVERIFY(layers[l][k].type != KeyType::Empty);
            macros += layers[l][k].type == KeyType::Macro ? 1 : 0;
        }
        QCOMPARE(int(leds[l].mode), l + 2);
        for (int i = 0; i < 16; ++i) {
            const auto c = fw->lightingColor(l, i);
            QCOMPARE(leds[l].colors[i], (LedColorData{c[0], c[1], c[2]}));
        }
        QVERIFY(!leds[l].anyDirty());
    }
    QCOMPARE(macros, 8);

    QCOMPARE(progress.size(), 8);
    QCOMPARE(progress[2], (QVariantList{2, 8, QStringLiteral("Reading keys from layer 2...")}));
    QCOMPARE(progress[7], (QVariantList{7, 8, QStringLiteral("Reading RGB from layer 4...")}));
    QVERIFY(finished.isEmpty()); // reading never reports a save result

    // Requests in order: keys then lighting of each layer. Layer 2's lighting request ends
    // with the checksum F6.
    const QVector<QByteArray> sent = written();
    QCOMPARE(sent.size(), 8);
    for (int l = 0; l < 4; ++l) {
        QCOMPARE(int(quint8(sent[2 * l][0])), int(Fw::ReadLayer));
        QCOMPARE(int(quint8(sent[2 * l + 1][0])), int(Fw::ReadLighting));
    }
    QCOMPARE(sent[5].toHex(), packet(hex("0a02fe")).toHex());
    QCOMPARE(int(quint8(sent[5][62])), 0xF6);

    // A lighting reply announcing 51 bytes fails that layer's lighting only.
    fw->setReplyHook([](quint8 command, QVector<QByteArray> &replies) {
        if (command == Fw::ReadLighting && !replies.isEmpty() && replies[0][2] == 1)
            replies[0] = Fw::dataReport(Fw::ReadLighting, 1, 0xFE, 51, replies[0].mid(5, 52));
    });
    QVERIFY(!mgr->readAllConfiguration(layers, leds));
    QCOMPARE(int(leds[1].mode), 1);
    QCOMPARE(leds[1].colors[0], (LedColorData{255, 255, 0}));
    QCOMPARE(int(leds[2].mode), 4);
    QVERIFY(layers[1][0].sameFunction(stored(*fw, 1, 0)));

    // A refused lighting read fails at once rather than after the time-out.
    fw->setReplyHook({});
    fw->addFault({Fw::FaultKind::Nak, Fw::ReadLighting, 3, -1, 1, 1});
    {
        testsupport::LogCapture log;
        QVERIFY(!mgr->readAllConfiguration(layers, leds));
        QVERIFY(log.contains(QStringLiteral("HIDManager: readAllConfiguration LED layer 3 failed")));
        QVERIFY(!log.contains(QStringLiteral("HIDManager: sendReadLedLayer timeout")));
    }
    QCOMPARE(int(leds[3].mode), 1);
    QCOMPARE(int(leds[2].mode), 4);

    // readAllLayers: keys only, Chinese progress, true even when a layer fails.
    progress.clear();
    // Silent to the request and to both repeats of it.
    fw->addFault({Fw::FaultKind::Silence, Fw::ReadLayer, 2, -1, 3});
    QVERIFY(mgr->readAllLayers(layers));
    QCOMPARE(progress.size(), 4);
    QCOMPARE(progress[0], (QVariantList{0, 4, QStringLiteral("正在读取第 1 层的按键...")}));
    QCOMPARE(layers[2].size(), 25);
    QCOMPARE(int(layers[2][0].type), int(KeyType::Empty));
    QVERIFY(layers[3][0].sameFunction(stored(*fw, 3, 0)));
}

void TestProtocolSave::readWithoutLightingAnswers()
{
    auto fw = std::make_shared<Fw>();
    fw->fillFullConfiguration(2);
    fw->addFault({Fw::FaultKind::Silence, Fw::ReadLighting});
    QVERIFY(connect(fw) > 0);
    testsupport::LogCapture log;
    QVector<QVector<KeyData>> layers;
    QVector<LayerLedConfigData> leds;
    QVERIFY(!HIDManager::instance()->readAllConfiguration(layers, leds));
    for (int l = 0; l < 4; ++l) {
        for (int k = 0; k < 25; ++k)
            QVERIFY(layers[l][k].sameFunction(stored(*fw, l, k)));
        QCOMPARE(int(leds[l].mode), 1);
        QCOMPARE(leds[l].colors[15], (LedColorData{255, 255, 0}));
    }
    QCOMPARE(log.count(QStringLiteral("HIDManager: sendReadLedLayer timeout layer=")), 4);
    QCOMPARE(log.count(QStringLiteral("HIDManager: readAllConfiguration LED layer")), 4);
}

void TestProtocolSave::unplugAtEveryReportOfASave()
{
    // Items and their writes: key 0/0 (report 1), a 12-step macro 0/1 (reports 2, 3),
    // a clear of 1/3 (report 4), the lighting of layer 1 (report 5).
    struct Item {
        int lastReport;
        std::function<bool(const Fw &)> onKeypad;
        std::function<bool(const KeyboardData &)> dirty;
    };
    const QVector<Item> items = {
        {1, [](const Fw &f) { return stored(f, 0, 0).sameFunction(basic(0x04)); },
         [](const KeyboardData &m) { return isDirty(m, 0, 0); }},
        {3, [](const Fw &f) { return stored(f, 0, 1).sameFunction(macro(12)); },
         [](const KeyboardData &m) { return isDirty(m, 0, 1); }},
        {4, [](const Fw &f) { return f.keyRecord(1, 3).isEmpty(); }, [](const KeyboardData &m) { return isDirty(m, 1, 3); }},
        {5, [](const Fw &f) { return f.lightingMode(1) == 9; }, [](const KeyboardData &m) { return m.ledConfig(1).anyDirty(); }},
    };

    for (int n = 1; n <= 6; ++n) {
        auto fw = std::make_shared<Fw>();
        fw->setKeyRecord(1, 3, Fw::basicRecord(0x2C));
        QVERIFY(connect(fw) > 0);
        HIDManager *mgr = HIDManager::instance();
        KeyboardData model;
        setKey(model, 0, 0, basic(0x04));
        setKey(model, 0, 1, macro(12));
        setKey(model, 1, 3, KeyData());
        model.setLedMode(1, 9);

        SimBus::unplugAfterReports(m_id, n);
        QSignalSpy finished(mgr, &HIDManager::operationFinished);
        const bool ok = mgr->saveDirtyConfiguration(model);
        QCOMPARE(ok, n > 5);
        QCOMPARE(finished.size(), 1);
        // An item is clean exactly when all its reports got through and were acknowledged;
        // then the keypad holds it. Everything else stays changed for the next save.
        int pendingReports = 0;
        for (int i = 0; i < items.size(); ++i) {
            const bool acknowledged = items[i].lastReport < n;
            QVERIFY2(items[i].dirty(model) == !acknowledged, qPrintable(QStringLiteral("n=%1 item %2").arg(n).arg(i)));
            QVERIFY2(items[i].onKeypad(*fw) == acknowledged, qPrintable(QStringLiteral("n=%1 item %2").arg(n).arg(i)));
            if (!acknowledged)
                pendingReports += items[i].lastReport - (i > 0 ? items[i - 1].lastReport : 0);
        }
        if (n <= 5)
            QVERIFY(testsupport::waitDisconnected());
        testsupport::resetDeviceLink();

        // Plugged in again, the next save sends exactly what was not acknowledged.
        QVERIFY(connect(fw) > 0);
        QVERIFY(mgr->saveDirtyConfiguration(model));
        QCOMPARE(written().size(), pendingReports);
        QVERIFY(!model.hasUnsavedChanges());
        for (const Item &item : items)
            QVERIFY(item.onKeypad(*fw));
        testsupport::resetDeviceLink();
    }
}

void TestProtocolSave::editsDuringASaveStayDirty()
{
    QVERIFY(connect(nullptr) > 0);
    SimBus::setLatency(m_id, 3);
    HIDManager *mgr = HIDManager::instance();
    KeyboardData model;
    for (int k = 0; k < 10; ++k)
        setKey(model, 0, k, basic(quint8(0x04 + k)));
    model.setLedMode(0, 3);

    QSignalSpy finished(mgr, &HIDManager::operationFinished);
    const KeyboardSnapshot snap = model.snapshot();
    QPointer<KeyboardData> guarded(&model);
    QFuture<bool> save = QtConcurrent::run([mgr, guarded, snap] { return mgr->saveDirtyConfiguration(guarded, snap); });

    // While the worker writes: change a key it already wrote, a key it has not reached yet,
    // a key outside the save, and the lighting it is about to write.
    QVERIFY(QTest::qWaitFor([this] { return m_fw->requestCount(Fw::WriteKey) >= 3; }, 5000));
    setKey(model, 0, 0, basic(0x20));
    setKey(model, 0, 8, basic(0x21));
    setKey(model, 2, 2, basic(0x22));
    model.setLedColor(0, 15, LedColorData{1, 2, 3});
    QVERIFY(QTest::qWaitFor([&save] { return save.isFinished(); }, 10000));
    QVERIFY(save.result());
    QTRY_COMPARE(finished.size(), 1);
    QCoreApplication::processEvents();

    QVERIFY(isDirty(model, 0, 0));
    QVERIFY(isDirty(model, 0, 8));
    QVERIFY(isDirty(model, 2, 2));
    QVERIFY(model.ledConfig(0).anyDirty());
    for (int k : {1, 2, 3, 4, 5, 6, 7, 9})
        QVERIFY2(!isDirty(model, 0, k), qPrintable(QString::number(k)));
    // The keypad got what the save started with; the newer edits wait for the next save.
    QVERIFY(stored(*m_fw, 0, 8).sameFunction(basic(0x04 + 8)));
    QCOMPARE(int(model.keyDataAt(0, 8)->keyCode), 0x21);

    SimBus::clearWrittenReports(m_id);
    QVERIFY(mgr->saveDirtyConfiguration(model));
    QCOMPARE(written().size(), 4);
    QVERIFY(!model.hasUnsavedChanges());
    QVERIFY(stored(*m_fw, 0, 8).sameFunction(basic(0x21)));

    // The model going away in the middle of a save: the worker finishes, nothing is touched.
    auto doomed = std::make_unique<KeyboardData>();
    for (int k = 0; k < 10; ++k)
        setKey(*doomed, 1, k, basic(0x30));
    const KeyboardSnapshot snap2 = doomed->snapshot();
    QPointer<KeyboardData> gone(doomed.get());
    const int before = m_fw->requestCount(Fw::WriteKey);
    save = QtConcurrent::run([mgr, gone, snap2] { return mgr->saveDirtyConfiguration(gone, snap2); });
    QVERIFY(QTest::qWaitFor([&] { return m_fw->requestCount(Fw::WriteKey) >= before + 2; }, 5000));
    doomed.reset();
    QVERIFY(QTest::qWaitFor([&save] { return save.isFinished(); }, 10000));
    QVERIFY(save.result());
    QCoreApplication::processEvents();
}

QTEST_GUILESS_MAIN(TestProtocolSave)
#include "tst_protocol_save.moc"
