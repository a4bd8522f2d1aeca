// Cost of resizing the main window: the immediate font pass of one resize event (what a drag
// pays per event), the debounced relayout with the layout pass that follows it (what it pays
// once when the drag pauses), the frame painted after it, and the longest of the event-loop
// turns after it (work the window spreads over later turns). For the widest panel, on the
// base keys page and the lighting page. Each figure is one event-loop turn: at most 16 ms
// keeps a drag at 60 frames per second. Runs offscreen unless a platform is given. CPU time, so the figures
// do not depend on the neighbours' load.
//
//   bench_scaling [rounds]   (default 10)
#include "app/appconfig.h"
#include "model/layoutpresets.h"
#include "app/widget.h"
#include "controls/knobbutton.h"
#include "support/benchfigures.h"

#include <QApplication>
#include <QListWidget>
#include <QResizeEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <vector>

using testsupport::cpuMs;
using testsupport::median;

namespace {

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initKnobResources();
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

    AppConfig config;
    Widget w(config);
    w.resize(Widget::DESIGN_WIDTH, Widget::DESIGN_HEIGHT);
    w.applyPhysicalLayout(LayoutPresets::buildDefault16Plus3Layout());
    w.show();
    settle();

    const QSize sizes[] = {QSize(1200, 880), QSize(1500, 1100), QSize(2250, 1650), QSize(3000, 2200)};
    for (int row : {0, 3}) {
        const char *page = row == 0 ? "BaseKeys" : "RGB LED";
        w.functionList()->setCurrentRow(row);
        settle();
        QVector<double> fontPass, relayout, laterTurns;
        std::vector<QVector<double>> paintBySize(std::size(sizes));
        for (int r = 0; r < rounds; ++r) {
            for (std::size_t k = 0; k < std::size(sizes); ++k) {
                // One resize event: the font pass runs inside it, the relayout on the timer.
                double t0 = cpuMs();
                w.resize(sizes[k]);
                fontPass.push_back(cpuMs() - t0);
                t0 = cpuMs();
                QMetaObject::invokeMethod(&w, "onResizeTimeout", Qt::DirectConnection);
                QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                relayout.push_back(cpuMs() - t0);
                // The frame painted at the new size. It includes the backing store Qt makes
                // anew for every window size (fresh memory the first times a size is seen),
                // which every resize event of a drag pays whatever the window draws.
                t0 = cpuMs();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
                paintBySize[k].push_back(cpuMs() - t0);
                double longest = 0;
                for (int i = 0; i < 20; ++i) {
                    t0 = cpuMs();
                    QCoreApplication::processEvents();
                    longest = std::max(longest, cpuMs() - t0);
                }
                laterTurns.push_back(longest);
            }
        }
        std::printf("page %-8s font pass per resize event: median %.2f ms, max %.2f ms\n", page,
                    median(fontPass), *std::max_element(fontPass.begin(), fontPass.end()));
        std::printf("page %-8s relayout incl. layout pass:  median %.2f ms, max %.2f ms\n", page,
                    median(relayout), *std::max_element(relayout.begin(), relayout.end()));
        for (std::size_t k = 0; k < std::size(sizes); ++k)
            std::printf("page %-8s   frame painted at %dx%d: median %.2f ms, max %.2f ms\n", page,
                        sizes[k].width(), sizes[k].height(), median(paintBySize[k]),
                        *std::max_element(paintBySize[k].begin(), paintBySize[k].end()));
        // The same frame painted again at the largest size: what the window's own drawing
        // costs without a new backing store.
        QVector<double> repaint;
        for (int i = 0; i < 5 * rounds; ++i) {
            const double t0 = cpuMs();
            w.repaint();
            repaint.push_back(cpuMs() - t0);
        }
        std::printf("page %-8s   repaint at %dx%d:        median %.2f ms\n", page, w.width(), w.height(),
                    median(repaint));
        std::printf("page %-8s longest later turn:          median %.2f ms, max %.2f ms\n", page,
                    median(laterTurns), *std::max_element(laterTurns.begin(), laterTurns.end()));
    }
    return 0;
}
