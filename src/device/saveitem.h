#pragma once

#include <QVector>

// One thing a save writes: a key slot of a layer, or the lighting of a layer. A save lists
// every item it meant to write and marks those the keypad took, so that whoever started it
// can check them against a read-back and tell the user which ones did not make it.
struct SaveItem {
    static constexpr int LIGHTING = -1;

    int layer = 0;
    int key = LIGHTING;
    // Current protocol: the keypad acknowledged it. Legacy: it went out and the commit that
    // makes it permanent was written after it.
    bool written = false;

    bool isLighting() const { return key == LIGHTING; }
};

using SaveItems = QVector<SaveItem>;
