#include "support/saverig.h"

#include "session/confirmedread.h"
#include "session/devicetasks.h"
#include "device/hidmanager.h"
#include "device/keyrecord.h"
#include "device/legacyhidmanager.h"
#include "model/keyboarddata.h"
#include "model/profile.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"

#include <QCoreApplication>
#include <QtTest>

using Fw = sim::CurrentFirmware;
using Gen = sim::LegacyFirmware::Generation;

namespace testsupport {

SaveRig::SaveRig(Kind kind)
    : m_kind(kind)
{
    if (kind == Kind::Current) {
        m_current = std::make_shared<Fw>();
        m_current->setKeyRecord(0, 0, Fw::basicRecord(0x04));
        m_current->setKeyRecord(0, 5, Fw::macroRecord({{0, 0x0B, 0}, {1, 0x0B, 30}}));
        m_current->setKeyRecord(1, 2, Fw::mouseRecord(1));
        m_current->setLighting(0, Fw::lightingPayload(2, QVector<std::array<quint8, 3>>(16, {9, 9, 9})));
    } else {
        m_legacy = std::make_shared<sim::LegacyFirmware>(kind == Kind::R10Udav ? Gen::R10Udav : Gen::Old);
        m_legacy->loadDemoConfiguration();
    }
}

SaveRig::~SaveRig()
{
    resetDeviceLink();
}

bool SaveRig::open()
{
    HIDManager *hid = HIDManager::instance();
    if (m_current)
        m_id = sim::SimBus::plug(kDefaultVendorId, kDefaultProductId, m_current);
    else
        m_id = sim::SimBus::plug(0x1189, 0x8840, m_legacy);
    hid->onScanTimer(); // one scan pass, as the monitor's timer would run it
    if (!hid->isConnected())
        return false;
    if (m_current) {
        DeviceInfo info;
        return hid->readDeviceInfo(info);
    }
    return hid->runLegacy([this](hid_device *dev) { return LegacyHIDManager::probeLegacyDeviceInfo(dev, m_info); });
}

bool SaveRig::reopen()
{
    HIDManager *hid = HIDManager::instance();
    hid->disconnectDevice();
    QCoreApplication::processEvents();
    sim::SimBus::unplug(m_id);
    return open();
}

ConnectResult SaveRig::read() const
{
    HIDManager *hid = HIDManager::instance();
    return ConfirmedRead(hid).confirm(DeviceTasks::rereadKeypad(hid, legacy(), m_info));
}

bool SaveRig::load(KeyboardData &model) const
{
    const ConnectResult r = read();
    model.loadLayers(r.layers, r.coverage);
    if (r.ledConfigs.size() == KeyboardData::LAYER_COUNT)
        model.loadLedConfigs(r.ledConfigs, r.coverage);
    return r.allLayersOk;
}

QVector<SaveItem> SaveRig::edit(KeyboardData &model) const
{
    KeyData one, media, macro, enter;
    one.setBasicKey(0x1E);
    media.setMultimedia(0x00E9);
    macro.setMacro({{0, 0x04, 0}, {0, 0x05, 30}, {1, 0x05, 20}, {1, 0x04, 20}});
    enter.setBasicKey(0x28);
    model.setKeyAt(0, 1, one);
    model.setKeyAt(0, 16, media); // the first knob's left turn
    model.setKeyAt(1, 2, macro);
    model.setKeyAt(2, 0, enter);
    model.setLedColor(0, 0, LedColorData{0, 0, 255});
    model.setLedMode(1, 4);
    return {{0, 1, false}, {0, 16, false}, {1, 2, false}, {2, 0, false},
            {0, SaveItem::LIGHTING, false}, {1, SaveItem::LIGHTING, false}};
}

VerifiedSave::Outcome SaveRig::save(KeyboardData &model) const
{
    VerifiedSave::Target target;
    target.legacy = legacy();
    target.legacyInfo = m_info;
    const VerifiedSave::Outcome o = VerifiedSave(HIDManager::instance(), target).run(&model, model.snapshot());
    QCoreApplication::processEvents(); // acknowledgements, as the window gets them
    VerifiedSave::apply(model, o);
    return o;
}

void SaveRig::powerCycle() const
{
    if (m_legacy)
        m_legacy->powerCycle();
}

bool SaveRig::holds(const ConnectResult &read, const KeyboardData &model, const SaveItem &item) const
{
    if (item.isLighting()) {
        const LayerLedConfigData &want = model.ledConfig(item.layer);
        if (m_kind == Kind::Old)
            return quint8(LegacyHIDManager::legacyOldRgbWriteReport(item.layer, want).at(12))
                   == m_legacy->oldLightingCode(item.layer);
        if (!read.coverage.lightingRead(item.layer))
            return false;
        const LayerLedConfigData &got = read.ledConfigs.at(item.layer);
        return got.mode == want.mode && got.colors == want.colors;
    }
    if (!read.coverage.keyRead(item.layer, item.key))
        return false;
    const KeyData &want = *model.keyDataAt(item.layer, item.key);
    const KeyData &got = read.layers.at(item.layer).at(item.key);
    if (m_kind == Kind::Current)
        return KeyRecord::encode(want) == KeyRecord::encode(got);
    return Profile::sameOnKeypad(want, got,
                                 m_kind == Kind::R10Udav ? ProfileDevice::Protocol::LegacyR10Udav
                                                         : ProfileDevice::Protocol::LegacyOld);
}

QString where(const SaveItem &item)
{
    return item.isLighting() ? QStringLiteral("layer %1 lighting").arg(item.layer)
                             : QStringLiteral("layer %1 key %2").arg(item.layer).arg(item.key);
}

bool changed(const KeyboardData &model, const SaveItem &item)
{
    return item.isLighting() ? model.ledConfig(item.layer).anyDirty()
                             : model.keyDataAt(item.layer, item.key)->dirty;
}

void checkHonest(const SaveRig &rig, const KeyboardData &model, const QVector<SaveItem> &edits,
                 const VerifiedSave::Outcome &outcome, const QString &context)
{
    const ConnectResult after = rig.read();
    QVERIFY2(after.allLayersOk, qPrintable(context));
    for (const SaveItem &item : edits)
        QVERIFY2(changed(model, item) || rig.holds(after, model, item),
                 qPrintable(context + QStringLiteral(": shown saved, not held: ") + where(item)));
    for (const VerifiedSave::ItemResult &r : outcome.items)
        if (r.state == VerifiedSave::ItemState::Saved)
            QVERIFY2(rig.holds(after, model, r.item) || changed(model, r.item),
                     qPrintable(context + QStringLiteral(": reported saved, not held: ") + where(r.item)));
}

void addSaveRigKinds()
{
    QTest::addColumn<SaveRig::Kind>("kind");
    QTest::newRow("current") << SaveRig::Kind::Current;
    QTest::newRow("R10Udav") << SaveRig::Kind::R10Udav;
    QTest::newRow("Old") << SaveRig::Kind::Old;
}

} // namespace testsupport
