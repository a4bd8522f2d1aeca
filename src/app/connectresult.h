#pragma once

#include "model/records.h"

#include <QVector>

// What one read of a freshly connected keypad (or a View re-read) brought back, handed from
// the worker that talked to the keypad to the window on the GUI thread. A protocol that did
// not answer leaves its flag false; layers and lighting hold whatever arrived (keys that
// were not read are Empty).
struct ConnectResult {
    bool allLayersOk = false;
    bool infoOk = false;
    bool legacyOk = false;
    DeviceInfo deviceInfo;
    LegacyDeviceInfo legacyInfo;
    QVector<QVector<KeyData>> layers;
    QVector<LayerLedConfigData> ledConfigs;
};
