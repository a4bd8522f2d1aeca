#pragma once

#include "model/readcoverage.h"
#include "model/records.h"

#include <QVector>

// What one read of a freshly connected keypad (or a View re-read) brought back, handed from
// the worker that talked to the keypad to the window on the GUI thread. A protocol that did
// not answer leaves its flag false; layers and lighting hold whatever arrived (keys that
// were not read are Empty), and `coverage` tells which of them really came from the keypad.
// allLayersOk holds only for a complete read: every key of every layer and, where the keypad
// can report it, all its lighting.
struct ConnectResult {
    bool allLayersOk = false;
    bool infoOk = false;
    bool legacyOk = false;
    DeviceInfo deviceInfo;
    LegacyDeviceInfo legacyInfo;
    QVector<QVector<KeyData>> layers;
    QVector<LayerLedConfigData> ledConfigs;
    ReadCoverage coverage;
    // Legacy reads only: per layer, the reports its keys and its lighting came in, as read.
    // Legacy records carry no checksum and a damaged one mostly decodes to an unassigned key,
    // so passes are compared on these rather than on what they decode to.
    QVector<QByteArray> keyReports;
    QVector<QByteArray> lightingReports;
};
