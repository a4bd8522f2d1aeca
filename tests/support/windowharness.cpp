#include "support/windowharness.h"

#include "app/widget.h"

#include <QAction>
#include <QEventLoop>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace testsupport {

AppConfig configFrom(const char *text)
{
    AppConfig c;
    c.parse(QByteArray(text));
    return c;
}

bool spinUntil(const std::function<bool()> &done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(1);
    bool ok = false;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            ok = true;
            loop.quit();
        }
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start();
    loop.exec();
    return ok || done();
}

void spinFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

ReadWatch::ReadWatch(const Widget &w)
    : m_window(w)
{
    connect(&w, &Widget::keypadLoaded, this, [this] { ++m_loads; });
    connect(&w, &Widget::settingsReread, this, [this] { ++m_rereads; });
}

void ReadWatch::clear()
{
    m_loads = 0;
    m_rereads = 0;
}

bool ReadWatch::waitLoaded(int reads, int timeoutMs)
{
    return spinUntil([&] { return m_loads >= reads && !m_window.isDeviceTaskRunning(); }, timeoutMs);
}

bool ReadWatch::waitReread(int reads, int timeoutMs)
{
    return spinUntil([&] { return m_rereads >= reads && !m_window.isDeviceTaskRunning(); }, timeoutMs);
}

bool chooseFromExportMenu(Widget &w, const char *action)
{
    QTest::mouseClick(w.exportProfileButton(), Qt::LeftButton);
    QMenu *menu = w.exportMenu();
    if (!menu || !menu->isVisible())
        return false;
    QAction *entry = menu->findChild<QAction *>(QLatin1String(action));
    menu->hide();
    if (!entry)
        return false;
    entry->trigger();
    return true;
}

GapMeter::GapMeter(QObject *parent)
    : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, &GapMeter::tick);
}

void GapMeter::start()
{
    m_longest = 0;
    m_clock.start();
    m_last = 0;
    m_timer.start();
}

void GapMeter::stop()
{
    tick();
    m_timer.stop();
}

void GapMeter::tick()
{
    const qint64 now = m_clock.elapsed();
    m_longest = qMax(m_longest, now - m_last);
    m_last = now;
}

} // namespace testsupport
