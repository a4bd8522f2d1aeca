#include "session/confirmedread.h"

#include "session/devicetasks.h"
#include "device/passagreement.h"
#include "model/keyboarddata.h"
#include "model/logcategories.h"

#include <QDebug>

namespace {

constexpr int LAYERS = 4;

// One pass of one part (a layer's keys or its lighting): what it decodes to and, for a
// legacy read, the reports it came in. Passes are compared on the reports when they have
// them (see ConnectResult), else on the content.
template <typename T>
struct Pass {
    T content{};
    QByteArray reports;
};

bool sameKeys(const Pass<QVector<KeyData>> &a, const Pass<QVector<KeyData>> &b)
{
    if (!a.reports.isEmpty() || !b.reports.isEmpty())
        return a.reports == b.reports;
    if (a.content.size() != b.content.size())
        return false;
    for (int k = 0; k < a.content.size(); ++k)
        if (!a.content[k].sameFunction(b.content[k]))
            return false;
    return true;
}

bool sameLighting(const Pass<LayerLedConfigData> &a, const Pass<LayerLedConfigData> &b)
{
    if (!a.reports.isEmpty() || !b.reports.isEmpty())
        return a.reports == b.reports;
    return a.content.mode == b.content.mode && a.content.colors == b.content.colors;
}

// A layer's keys count as one pass only when the pass knows every slot of it.
bool layerRead(const ConnectResult &r, int layer)
{
    if (layer >= r.layers.size() || r.layers[layer].isEmpty() || layer >= r.coverage.keys.size())
        return false;
    for (int k = 0; k < r.layers[layer].size(); ++k)
        if (!r.coverage.keyRead(layer, k))
            return false;
    return true;
}

struct Parts {
    QVector<PassAgreement<Pass<QVector<KeyData>>>> keys;
    QVector<PassAgreement<Pass<LayerLedConfigData>>> lighting;
    QVector<int> keyLayers;      // the layers the keypad has
    QVector<int> lightingLayers; // the layers whose lighting it can report

    void add(const ConnectResult &pass, const QVector<int> &keysRead, const QVector<int> &lightingRead)
    {
        for (int l : keysRead)
            keys[l].add(layerRead(pass, l), {pass.layers.value(l), pass.keyReports.value(l)}, sameKeys);
        for (int l : lightingRead)
            lighting[l].add(pass.coverage.lightingRead(l) && l < pass.ledConfigs.size(),
                            {pass.ledConfigs.value(l), pass.lightingReports.value(l)}, sameLighting);
    }
    QVector<int> keysWanted() const
    {
        QVector<int> wanted;
        for (int l : keyLayers)
            if (keys[l].wantsAnother())
                wanted << l;
        return wanted;
    }
    QVector<int> lightingWanted() const
    {
        QVector<int> wanted;
        for (int l : lightingLayers)
            if (lighting[l].wantsAnother())
                wanted << l;
        return wanted;
    }
};

} // namespace

ConfirmedRead::ConfirmedRead(HIDManager *hid)
    : m_hid(hid)
{
}

ConnectResult ConfirmedRead::confirm(const ConnectResult &first, const ReadingAgain &readingAgain) const
{
    if (!first.infoOk && !first.legacyOk)
        return first;
    const bool legacy = !first.infoOk;

    Parts parts;
    parts.keys.resize(LAYERS);
    parts.lighting.resize(LAYERS);
    const int layers = legacy ? (first.legacyInfo.valid ? qMin(int(first.legacyInfo.layerCount), LAYERS) : 0)
                              : LAYERS;
    for (int l = 0; l < layers; ++l) {
        parts.keyLayers << l;
        // "Old" keypads cannot report their lighting at all.
        if (!legacy || first.legacyInfo.format == LegacyDeviceInfo::R10Udav)
            parts.lightingLayers << l;
    }

    parts.add(first, parts.keyLayers, parts.lightingLayers);
    parts.add(DeviceTasks::rereadKeypad(m_hid, legacy, first.legacyInfo), parts.keyLayers,
              parts.lightingLayers);
    const QVector<int> keysAgain = parts.keysWanted();
    const QVector<int> lightingAgain = parts.lightingWanted();
    if (!keysAgain.isEmpty() || !lightingAgain.isEmpty()) {
        qCDebug(lcDevice).noquote() << "ConfirmedRead: passes differ, reading again key layers" << keysAgain
                                    << "lighting layers" << lightingAgain;
        if (readingAgain)
            readingAgain();
        parts.add(DeviceTasks::rereadParts(m_hid, legacy, first.legacyInfo, keysAgain, lightingAgain), keysAgain,
                  lightingAgain);
    }

    ConnectResult r = first;
    r.layers.resize(LAYERS);
    r.coverage = ReadCoverage::none(LAYERS, KeyboardData::KEYS_PER_LAYER);
    r.allLayersOk = layers > 0;
    for (int l : parts.keyLayers) {
        const bool agreed = parts.keys[l].agreed();
        if (agreed)
            r.layers[l] = parts.keys[l].value().content;
        r.coverage.setLayer(l, QVector<bool>(r.layers[l].size(), agreed));
        r.allLayersOk = r.allLayersOk && agreed;
    }
    if (!parts.lightingLayers.isEmpty())
        r.ledConfigs.resize(LAYERS);
    for (int l : parts.lightingLayers) {
        const bool agreed = parts.lighting[l].agreed();
        if (agreed)
            r.ledConfigs[l] = parts.lighting[l].value().content;
        r.coverage.setLighting(l, agreed);
        r.allLayersOk = r.allLayersOk && agreed;
    }
    qCDebug(lcDevice).noquote() << "ConfirmedRead:" << (r.allLayersOk ? "passes agree" : "passes do not agree");
    return r;
}
