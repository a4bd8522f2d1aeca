#include "model/keyboarddata.h"

#include "model/keynames.h"

namespace {

constexpr quint16 kStepDelayMs = 20;

MacroStepData step(quint8 action, quint8 usage, quint16 delay)
{
    MacroStepData s;
    s.action = action;
    s.keyCode = usage;
    s.delayMs = delay;
    return s;
}

quint8 modifierBit(quint8 usage)
{
    return quint8(1u << (usage - 0xE0));
}

} // namespace

KeyboardData::KeyboardData(QObject *parent)
    : QObject(parent)
    , m_layers(LAYER_COUNT, QVector<KeyData>(KEYS_PER_LAYER))
    , m_ledConfigs(LAYER_COUNT)
    , m_keyRevisions(LAYER_COUNT, QVector<quint32>(KEYS_PER_LAYER, 0))
    , m_ledRevisions(LAYER_COUNT, 0)
    , m_keypadKeys(m_layers)
    , m_keypadKeyKnown(LAYER_COUNT, QVector<bool>(KEYS_PER_LAYER, true))
    , m_keypadLeds(m_ledConfigs)
    , m_keypadLedKnown(LAYER_COUNT, true)
{
}

KeyData *KeyboardData::keyDataAt(int layer, int keyIdx)
{
    if (!validLayer(layer) || !validKey(keyIdx))
        return nullptr;
    return &m_layers[layer][keyIdx];
}

const KeyData *KeyboardData::keyDataAt(int layer, int keyIdx) const
{
    if (!validLayer(layer) || !validKey(keyIdx))
        return nullptr;
    return &m_layers[layer][keyIdx];
}

KeyData *KeyboardData::selectedKeyData()
{
    return keyDataAt(m_currentLayer, m_selectedKey);
}

const KeyData *KeyboardData::selectedKeyData() const
{
    return keyDataAt(m_currentLayer, m_selectedKey);
}

bool KeyboardData::hasUnsavedChanges() const
{
    for (const auto &layer : m_layers)
        for (const auto &key : layer)
            if (key.dirty)
                return true;
    return hasLedChanges();
}

bool KeyboardData::hasLedChanges() const
{
    for (const auto &led : m_ledConfigs)
        if (led.anyDirty())
            return true;
    return false;
}

const LayerLedConfigData &KeyboardData::ledConfig(int layer) const
{
    static const LayerLedConfigData fallback;
    return validLayer(layer) ? m_ledConfigs[layer] : fallback;
}

void KeyboardData::emitLayerButtonTexts()
{
    const QVector<KeyData> &layer = m_layers[m_currentLayer];
    for (int i = 0; i < KEYS_PER_LAYER; ++i)
        emit keyButtonTextChanged(i, layer[i].buttonText);
}

void KeyboardData::emitSelectedCaptions()
{
    const KeyData *key = selectedKeyData();
    if (!key)
        return;
    emit keyButtonTextChanged(m_selectedKey, key->buttonText);
    emit keyFullTextChanged(m_selectedKey, key->fullText);
}

void KeyboardData::bumpKey(int layer, int keyIdx)
{
    ++m_keyRevisions[layer][keyIdx];
    emit editStateChanged();
}

void KeyboardData::bumpLed(int layer)
{
    ++m_ledRevisions[layer];
    emit editStateChanged();
}

void KeyboardData::setCurrentLayer(int layer)
{
    if (!validLayer(layer))
        return;
    m_currentLayer = layer;
    m_selectedKey = -1;
    emitLayerButtonTexts();
    emit selectedKeyChanged(-1);
}

void KeyboardData::selectKey(int keyIdx)
{
    // Kept as given; an index that addresses no slot leaves selectedKeyData() null, so
    // every operation on the selection does nothing rather than reach past the layer.
    m_selectedKey = keyIdx;
    m_replaceOnNextBaseKey = true;
    emit selectedKeyChanged(keyIdx);
    const KeyData *key = selectedKeyData();
    emit keyFullTextChanged(keyIdx, key ? key->fullText : QString());
}

void KeyboardData::clearSelectedKey()
{
    KeyData *key = selectedKeyData();
    if (!key)
        return;
    key->reset();
    key->dirty = true;
    bumpKey(m_currentLayer, m_selectedKey);
    m_replaceOnNextBaseKey = true;
    emit keyButtonTextChanged(m_selectedKey, QString());
    emit keyFullTextChanged(m_selectedKey, QString());
}

void KeyboardData::clearCurrentLayer()
{
    QVector<int> all;
    for (int i = 0; i < KEYS_PER_LAYER; ++i)
        all.append(i);
    clearCurrentLayer(all);
}

void KeyboardData::clearCurrentLayer(const QVector<int> &which)
{
    QVector<KeyData> &layer = m_layers[m_currentLayer];
    for (int i : which) {
        if (!validKey(i))
            continue;
        layer[i].reset();
        layer[i].dirty = true;
        bumpKey(m_currentLayer, i);
    }
    m_selectedKey = -1;
    m_replaceOnNextBaseKey = true;
    for (int i : which)
        if (validKey(i))
            emit keyButtonTextChanged(i, QString());
    emit selectedKeyChanged(-1);
}

bool KeyboardData::applyBaseKey(quint8 usage)
{
    KeyData *key = selectedKeyData();
    if (!key)
        return false;
    const bool replace = m_replaceOnNextBaseKey;
    m_replaceOnNextBaseKey = false;

    const bool clickedModifier = isModifierUsage(usage);
    const quint8 type = key->type;

    if (replace || type == KeyType::Empty || type == KeyType::Multimedia
        || type == KeyType::Mouse || !KeyType::isValid(type)) {
        key->setBasicKey(usage);
    } else if (type == KeyType::Combination) {
        if (!key->comboKeys.isEmpty())
            return false;
        if (clickedModifier) {
            key->modifierBits |= modifierBit(usage);
            key->dirty = true;
            updateCombinationTexts(*key);
        } else {
            key->setCombination(key->modifierBits, QByteArray(1, char(usage)));
        }
    } else if (type == KeyType::Macro) {
        if (key->macroSteps.size() > MAX_MACRO_STEPS - 2)
            return false;
        key->macroSteps.append(step(0, usage, kStepDelayMs));
        key->macroSteps.append(step(1, usage, kStepDelayMs));
        key->dirty = true;
        updateMacroTexts(*key);
    } else { // Basic
        const quint8 held = key->keyCode;
        if (isModifierUsage(held)) {
            if (clickedModifier)
                key->setCombination(modifierBit(held) | modifierBit(usage), QByteArray());
            else
                key->setCombination(modifierBit(held), QByteArray(1, char(usage)));
        } else {
            key->setMacro({step(0, held, 0), step(1, held, kStepDelayMs),
                           step(0, usage, kStepDelayMs), step(1, usage, kStepDelayMs)});
        }
    }

    bumpKey(m_currentLayer, m_selectedKey);
    emitSelectedCaptions();
    return true;
}

void KeyboardData::assignSelectedKey(const KeyData &source)
{
    KeyData *key = selectedKeyData();
    if (!key)
        return;
    *key = source;
    key->dirty = true;
    bumpKey(m_currentLayer, m_selectedKey);
    m_replaceOnNextBaseKey = false;
    emitSelectedCaptions();
}

void KeyboardData::setSelectedMultimedia(quint16 usage)
{
    KeyData *key = selectedKeyData();
    if (!key)
        return;
    key->setMultimedia(usage);
    bumpKey(m_currentLayer, m_selectedKey);
    emitSelectedCaptions();
}

void KeyboardData::setSelectedMouseAction(quint8 action)
{
    KeyData *key = selectedKeyData();
    if (!key)
        return;
    key->setMouseAction(action);
    bumpKey(m_currentLayer, m_selectedKey);
    emitSelectedCaptions();
}

void KeyboardData::refreshSelectedKeyTexts()
{
    if (!selectedKeyData())
        return;
    // Callers come here after changing the key in place, so a save in flight must not
    // count that change as written.
    bumpKey(m_currentLayer, m_selectedKey);
    emitSelectedCaptions();
}

void KeyboardData::setLedColor(int layer, int ledIndex, const LedColorData &colour)
{
    if (!validLayer(layer) || ledIndex < 0 || ledIndex >= LEDS_PER_LAYER)
        return;
    LayerLedConfigData &led = m_ledConfigs[layer];
    if (led.colors[ledIndex] == colour)
        return;
    led.colors[ledIndex] = colour;
    led.colorDirty[ledIndex] = true;
    bumpLed(layer);
}

void KeyboardData::setLedMode(int layer, quint8 mode)
{
    if (!validLayer(layer))
        return;
    LayerLedConfigData &led = m_ledConfigs[layer];
    if (led.mode == mode)
        return;
    led.mode = mode;
    led.modeDirty = true;
    bumpLed(layer);
}

void KeyboardData::loadLayers(const QVector<QVector<KeyData>> &source)
{
    loadLayers(source, ReadCoverage::all(LAYER_COUNT, KEYS_PER_LAYER));
}

KeyboardData::Replacement::Replacement(KeyboardData &model)
    : m_model(model)
{
    ++m_model.m_replacing;
}

KeyboardData::Replacement::~Replacement()
{
    if (--m_model.m_replacing == 0)
        emit m_model.contentReplaced();
}

void KeyboardData::loadLayers(const QVector<QVector<KeyData>> &source, const ReadCoverage &coverage)
{
    const Replacement replacing(*this);
    for (int a = 0; a < source.size() && a < LAYER_COUNT; ++a) {
        const QVector<KeyData> &src = source[a];
        for (int j = 0; j < src.size() && j < KEYS_PER_LAYER; ++j) {
            if (!coverage.keyRead(a, j))
                continue;
            m_layers[a][j] = src[j];
            m_layers[a][j].dirty = false;
            setKeypadKey(a, j);
            bumpKey(a, j);
        }
    }
    emitLayerButtonTexts();
    if (const KeyData *key = selectedKeyData())
        emit keyFullTextChanged(m_selectedKey, key->fullText);
}

void KeyboardData::loadLedConfigs(const QVector<LayerLedConfigData> &source, const ReadCoverage &coverage)
{
    const Replacement replacing(*this);
    for (int i = 0; i < source.size() && i < LAYER_COUNT; ++i) {
        if (!coverage.lightingRead(i))
            continue;
        LayerLedConfigData &led = m_ledConfigs[i];
        led = source[i];
        led.modeDirty = false;
        led.colorDirty.fill(false);
        setKeypadLed(i);
        bumpLed(i);
    }
}

void KeyboardData::loadLedConfigs(const QVector<LayerLedConfigData> &source)
{
    // Callers pass all four layers. Should a shorter list ever arrive, the layers it does
    // not cover keep their lighting and their pending changes.
    loadLedConfigs(source, ReadCoverage::all(LAYER_COUNT, KEYS_PER_LAYER));
}

void KeyboardData::clearChangeFlags()
{
    for (auto &layer : m_layers)
        for (auto &key : layer)
            key.dirty = false;
    for (auto &led : m_ledConfigs) {
        led.modeDirty = false;
        led.colorDirty.fill(false);
    }
    m_keypadKeys = m_layers;
    m_keypadLeds = m_ledConfigs;
    for (auto &known : m_keypadKeyKnown)
        known.fill(true);
    m_keypadLedKnown.fill(true);
    emit editStateChanged();
}

void KeyboardData::resetAll()
{
    const Replacement replacing(*this);
    for (int l = 0; l < LAYER_COUNT; ++l) {
        for (int k = 0; k < KEYS_PER_LAYER; ++k) {
            m_layers[l][k].reset();
            bumpKey(l, k);
        }
        m_ledConfigs[l] = LayerLedConfigData();
        bumpLed(l);
    }
    clearChangeFlags(); // also takes the empty model for what the keypad holds
}

bool KeyboardData::appendSelectedMacroStep(const MacroStepData &s)
{
    KeyData *key = selectedKeyData();
    if (!key)
        return false;
    if (key->macroSteps.size() >= MAX_MACRO_STEPS)
        return false;
    if (key->type != KeyType::Macro) {
        key->macroSteps.clear();
        key->type = KeyType::Macro;
    }
    key->macroSteps.append(s);
    key->dirty = true;
    updateMacroTexts(*key);
    bumpKey(m_currentLayer, m_selectedKey);
    return true;
}

void KeyboardData::markKeyChanged(int layer, int keyIdx)
{
    if (!validLayer(layer) || !validKey(keyIdx))
        return;
    m_layers[layer][keyIdx].dirty = true;
    bumpKey(layer, keyIdx);
}

bool KeyboardData::setKeyAt(int layer, int keyIdx, const KeyData &source)
{
    KeyData *key = keyDataAt(layer, keyIdx);
    if (!key || key->sameFunction(source))
        return false;
    *key = source;
    updateKeyTexts(*key);
    key->dirty = true;
    bumpKey(layer, keyIdx);
    if (layer == m_currentLayer) {
        emit keyButtonTextChanged(keyIdx, key->buttonText);
        if (keyIdx == m_selectedKey)
            emit keyFullTextChanged(keyIdx, key->fullText);
    }
    return true;
}

KeyboardSnapshot KeyboardData::snapshot() const
{
    KeyboardSnapshot snap;
    snap.layers = m_layers;
    snap.ledConfigs = m_ledConfigs;
    snap.keyRevisions = m_keyRevisions;
    snap.ledRevisions = m_ledRevisions;
    m_snapshotKeys = m_layers;
    m_snapshotKeyRevisions = m_keyRevisions;
    m_snapshotLeds = m_ledConfigs;
    m_snapshotLedRevisions = m_ledRevisions;
    return snap;
}

void KeyboardData::acknowledgeKeySaved(int layer, int keyIdx, quint32 revision)
{
    if (!validLayer(layer) || !validKey(keyIdx))
        return;
    if (m_keyRevisions[layer][keyIdx] != revision)
        return;
    KeyData &key = m_layers[layer][keyIdx];
    // Same revision but a different function means the key was changed in place without
    // telling the model; keep it marked so the next save writes it.
    if (!m_snapshotKeyRevisions.isEmpty() && m_snapshotKeyRevisions[layer][keyIdx] == revision
        && !key.sameFunction(m_snapshotKeys[layer][keyIdx]))
        return;
    key.dirty = false;
    setKeypadKey(layer, keyIdx);
    emit editStateChanged();
}

void KeyboardData::acknowledgeLedSaved(int layer, quint32 revision)
{
    if (!validLayer(layer) || m_ledRevisions[layer] != revision)
        return;
    LayerLedConfigData &led = m_ledConfigs[layer];
    if (!m_snapshotLedRevisions.isEmpty() && m_snapshotLedRevisions[layer] == revision) {
        const LayerLedConfigData &seen = m_snapshotLeds[layer];
        if (seen.mode != led.mode || seen.colors != led.colors)
            return;
    }
    led.modeDirty = false;
    led.colorDirty.fill(false);
    setKeypadLed(layer);
    emit editStateChanged();
}

void KeyboardData::markKeyNotSaved(int layer, int keyIdx, quint32 revision)
{
    if (!validLayer(layer) || !validKey(keyIdx) || m_keyRevisions[layer][keyIdx] != revision)
        return;
    m_layers[layer][keyIdx].dirty = true;
    // What the keypad holds there is not what was written: an undo or redo onto the written
    // function must not pass for saved.
    forgetKeypadKey(layer, keyIdx);
    emit editStateChanged();
}

void KeyboardData::markLedNotSaved(int layer, quint32 revision)
{
    if (!validLayer(layer) || m_ledRevisions[layer] != revision)
        return;
    // The keypad takes a layer's lighting whole; one flag is enough to have it written again.
    m_ledConfigs[layer].modeDirty = true;
    forgetKeypadLed(layer);
    emit editStateChanged();
}

quint32 KeyboardData::keyRevision(int layer, int keyIdx) const
{
    return (validLayer(layer) && validKey(keyIdx)) ? m_keyRevisions[layer][keyIdx] : 0;
}

quint32 KeyboardData::ledRevision(int layer) const
{
    return validLayer(layer) ? m_ledRevisions[layer] : 0;
}

void KeyboardData::setKeypadKey(int layer, int keyIdx)
{
    m_keypadKeys[layer][keyIdx] = m_layers[layer][keyIdx];
    m_keypadKeyKnown[layer][keyIdx] = true;
}

void KeyboardData::setKeypadLed(int layer)
{
    m_keypadLeds[layer] = m_ledConfigs[layer];
    m_keypadLedKnown[layer] = true;
}

void KeyboardData::forgetKeypadKey(int layer, int keyIdx)
{
    if (validLayer(layer) && validKey(keyIdx))
        m_keypadKeyKnown[layer][keyIdx] = false;
}

void KeyboardData::forgetKeypadLed(int layer)
{
    if (validLayer(layer))
        m_keypadLedKnown[layer] = false;
}

void KeyboardData::restoreKeyAt(int layer, int keyIdx, const KeyData &content, bool markChanged)
{
    const Replacement replacing(*this);
    KeyData *key = keyDataAt(layer, keyIdx);
    if (!key)
        return;
    *key = content;
    key->dirty = markChanged || !m_keypadKeyKnown[layer][keyIdx]
                 || !content.sameFunction(m_keypadKeys[layer][keyIdx]);
    bumpKey(layer, keyIdx);
    if (layer == m_currentLayer) {
        if (keyIdx == m_selectedKey)
            m_replaceOnNextBaseKey = true;
        emit keyButtonTextChanged(keyIdx, key->buttonText);
        emit keyFullTextChanged(keyIdx, key->fullText);
    }
}

void KeyboardData::restoreLedConfig(int layer, const LayerLedConfigData &content)
{
    const Replacement replacing(*this);
    if (!validLayer(layer))
        return;
    LayerLedConfigData &led = m_ledConfigs[layer];
    const LayerLedConfigData &held = m_keypadLeds[layer];
    const bool known = m_keypadLedKnown[layer];
    led.mode = content.mode;
    led.colors = content.colors;
    led.modeDirty = !known || led.mode != held.mode;
    for (int i = 0; i < LEDS_PER_LAYER; ++i)
        led.colorDirty[size_t(i)] = !known || led.colors[size_t(i)] != held.colors[size_t(i)];
    bumpLed(layer);
}

int KeyboardData::unsavedItemCount() const
{
    int n = 0;
    for (const auto &layer : m_layers)
        for (const auto &key : layer)
            n += key.dirty ? 1 : 0;
    for (const auto &led : m_ledConfigs)
        n += led.anyDirty() ? 1 : 0;
    return n;
}

bool KeyboardData::layerHasUnsavedChanges(int layer) const
{
    if (!validLayer(layer))
        return false;
    for (const auto &key : m_layers[layer])
        if (key.dirty)
            return true;
    return m_ledConfigs[layer].anyDirty();
}
