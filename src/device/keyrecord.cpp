#include "device/keyrecord.h"

namespace KeyRecord {

bool decode(const unsigned char *data, int len, KeyData &out)
{
    if (!data || len < HEADER_BYTES)
        return false;
    const int p = data[7] | (data[8] << 8);
    if (HEADER_BYTES + p > len)
        return false;
    const unsigned char *payload = data + HEADER_BYTES;

    KeyData key;
    switch (data[0]) {
    case KeyType::Basic:
        if (p < 1)
            return false;
        key.setBasicKey(payload[0]);
        break;
    case KeyType::Macro: {
        if (p < 1)
            return false;
        const int n = payload[0];
        if (n < 1 || n > MAX_MACRO_STEPS || 4 * n + 1 > p)
            return false;
        QVector<MacroStepData> steps;
        steps.reserve(n);
        for (int i = 0; i < n; ++i) {
            const unsigned char *s = payload + 1 + 4 * i;
            MacroStepData step;
            step.action = s[0] ? 1 : 0;
            step.keyCode = s[1];
            step.delayMs = quint16(s[2] | (s[3] << 8));
            steps.append(step);
        }
        key.setMacro(steps);
        break;
    }
    case KeyType::Multimedia:
        if (p < 2)
            return false;
        key.setMultimedia(quint16(payload[0] | (payload[1] << 8)));
        break;
    case KeyType::Mouse:
        if (p < 1)
            return false;
        key.setMouseAction(payload[0]);
        break;
    case KeyType::Combination: {
        if (p < 2)
            return false;
        const int k = payload[1];
        if (k > MAX_COMBO_KEYS || k + 2 > p)
            return false;
        key.setCombination(payload[0], QByteArray(reinterpret_cast<const char *>(payload + 2), k));
        break;
    }
    default:
        return false;
    }
    out = key;
    return true;
}

bool decodeChunks(const QVector<QByteArray> &chunks, KeyData &out)
{
    if (chunks.isEmpty())
        return false;
    QByteArray joined;
    for (const QByteArray &c : chunks)
        joined.append(c);
    return decode(reinterpret_cast<const unsigned char *>(joined.constData()), joined.size(), out);
}

bool encodePayload(const KeyData &key, QByteArray &payload)
{
    payload.clear();
    switch (key.type) {
    case KeyType::Basic:
        payload.append(char(key.keyCode));
        return true;
    case KeyType::Multimedia:
        payload.append(char(key.mediaUsage & 0xFF));
        payload.append(char(key.mediaUsage >> 8));
        return true;
    case KeyType::Mouse:
        payload.append(char(key.mouseAction));
        return true;
    case KeyType::Combination: {
        const int k = qMin(key.comboKeys.size(), MAX_COMBO_KEYS);
        payload.append(char(key.modifierBits));
        payload.append(char(k));
        payload.append(key.comboKeys.left(k));
        return true;
    }
    case KeyType::Macro:
        payload.append(char(key.macroSteps.size() & 0xFF));
        for (const MacroStepData &s : key.macroSteps) {
            payload.append(char(s.action ? 1 : 0));
            payload.append(char(s.keyCode));
            payload.append(char(s.delayMs & 0xFF));
            payload.append(char(s.delayMs >> 8));
        }
        return true;
    default:
        return false;
    }
}

QByteArray withHeader(quint8 type, const QByteArray &payload)
{
    QByteArray r(HEADER_BYTES, '\0');
    r[0] = char(type);
    r[7] = char(payload.size() & 0xFF);
    r[8] = char((payload.size() >> 8) & 0xFF);
    return r + payload;
}

QByteArray encode(const KeyData &key)
{
    QByteArray payload;
    if (!encodePayload(key, payload))
        return {};
    return withHeader(key.type, payload);
}

QVector<QByteArray> chunks(const QByteArray &record)
{
    QVector<QByteArray> out;
    for (int at = 0; at < record.size(); at += CHUNK_BYTES)
        out.append(record.mid(at, CHUNK_BYTES));
    return out;
}

} // namespace KeyRecord
