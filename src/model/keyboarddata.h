#pragma once

#include "model/keyboardsnapshot.h"
#include "model/readcoverage.h"
#include "model/records.h"

#include <QObject>
#include <QString>
#include <QVector>

// The in-memory configuration the window edits: 4 layers of 25 key slots, the lighting of
// each layer, the current layer and the selected key. Lives on the GUI thread; device work
// on workers reads a snapshot() and reports back through the acknowledge calls.
class KeyboardData : public QObject
{
    Q_OBJECT
public:
    static constexpr int LAYER_COUNT = 4;
    static constexpr int KEYS_PER_LAYER = 25;
    static constexpr int LEDS_PER_LAYER = 16;
    static constexpr int MAX_MACRO_STEPS = 64;
    static constexpr int MAX_COMBO_KEYS = 6;

    explicit KeyboardData(QObject *parent = nullptr);

    // What changes while one lives reaches the views as one replacement of the content, when
    // the outermost one ends (Qt's begin/endResetModel): a read loaded, a profile imported,
    // kept edits put back, an undo step. Loads, resets and restores open one themselves.
    class Replacement
    {
    public:
        explicit Replacement(KeyboardData &model);
        ~Replacement();
        Replacement(const Replacement &) = delete;
        Replacement &operator=(const Replacement &) = delete;

    private:
        KeyboardData &m_model;
    };

    // Queries
    int currentLayer() const { return m_currentLayer; }
    int selectedKey() const { return m_selectedKey; }
    bool replaceOnNextBaseKey() const { return m_replaceOnNextBaseKey; }
    // Null when layer or key index is out of range. Who changes a key through these must
    // call markKeyChanged (or refreshSelectedKeyTexts for the selected key) afterwards, so
    // that a save in flight does not take the edit for saved.
    KeyData *keyDataAt(int layer, int keyIdx);
    const KeyData *keyDataAt(int layer, int keyIdx) const;
    KeyData *selectedKeyData();
    const KeyData *selectedKeyData() const;
    bool hasUnsavedChanges() const;
    bool hasLedChanges() const;
    const QVector<QVector<KeyData>> &layers() const { return m_layers; }
    const QVector<LayerLedConfigData> &ledConfigs() const { return m_ledConfigs; }
    // Lighting of one layer; a default record for an out-of-range layer.
    const LayerLedConfigData &ledConfig(int layer) const;

    // Operations
    void setCurrentLayer(int layer);
    void selectKey(int keyIdx);
    void clearSelectedKey();
    void clearCurrentLayer();
    // Clears only the given slots of the current layer: those the keypad has (a slot it lacks
    // would become an edit no save can write).
    void clearCurrentLayer(const QVector<int> &which);
    bool applyBaseKey(quint8 usage);
    void assignSelectedKey(const KeyData &source);
    void setSelectedMultimedia(quint16 usage);
    void setSelectedMouseAction(quint8 action);
    void refreshSelectedKeyTexts();
    void setLedColor(int layer, int ledIndex, const LedColorData &colour);
    void setLedMode(int layer, quint8 mode);
    void loadLayers(const QVector<QVector<KeyData>> &source);
    void loadLedConfigs(const QVector<LayerLedConfigData> &source);
    // Loads only what `coverage` marks as read: every other slot and lighting record keeps
    // its content and its change flags.
    void loadLayers(const QVector<QVector<KeyData>> &source, const ReadCoverage &coverage);
    void loadLedConfigs(const QVector<LayerLedConfigData> &source, const ReadCoverage &coverage);
    void clearChangeFlags();
    void resetAll();
    bool appendSelectedMacroStep(const MacroStepData &step);

    // Marks a key edited in place through keyDataAt: sets dirty and bumps its revision.
    void markKeyChanged(int layer, int keyIdx);
    // Gives a key of any layer the function of `source` as an edit (captions rebuilt, dirty
    // set). Returns false and changes nothing when the key already has that function or
    // the address is out of range. Announces the captions when the key is on the current
    // layer (the full caption only when it is the selected key).
    bool setKeyAt(int layer, int keyIdx, const KeyData &source);

    // Saving without racing the user. Call on the model's thread.
    KeyboardSnapshot snapshot() const;
    // Clears the key's dirty flag only when it was not edited since the snapshot that
    // carried `revision`.
    void acknowledgeKeySaved(int layer, int keyIdx, quint32 revision);
    // Clears modeDirty and every colorDirty of the layer under the same rule.
    void acknowledgeLedSaved(int layer, quint32 revision);
    // A save wrote the item but reading it back showed something else: marks it changed
    // again, unless it was edited since the snapshot that carried `revision` (it is changed
    // then anyway).
    void markKeyNotSaved(int layer, int keyIdx, quint32 revision);
    void markLedNotSaved(int layer, quint32 revision);
    quint32 keyRevision(int layer, int keyIdx) const;
    quint32 ledRevision(int layer) const;

    // What the keypad holds, as far as the model knows: set by loads and by acknowledged
    // saves. Undo and redo put content back through restoreKeyAt / restoreLedConfig, whose
    // change flags then follow from a comparison with it, so stepping back to what the keypad
    // holds leaves nothing to save whatever the saves in between did.
    // `markChanged` keeps the key marked even when it matches the keypad's copy.
    void restoreKeyAt(int layer, int keyIdx, const KeyData &content, bool markChanged = false);
    void restoreLedConfig(int layer, const LayerLedConfigData &content);
    // The keypad's copy is no longer known (a save that did not take): the slot counts as
    // changed whatever it is set back to.
    void forgetKeypadKey(int layer, int keyIdx);
    void forgetKeypadLed(int layer);
    // Items a save would write: dirty keys plus layers with changed lighting.
    int unsavedItemCount() const;
    bool layerHasUnsavedChanges(int layer) const;

signals:
    void keyButtonTextChanged(int keyIdx, const QString &text);
    void keyFullTextChanged(int keyIdx, const QString &text);
    void selectedKeyChanged(int keyIdx);
    void error(const QString &msg);
    // A slot's content or change flag may have changed (edits, loads, acknowledgements).
    void editStateChanged();
    // Keys or lighting were replaced beneath every view at once: each view takes its part
    // from the model again.
    void contentReplaced();

private:
    static bool validLayer(int layer) { return layer >= 0 && layer < LAYER_COUNT; }
    static bool validKey(int keyIdx) { return keyIdx >= 0 && keyIdx < KEYS_PER_LAYER; }
    void bumpKey(int layer, int keyIdx);
    void bumpLed(int layer);
    void emitSelectedCaptions();
    void emitLayerButtonTexts();

    QVector<QVector<KeyData>> m_layers;
    QVector<LayerLedConfigData> m_ledConfigs;
    int m_currentLayer = 0;
    int m_selectedKey = -1;
    int m_replacing = 0; // open Replacements
    bool m_replaceOnNextBaseKey = true;

    QVector<QVector<quint32>> m_keyRevisions;
    QVector<quint32> m_ledRevisions;
    // What each key held when the last snapshot was taken, so that an in-place edit that
    // skipped markKeyChanged still keeps its dirty flag on acknowledgement.
    mutable QVector<QVector<KeyData>> m_snapshotKeys;
    mutable QVector<QVector<quint32>> m_snapshotKeyRevisions;
    mutable QVector<LayerLedConfigData> m_snapshotLeds;
    mutable QVector<quint32> m_snapshotLedRevisions;

    void setKeypadKey(int layer, int keyIdx);
    void setKeypadLed(int layer);
    QVector<QVector<KeyData>> m_keypadKeys;
    QVector<QVector<bool>> m_keypadKeyKnown;
    QVector<LayerLedConfigData> m_keypadLeds;
    QVector<bool> m_keypadLedKnown;
};
