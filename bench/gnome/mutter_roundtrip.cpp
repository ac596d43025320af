// On headless mutter started here: how long a display change takes from the
// transaction's completion call to mutter's MonitorsChanged and to our
// refreshed state, and what a screen-cast stream delivers (frames per second
// and our thread's time per frame, copying each frame as a picture in
// picture would).

#include "gnome/SessionBed.h"
#include "platform/linux/gnome/GnomeDisplays.h"
#include "platform/linux/gnome/PipeWireStream.h"
#include "platform/linux/gnome/ScreenCastSession.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include <time.h>

using namespace vp;
using namespace vp::gnome;
using namespace std::chrono_literals;
using Millis = std::chrono::duration<double, std::milli>;

namespace {

constexpr int kChanges = 20;
constexpr auto kStreamTime = 3s;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double threadCpuMicros() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

void changes(test::SessionBed& bed) {
    GnomeDisplays displays(bed.address());
    std::string why;
    if (!displays.start(why)) {
        std::printf("mutter unreachable: %s\n", why.c_str());
        return;
    }
    std::mutex mutex;
    std::condition_variable signalled;
    std::chrono::steady_clock::time_point at;
    bool seen = false;
    displays.registerReconfigurationCallback([&](DisplayID, std::uint32_t flags) {
        if (flags & kReconfigurationBeginFlag) return;
        std::lock_guard lock(mutex);
        if (!seen) at = std::chrono::steady_clock::now();
        seen = true;
        signalled.notify_all();
    });
    auto ids = displays.onlineDisplays();
    std::vector<double> toReturn, toSignal;
    for (int i = 0; i < kChanges; ++i) {
        {
            std::lock_guard lock(mutex);
            seen = false;
        }
        auto start = std::chrono::steady_clock::now();
        ConfigHandle h = 0;
        displays.beginConfiguration(h);
        displays.configureMain(h, ids[std::size_t(i % 2 == 0 ? 1 : 0)]);
        if (displays.completeConfiguration(h, ConfigureOption::forAppOnly) != 0) {
            std::printf("change refused: %s\n", displays.lastFailure().c_str());
            return;
        }
        toReturn.push_back(Millis(std::chrono::steady_clock::now() - start).count());
        std::unique_lock lock(mutex);
        if (signalled.wait_for(lock, 5s, [&] { return seen; })) toSignal.push_back(Millis(at - start).count());
    }
    std::printf("main display change, %d times:\n", kChanges);
    std::printf("  to refreshed state (completion returns): median %.2f ms, worst %.2f ms\n", median(toReturn),
                *std::max_element(toReturn.begin(), toReturn.end()));
    if (!toSignal.empty())
        std::printf("  to MonitorsChanged reaching the callback: median %.2f ms, worst %.2f ms\n", median(toSignal),
                    *std::max_element(toSignal.begin(), toSignal.end()));
}

void stream(test::SessionBed& bed) {
    BusError error;
    auto session = ScreenCastSession::open(bed.address(), error);
    DisplayConfigClient client(bed.address());
    auto state = client.currentState(error);
    auto node = session && state ? session->recordMonitor(state->monitors[0].spec.connector, error) : std::nullopt;
    if (!node) {
        std::printf("no screen cast: %s\n", error.message.c_str());
        return;
    }
    PipeWireStream s;
    std::vector<std::uint8_t> copy;
    std::atomic<double> cpu{0};
    std::atomic<std::uint32_t> width{0}, height{0};
    s.onFrame([&](const VideoFrame& f) {
        double before = threadCpuMicros();
        copy.resize(std::size_t(f.stride) * f.height);
        std::memcpy(copy.data(), f.pixels, copy.size());
        cpu = cpu + (threadCpuMicros() - before);
        width = f.width;
        height = f.height;
    });
    std::string why;
    if (!s.start({*node, 0, 0, 60, bed.runtimeDir(), -1}, why) || !s.waitStreaming(10s)) {
        std::printf("stream did not start: %s\n", why.c_str());
        return;
    }
    auto asked = std::chrono::steady_clock::now();
    while (s.framesSeen() == 0 && std::chrono::steady_clock::now() - asked < 10s) std::this_thread::sleep_for(5ms);
    std::printf("first frame after %.0f ms\n", Millis(std::chrono::steady_clock::now() - asked).count());
    auto first = s.framesSeen();
    std::this_thread::sleep_for(kStreamTime);
    auto all = s.framesSeen();
    auto frames = all - first;
    double seconds = std::chrono::duration<double>(kStreamTime).count();
    // A still desktop sends frames only when something changes on it.
    std::printf("screen cast of a still %ux%u monitor for %.0f s: %.1f frames/s, %.1f µs of our thread per frame (copy)\n",
                width.load(), height.load(), seconds, double(frames) / seconds,
                all ? cpu / double(all) : 0.0);
}

}  // namespace

int main() {
    auto bed = test::SessionBed::mutter({"2560x1440", "1920x1080"}, true);
    if (!bed.ready()) {
        std::printf("skipped: %s\n", bed.whyNot().c_str());
        return 0;
    }
    changes(bed);
    stream(bed);
    return 0;
}
