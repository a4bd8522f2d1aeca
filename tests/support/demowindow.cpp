#include "support/demowindow.h"

#include "app/appconfig.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "device/hidmanager.h"
#include "sim/demokeypads.h"
#include "sim/simbus.h"
#include "support/devicefixture.h"
#include "support/windowharness.h"

#include <QApplication>
#include <QDir>
#include <QTest>

namespace testsupport {

DemoWindow::DemoWindow(const QString &keypad, bool chinese, Access access)
    : m_keypad(keypad), m_chinese(chinese), m_access(access)
{
    initKnobResources();
}

DemoWindow::~DemoWindow()
{
    m_widget.reset();
    resetDeviceLink();
}

bool DemoWindow::open(const QSize &size)
{
    if (!m_keypad.isEmpty()) {
        const int id = sim::plugDemoKeypad(m_keypad);
        if (id == 0)
            return false;
        sim::SimBus::setRefuseOpen(id, m_access == Access::Refused);
    }
    m_widget = std::make_unique<Widget>(configFrom(m_chinese ? "language=ch\n" : "language=en\n"));
    m_widget->resize(size);
    m_widget->show();
    if (!QTest::qWaitForWindowExposed(m_widget.get()))
        return false;
    Widget *w = m_widget.get();
    if (!m_keypad.isEmpty() && m_access == Access::Refused) {
        if (!spinUntil([w] { return w->isPanelEmpty(); }, 8000))
            return false;
    } else if (!m_keypad.isEmpty()) {
        // Connected and no read running any more: the keypad's panel and captions are in.
        if (!spinUntil([w] { return w->isDeviceConnected() && !w->isDeviceTaskRunning(); }, 8000))
            return false;
    }
    return resize(size);
}

bool DemoWindow::resize(const QSize &size)
{
    Widget *w = m_widget.get();
    w->resize(size);
    // The relayout runs on a short timer after the last resize.
    return spinUntil([w, size] { return w->size() == size && w->laidOutSize() == size; }, 3000);
}

bool DemoWindow::activate()
{
    QApplication::setActiveWindow(m_widget.get());
    m_widget->activateWindow();
    return QTest::qWaitForWindowActive(m_widget.get());
}

void DemoWindow::shot(const QString &name) const
{
    if (m_widget)
        shot(*m_widget, name);
}

void DemoWindow::shot(QWidget &w, const QString &name)
{
    const QString dir = qEnvironmentVariable("MPS_SHOTS_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    w.grab().save(QStringLiteral("%1/%2.png").arg(dir, name));
}

} // namespace testsupport
