// Responsiveness of the window while it talks to a keypad: the longest time the GUI thread
// goes without turning its event loop during connect (read of a full configuration), Save
// of a whole layer of edited keys and View, with the simulated keypad answering 1 ms per
// report. Also the wall time of each step. Everything device-side runs on workers, so the
// gaps should stay in the low milliseconds whatever the exchange costs.
#include "app/appconfig.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "device/hidmanager.h"
#include "model/keyboarddata.h"
#include "sim/currentfirmware.h"
#include "sim/legacyfirmware.h"
#include "sim/simbus.h"
#include "support/windowharness.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QThreadPool>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

using Fw = sim::CurrentFirmware;
using sim::SimBus;

namespace {

struct Figure {
    qint64 wallMs = -1;
    qint64 gapMs = 0;
    qint64 gapAtMs = 0; // when the longest gap ended, from the start
};

// Spins the event loop with a 1 ms precise timer until `done`, noting the longest gap
// between its firings.
Figure measure(const std::function<void()> &start, const std::function<bool()> &done,
               int timeoutMs = 60000)
{
    Figure f;
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.elapsed();
        if (now - last > f.gapMs) {
            f.gapMs = now - last;
            f.gapAtMs = now;
        }
        last = now;
        if (done()) {
            f.wallMs = now;
            loop.quit();
        }
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    tick.start();
    start();
    loop.exec();
    return f;
}

void print(const char *what, const Figure &f)
{
    std::printf("%-40s wall %6lld ms   longest GUI gap %4lld ms (ending at %lld ms)\n", what,
                f.wallMs, f.gapMs, f.gapAtMs);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initKnobResources();
    Widget w(AppConfig{});
    testsupport::ReadWatch reads(w);
    w.show();
    HIDManager *hid = HIDManager::instance();

    // The first paint of the window is start-up's cost, not the connection's.
    measure([] {}, [] { return false; }, 300);

    auto fw = std::make_shared<Fw>();
    fw->fillFullConfiguration();
    int id = 0;
    for (int run = 0; run < 3; ++run) {
        const int before = reads.loads();
        const Figure f = measure(
            [&] {
                id = SimBus::plug(0x4C4A, 0x4155, fw);
                SimBus::setLatency(id, 1);
            },
            [&] { return reads.loads() > before; });
        print("connect + read full configuration", f);
        if (run < 2) {
            SimBus::unplug(id);
            measure([] {}, [&] { return !w.isDeviceConnected() && !hid->isConnected(); });
        }
    }

    KeyboardData *m = w.keyboardData();
    for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k) {
        m->selectKey(k);
        m->applyBaseKey(quint8(0x04 + k));
    }
    m->selectKey(-1);
    // Let the window repaint the 25 new captions first: that is the edit's cost, not the save's.
    measure([] {}, [] { return false; }, 300);
    QElapsedTimer click;
    click.start();
    w.onSaveSettingsClicked();
    std::printf("%-40s %lld ms on the GUI thread\n", "Save click handler (snapshot, task start)",
                click.elapsed());
    measure([] {}, [&] { return !w.isDeviceTaskRunning(); });
    for (int k = 0; k < KeyboardData::KEYS_PER_LAYER; ++k) {
        m->selectKey(k);
        m->applyBaseKey(quint8(0x1E + k % 10));
    }
    m->selectKey(-1);
    measure([] {}, [] { return false; }, 300);
    print("save 25 keys", measure([&] { w.onSaveSettingsClicked(); },
                                  [&] { return !m->hasUnsavedChanges() && !w.isDeviceTaskRunning(); }));
    const int viewedBefore = reads.rereads();
    print("view (read full configuration)", measure([&] { w.onViewSettingsClicked(); },
                                                    [&] { return reads.rereads() > viewedBefore; }));
    SimBus::unplug(id);
    measure([] {}, [&] { return !w.isDeviceConnected() && !hid->isConnected(); });

    auto legacy = std::make_shared<sim::LegacyFirmware>(sim::LegacyFirmware::Generation::R10Udav);
    legacy->loadDemoConfiguration();
    const int before = reads.loads();
    print("connect legacy R10Udav keypad", measure(
                                               [&] {
                                                   id = SimBus::plug(0x1189, 0x8840, legacy);
                                                   SimBus::setLatency(id, 1);
                                               },
                                               [&] { return reads.loads() > before; }));

    QThreadPool::globalInstance()->waitForDone();
    hid->stopMonitoring();
    hid->disconnectDevice();
    SimBus::reset();
    return 0;
}
