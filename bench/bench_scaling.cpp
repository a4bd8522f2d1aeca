// Cost of resizing the main window: the immediate font pass of one resize event (what a drag
// pays per event) and the debounced relayout (what it pays once when the drag pauses), for
// the widest panel, on the base keys page and the lighting page. Runs offscreen unless a
// platform is given. CPU time, so the figures do not depend on the neighbours' load.
//
//   bench_scaling [rounds]   (default 10)
#include "app/appconfig.h"
#include "app/layoutpresets.h"
#include "app/widget.h"
#include "controls/knobbutton.h"

#include <QApplication>
#include <QListWidget>
#include <QResizeEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

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
        w.functionList()->setCurrentRow(row);
        settle();
        std::vector<double> fontPass, relayout;
        for (int r = 0; r < rounds; ++r) {
            for (const QSize &s : sizes) {
                // One resize event: the font pass runs inside it, the relayout on the timer.
                double t0 = cpuMs();
                w.resize(s);
                fontPass.push_back(cpuMs() - t0);
                t0 = cpuMs();
                QMetaObject::invokeMethod(&w, "onResizeTimeout", Qt::DirectConnection);
                settle();
                relayout.push_back(cpuMs() - t0);
            }
        }
        std::printf("page %-8s font pass per resize event: median %.2f ms, max %.2f ms\n",
                    row == 0 ? "BaseKeys" : "RGB LED", median(fontPass),
                    *std::max_element(fontPass.begin(), fontPass.end()));
        std::printf("page %-8s relayout incl. layout pass:  median %.2f ms, max %.2f ms\n",
                    row == 0 ? "BaseKeys" : "RGB LED", median(relayout),
                    *std::max_element(relayout.begin(), relayout.end()));
    }
    return 0;
}
