#include "sim/legacyfirmware.h"

#include <QColor>
#include <QMutexLocker>

namespace sim {

namespace {

constexpr quint8 REPORT_ID = 0x03;
constexpr quint8 CMD_INFO = 0xFB;
constexpr quint8 CMD_READ = 0xFA;
constexpr quint8 CMD_KEY_WRITE = 0xFD;
constexpr quint8 CMD_LIGHTING_WRITE = 0xFE;
constexpr quint8 LIGHTING = 0xB0;

quint8 byteAt(const QByteArray &data, int i)
{
    return i >= 0 && i < data.size() ? quint8(data[i]) : 0;
}

bool sameLighting(const LayerLedConfigData &a, const LayerLedConfigData &b)
{
    return a.mode == b.mode && a.colors == b.colors;
}

} // namespace

bool LegacyFirmware::Memory::operator==(const Memory &o) const
{
    for (int i = 0; i < LAYERS; ++i) {
        if (records[size_t(i)] != o.records[size_t(i)]
            || !sameLighting(lighting[size_t(i)], o.lighting[size_t(i)])
            || oldLightingCode[size_t(i)] != o.oldLightingCode[size_t(i)])
            return false;
    }
    return true;
}

LegacyFirmware::LegacyFirmware(Generation generation)
    : LegacyFirmware(generation, generation == Generation::R10Udav ? 16 : 15,
                     generation == Generation::R10Udav ? 3 : 1,
                     generation == Generation::R10Udav ? 10 : 8, 0)
{
}

LegacyFirmware::LegacyFirmware(Generation generation, quint8 keyCount, quint8 encoderCount,
                               quint8 version, quint8 shape)
    : m_generation(generation),
      m_keyCount(keyCount),
      m_encoderCount(encoderCount),
      m_version(version),
      m_shape(shape)
{
    for (int layer = 0; layer < LAYERS; ++layer) {
        QVector<QByteArray> &records = m_working.records[size_t(layer)];
        for (int number = 1; number <= keysPerLayer(); ++number)
            records.append(emptyRecord(layer, number));
    }
    m_stored = m_working;
}

int LegacyFirmware::keysPerLayer() const
{
    return m_generation == Generation::R10Udav ? 25 : 24;
}

int LegacyFirmware::recordSize() const
{
    return m_generation == Generation::R10Udav ? 62 : 60;
}

QByteArray LegacyFirmware::emptyRecord(int layer, int keyNumber) const
{
    QByteArray record(recordSize(), '\0');
    record[0] = char(keyNumber);
    record[1] = char(layer + 1);
    return record;
}

QByteArray LegacyFirmware::reply(quint8 command, const QByteArray &body) const
{
    QByteArray out(REPLY_SIZE, '\0');
    out[0] = char(REPORT_ID);
    out[1] = char(command);
    const int n = qMin(body.size(), REPLY_SIZE - 2);
    for (int i = 0; i < n; ++i)
        out[2 + i] = body[i];
    return out;
}

QVector<QByteArray> LegacyFirmware::handleReport(const QByteArray &report)
{
    QMutexLocker lock(&m_mutex);
    if (byteAt(report, 0) != REPORT_ID)
        return {};

    const quint8 cmd = byteAt(report, 1);
    if (cmd == CMD_INFO && byteAt(report, 2) == CMD_INFO && byteAt(report, 3) == CMD_INFO) {
        if (!m_answersProbe)
            return {};
        QByteArray body(4, '\0');
        body[0] = char(m_keyCount);
        body[1] = char(m_encoderCount);
        body[2] = char(m_version);
        body[3] = char(m_shape);
        return {reply(CMD_INFO, body)};
    }
    if (cmd == CMD_READ)
        return byteAt(report, 2) == LIGHTING ? answerLightingRead(report) : answerLayerRead(report);
    if (cmd == CMD_KEY_WRITE) {
        if (byteAt(report, 2) == 0xFE && byteAt(report, 3) == 0xFF) {
            m_stored = m_working;
            ++m_commits;
        } else {
            takeKeyWrite(report);
        }
        return {};
    }
    if (cmd == CMD_LIGHTING_WRITE && byteAt(report, 2) == LIGHTING)
        takeLightingWrite(report);
    return {};
}

QVector<QByteArray> LegacyFirmware::answerLayerRead(const QByteArray &report) const
{
    const bool r10 = m_generation == Generation::R10Udav;
    const bool layout = r10 ? (byteAt(report, 2) == 25 && byteAt(report, 3) == 0)
                            : (byteAt(report, 2) == 15 && byteAt(report, 3) == 3);
    const int layer = int(byteAt(report, 4)) - 1;
    if (!layout || layer < 0 || layer >= LAYERS)
        return {};

    int count = keysPerLayer();
    if (m_recordsPerRead >= 0)
        count = qMin(count, m_recordsPerRead);
    // Record n carries key number n + 1; which slot that is, the host knows from the order.
    QVector<QByteArray> out;
    for (int n = 0; n < count; ++n)
        out.append(reply(CMD_READ, m_working.records[size_t(layer)].at(n)));
    return out;
}

QVector<QByteArray> LegacyFirmware::answerLightingRead(const QByteArray &report) const
{
    const int layer = byteAt(report, 3);
    if (m_generation != Generation::R10Udav || layer >= LAYERS
        || m_silentLightingLayers.contains(layer))
        return {};
    const LayerLedConfigData &config = m_working.lighting[size_t(layer)];
    QByteArray body(1 + 3 * LayerLedConfigData::LED_COUNT, '\0');
    body[0] = char(config.mode);
    for (int k = 0; k < LayerLedConfigData::LED_COUNT; ++k) {
        body[1 + 3 * k] = char(config.colors[size_t(k)].r);
        body[2 + 3 * k] = char(config.colors[size_t(k)].g);
        body[3 + 3 * k] = char(config.colors[size_t(k)].b);
    }
    return {reply(CMD_READ, body)};
}

void LegacyFirmware::takeKeyWrite(const QByteArray &report)
{
    const int number = byteAt(report, 2);
    const int layer = int(byteAt(report, 3)) - 1;
    if (number < 1 || number > keysPerLayer() || layer < 0 || layer >= LAYERS)
        return;
    QByteArray record(recordSize(), '\0');
    for (int k = 0; k < recordSize(); ++k)
        record[k] = char(byteAt(report, 2 + k));
    m_working.records[size_t(layer)][number - 1] = record;
}

void LegacyFirmware::takeLightingWrite(const QByteArray &report)
{
    if (m_generation == Generation::R10Udav) {
        const int layer = byteAt(report, 3);
        if (layer >= LAYERS)
            return;
        LayerLedConfigData &config = m_working.lighting[size_t(layer)];
        config.mode = byteAt(report, 4);
        for (int k = 0; k < LayerLedConfigData::LED_COUNT; ++k)
            config.colors[size_t(k)] = LedColorData{byteAt(report, 5 + 3 * k),
                                                    byteAt(report, 6 + 3 * k),
                                                    byteAt(report, 7 + 3 * k)};
        return;
    }
    const int layer = int(byteAt(report, 3)) - 1;
    if (layer < 0 || layer >= LAYERS || byteAt(report, 4) != 8 || byteAt(report, 10) != 1)
        return;
    m_working.oldLightingCode[size_t(layer)] = byteAt(report, 12);
}

QByteArray LegacyFirmware::record(int layer, int keyNumber) const
{
    QMutexLocker lock(&m_mutex);
    if (layer < 0 || layer >= LAYERS || keyNumber < 1 || keyNumber > keysPerLayer())
        return {};
    return m_working.records[size_t(layer)].at(keyNumber - 1);
}

void LegacyFirmware::setRecord(int layer, int keyNumber, const QByteArray &record)
{
    QMutexLocker lock(&m_mutex);
    if (layer < 0 || layer >= LAYERS || keyNumber < 1 || keyNumber > keysPerLayer())
        return;
    QByteArray fitted = record.left(recordSize());
    fitted.append(QByteArray(recordSize() - fitted.size(), '\0'));
    m_working.records[size_t(layer)][keyNumber - 1] = fitted;
    m_stored.records[size_t(layer)][keyNumber - 1] = fitted;
}

LayerLedConfigData LegacyFirmware::lighting(int layer) const
{
    QMutexLocker lock(&m_mutex);
    if (layer < 0 || layer >= LAYERS)
        return {};
    return m_working.lighting[size_t(layer)];
}

void LegacyFirmware::setLighting(int layer, const LayerLedConfigData &config)
{
    QMutexLocker lock(&m_mutex);
    if (layer < 0 || layer >= LAYERS)
        return;
    m_working.lighting[size_t(layer)] = config;
    m_stored.lighting[size_t(layer)] = config;
}

quint8 LegacyFirmware::oldLightingCode(int layer) const
{
    QMutexLocker lock(&m_mutex);
    if (layer < 0 || layer >= LAYERS)
        return 0;
    return m_working.oldLightingCode[size_t(layer)];
}

int LegacyFirmware::commitCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_commits;
}

bool LegacyFirmware::hasUncommittedChanges() const
{
    QMutexLocker lock(&m_mutex);
    return !(m_working == m_stored);
}

void LegacyFirmware::powerCycle()
{
    QMutexLocker lock(&m_mutex);
    m_working = m_stored;
}

void LegacyFirmware::setAnswersProbe(bool answers)
{
    QMutexLocker lock(&m_mutex);
    m_answersProbe = answers;
}

void LegacyFirmware::setRecordsPerLayerRead(int count)
{
    QMutexLocker lock(&m_mutex);
    m_recordsPerRead = count;
}

void LegacyFirmware::setSilentLightingLayers(const QSet<int> &layers)
{
    QMutexLocker lock(&m_mutex);
    m_silentLightingLayers = layers;
}

QByteArray LegacyFirmware::keysRecord(int layer, int keyNumber, quint8 modifierMask,
                                      const QVector<quint8> &keys) const
{
    QByteArray r = emptyRecord(layer, keyNumber);
    r[2] = 1;
    if (m_generation == Generation::R10Udav) {
        // Modifiers first as 0xF1.. entries, then the keys, 20 ms apart.
        QVector<quint8> codes;
        for (int bit = 0; bit < 8; ++bit) {
            if (modifierMask & (1u << bit))
                codes.append(quint8(0xF1 + bit));
        }
        codes += keys;
        r[3] = 1;
        r[4] = char(codes.size());
        for (int i = 0; i < codes.size(); ++i) {
            r[6 + 3 * i] = char(i == 0 ? 0 : 20);
            r[7 + 3 * i] = char(codes[i]);
        }
    } else {
        r[8] = char(keys.size());
        for (int j = 0; j < keys.size(); ++j) {
            r[9 + 2 * j] = char(modifierMask);
            r[10 + 2 * j] = char(keys[j]);
        }
    }
    return r;
}

QByteArray LegacyFirmware::mediaRecord(int layer, int keyNumber, quint16 usage) const
{
    QByteArray r = emptyRecord(layer, keyNumber);
    r[2] = 2;
    if (m_generation == Generation::R10Udav) {
        r[3] = 1;
        r[4] = 1;
        r[7] = char(usage & 0xFF);
        r[10] = char(usage >> 8);
    } else {
        r[8] = 1;
        r[9] = char(usage & 0xFF);
        r[10] = char(usage >> 8);
    }
    return r;
}

QByteArray LegacyFirmware::wheelRecord(int layer, int keyNumber, bool up) const
{
    QByteArray r = emptyRecord(layer, keyNumber);
    r[2] = 3;
    if (m_generation == Generation::R10Udav) {
        r[3] = 1;
        r[4] = 5;
        r[19] = char(up ? 1 : 0xFF);
    } else {
        r[8] = 3;
        r[13] = char(up ? 1 : 0xFF);
    }
    return r;
}

void LegacyFirmware::loadDemoConfiguration()
{
    QMutexLocker lock(&m_mutex);
    const int keyCount = m_generation == Generation::R10Udav ? 16 : 15;
    for (int layer = 0; layer < LAYERS; ++layer) {
        QVector<QByteArray> &records = m_working.records[size_t(layer)];
        for (int number = 1; number <= keyCount; ++number) {
            // Layer 0 letters from A, layer 1 digits from 1, layer 2 F1 onwards.
            static const quint8 first[LAYERS] = {0x04, 0x1E, 0x3A};
            records[number - 1] = keysRecord(layer, number, 0, {quint8(first[layer] + number - 1)});
        }
        records[1] = keysRecord(layer, 2, 0x01, {0x06}); // Ctrl+C
        // The first knob turns the volume and mutes on a press; the second scrolls. "R10Udav"
        // numbers slot s as s + 1; "Old" has 15 keys and numbers its one knob left, press,
        // right (16, 17, 18) where the host's slots run left, right, press.
        const bool r10 = m_generation == Generation::R10Udav;
        const int knob = r10 ? 17 : 16;
        records[knob - 1] = mediaRecord(layer, knob, 0x00EA);
        records[knob] = r10 ? mediaRecord(layer, knob + 1, 0x00E9) : mediaRecord(layer, knob + 1, 0x00E2);
        records[knob + 1] = r10 ? mediaRecord(layer, knob + 2, 0x00E2) : mediaRecord(layer, knob + 2, 0x00E9);
        if (r10) {
            records[20 - 1] = wheelRecord(layer, 20, false);
            records[21 - 1] = wheelRecord(layer, 21, true);
        }
        LayerLedConfigData &lighting = m_working.lighting[size_t(layer)];
        lighting.mode = quint8(layer + 1);
        for (int k = 0; k < LayerLedConfigData::LED_COUNT; ++k) {
            const QColor c = QColor::fromHsv((k * 360 / LayerLedConfigData::LED_COUNT + layer * 40) % 360, 255, 255);
            lighting.colors[size_t(k)] = LedColorData{quint8(c.red()), quint8(c.green()), quint8(c.blue())};
        }
        m_working.oldLightingCode[size_t(layer)] = quint8(0x10 * (layer + 1) + layer + 1);
    }
    m_stored = m_working;
}

} // namespace sim
