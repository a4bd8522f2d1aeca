#include "device/legacyhidmanager.h"

#include "model/logcategories.h"
#include "model/slotmap.h"

#include <QDebug>

namespace LegacyHIDManager {

namespace {

// Record byte k sits at report byte k + 2, after the report ID and the 0xFD command.
constexpr int RECORD_OFFSET = 2;
constexpr quint16 FOLLOWING_ENTRY_DELAY_MS = 20;

enum RecordKind : quint8 { KindNothing = 0, KindKeys = 1, KindMultimedia = 2, KindMouse = 3 };

struct MouseCodes {
    quint8 a, p, m, t, w;
};

const MouseCodes MOUSE_CODES[16] = {
    {1, 0, 0, 1, 0},          // Mouse Left
    {1, 0, 0, 2, 0},          // Mouse Right
    {1, 0, 0, 4, 0},          // Mouse Middle
    {1, 0, 0, 0, 1},          // Wheel Up
    {1, 0, 0, 0, 0xFF},       // Wheel Down
    {1, 0xF1, 1, 0, 1},       // Ctrl+Wheel Up
    {1, 0xF1, 1, 0, 0xFF},    // Ctrl+Wheel Down
    {1, 0xF2, 2, 0, 1},       // Shift+Wheel Up
    {1, 0xF2, 2, 0, 0xFF},    // Shift+Wheel Down
    {1, 0xF3, 4, 0, 1},       // Alt+Wheel Up
    {1, 0xF3, 4, 0, 0xFF},    // Alt+Wheel Down
    {4, 1, 1, 0, 0},          // Left Swipe
    {4, 2, 2, 0, 0},          // Right Swipe
    {4, 3, 3, 0, 0},          // Up Swipe
    {4, 4, 4, 0, 0},          // Down Swipe
    {4, 5, 5, 0, 0},          // Like
};

MouseCodes mouseCodes(quint8 action)
{
    if (action < 16)
        return MOUSE_CODES[action];
    return MouseCodes{1, 0, 0, 0, 0};
}

bool isModifier(quint8 usage)
{
    return usage >= 0xE0 && usage <= 0xE7;
}

struct Entry {
    quint16 delayMs;
    quint8 keyCode;
};

class Record
{
public:
    explicit Record(QByteArray &report) : m_report(report) {}
    void set(int k, quint8 value) { m_report[RECORD_OFFSET + k] = char(value); }

private:
    QByteArray &m_report;
};

// Returns false for a type the keypad cannot hold.
bool encodeR10Udav(const KeyData &key, Record &rec)
{
    QVector<Entry> entries;
    switch (key.type) {
    case KeyType::Basic:
        if (key.keyCode != 0)
            entries.append({0, key.keyCode});
        break;
    case KeyType::Macro:
        for (const MacroStepData &s : key.macroSteps) {
            if (s.action != 0 || s.keyCode == 0)
                continue;
            const quint8 code = isModifier(s.keyCode) ? quint8(s.keyCode + 0x11) : s.keyCode;
            entries.append({s.delayMs, code});
        }
        break;
    case KeyType::Combination:
        for (int bit = 0; bit < 8; ++bit) {
            if (key.modifierBits & (1u << bit))
                entries.append({0, quint8(0xF1 + bit)});
        }
        for (char c : key.comboKeys) {
            if (c != 0)
                entries.append({0, quint8(c)});
        }
        for (int i = 1; i < entries.size(); ++i)
            entries[i].delayMs = FOLLOWING_ENTRY_DELAY_MS;
        break;
    case KeyType::Multimedia:
        rec.set(2, KindMultimedia);
        rec.set(3, 1);
        rec.set(4, 1);
        rec.set(7, quint8(key.mediaUsage & 0xFF));
        rec.set(10, quint8(key.mediaUsage >> 8));
        return true;
    case KeyType::Mouse: {
        const MouseCodes m = mouseCodes(key.mouseAction);
        rec.set(2, KindMouse);
        rec.set(3, m.a);
        rec.set(4, 5);
        rec.set(7, m.p);
        rec.set(10, m.t);
        rec.set(19, m.w);
        return true;
    }
    case KeyType::Empty:
        rec.set(2, KindNothing);
        return true;
    default:
        return false;
    }

    if (entries.size() > R10UDAV_MAX_ENTRIES)
        entries.resize(R10UDAV_MAX_ENTRIES);
    if (entries.isEmpty()) {
        rec.set(2, KindNothing);
        return true;
    }
    rec.set(2, KindKeys);
    rec.set(3, 1);
    rec.set(4, quint8(entries.size()));
    for (int i = 0; i < entries.size(); ++i) {
        rec.set(5 + 3 * i, quint8(entries[i].delayMs >> 8));
        rec.set(6 + 3 * i, quint8(entries[i].delayMs & 0xFF));
        rec.set(7 + 3 * i, entries[i].keyCode);
    }
    return true;
}

bool encodeOld(const KeyData &key, Record &rec)
{
    quint8 mask = 0;
    QVector<quint8> keys;
    quint16 perKeyDelay = 0;
    auto collect = [&](quint8 usage) {
        if (usage == 0)
            return;
        if (isModifier(usage))
            mask |= quint8(1u << (usage - 0xE0));
        else
            keys.append(usage);
    };

    switch (key.type) {
    case KeyType::Basic:
        collect(key.keyCode);
        break;
    case KeyType::Combination:
        mask |= key.modifierBits;
        for (char c : key.comboKeys)
            collect(quint8(c));
        break;
    case KeyType::Macro: {
        bool first = true;
        for (const MacroStepData &s : key.macroSteps) {
            if (s.action != 0 || s.keyCode == 0)
                continue;
            // The keypad keeps one delay per key: the one before the first press.
            if (first)
                perKeyDelay = s.delayMs;
            first = false;
            collect(s.keyCode);
        }
        break;
    }
    case KeyType::Multimedia:
        rec.set(2, KindMultimedia);
        rec.set(8, 1);
        rec.set(9, quint8(key.mediaUsage & 0xFF));
        rec.set(10, quint8(key.mediaUsage >> 8));
        return true;
    case KeyType::Mouse: {
        const MouseCodes m = mouseCodes(key.mouseAction);
        rec.set(2, KindMouse);
        rec.set(8, 3);
        if (key.mouseAction < 16) {
            rec.set(9, m.m);
            rec.set(10, m.t);
            rec.set(13, m.w);
        }
        return true;
    }
    case KeyType::Empty:
        rec.set(2, KindNothing);
        return true;
    default:
        return false;
    }

    if (keys.size() > OLD_MAX_PAIRS)
        keys.resize(OLD_MAX_PAIRS);
    int pairs = 0;
    if (keys.isEmpty()) {
        if (mask != 0) {
            rec.set(9, mask);
            rec.set(10, 0);
            pairs = 1;
        }
    } else {
        for (int j = 0; j < keys.size(); ++j) {
            rec.set(9 + 2 * j, mask);
            rec.set(10 + 2 * j, keys[j]);
        }
        pairs = keys.size();
    }
    if (pairs == 0) {
        rec.set(2, KindNothing);
        return true;
    }
    rec.set(2, KindKeys);
    rec.set(3, quint8(perKeyDelay & 0xFF));
    rec.set(4, quint8(perKeyDelay >> 8));
    rec.set(8, quint8(pairs));
    return true;
}

} // namespace

int legacyKeyNumber(const LegacyDeviceInfo &info, int slot)
{
    return SlotMap::legacyKeyNumber(info.format == LegacyDeviceInfo::R10Udav, slot);
}

QByteArray legacyCommitReport()
{
    QByteArray report(REPORT_SIZE, '\0');
    report[0] = char(REPORT_ID);
    report[1] = char(0xFD);
    report[2] = char(0xFE);
    report[3] = char(0xFF);
    return report;
}

EncodeResult encodeLegacyKeyReport(const LegacyDeviceInfo &info, int layer, int slot,
                                   const KeyData &key, QByteArray &report)
{
    report.clear();
    const int number = legacyKeyNumber(info, slot);
    if (number == 0)
        return EncodeResult::NoKeyNumber;

    QByteArray built(REPORT_SIZE, '\0');
    built[0] = char(REPORT_ID);
    built[1] = char(0xFD);
    Record rec(built);
    rec.set(0, quint8(number));
    rec.set(1, quint8(layer + 1));
    const bool ok = info.format == LegacyDeviceInfo::R10Udav ? encodeR10Udav(key, rec)
                                                             : encodeOld(key, rec);
    if (!ok)
        return EncodeResult::BadType;
    report = built;
    return EncodeResult::Ok;
}

bool writeLegacyKey(hid_device *device, const LegacyDeviceInfo &info, int layer, int slot,
                    const KeyData &key)
{
    if (layer < 0 || layer > 3 || layer >= int(info.layerCount) || !device || !info.valid)
        return false;

    const QString fmt = legacyFormatName(info);
    QByteArray report;
    switch (encodeLegacyKeyReport(info, layer, slot, key, report)) {
    case EncodeResult::NoKeyNumber:
        qCDebug(lcLegacy) << "Legacy write skipped invalid key" << slot;
        return true;
    case EncodeResult::BadType:
        qCDebug(lcLegacy).noquote() << QStringLiteral("Legacy write encode failed %1 layer=").arg(fmt)
                                    << layer << "key=" << slot;
        return false;
    case EncodeResult::Ok:
        break;
    }

    if (writeLegacyReport(device, report) != REPORT_SIZE) {
        qCDebug(lcLegacy).noquote() << QStringLiteral("Legacy write failed %1 layer=").arg(fmt) << layer
                                    << "key=" << slot << "name=" << legacyKeyNumber(info, slot);
        return false;
    }
    return true;
}

} // namespace LegacyHIDManager
