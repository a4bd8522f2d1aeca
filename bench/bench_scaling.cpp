// Cost of resizing the main window: the immediate font pass of one resize event (what a drag
// pays per event), the debounced relayout with the layout and paint pass that follows it
// (what it pays once when the drag pauses), and the longest of the event-loop turns after
// it (work the window spreads over later turns). For the widest panel, on the base keys page
// and the lighting page. Each figure is one event-loop turn: at most 16 ms keeps a drag at
// 60 frames per second. Runs offscreen unless a platform is given. CPU time, so the figures
// do not depend on the neighbours' load.
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
#include <iterator>
#include <vector>
#include <map>
#include <string>
#include <QPaintEvent>

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

struct PaintCounter : QObject {
    std::map<std::string, std::pair<long, double>> area;
    bool eventFilter(QObject *o, QEvent *e) override {
        if (e->type() == QEvent::Paint) {
            auto *w = static_cast<QWidget *>(o);
            std::string k = std::string(w->metaObject()->className()) + "#" + w->objectName().toStdString() + " " + std::to_string(w->width()) + "x" + std::to_string(w->height()) + (w->testAttribute(Qt::WA_StyledBackground) ? " SB" : "") + (w->autoFillBackground() ? " AF" : "");
            auto &a = area[k]; a.first++; a.second += static_cast<QPaintEvent*>(e)->region().boundingRect().width() * double(static_cast<QPaintEvent*>(e)->region().boundingRect().height());
        }
        return false;
    }
};
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
    if (getenv("BENCH_REPAINT")) { QSize sz(atoi(getenv("BENCH_REPAINT")), atoi(getenv("BENCH_REPAINT"))*11/15); w.resize(sz); settle(); QMetaObject::invokeMethod(&w, "onResizeTimeout", Qt::DirectConnection); settle(); for (int i=0;i<60;++i) settle();
        std::vector<double> v; for (int i=0;i<100;++i){ double t=cpuMs(); w.repaint(); v.push_back(cpuMs()-t);} std::printf("repaint %dx%d median %.2f min %.2f\n", sz.width(), sz.height(), median(v), *std::min_element(v.begin(),v.end())); return 0; }
    if (getenv("BENCH_CYCLE")) { std::vector<double> v; for (int i=0;i<40;++i) for (QSize sz : {QSize(2250,1650), QSize(3000,2200)}) { w.resize(sz); QMetaObject::invokeMethod(&w, "onResizeTimeout", Qt::DirectConnection); QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest); double t=cpuMs(); QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); if (sz.width()==3000) v.push_back(cpuMs()-t); for (int j=0;j<20;++j) QCoreApplication::processEvents(); }
        std::printf("paint after resize median %.2f min %.2f\n", median(v), *std::min_element(v.begin(),v.end())); return 0; }
    PaintCounter pc;
    if (getenv("BENCH_PAINT")) { w.resize(3000,2200); settle(); QMetaObject::invokeMethod(&w, "onResizeTimeout", Qt::DirectConnection); settle(); for (QWidget *c : w.findChildren<QWidget*>()) c->installEventFilter(&pc); w.installEventFilter(&pc); w.repaint();
        std::vector<std::pair<double,std::string>> v; for (auto &x : pc.area) v.push_back({x.second.second, x.first}); std::sort(v.rbegin(), v.rend()); for (size_t i=0;i<v.size() && i<40;++i) std::printf("%10.0f %s\n", v[i].first, v[i].second.c_str()); return 0; }

    const QSize sizes[] = {QSize(1200, 880), QSize(1500, 1100), QSize(2250, 1650), QSize(3000, 2200)};
    for (int row : {0, 3}) {
        w.functionList()->setCurrentRow(row);
        settle();
        std::vector<double> fontPass, relayout, laterTurns;
        std::vector<std::vector<double>> relayoutBySize(std::size(sizes));
        for (int r = 0; r < rounds; ++r) {
            for (std::size_t k = 0; k < std::size(sizes); ++k) {
                const QSize &s = sizes[k];
                // One resize event: the font pass runs inside it, the relayout on the timer.
                double t0 = cpuMs();
                w.resize(s);
                fontPass.push_back(cpuMs() - t0);
                t0 = cpuMs();
                QMetaObject::invokeMethod(&w, "onResizeTimeout", Qt::DirectConnection);
                double ta = cpuMs();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                double tb = cpuMs();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
                if (getenv("BENCH_TRACE")) std::printf("  timeout %.1f layout %.1f paint %.1f\n", ta-t0, tb-ta, cpuMs()-tb);
                relayout.push_back(cpuMs() - t0);
                relayoutBySize[k].push_back(relayout.back());
                if (getenv("BENCH_TRACE")) std::printf("r%d k%zu font %.1f relayout %.1f\n", r, k, fontPass.back(), relayout.back());
                double longest = 0;
                for (int i = 0; i < 20; ++i) {
                    t0 = cpuMs();
                    QCoreApplication::processEvents();
                    longest = std::max(longest, cpuMs() - t0);
                }
                laterTurns.push_back(longest);
            }
        }
        std::printf("page %-8s font pass per resize event: median %.2f ms, max %.2f ms\n",
                    row == 0 ? "BaseKeys" : "RGB LED", median(fontPass),
                    *std::max_element(fontPass.begin(), fontPass.end()));
        std::printf("page %-8s relayout incl. layout pass:  median %.2f ms, max %.2f ms\n",
                    row == 0 ? "BaseKeys" : "RGB LED", median(relayout),
                    *std::max_element(relayout.begin(), relayout.end()));
        for (std::size_t k = 0; k < std::size(sizes); ++k)
            std::printf("page %-8s   relayout at %dx%d: median %.2f ms\n", row == 0 ? "BaseKeys" : "RGB LED",
                        sizes[k].width(), sizes[k].height(), median(relayoutBySize[k]));
        std::printf("page %-8s longest later turn:          median %.2f ms, max %.2f ms\n",
                    row == 0 ? "BaseKeys" : "RGB LED", median(laterTurns),
                    *std::max_element(laterTurns.begin(), laterTurns.end()));
    }
    return 0;
}
