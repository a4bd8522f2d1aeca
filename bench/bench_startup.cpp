// Start-up cost of the main window: time from creating the application object to the
// first painted frame of the window, and resident memory once it is up. Runs offscreen
// unless a platform is given. Targets: 300 ms and 60 MB, and a first frame that costs at most
// 2.3 times the CPU of a Qt window with one label, measured in the same run (a process of its
// own, so both pay for starting the application alike).
//
//   bench_startup [--warm N]   also time N more window constructions in the same process
//   bench_startup --label      only the one-label window (what the run above compares with)
#include "app/appconfig.h"
#include "model/layoutpresets.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "support/benchfigures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

using testsupport::cpuMs;
using testsupport::residentKb;

namespace {

// Notes the time the first frame of the window has been painted.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(const QElapsedTimer &clock)
        : m_clock(clock)
    {
    }
    qint64 at() const { return m_at; }
    double cpuAt() const { return m_cpuAt; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The paint event reaches the filter before anything is drawn: the frame is done
        // once the event loop comes back after it.
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, qApp, [this] {
                m_at = m_clock.nsecsElapsed();
                m_cpuAt = cpuMs();
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer &m_clock;
    bool m_seen = false;
    qint64 m_at = -1;
    double m_cpuAt = 0;
};

// CPU time of the process up to the first frame of a window with one label.
int runLabelWindow(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    FirstPaint probe(clock);
    QLabel label(QStringLiteral("Macropad Studio"));
    label.installEventFilter(&probe);
    label.show();
    QTimer::singleShot(5000, &app, &QCoreApplication::quit);
    app.exec();
    if (probe.at() < 0)
        return 1;
    std::printf("%.3f\n", probe.cpuAt());
    return 0;
}

// Runs this program again for the one-label window; -1 when that failed.
double labelWindowCpuMs(const char *self)
{
    const std::string command = std::string("\"") + self + "\" --label";
    FILE *child = popen(command.c_str(), "r");
    if (!child)
        return -1;
    double ms = -1;
    if (std::fscanf(child, "%lf", &ms) != 1)
        ms = -1;
    return pclose(child) == 0 ? ms : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    int warm = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--warm") == 0 && i + 1 < argc)
            warm = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--label") == 0)
            return runLabelWindow(argc, argv);
    }
    // Before this process starts its own window, so the two do not share the CPU.
    const double labelCpu = labelWindowCpuMs(argv[0]);

    const long rssBefore = residentKb();
    const double cpuStart = cpuMs();
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    const qint64 appCreated = clock.nsecsElapsed();
    initKnobResources();

    FirstPaint probe(clock);
    qint64 constructed = 0;
    {
        Widget window;
        constructed = clock.nsecsElapsed();
        window.installEventFilter(&probe);
        window.show();
        QTimer::singleShot(5000, &app, &QCoreApplication::quit); // never hang
        app.exec();
        const long rssUp = residentKb();

        std::printf("startup: application object      %8.1f ms\n", appCreated / 1e6);
        std::printf("startup: window constructed      %8.1f ms\n", constructed / 1e6);
        std::printf("startup: first painted frame     %8.1f ms  (target <= 300)\n",
                    probe.at() / 1e6);
        std::printf("startup: CPU time to that frame  %8.1f ms\n", probe.cpuAt() - cpuStart);
        // From the start of the process, loading the libraries included: what a user waits for.
        const double windowCpu = probe.cpuAt();
        std::printf("startup: process CPU, window     %8.1f ms\n", windowCpu);
        std::printf("startup: process CPU, one label  %8.1f ms\n", labelCpu);
        if (labelCpu > 0)
            std::printf("startup: ratio to the label      %8.2f     (target <= 2.3)\n",
                        windowCpu / labelCpu);
        std::printf("memory:  resident before app     %8.1f MB\n", rssBefore / 1024.0);
        std::printf("memory:  resident, window up     %8.1f MB  (target <= 60)\n",
                    rssUp / 1024.0);

        // What a connection costs the window when the keypad's panel differs: applying a
        // preset and repainting it.
        const int rounds = 5;
        QElapsedTimer t;
        t.start();
        for (int r = 0; r < rounds; ++r)
            for (int code = 0; code <= 9; ++code) {
                window.applyPhysicalLayout(LayoutPresets::buildForCode(code));
                window.repaint();
            }
        std::printf("layout:  apply preset + repaint  %8.2f ms per preset (%d presets)\n",
                    t.nsecsElapsed() / 1e6 / (rounds * 10), rounds * 10);
    }

    if (warm > 0) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < warm; ++i) {
            Widget w(AppConfig{});
            w.grab();
        }
        std::printf("warm:    construct + render      %8.1f ms per window (%d runs)\n",
                    t.nsecsElapsed() / 1e6 / warm, warm);
    }
    return probe.at() < 0 ? 1 : 0;
}
