#pragma once

#include <QVector>

// Which parts of the keypad a read really brought back: a slot the keypad reported, or one
// that a finished and intact layer read shows as unassigned, counts; a slot whose record,
// macro chunks or layer end went missing or arrived mangled does not. A loader takes only
// the slots that count, so what could not be read keeps what the window showed before
// instead of turning into an empty key.
struct ReadCoverage {
    QVector<QVector<bool>> keys; // [layer][slot]
    QVector<bool> lighting;      // [layer]

    // Nothing read yet, for `layerCount` layers of `slotCount` slots.
    static ReadCoverage none(int layerCount, int slotCount)
    {
        ReadCoverage c;
        c.keys = QVector<QVector<bool>>(layerCount, QVector<bool>(slotCount, false));
        c.lighting = QVector<bool>(layerCount, false);
        return c;
    }
    // Everything read: what a loader of a whole configuration takes.
    static ReadCoverage all(int layerCount, int slotCount)
    {
        ReadCoverage c;
        c.keys = QVector<QVector<bool>>(layerCount, QVector<bool>(slotCount, true));
        c.lighting = QVector<bool>(layerCount, true);
        return c;
    }
    bool keyRead(int layer, int slot) const
    {
        return layer >= 0 && layer < keys.size() && slot >= 0 && slot < keys[layer].size()
               && keys[layer][slot];
    }
    bool lightingRead(int layer) const
    {
        return layer >= 0 && layer < lighting.size() && lighting[layer];
    }
    void setLayer(int layer, const QVector<bool> &read)
    {
        if (layer >= 0 && layer < keys.size())
            keys[layer] = read;
    }
    void setLighting(int layer, bool read)
    {
        if (layer >= 0 && layer < lighting.size())
            lighting[layer] = read;
    }
};
