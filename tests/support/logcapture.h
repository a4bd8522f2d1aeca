#pragma once

#include <mutex>
#include <QString>
#include <QStringList>

namespace testsupport {

void appendCapturedLine(const QString &line);

// Turns the debug lines of the program's log categories (macropad.*) on or off; they start
// off, as in the programs. Tests that read diagnostic lines turn them on.
void enableDiagnosticLog(bool on);

// Collects the program's debug log while it lives (from every thread), so tests can assert
// the diagnostic lines; the categories' debug lines are on meanwhile. Messages still reach
// the previous handler. One at a time.
//
//     testsupport::LogCapture log;
//     ...
//     QVERIFY(log.contains("HIDManager: opened path="));
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const;
    // Lines containing `text`.
    QStringList matching(const QString &text) const;
    bool contains(const QString &text) const { return count(text) > 0; }
    int count(const QString &text) const { return matching(text).size(); }
    void clear();

private:
    friend void appendCapturedLine(const QString &line);
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

} // namespace testsupport
