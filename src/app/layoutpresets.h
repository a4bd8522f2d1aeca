#pragma once

#include "app/physicallayout.h"

#include <QVector>
#include <QtGlobal>

// The panel presets of the keypad family and the table that picks one for a device.
namespace LayoutPresets {

PhysicalLayoutConfig buildDefault16Plus3Layout(); // code 0
PhysicalLayoutConfig build16Plus3LayoutS1();      // 1
PhysicalLayoutConfig build16Plus3LayoutS2();      // 2
PhysicalLayoutConfig build16Plus3LayoutS3();      // 3
PhysicalLayoutConfig build6Plus1Layout();         // 4
PhysicalLayoutConfig build6Plus0Layout();         // 5
PhysicalLayoutConfig build1Plus0Layout();         // 6
PhysicalLayoutConfig build0Plus1Layout();         // 7
PhysicalLayoutConfig build0Plus1LayoutP1S1();     // 8
PhysicalLayoutConfig build5Plus2Layout();         // 9

// The preset of a table code; codes outside 1..9 give the 16-key, 3-knob default.
PhysicalLayoutConfig buildForCode(int code);

struct DeviceTableRow {
    quint8 keyCount;
    quint8 encoderCount;
    quint8 variantP;
    quint8 shape;
    int code;
};

// Ten rows, searched first to last.
const QVector<DeviceTableRow> &deviceTable();

// The table code for a device: exact match, then keys + knobs + shape, then keys + knobs,
// then the first row. An invalid report takes the first row.
int codeForDevice(bool valid, int keyCount, int encoderCount, int variantP, int shape);

// The preset of a keypad as it reported itself. Legacy firmware reports some models with
// counts the table would misread, so those are taken first.
PhysicalLayoutConfig forDevice(bool legacy, bool valid, int keyCount, int encoderCount, int variantP,
                               int shape);

// Maps between a panel button slot and the model's data index. Legacy single-knob and
// six-key keypads number their slots in their own order; everywhere else they are equal.
int dataIndexOfButton(bool legacy, const QString &panelName, int buttonIndex);
int buttonOfDataIndex(bool legacy, const QString &panelName, int dataIndex);

} // namespace LayoutPresets
