#include "session/readbaseline.h"

#include "model/keyboarddata.h"

namespace {

bool sameLighting(const LayerLedConfigData &a, const LayerLedConfigData &b)
{
    return a.mode == b.mode && a.colors == b.colors;
}

} // namespace

ReadBaseline::ReadBaseline(const KeyboardData &model)
    : m_keys(model.layers())
    , m_lighting(model.ledConfigs())
{
}

ReadCoverage ReadBaseline::apply(KeyboardData &model, const ConnectResult &first,
                                 const ConnectResult &confirmed) const
{
    constexpr int LAYERS = KeyboardData::LAYER_COUNT;
    constexpr int SLOTS = KeyboardData::KEYS_PER_LAYER;
    ReadCoverage load = ReadCoverage::none(LAYERS, SLOTS);
    for (int l = 0; l < LAYERS && l < m_keys.size() && l < confirmed.layers.size(); ++l) {
        for (int k = 0; k < SLOTS && k < confirmed.layers[l].size(); ++k) {
            const KeyData *now = model.keyDataAt(l, k);
            if (!now || !confirmed.coverage.keyRead(l, k))
                continue;
            const bool leftAlone = !now->dirty && now->sameFunction(m_keys[l][k]);
            if (leftAlone) {
                load.keys[l][k] = true;
                continue;
            }
            const bool shownRight = first.coverage.keyRead(l, k) && l < first.layers.size()
                                    && k < first.layers[l].size()
                                    && first.layers[l][k].sameFunction(confirmed.layers[l][k]);
            if (!shownRight)
                model.forgetKeypadKey(l, k);
        }
    }
    const bool lighting = confirmed.ledConfigs.size() == LAYERS;
    for (int l = 0; lighting && l < LAYERS && l < m_lighting.size(); ++l) {
        if (!confirmed.coverage.lightingRead(l))
            continue;
        const LayerLedConfigData &now = model.ledConfig(l);
        if (!now.anyDirty() && sameLighting(now, m_lighting[l])) {
            load.lighting[l] = true;
            continue;
        }
        const bool shownRight = first.coverage.lightingRead(l) && l < first.ledConfigs.size()
                                && sameLighting(first.ledConfigs[l], confirmed.ledConfigs[l]);
        if (!shownRight)
            model.forgetKeypadLed(l);
    }
    const KeyboardData::Replacement once(model); // one refresh of the views for both
    model.loadLayers(confirmed.layers, load);
    if (lighting)
        model.loadLedConfigs(confirmed.ledConfigs, load);
    return load;
}
