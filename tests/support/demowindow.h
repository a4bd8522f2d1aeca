#pragma once

// The window as a user sees it: one of the demo program's keypads plugged into the simulated
// bus, read in, and the window laid out at a screen size, in English or Chinese.
//
//     testsupport::DemoWindow d(QStringLiteral("16k3e"), true);   // Chinese
//     QVERIFY(d.open(QSize(800, 600)));
//     d.widget().buttonAt(0) ...
//     d.shot(QStringLiteral("16k3e-zh-800x600"));  // kept when MPS_SHOTS_DIR is set

#include <QSize>
#include <QString>

#include <memory>

class Widget;
class QWidget;

namespace testsupport {

class DemoWindow
{
public:
    enum class Access { Granted, Refused };
    // An empty keypad name opens the window with nothing on the bus; a refused keypad is on
    // the bus but may not be opened (no udev rule).
    DemoWindow(const QString &keypad, bool chinese, Access access = Access::Granted);
    ~DemoWindow();
    DemoWindow(const DemoWindow &) = delete;
    DemoWindow &operator=(const DemoWindow &) = delete;

    // Plugs the keypad, shows the window at `size` and waits until the keypad is read (or, when
    // refused, until the window has said so) and the window laid out for that size; false
    // when that did not happen in time.
    bool open(const QSize &size);
    // Resizes the shown window and waits for its debounced relayout.
    bool resize(const QSize &size);
    // Makes the window the active one, so keyboard focus works in it.
    bool activate();
    Widget &widget() { return *m_widget; }

    // Saves a picture of the window as <MPS_SHOTS_DIR>/<name>.png when that is set.
    void shot(const QString &name) const;
    static void shot(QWidget &w, const QString &name);

private:
    QString m_keypad;
    bool m_chinese = false;
    Access m_access = Access::Granted;
    std::unique_ptr<Widget> m_widget;
};

} // namespace testsupport
