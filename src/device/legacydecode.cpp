#include "device/legacyhidmanager.h"

namespace LegacyHIDManager {

namespace {

// Bytes of a record packet that carry meaning; anything else, and anything past what was
// actually read, reads as 0. Every decoder goes through this, so no record field, however
// large, can steer a read outside the packet.
class RecordView
{
public:
    RecordView(const unsigned char *report, int length, int lastUsed)
        : m_report(report), m_length(report ? length : 0), m_lastUsed(lastUsed)
    {
    }
    quint8 at(int i) const
    {
        if (i < 2 || i > m_lastUsed || i >= m_length)
            return 0;
        return m_report[i];
    }

private:
    const unsigned char *m_report;
    int m_length;
    int m_lastUsed;
};

constexpr int R10UDAV_LAST_BYTE = 60;
constexpr int OLD_LAST_BYTE = 50;
constexpr quint16 RELEASE_DELAY_MS = 20;
constexpr quint16 FOLLOWING_PRESS_DELAY_MS = 20;

bool isModifier(quint8 usage)
{
    return usage >= 0xE0 && usage <= 0xE7;
}

MacroStepData step(quint8 action, quint8 keyCode, quint16 delayMs)
{
    MacroStepData s;
    s.action = action;
    s.keyCode = keyCode;
    s.delayMs = delayMs;
    return s;
}

KeyData multimediaFrom(quint16 code)
{
    KeyData key;
    if (code != 0) {
        key.setMultimedia(code);
        key.dirty = false;
    }
    return key;
}

KeyData mouseFrom(int action)
{
    KeyData key;
    if (action >= 0) {
        key.setMouseAction(quint8(action));
        key.dirty = false;
    }
    return key;
}

// The eleven click and wheel rows both generations share; `mod` is the modifier field and
// ctrl/shift/alt its values in the generation's own encoding.
int clickOrWheelAction(quint8 t, quint8 w, quint8 mod, quint8 ctrl, quint8 shift, quint8 alt)
{
    if (w == 0 && mod == 0) {
        if (t == 1)
            return 0;
        if (t == 4)
            return 2;
        if (t == 2)
            return 1;
    }
    if (t != 0 || (w != 1 && w != 0xFF))
        return -1;
    const bool up = w == 1;
    if (mod == 0)
        return up ? 3 : 4;
    if (mod == ctrl)
        return up ? 5 : 6;
    if (mod == shift)
        return up ? 7 : 8;
    if (mod == alt)
        return up ? 9 : 10;
    return -1;
}

} // namespace

KeyData decodeLegacyR10UdavKeys(const unsigned char *report, int length)
{
    const RecordView r(report, length, R10UDAV_LAST_BYTE);
    const int count = qMin(int(r.at(6)), R10UDAV_MAX_ENTRIES);

    QVector<MacroStepData> presses;
    for (int i = 0; i < count; ++i) {
        quint8 code = r.at(9 + 3 * i);
        if (code == 0)
            continue;
        if (code >= 0xF1 && code <= 0xF8)
            code = quint8(code - 0x11);
        presses.append(step(0, code, quint16(r.at(7 + 3 * i) * 256 + r.at(8 + 3 * i))));
    }

    KeyData key;
    if (presses.isEmpty())
        return key;
    if (presses.size() == 1 && presses[0].delayMs == 0 && !isModifier(presses[0].keyCode)) {
        key.setBasicKey(presses[0].keyCode);
        key.dirty = false;
        return key;
    }
    QVector<MacroStepData> steps = presses;
    for (int i = presses.size() - 1; i >= 0; --i)
        steps.append(step(1, presses[i].keyCode, RELEASE_DELAY_MS));
    key.setMacro(steps);
    key.dirty = false;
    return key;
}

KeyData decodeLegacyOldKeys(const unsigned char *report, int length)
{
    const RecordView r(report, length, OLD_LAST_BYTE);
    const quint16 perKeyDelay = quint16(r.at(5) | (r.at(6) << 8));
    // The record has room for 20 entries; a larger count is a corrupt record, not a licence
    // to read further.
    const int count = qMin(int(r.at(10)), OLD_MAX_READ_ENTRIES);

    QVector<quint8> modifiers;
    QVector<quint8> keys;
    for (int j = 0; j < count; ++j) {
        const quint8 mask = r.at(11 + 2 * j);
        for (int bit = 0; bit < 8; ++bit) {
            const quint8 usage = quint8(0xE0 + bit);
            if ((mask & (1u << bit)) && !modifiers.contains(usage))
                modifiers.append(usage);
        }
        const quint8 code = r.at(12 + 2 * j);
        if (code != 0)
            keys.append(code);
    }

    KeyData key;
    if (modifiers.isEmpty()) {
        if (keys.isEmpty())
            return key;
        if (keys.size() == 1) {
            if (perKeyDelay == 0) {
                key.setBasicKey(keys[0]);
            } else {
                key.setMacro({step(0, keys[0], perKeyDelay),
                              step(1, keys[0], RELEASE_DELAY_MS)});
            }
            key.dirty = false;
            return key;
        }
    }

    QVector<MacroStepData> steps;
    for (int i = 0; i < modifiers.size(); ++i)
        steps.append(step(0, modifiers[i], i == 0 ? 0 : FOLLOWING_PRESS_DELAY_MS));
    for (int i = 0; i < keys.size(); ++i) {
        const bool first = i == 0 && modifiers.isEmpty();
        steps.append(step(0, keys[i], first ? 0 : FOLLOWING_PRESS_DELAY_MS));
    }
    for (int i = keys.size() - 1; i >= 0; --i)
        steps.append(step(1, keys[i], RELEASE_DELAY_MS));
    for (int i = modifiers.size() - 1; i >= 0; --i)
        steps.append(step(1, modifiers[i], RELEASE_DELAY_MS));
    // The keypad stores one delay for the whole key; it applies before every press.
    for (MacroStepData &s : steps) {
        if (s.action == 0 && s.keyCode != 0)
            s.delayMs = perKeyDelay;
    }
    key.setMacro(steps);
    key.dirty = false;
    return key;
}

KeyData decodeLegacyR10UdavMultimedia(const unsigned char *report, int length)
{
    const RecordView r(report, length, R10UDAV_LAST_BYTE);
    return multimediaFrom(quint16((r.at(12) << 8) | r.at(9)));
}

KeyData decodeLegacyOldMultimedia(const unsigned char *report, int length)
{
    const RecordView r(report, length, OLD_LAST_BYTE);
    return multimediaFrom(quint16(r.at(11) | (r.at(12) << 8)));
}

KeyData decodeLegacyR10UdavMouse(const unsigned char *report, int length)
{
    const RecordView r(report, length, R10UDAV_LAST_BYTE);
    const quint8 a = r.at(5);
    const quint8 p = r.at(9);
    const quint8 t = r.at(12);
    const quint8 w = r.at(21);
    int action = clickOrWheelAction(t, w, p, 0xF1, 0xF2, 0xF3);
    if (action < 0 && a == 4) {
        switch (p) {
        case 5: action = 15; break;
        case 1: action = 11; break;
        case 2: action = 12; break;
        case 3: action = 13; break;
        case 4: action = 14; break;
        default: break;
        }
    }
    return mouseFrom(action);
}

KeyData decodeLegacyOldMouse(const unsigned char *report, int length)
{
    const RecordView r(report, length, OLD_LAST_BYTE);
    return mouseFrom(clickOrWheelAction(r.at(12), r.at(15), r.at(11), 1, 2, 4));
}

KeyData decodeLegacyR10UdavRecord(const unsigned char *report, int length)
{
    const RecordView r(report, length, R10UDAV_LAST_BYTE);
    switch (r.at(4)) {
    case 1: return decodeLegacyR10UdavKeys(report, length);
    case 2: return decodeLegacyR10UdavMultimedia(report, length);
    case 3: return decodeLegacyR10UdavMouse(report, length);
    default: return KeyData();
    }
}

KeyData decodeLegacyOldRecord(const unsigned char *report, int length)
{
    const RecordView r(report, length, OLD_LAST_BYTE);
    switch (r.at(4)) {
    case 1: return decodeLegacyOldKeys(report, length);
    case 2: return decodeLegacyOldMultimedia(report, length);
    case 3: return decodeLegacyOldMouse(report, length);
    default: return KeyData();
    }
}

KeyData decodeLegacyRecord(const LegacyDeviceInfo &info, const unsigned char *report, int length)
{
    return info.format == LegacyDeviceInfo::R10Udav ? decodeLegacyR10UdavRecord(report, length)
                                                    : decodeLegacyOldRecord(report, length);
}

} // namespace LegacyHIDManager
