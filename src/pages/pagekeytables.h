#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>

// A key of the extra keys page: its place in the grid, caption and HID keyboard usage.
struct ExtraKeyEntry {
    int row = 0;
    int column = 0;
    QString text;
    quint8 usage = 0;
};

// A key of the multimedia page: caption and HID consumer usage (page 0x0C).
struct MediaKeyEntry {
    QString text;
    quint16 usage = 0;
};

// A cell of the mouse page. Cells without text are blank, disabled places.
struct MouseKeyEntry {
    QString text;
    QString iconKind; // "left", "right", "middle", "wheel_up", "wheel_down", "placeholder"
    bool available = false;
    quint8 action = 0;
};

// Modifiers under Mac names and F13..F24, in grid order.
const QVector<ExtraKeyEntry> &extraKeyEntries();

// The multimedia page, three rows of seven.
const QVector<QVector<MediaKeyEntry>> &mediaKeyRows();

// The mouse page, six rows of three.
const QVector<QVector<MouseKeyEntry>> &mouseKeyRows();
