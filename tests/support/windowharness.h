#pragma once

// Helpers for end-to-end tests of the real window against simulated keypads: settings from a
// string, waiting with a live event loop, and a meter of the GUI thread's responsiveness.

#include "app/appconfig.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class Widget;

namespace testsupport {


AppConfig configFrom(const char *text);

// Runs the GUI thread's event loop until `done` holds or `timeoutMs` passes (checked every
// millisecond); true when it held. Unlike QTest::qWaitFor it never sleeps between turns, so
// a GapMeter running meanwhile sees the loop's real turn times.
bool spinUntil(const std::function<bool()> &done, int timeoutMs = 5000);
// Runs the event loop for `ms`.
void spinFor(int ms);

// Counts the reads a window has put in its model, on the window's own signals, so a test
// knows when a keypad is loaded without reading the log. Make it before the keypad is
// plugged (or clear it) and wait on it afterwards.
class ReadWatch : public QObject
{
public:
    explicit ReadWatch(const Widget &w);
    int loads() const { return m_loads; }
    int rereads() const { return m_rereads; }
    void clear();
    // Until `reads` connect reads were applied since the watch began (or was cleared) and
    // the window runs no device task any more.
    bool waitLoaded(int reads = 1, int timeoutMs = 8000);
    // The same for View re-reads.
    bool waitReread(int reads = 1, int timeoutMs = 15000);

private:
    const Widget &m_window;
    int m_loads = 0;
    int m_rereads = 0;
};

// Clicks Export in the top bar and picks the entry of its menu with the object name
// `action` ("exportProfileAction", "exportSheetAction"); false when the menu did not open
// or has no such entry.
bool chooseFromExportMenu(Widget &w, const char *action);

// Records the longest time the GUI thread went without turning its event loop while the
// meter ran: a 1 ms precise timer notes the time between its own firings.
class GapMeter : public QObject
{
public:
    explicit GapMeter(QObject *parent = nullptr);
    void start();
    void stop();
    qint64 longestGapMs() const { return m_longest; }

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

} // namespace testsupport
