#include "support/logcapture.h"

#include "model/logcategories.h"

#include <QtGlobal>

#include <atomic>

namespace testsupport {

namespace {
std::atomic<LogCapture *> g_capture{nullptr};
QtMessageHandler g_previous = nullptr;

void handler(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    appendCapturedLine(msg);
    if (g_previous)
        g_previous(type, ctx, msg);
}
} // namespace

void enableDiagnosticLog(bool on)
{
    QLoggingCategory::setFilterRules(LogCategories::debugRule(on));
}

void appendCapturedLine(const QString &line)
{
    if (LogCapture *c = g_capture.load()) {
        std::lock_guard<std::mutex> locker(c->m_mutex);
        c->m_lines.append(line);
    }
}

LogCapture::LogCapture()
{
    enableDiagnosticLog(true);
    g_capture.store(this);
    g_previous = qInstallMessageHandler(handler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(g_previous);
    g_capture.store(nullptr);
    enableDiagnosticLog(false);
}

QStringList LogCapture::lines() const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_lines;
}

QStringList LogCapture::matching(const QString &text) const
{
    std::lock_guard<std::mutex> locker(m_mutex);
    QStringList out;
    for (const QString &l : m_lines)
        if (l.contains(text))
            out.append(l);
    return out;
}

void LogCapture::clear()
{
    std::lock_guard<std::mutex> locker(m_mutex);
    m_lines.clear();
}

} // namespace testsupport
