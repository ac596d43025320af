// The X11 display back-end against its Xorg dummy test bed (three
// monitors): a full read of the display list, one gamma apply from the
// core's table to the server, a mode change from the call to the change
// event, and a warmth slider dragged at 120 events per second for 2 s.

#include "display/Gamma.h"
#include "platform/linux/x11/X11Displays.h"
#include "support/TempDir.h"
#include "x11/XServerBed.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

using namespace vp;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Micros = std::chrono::duration<double, std::micro>;

namespace {

constexpr int kRounds = 200;
constexpr int kEventsPerSecond = 120;
constexpr auto kDragLength = 2s;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double p99(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(double(v.size()) * 0.99))];
}

template <typename F>
std::vector<double> timed(int rounds, F f) {
    std::vector<double> out;
    for (int i = 0; i < rounds; ++i) {
        auto start = Clock::now();
        f();
        out.push_back(Micros(Clock::now() - start).count());
    }
    return out;
}

void report(const char* what, const std::vector<double>& us) {
    std::printf("%-46s median %8.1f us   p99 %8.1f us\n", what, median(us), p99(us));
}

}  // namespace

int main() {
    std::string why;
    auto bed = test::XServerBed::start(test::XServerBed::Kind::xorgDummy, why);
    if (!bed) {
        std::printf("skipped: %s\n", why.c_str());
        return 0;
    }
    if (auto error = test::arrangeDummyBed(*bed); !error.empty()) {
        std::printf("the bed could not be arranged: %s\n", error.c_str());
        return 1;
    }
    test::TempDir state;
    x11::X11Displays displays(bed->display(), state.path());
    x11::RandrClient client(bed->display());

    report("read of the whole state, probing connectors", timed(kRounds, [&] { client.read(true); }));
    report("read of the whole state, server's knowledge", timed(kRounds, [&] { client.read(false); }));

    const DisplayID twin = [&] {
        for (const auto& o : displays.screen().outputs)
            if (o.name == "DUMMY1") return o.display;
        return DisplayID(0);
    }();
    auto capture = *displays.readGamma(twin, 256);
    int step = 0;
    report("gamma apply: compute + write + server took it", timed(kRounds, [&] {
               double warmth = double(step++ % 100) / 100.0;
               displays.writeGamma(twin, Gamma::compute(capture, 1.0, warmth, 0.5));
               displays.flushGamma();
           }));

    std::atomic<int> events{0};
    displays.registerReconfigurationCallback([&](DisplayID, std::uint32_t flags) {
        if (!(flags & kReconfigurationBeginFlag)) ++events;
    });
    std::vector<double> applied, announced;
    for (int i = 0; i < 20; ++i) {
        const int w = i % 2 ? 1920 : 1600, h = i % 2 ? 1080 : 900;
        DisplayMode mode;
        const auto modes = displays.allModes(twin).value_or(std::vector<DisplayMode>{});
        for (const auto& m : modes)
            if (m.width == w && m.height == h) mode = m;
        const int before = events;
        auto start = Clock::now();
        ConfigHandle handle = 0;
        displays.beginConfiguration(handle);
        displays.configureMode(handle, twin, mode);
        displays.completeConfiguration(handle, ConfigureOption::forAppOnly);
        applied.push_back(Micros(Clock::now() - start).count());
        while (events == before && Clock::now() - start < 2s) std::this_thread::sleep_for(100us);
        announced.push_back(Micros(Clock::now() - start).count());
        std::this_thread::sleep_for(100ms);
    }
    report("mode change: call to layout applied", applied);
    report("mode change: call to the (coalesced) event", announced);

    const int total = int(kEventsPerSecond * std::chrono::duration<double>(kDragLength).count());
    const std::size_t sentBefore = displays.gammaRampsSent();
    std::vector<double> perEvent;
    auto dragStart = Clock::now();
    for (int i = 0; i < total; ++i) {
        auto due = dragStart + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(double(i) / kEventsPerSecond));
        std::this_thread::sleep_until(due);
        auto start = Clock::now();
        displays.writeGamma(twin, Gamma::compute(capture, 1.0, double(i) / total, 0.5));
        perEvent.push_back(Micros(Clock::now() - start).count());
    }
    displays.flushGamma();
    report("warmth drag: main thread per event", perEvent);
    std::printf("warmth drag: %d events, %zu ramps sent to the server\n", total,
                displays.gammaRampsSent() - sentBefore);
    return 0;
}
