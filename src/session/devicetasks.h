#pragma once

#include "session/connectresult.h"
#include "model/records.h"

#include <QPointer>

class HIDManager;
class KeyboardData;
struct KeyboardSnapshot;

// The exchanges the window runs with the keypad. Each is a blocking call meant for a worker
// of the global thread pool, never the GUI thread. They touch no widget and never the live
// model: reads return their result by value.
//
// Every legacy exchange goes through HIDManager::runLegacy as one locked unit, so the link's
// busy flag covers it (Save and View refuse meanwhile, the alive probe stays away) and no
// other use of the handle can slip in between the probe and the reads that depend on it.
namespace DeviceTasks {

// Current protocol first (device information, then every layer and its lighting); when the
// keypad does not answer that, the legacy probe and the legacy reads.
ConnectResult readConnectedKeypad(HIDManager *hid);

// Re-reads a keypad whose kind is already known: the legacy reads for a legacy keypad (the
// current-protocol read would fail on it and hand back blank layers), else the current one.
// The result's legacyOk/infoOk tell which path ran.
ConnectResult rereadKeypad(HIDManager *hid, bool legacy, const LegacyDeviceInfo &legacyInfo);

// Reads only the listed layers' keys and the listed layers' lighting again, one pass each,
// on a keypad whose kind is known: what a read being confirmed asks for where two passes
// differed. The result's coverage marks what came back.
ConnectResult rereadParts(HIDManager *hid, bool legacy, const LegacyDeviceInfo &legacyInfo,
                          const QVector<int> &keyLayers, const QVector<int> &lightingLayers);

// Each of these reads is one pass: ConfirmedRead makes a read trusted.

// Saves are VerifiedSave's: they write and then check what the keypad holds.

} // namespace DeviceTasks
