// Main-thread work per brightness-slider event while the user drags the DDC
// monitor's slider in the open menu panel: the mouse event, the manager's
// operation and publication, the panel and card updates and the repaint.
// The DDC writes themselves run on their own queue and are drained between
// events, outside the measured time, as the program's worker thread would.
// Both the thread's CPU time (its own work, whatever else the machine runs)
// and the wall time are printed.
//
// Usage: slider_drag [events]   (default 240: two seconds at 120 per second)

#include "app/AppContext.h"
#include "app/I18n.h"
#include "display/DisplayManager.h"
#include "platform/sim/SimPlatform.h"
#include "ui/card/ScreenCard.h"
#include "ui/components/GlowSlider.h"
#include "ui/panel/MenuPanel.h"

#include <QApplication>
#include <QMouseEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <time.h>
#include <string>
#include <vector>

using namespace vp;
using Steady = std::chrono::steady_clock;

namespace {

void send(QWidget* target, QEvent::Type type, QPointF at) {
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

double threadMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5))];
}

void report(const char* what, const std::vector<double>& ms) {
    double mean = std::accumulate(ms.begin(), ms.end(), 0.0) / double(ms.size());
    std::printf("%s per event: mean %.3f ms, median %.3f ms, p95 %.3f ms, max %.3f ms (target < 2 ms)\n", what, mean,
                percentile(ms, 0.5), percentile(ms, 0.95), *std::max_element(ms.begin(), ms.end()));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int events = argc > 1 ? std::max(2, std::stoi(argv[1])) : 240;

    SimPlatform platform;
    platform.loadScenarioFile(SimPlatform::defaultScenarioPath());
    I18n::initialize({"en"});
    AppContext context(platform);
    context.install();
    DisplayManager& dm = context.displayManager();
    dm.start();
    platform.runUntilIdle();
    platform.drainDDC();
    platform.runUntilIdle();

    ui::MenuPanel panel(context, [] {}, [] {});
    panel.show();
    QCoreApplication::processEvents();
    auto* slider = panel.card(2)->findChild<ui::GlowSlider*>("brightness");
    QRectF track = slider->trackRect();
    auto at = [&](int i) {
        // Down and back up across most of the track.
        double phase = double(i) / (events - 1);
        double f = 0.9 - 0.8 * (phase < 0.5 ? phase * 2 : 2 - phase * 2);
        return QPointF(track.left() + f * track.width(), track.center().y());
    };

    send(slider, QEvent::MouseButtonPress, at(0));
    std::vector<double> cpu, wall;
    for (int i = 0; i < events; ++i) {
        double cpuStart = threadMs();
        auto start = Steady::now();
        send(slider, QEvent::MouseMove, at(i));
        platform.runUntilIdle();
        QCoreApplication::processEvents();
        wall.push_back(std::chrono::duration<double, std::milli>(Steady::now() - start).count());
        cpu.push_back(threadMs() - cpuStart);
        platform.drainDDC();
    }
    send(slider, QEvent::MouseButtonRelease, at(events - 1));

    std::printf("slider events: %d (at 120 per second: %.1f ms apart)\n", events, 1000.0 / 120);
    report("main-thread CPU time", cpu);
    report("wall time", wall);
    std::printf("card rebuilds during the drag: %d\n", panel.card(2)->rebuildCount() - 1);
    return 0;
}
