// What capturing the conversation costs the link: the full read of a keypad holding a full
// configuration (4 layers x 25 assigned keys, 8 of them 64-step macros, coloured lighting),
// answering 1 ms per report, with and without a capture running. Runs alternate between the
// two so that drift of the machine falls on both alike; the target is a ratio of at most 1.05.
#include "device/hidmanager.h"
#include "device/linkcapture.h"
#include "sim/currentfirmware.h"
#include "sim/simbus.h"
#include "support/benchfigures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

using Fw = sim::CurrentFirmware;

using testsupport::median;

namespace {

constexpr int LATENCY_MS = 1;
constexpr int RUNS = 7; // of each kind

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(quiet);
    // The read requests print a trace line each; keep them out of the figures.
    std::fflush(stdout);
    const int savedStdout = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);

    auto fw = std::make_shared<Fw>();
    fw->fillFullConfiguration(8);
    const int id = sim::SimBus::plug(0x4C4A, 0x4155, fw);
    sim::SimBus::setLatency(id, LATENCY_MS);
    HIDManager *mgr = HIDManager::instance();
    mgr->startMonitoring();
    if (!QTest::qWaitFor([mgr] { return mgr->isConnected(); }, 5000)) {
        std::fprintf(stderr, "bench_capture: the simulated keypad did not connect\n");
        return 1;
    }
    mgr->stopMonitoring();
    DeviceInfo info;
    mgr->readDeviceInfo(info);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.capture"));
    QVector<double> plain;
    QVector<double> captured;
    QVector<QVector<KeyData>> layers;
    QVector<LayerLedConfigData> leds;
    for (int run = 0; run < 2 * RUNS; ++run) {
        const bool capture = run % 2 == 1;
        if (capture && !LinkCapture::start(path)) {
            std::fprintf(stderr, "bench_capture: cannot write %s\n", qPrintable(path));
            return 1;
        }
        QElapsedTimer t;
        t.start();
        const bool ok = mgr->readAllConfiguration(layers, leds);
        const double ms = t.nsecsElapsed() / 1e6;
        if (capture)
            LinkCapture::stop();
        if (!ok) {
            std::fprintf(stderr, "bench_capture: readAllConfiguration failed\n");
            return 1;
        }
        (capture ? captured : plain).append(ms);
    }

    // The recording alone, without a keypad to wait for.
    constexpr int LINES = 20000;
    unsigned char report[64] = {3, 3, 0, 1, 12};
    LinkCapture::start(dir.filePath(QStringLiteral("lines.capture")));
    QElapsedTimer lineTimer;
    lineTimer.start();
    for (int i = 0; i < LINES; ++i)
        LinkCapture::noteRead(nullptr, report, int(sizeof report));
    LinkCapture::stop();
    const double usPerLine = lineTimer.nsecsElapsed() / 1e3 / LINES;

    std::fflush(stdout);
    dup2(savedStdout, STDOUT_FILENO);
    close(devNull);
    const double without = median(plain);
    const double with = median(captured);
    std::printf("bench_capture: readAllConfiguration, %d runs each, median shown; %d keys (8 macros of 64 steps), "
                "keypad at %d ms per report\n",
                RUNS, Fw::LAYERS * Fw::SLOTS, LATENCY_MS);
    std::printf("without capture  %8.1f ms\n", without);
    std::printf("with capture     %8.1f ms   (%lld bytes of capture per read)\n", with,
                QFileInfo(path).size());
    std::printf("ratio            %8.3f   (target at most 1.05)\n", with / without);
    std::printf("recording one 64-byte report: %.2f us (keypad: 1000 us per report)\n", usPerLine);
    std::fflush(stdout);
    return with / without <= 1.05 ? 0 : 1;
}
