// Which slots each keypad model really has, without a window: the ten panel presets as the
// current protocol reports them, both legacy generations, and what that means for profiles
// moved between models (only the slots both have are touched; the rest is named).
#include "app/profilefiles.h"
#include "model/keyboarddata.h"
#include "model/profile.h"
#include "model/slotmap.h"

#include <QtTest>

Q_DECLARE_METATYPE(SlotMap)

namespace {

QVector<int> range(int from, int to)
{
    QVector<int> out;
    for (int i = from; i <= to; ++i)
        out.append(i);
    return out;
}

QVector<int> operator+(QVector<int> a, const QVector<int> &b)
{
    a += b;
    return a;
}

DeviceInfo current(int keys, int knobs, int p, int s)
{
    DeviceInfo info;
    info.valid = true;
    info.keyCount = quint8(keys);
    info.encoderCount = quint8(knobs);
    info.layerCount = 3;
    info.variantP = quint8(p);
    info.shape = quint8(s);
    return info;
}

LegacyDeviceInfo legacy(bool r10, int keys, int knobs, int shape = 0)
{
    LegacyDeviceInfo info;
    info.valid = true;
    info.keyCount = quint8(keys);
    info.encoderCount = quint8(knobs);
    info.shape = quint8(shape);
    info.version = r10 ? 10 : 8;
    info.format = r10 ? LegacyDeviceInfo::R10Udav : LegacyDeviceInfo::Old;
    return info;
}

SlotMap mapOf(const ProfileDevice &d) { return SlotMap::forDevice(d); }

ProfileDevice currentDevice(int keys, int knobs, int p, int s)
{
    return ProfileDevice::fromDeviceInfo(current(keys, knobs, p, s));
}

} // namespace

class TstSlotMap : public QObject
{
    Q_OBJECT

private slots:
    void modelsOfferTheirOwnSlots_data();
    void modelsOfferTheirOwnSlots();
    void profilesMoveOnlyBetweenSharedSlots();
};

void TstSlotMap::modelsOfferTheirOwnSlots_data()
{
    QTest::addColumn<SlotMap>("map");
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QVector<int>>("offered");
    QTest::addColumn<QVector<int>>("absentButtons");
    // (button, slot) pairs where the panel numbers a slot its own way
    QTest::addColumn<QVector<int>>("remapped");

    auto cur = [](int k, int e, int p, int s) {
        const DeviceInfo info = current(k, e, p, s);
        return SlotMap::forCurrent(info, SlotMap::presetFor(info, false));
    };
    auto leg = [](const LegacyDeviceInfo &info) {
        return SlotMap::forLegacy(info, SlotMap::presetFor(deviceInfoFromLegacy(info), true));
    };
    const QVector<int> none;
    QTest::newRow("16k3e") << cur(16, 3, 0, 0) << "Layout_16K_3E_P0_S0" << range(0, 24) << none << none;
    QTest::newRow("16k3e-s1") << cur(16, 3, 0, 1) << "Layout_16K_3E_P0_S1" << range(0, 3) + range(16, 24) << none << none;
    QTest::newRow("16k3e-s2") << cur(16, 3, 0, 2) << "Layout_16K_3E_P0_S2" << range(16, 21) << none << none;
    QTest::newRow("16k3e-s3") << cur(16, 3, 0, 3) << "Layout_16K_3E_P0_S3" << range(16, 24) << none << none;
    QTest::newRow("6k1e") << cur(6, 1, 0, 0) << "Layout_6K_1E_P0_S0" << range(0, 8) << none << none;
    QTest::newRow("6k0e") << cur(6, 0, 0, 0) << "Layout_6K_0E_P0_S0" << range(0, 5) << none << none;
    QTest::newRow("1k0e") << cur(1, 0, 0, 0) << "Layout_1K_0E_P0_S0" << QVector<int>{0} << none << none;
    QTest::newRow("0k1e") << cur(0, 1, 0, 0) << "Layout_0K_1E_P0_S0" << range(0, 2) << none << none;
    QTest::newRow("0k1e-p1s1") << cur(0, 1, 1, 1) << "Layout_0K_1E_P1_S1" << range(0, 2) << none << none;
    // Five keys and two turn-only knobs: the knob count alone would allow slots 9 and 10.
    QTest::newRow("5k2e") << cur(5, 2, 0, 0) << "Layout_5K_2E_P0_S0" << range(0, 8) << none << none;
    QTest::newRow("r10udav") << leg(legacy(true, 16, 3)) << "Layout_16K_3E_P0_S0" << range(0, 24) << none << none;
    // 15 keys and the first knob on the 16-key panel: key 16 and knobs 2 and 3 are absent.
    QTest::newRow("old") << leg(legacy(false, 15, 1)) << "Layout_16K_3E_P0_S0" << range(0, 14) + range(16, 18)
                         << QVector<int>{15} + range(19, 24) << none;
    QTest::newRow("old single knob") << leg(legacy(false, 0, 1)) << "Layout_0K_1E_P0_S0" << range(1, 3) << none
                                     << QVector<int>{0, 3, 1, 1, 2, 2};
    QTest::newRow("r10udav six keys, knob") << leg(legacy(true, 6, 1)) << "Layout_6K_1E_P0_S0"
                                            << range(0, 5) + range(16, 18) << none
                                            << QVector<int>{6, 16, 7, 17, 8, 18};
    QTest::newRow("r10udav knobs only") << leg(legacy(true, 0, 3)) << "Layout_16K_3E_P0_S3" << range(16, 24) << none
                                        << none;
}

void TstSlotMap::modelsOfferTheirOwnSlots()
{
    QFETCH(SlotMap, map);
    QFETCH(QString, preset);
    QFETCH(QVector<int>, offered);
    QFETCH(QVector<int>, absentButtons);
    QFETCH(QVector<int>, remapped);

    QCOMPARE(map.layout().name, preset);
    QCOMPARE(map.offeredSlots(), offered);
    QVector<int> absent;
    for (int b = 0; b < SlotMap::SLOT_COUNT; ++b)
        if (map.buttonAbsent(b))
            absent.append(b);
    QCOMPARE(absent, absentButtons);
    for (int i = 0; i + 1 < remapped.size(); i += 2) {
        QCOMPARE(map.slotOfButton(remapped[i]), remapped[i + 1]);
        QCOMPARE(map.buttonOfSlot(remapped[i + 1]), remapped[i]);
    }
    // Every offered slot is shown by a button of the preset, and only kept slots are offered.
    const QVector<int> buttons = map.layout().usedDataIndices();
    for (int slot : offered) {
        QVERIFY2(buttons.contains(map.buttonOfSlot(slot)), qPrintable(QString::number(slot)));
        QVERIFY(map.canKeep(slot));
    }
}

void TstSlotMap::profilesMoveOnlyBetweenSharedSlots()
{
    ProfileDevice old;
    old.protocol = ProfileDevice::Protocol::LegacyOld;
    old.keyCount = 15;
    old.encoderCount = 1;
    old.layerCount = 3;
    old.firmwareVersion = 8;
    const QVector<QPair<const char *, ProfileDevice>> models = {
        {"16k3e", currentDevice(16, 3, 0, 0)}, {"16k3e-s1", currentDevice(16, 3, 0, 1)},
        {"16k3e-s3", currentDevice(16, 3, 0, 3)}, {"6k1e", currentDevice(6, 1, 0, 0)},
        {"0k1e", currentDevice(0, 1, 0, 0)}, {"5k2e", currentDevice(5, 2, 0, 0)}, {"old", old},
    };
    for (const auto &from : models) {
        // The source keypad: every slot it has holds a key.
        KeyboardData source;
        for (int l = 0; l < 3; ++l)
            for (int k : mapOf(from.second).offeredSlots()) {
                KeyData key;
                key.type = KeyType::Basic;
                key.keyCode = quint8(0x04 + k);
                source.setKeyAt(l, k, key);
            }
        ProfileData profile;
        QVERIFY(Profile::parse(Profile::toJson(ProfileFiles::keypadProfile(source, from.second)), &profile, nullptr));
        // A profile names only the slots of its own model.
        for (int k = 0; k < SlotMap::SLOT_COUNT; ++k)
            QVERIFY2(profile.keyPresent[0][k] == mapOf(from.second).hasSlot(k),
                     qPrintable(QStringLiteral("%1 slot %2").arg(from.first).arg(k)));

        for (const auto &to : models) {
            const QString where = QStringLiteral("%1 into %2").arg(from.first, to.first);
            // The target holds F-keys everywhere; what the profile does not reach stays so.
            KeyboardData target;
            for (int l = 0; l < 3; ++l)
                for (int k = 0; k < SlotMap::SLOT_COUNT; ++k) {
                    KeyData key;
                    key.type = KeyType::Basic;
                    key.keyCode = 0x3A;
                    target.setKeyAt(l, k, key);
                }
            target.clearChangeFlags();
            const ProfileImportResult r = Profile::apply(profile, to.second, target);
            QVERIFY(r.ok);
            const SlotMap mine = mapOf(to.second), theirs = mapOf(from.second);
            int shared = 0;
            for (int k = 0; k < SlotMap::SLOT_COUNT; ++k) {
                const bool both = mine.hasSlot(k) && theirs.hasSlot(k);
                shared += both ? 1 : 0;
                const KeyData *got = target.keyDataAt(0, k);
                QVERIFY2(got->dirty == both, qPrintable(QStringLiteral("%1: slot %2").arg(where).arg(k)));
                QCOMPARE(got->keyCode, quint8(both ? 0x04 + k : 0x3A));
            }
            QCOMPARE(r.keysChanged, shared * 3);
            // What the profile holds and the target lacks is named, layer by layer.
            const bool lacks = [&] {
                for (int k : theirs.offeredSlots())
                    if (!mine.hasSlot(k))
                        return true;
                return false;
            }();
            QVERIFY2(lacks == !r.notFitted.isEmpty(), qPrintable(where + QLatin1Char(' ') + r.notFitted.join('|')));
        }
    }
}

QTEST_GUILESS_MAIN(TstSlotMap)
#include "tst_slotmap.moc"
