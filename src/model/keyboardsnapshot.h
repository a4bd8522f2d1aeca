#pragma once

#include "model/records.h"

#include <QVector>
#include <QtGlobal>

// A copy of the whole configuration taken on the model's thread, so that a save running on
// a worker reads only this copy and never the live model the user keeps editing. The
// revisions let the worker tell the model afterwards which of the saved items are still
// exactly what was written (see KeyboardData::acknowledgeKeySaved).
struct KeyboardSnapshot {
    QVector<QVector<KeyData>> layers;       // 4 x 25
    QVector<LayerLedConfigData> ledConfigs; // 4
    QVector<QVector<quint32>> keyRevisions; // 4 x 25, parallel to layers
    QVector<quint32> ledRevisions;          // 4, parallel to ledConfigs

    bool hasDirtyKeys() const
    {
        for (const auto &layer : layers)
            for (const auto &key : layer)
                if (key.dirty)
                    return true;
        return false;
    }
    bool hasLedChanges() const
    {
        for (const auto &led : ledConfigs)
            if (led.anyDirty())
                return true;
        return false;
    }
    bool hasUnsavedChanges() const { return hasDirtyKeys() || hasLedChanges(); }

    quint32 keyRevision(int layer, int key) const
    {
        if (layer < 0 || layer >= keyRevisions.size() || key < 0 || key >= keyRevisions[layer].size())
            return 0;
        return keyRevisions[layer][key];
    }
    quint32 ledRevision(int layer) const
    {
        return (layer >= 0 && layer < ledRevisions.size()) ? ledRevisions[layer] : 0;
    }
};
