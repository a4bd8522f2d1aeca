#pragma once

// The session a user records for a bug report, run in the real window: shared by the test that
// records the demo keypads' captures (and re-records tests/captures/ on request) and the test
// that replays them.

#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

class Widget;
class KeyboardData;

namespace testsupport {

class ReadWatch;

// The demo keypads recorded into tests/captures/: one of the current protocol and both legacy
// generations.
QStringList capturedDemoKeypads();
// Every capture in tests/captures/ (demo keypads and keypads from the field), by name.
QStringList committedCaptures();
// tests/captures/<name>.capture in the source tree.
QString committedCapture(const QString &name);

// The change the session makes: the panel's first key becomes X.
constexpr int kEditedButton = 0;
constexpr quint8 kEditedUsage = 0x1B;

// Waits for the window's connect read to land and its check to end.
bool waitLoaded(ReadWatch &reads, int timeoutMs = 15000);
// View Settings, and wait for the re-read.
bool viewSettings(Widget &w, ReadWatch &reads);
// Clicks Save Settings and waits for the save task to end; true when the window then says
// "Saved successfully".
bool saveSettings(Widget &w);
// Selects the edited key, gives it `usage` and saves.
bool editAndSave(Widget &w, quint8 usage = kEditedUsage);
// Connect read, View Settings, the edit, Save, View Settings again: what a user is asked to do.
bool runCaptureSession(Widget &w, ReadWatch &reads);

// Makes `model` hold what `target` holds, as edits a save will write: every key that does
// something else and every lighting that differs. Returns the number of edits.
int editTowards(KeyboardData &model, const KeyboardData &target);
// Replaces the whole configuration of `to` with that of `from`, nothing marked as changed.
void copyConfiguration(const KeyboardData &from, KeyboardData &to);

// Where two models differ in what their keys do, their captions or their lighting; empty when
// they hold the same configuration.
QString configurationDifference(const KeyboardData &a, const KeyboardData &b);

} // namespace testsupport
