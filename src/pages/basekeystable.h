#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>

// One key cap of the base keys page.
struct BaseKeyCap {
    QString text;       // key cap text; the unshifted character of a two-character key
    QString corner;     // shifted character of a two-character key, empty otherwise
    quint8 usage = 0;   // HID keyboard usage (page 0x07)
    QString styleClass; // value of the "class" property; empty for letters and two-character keys
    int gapBefore = 0;  // fixed spacing in pixels in front of the key
};

// The seven rows of the base keys page, top to bottom, left to right.
const QVector<QVector<BaseKeyCap>> &baseKeyRows();
