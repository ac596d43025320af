// On headless mutter started here: how long a display change (a new main
// display, mirroring on and off) takes from the transaction's completion
// call to mutter's MonitorsChanged, to the completion's return (our state
// read again) and to the reconfiguration callback (our state refreshed from
// the signal); then what a picture-in-picture capture of a monitor delivers:
// frames per second, the capture's CPU time per frame (conversion to BGRA
// and scaling, off the main thread) and the main thread's time per frame.

#include "gnome/SessionBed.h"
#include "platform/VirtualRuntime.h"
#include "platform/linux/gnome/Bus.h"
#include "platform/linux/gnome/GnomeCapture.h"
#include "platform/linux/gnome/GnomeCaptureStream.h"
#include "platform/linux/gnome/GnomeDisplays.h"
#include "support/TempDir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <time.h>

using namespace vp;
using namespace vp::gnome;
using vp::test::TempDir;
using namespace std::chrono_literals;
using Millis = std::chrono::duration<double, std::milli>;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int kChanges = 20;
constexpr auto kStreamTime = 5s;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double worst(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

double threadCpuMicros() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

double processCpuMillis() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// When mutter's MonitorsChanged reaches a bus connection of its own.
class SignalClock {
public:
    explicit SignalClock(const std::string& address) {
        BusError error;
        bus_ = openSessionBus(address, error);
        sd_bus_slot* raw = nullptr;
        if (bus_ && sd_bus_match_signal(bus_.get(), &raw, "org.gnome.Mutter.DisplayConfig",
                                        "/org/gnome/Mutter/DisplayConfig", "org.gnome.Mutter.DisplayConfig",
                                        "MonitorsChanged", &SignalClock::onSignal, this) >= 0)
            slot_.reset(raw);
        thread_ = std::thread([this] {
            while (!done_) processUntil(bus_.get(), Steady::now() + 50ms, [this] { return done_.load(); });
        });
    }
    ~SignalClock() {
        done_ = true;
        thread_.join();
    }
    void arm() {
        std::lock_guard lock(mutex_);
        at_.reset();
    }
    std::optional<Steady::time_point> wait() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 5s, [this] { return at_.has_value(); });
        return at_;
    }

private:
    static int onSignal(sd_bus_message*, void* self, sd_bus_error*) {
        auto* c = static_cast<SignalClock*>(self);
        std::lock_guard lock(c->mutex_);
        if (!c->at_) c->at_ = Steady::now();
        c->changed_.notify_all();
        return 0;
    }

    BusPtr bus_;
    SlotPtr slot_;
    std::atomic<bool> done_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Steady::time_point> at_;
    std::thread thread_;
};

// Moves the pointer through mutter's RemoteDesktop, a few pixels every
// 5 ms: the cursor drawn into the cast makes mutter send a frame for each
// move, as a changing screen would.
class PointerMover {
public:
    explicit PointerMover(const std::string& address) {
        BusError error;
        bus_ = openSessionBus(address, error);
        constexpr BusTarget kRemote{"org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
                                    "org.gnome.Mutter.RemoteDesktop"};
        MessagePtr call = bus_ ? newMethodCall(bus_.get(), kRemote, "CreateSession", error) : nullptr;
        MessagePtr reply = call ? callMethod(bus_.get(), call.get(), error) : nullptr;
        const char* path = nullptr;
        if (!reply || sd_bus_message_read(reply.get(), "o", &path) < 0) return;
        session_ = path;
        if (!call_("Start")) session_.clear();
    }
    bool ready() const { return !session_.empty(); }
    void move(double dx, double dy) { call_("NotifyPointerMotionRelative", dx, dy); }

private:
    template <class... Args>
    bool call_(const char* member, Args... args) {
        BusError error;
        BusTarget target{"org.gnome.Mutter.RemoteDesktop", session_.c_str(), "org.gnome.Mutter.RemoteDesktop.Session"};
        MessagePtr call = newMethodCall(bus_.get(), target, member, error);
        if (!call) return false;
        if constexpr (sizeof...(Args) > 0)
            if (sd_bus_message_append(call.get(), "dd", args...) < 0) return false;
        return callMethod(bus_.get(), call.get(), error) != nullptr;
    }

    BusPtr bus_;
    std::string session_;
};

struct Timings {
    std::vector<double> toSignal, toReturn, toCallback;
};

void print(const char* what, const Timings& t) {
    std::printf("%s, %d times (median / worst):\n", what, kChanges);
    std::printf("  to MonitorsChanged on the bus:        %6.2f / %6.2f ms\n", median(t.toSignal), worst(t.toSignal));
    std::printf("  to completion's return (state read):  %6.2f / %6.2f ms\n", median(t.toReturn), worst(t.toReturn));
    std::printf("  to our callback (state refreshed):    %6.2f / %6.2f ms\n", median(t.toCallback),
                worst(t.toCallback));
}

void changes(test::SessionBed& bed) {
    GnomeDisplays displays(bed.address());
    std::string why;
    if (!displays.start(why)) {
        std::printf("mutter unreachable: %s\n", why.c_str());
        return;
    }
    SignalClock clock(bed.address());
    std::mutex mutex;
    std::condition_variable signalled;
    std::optional<Steady::time_point> called;
    displays.registerReconfigurationCallback([&](DisplayID, std::uint32_t flags) {
        if (flags & kReconfigurationBeginFlag) return;
        std::lock_guard lock(mutex);
        if (!called) called = Steady::now();
        signalled.notify_all();
    });
    auto ids = displays.onlineDisplays();
    auto measure = [&](const std::function<void(ConfigHandle)>& stage, Timings& into) {
        {
            std::lock_guard lock(mutex);
            called.reset();
        }
        clock.arm();
        auto start = Steady::now();
        ConfigHandle h = 0;
        displays.beginConfiguration(h);
        stage(h);
        if (displays.completeConfiguration(h, ConfigureOption::forAppOnly) != 0) {
            std::printf("change refused: %s\n", displays.lastFailure().c_str());
            return false;
        }
        into.toReturn.push_back(Millis(Steady::now() - start).count());
        if (auto at = clock.wait()) into.toSignal.push_back(Millis(*at - start).count());
        std::unique_lock lock(mutex);
        if (signalled.wait_for(lock, 5s, [&] { return called.has_value(); }))
            into.toCallback.push_back(Millis(*called - start).count());
        return true;
    };
    Timings main, mirror;
    for (int i = 0; i < kChanges; ++i)
        if (!measure([&](ConfigHandle h) { displays.configureMain(h, ids[std::size_t(i % 2 == 0 ? 1 : 0)]); }, main))
            return;
    print("main display change", main);
    for (int i = 0; i < kChanges; ++i)
        if (!measure([&](ConfigHandle h) { displays.configureMirror(h, ids[1], i % 2 == 0 ? ids[0] : 0); }, mirror))
            return;
    print("mirroring on or off", mirror);
}

void pictureInPicture(test::SessionBed& bed, int width, int height) {
    DisplayConfigClient client(bed.address());
    BusError error;
    auto state = client.currentState(error);
    if (!state) {
        std::printf("mutter unreachable: %s\n", error.message.c_str());
        return;
    }
    const MutterMonitor& monitor = state->monitors[0];
    const MutterMode* mode = monitor.currentMode();
    TempDir dir;
    GnomeCapture capture(
        bed.address(),
        [&] { return std::vector<GnomeCapture::Display>{{1, monitor.spec.connector, mode->width, mode->height}}; },
        dir.file("state"), bed.runtimeDir());
    ThreadSerialQueue queue;
    CaptureFilter filter;
    filter.display = 1;
    StreamConfiguration config;
    config.width = width;
    config.height = height;
    config.minimumFrameInterval = 1.0 / 30;
    auto stream = capture.makeStream(filter, config);
    // The queue hands each frame to the main thread, as the panel does.
    ThreadSerialQueue mainThread;
    std::atomic<int> frames{0};
    std::atomic<double> mainMicros{0};
    std::atomic<int> outWidth{0}, outHeight{0};
    stream->addOutput(queue, [&](CapturedFrameRef frame) {
        mainThread.async([&, frame] {
            double before = threadCpuMicros();
            // What the panel does with it: keep it and read its size.
            outWidth = frame->width;
            outHeight = frame->height;
            mainMicros = mainMicros + (threadCpuMicros() - before);
            ++frames;
        });
    });
    std::atomic<bool> started{false};
    stream->start([&](std::optional<CaptureError> e) {
        if (e) std::printf("capture did not start: %s\n", e->description.c_str());
        started = !e;
    });
    auto asked = Steady::now();
    while (frames == 0 && Steady::now() - asked < 10s) std::this_thread::sleep_for(2ms);
    std::printf("picture in picture of a %dx%d monitor at %dx%d: first frame after %.0f ms\n", mode->width,
                mode->height, outWidth.load(), outHeight.load(), Millis(Steady::now() - asked).count());
    PointerMover pointer(bed.address());
    if (!pointer.ready()) std::printf("  (no RemoteDesktop: the screen stays still)\n");
    const int first = frames;
    const double cpu0 = processCpuMillis();
    auto start = Steady::now();
    for (int i = 0; Steady::now() - start < kStreamTime; ++i) {
        pointer.move(i % 40 < 20 ? 3 : -3, 1 - (i % 3));
        std::this_thread::sleep_for(5ms);
    }
    const double seconds = std::chrono::duration<double>(Steady::now() - start).count();
    const double cpu = processCpuMillis() - cpu0;
    stream->stop();
    queue.waitIdle();
    mainThread.waitIdle();
    const int n = frames - first;
    std::printf("  %.1f frames/s while the screen changes (asked for at most 30)\n", double(n) / seconds);
    std::printf("  our process's CPU per frame (PipeWire, conversion, scaling, the pointer's calls): %.2f ms\n",
                n ? cpu / n : 0.0);
    std::printf("  main thread per frame: %.1f µs\n", frames ? mainMicros / frames : 0.0);
}

// What turning one shared-memory frame into the panel's BGRA costs the
// PipeWire thread, without mutter's timing in the way.
void conversion(int width, int height, int maxWidth, int maxHeight) {
    const std::uint32_t stride = std::uint32_t(width) * 4 + 64;
    std::vector<std::uint8_t> pixels(std::size_t(stride) * std::size_t(height), 0x80);
    VideoFrame frame{std::uint32_t(width), std::uint32_t(height), stride, pixels.data(), pixels.size()};
    constexpr int kRounds = 50;
    const double before = threadCpuMicros();
    for (int i = 0; i < kRounds; ++i) bgraFrame(frame, maxWidth, maxHeight);
    std::printf("conversion of a %dx%d BGRx frame to %dx%d BGRA: %.2f ms\n", width, height,
                std::min(width, maxWidth), std::min(height, maxHeight),
                (threadCpuMicros() - before) / kRounds / 1e3);
}

}  // namespace

int main() {
    auto bed = test::SessionBed::mutter({"2560x1440", "1920x1080"}, true);
    if (!bed.ready()) {
        std::printf("skipped: %s\n", bed.whyNot().c_str());
        return 0;
    }
    changes(bed);
    pictureInPicture(bed, 640, 360);
    pictureInPicture(bed, 2560, 1440);
    conversion(2560, 1440, 640, 360);
    conversion(2560, 1440, 2560, 1440);
    return 0;
}
