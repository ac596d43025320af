// A brightness slider dragged for 2 seconds at 120 events per second on the
// DDC/CI monitor of the default scenario, with the DDC queue on its own
// thread and every exchange taking its real pauses. Prints what the main
// thread paid per event, how many writes reached the monitor and how long
// after the last event the last write landed; then times Gamma.apply on a
// 256-entry table.

#include "app/AppContext.h"
#include "display/DisplayManager.h"
#include "display/Gamma.h"
#include "platform/sim/SimPlatform.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

using namespace vp;
using namespace std::chrono_literals;
using Micros = std::chrono::duration<double, std::micro>;

namespace {

constexpr DisplayID kMonitor = 2;
constexpr DisplayID kSoftwareScreen = 3;
constexpr auto kDragLength = 2s;
constexpr int kEventsPerSecond = 120;

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    auto index = std::size_t(std::ceil(p * double(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

// Down from full brightness to black in the first second, back up to 0.8 in
// the second: through the hardware range, the software range and the shade.
double sliderAt(int event, int events) {
    double t = double(event) / double(events - 1);
    return t < 0.5 ? 1.0 - 2 * t : 0.8 * (2 * t - 1);
}

struct SetVCPWrite {
    Seconds at;
    int value;
};

std::vector<SetVCPWrite> brightnessWrites(const SimMonitor& monitor) {
    std::vector<SetVCPWrite> writes;
    const auto packets = monitor.packets();
    // Every exchange sends its packet twice; count the second copy, when the
    // write has landed.
    for (std::size_t i = 1; i < packets.size(); ++i) {
        const Bytes& b = packets[i].bytes;
        if (b.size() == 6 && b[1] == 0x03 && b[2] == 0x10 && packets[i - 1].bytes == b)
            writes.push_back({packets[i].at, b[3] << 8 | b[4]}), ++i;
    }
    return writes;
}

void dragBenchmark() {
    VirtualClock virtualClock;
    VirtualMainQueue main(virtualClock);
    ThreadSerialQueue ddcQueue;
    SteadyClock clock;
    RealSleeper sleeper;
    SimPlatform platform(SimOptions{}, Runtime{main, ddcQueue, clock, sleeper});
    platform.loadScenarioFile(SimPlatform::defaultScenarioPath());
    AppContext context(platform);
    context.install();
    DisplayManager& manager = context.displayManager();

    manager.start();
    ddcQueue.waitIdle();  // the probe, with its real pauses
    main.runReady();      // its results
    auto monitor = platform.simHardware.monitorFor(kMonitor);
    const auto& method = manager.state().method;
    if (!method.contains(kMonitor) || method.at(kMonitor) != BrightnessMethod::ddc || !monitor) {
        std::printf("the monitor was not probed as a DDC/CI monitor\n");
        return;
    }
    monitor->clearRecords();

    const int events = int(kEventsPerSecond * std::chrono::duration<double>(kDragLength).count());
    const auto interval = std::chrono::duration_cast<std::chrono::steady_clock::duration>(1s) / kEventsPerSecond;
    std::vector<double> costs;
    auto next = std::chrono::steady_clock::now();
    Seconds lastEvent{};
    for (int i = 0; i < events; ++i) {
        std::this_thread::sleep_until(next);
        next += interval;
        const double value = sliderAt(i, events);
        const Seconds before = clock.now();
        manager.setBrightness(kMonitor, value);
        const Seconds after = clock.now();
        costs.push_back(Micros(after - before).count());
        lastEvent = before;
        main.runReady();
    }
    ddcQueue.waitIdle();

    const auto writes = brightnessWrites(*monitor);
    const int lastHardware = int(std::round(std::clamp((sliderAt(events - 1, events) - 0.2) / 0.8, 0.0, 1.0) * 100));
    std::printf("DDC brightness drag, %d events at %d/s against a monitor with real pauses\n", events,
                kEventsPerSecond);
    std::printf("  events handled:                 %zu\n", costs.size());
    std::printf("  DDC writes sent:                %zu\n", writes.size());
    std::printf("  main thread per setBrightness:  median %.1f us, p99 %.1f us, max %.1f us\n",
                percentile(costs, 0.5), percentile(costs, 0.99), percentile(costs, 1.0));
    if (!writes.empty()) {
        std::printf("  last event to last write:       %.1f ms\n", Micros(writes.back().at - lastEvent).count() / 1000);
        std::printf("  last value written:             %d (last event asked for %d)\n", writes.back().value,
                    lastHardware);
    }
}

void gammaBenchmark() {
    SimPlatform platform;
    platform.loadScenarioFile(SimPlatform::defaultScenarioPath());
    AppContext context(platform);
    Gamma& gamma = context.gamma();
    constexpr int kRounds = 20000;
    std::vector<double> costs;
    costs.reserve(kRounds);
    for (int i = 0; i < kRounds; ++i) {
        const double dim = 0.06 + 0.9 * double(i % 100) / 100;
        const auto before = std::chrono::steady_clock::now();
        gamma.apply(kSoftwareScreen, dim, 0.4, 0.6);
        costs.push_back(Micros(std::chrono::steady_clock::now() - before).count());
    }
    std::printf("Gamma.apply, %zu-entry table, %d rounds\n", platform.simDisplays.find(kSoftwareScreen)->gamma.r.size(),
                kRounds);
    std::printf("  per call (compute and write):   median %.2f us, p99 %.2f us\n", percentile(costs, 0.5),
                percentile(costs, 0.99));
}

}  // namespace

int main() {
    dragBenchmark();
    gammaBenchmark();
    return 0;
}
