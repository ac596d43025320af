// Picture in picture from real pixels on a private 4K Xvfb: one 4K screen
// grab, a 4K screen and a 1280×720 window streamed at 30 frames per second
// while they change, and a window that does not change (Damage should keep
// that at one frame). Prints frames per second, the capture's CPU time per
// frame, and the time per frame on the thread that stands for the main one
// (where the panel takes each frame and lets the previous one go).

#include "platform/VirtualRuntime.h"
#include "platform/linux/x11/PixelGrabber.h"
#include "platform/linux/x11/X11Capture.h"
#include "x11/XServerBed.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <sys/resource.h>

using namespace vp;
using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

namespace {

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Run {
    double framesPerSecond = 0, cpuMsPerFrame = 0, mainMsPerFrame = 0;
    int frames = 0;
};

// Streams `filter` at `width`×`height` for `length` while `change` runs
// every 10 ms. Each frame goes on to a second thread, as the PiP hands it
// to the main queue, where it replaces the one shown.
Run stream(x11::X11Capture& capture, CaptureFilter filter, std::chrono::milliseconds length,
           const std::function<void()>& change, int width = 3840, int height = 2160) {
    ThreadSerialQueue queue, main;
    StreamConfiguration config;
    config.width = width;
    config.height = height;
    config.minimumFrameInterval = 1.0 / 30;
    auto s = capture.makeStream(filter, config);
    std::atomic<int> frames{0};
    CapturedFrameRef shown;
    double mainSeconds = 0;  // touched on `main` only
    s->addOutput(queue, [&](CapturedFrameRef frame) {
        ++frames;
        main.async([&, frame = std::move(frame)]() mutable {
            const auto t0 = Steady::now();
            shown = std::move(frame);
            mainSeconds += std::chrono::duration<double>(Steady::now() - t0).count();
        });
    });
    const double cpu0 = cpuSeconds();
    const auto start = Steady::now();
    s->start([](auto) {});
    while (Steady::now() - start < length) {
        if (change) change();
        std::this_thread::sleep_for(10ms);
    }
    s->stop();
    queue.waitIdle();
    main.waitIdle();
    const double elapsed = std::chrono::duration<double>(Steady::now() - start).count();
    Run r;
    r.frames = frames;
    r.framesPerSecond = frames / elapsed;
    r.cpuMsPerFrame = frames ? (cpuSeconds() - cpu0) * 1000 / frames : 0;
    r.mainMsPerFrame = frames ? mainSeconds * 1000 / frames : 0;
    main.async([&] { shown.reset(); });
    main.waitIdle();
    return r;
}

}  // namespace

int main() {
    std::string why;
    auto bed = test::XServerBed::start(test::XServerBed::Kind::xvfb, why, "3840x2160x24");
    if (!bed) {
        std::printf("skipped: %s\n", why.c_str());
        return 0;
    }
    xcb_connection_t* c = xcb_connect(bed->display().c_str(), nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_window_t window = xcb_generate_id(c);
    std::uint32_t values[] = {0x336699, 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, root, 100, 100, 1280, 720, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(c, window);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    std::uint32_t colour = 0;
    auto repaint = [&] {
        colour = (colour + 0x010203) & 0xFFFFFF;
        xcb_change_window_attributes(c, window, XCB_CW_BACK_PIXEL, &colour);
        xcb_clear_area(c, 0, window, 0, 0, 0, 0);
        xcb_flush(c);
    };

    x11::PixelGrabber grabber(c);
    std::vector<double> ms;
    for (int i = 0; i < 30; ++i) {
        auto t0 = Steady::now();
        auto pixels = grabber.grab(root, 0, 0, 3840, 2160);
        ms.push_back(std::chrono::duration<double, std::milli>(Steady::now() - t0).count());
        if (!pixels) return std::printf("the 4K grab failed\n"), 1;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("4K screen grab (%s):               median %6.2f ms\n",
                grabber.sharedMemory() ? "MIT-SHM" : "plain", ms[ms.size() / 2]);

    x11::X11Capture capture(bed->display(), [] { return std::vector<std::pair<DisplayID, Rect>>{{1, {0, 0, 3840, 2160}}}; });
    CaptureFilter screen;
    screen.display = 1;
    Run s = stream(capture, screen, 3000ms, repaint);
    std::printf("4K screen at 30 fps, changing:          %5.1f fps, %6.2f ms CPU per frame, %6.3f ms main per frame\n",
                s.framesPerSecond, s.cpuMsPerFrame, s.mainMsPerFrame);
    Run small = stream(capture, screen, 3000ms, repaint, 960, 540);
    std::printf("4K screen into a 960x540 panel:         %5.1f fps, %6.2f ms CPU per frame, %6.3f ms main per frame\n",
                small.framesPerSecond, small.cpuMsPerFrame, small.mainMsPerFrame);
    CaptureFilter win;
    win.window = window;
    Run w = stream(capture, win, 3000ms, repaint);
    std::printf("1280x720 window at 30 fps, changing:    %5.1f fps, %6.2f ms CPU per frame\n", w.framesPerSecond,
                w.cpuMsPerFrame);
    Run idle = stream(capture, win, 2000ms, {});
    std::printf("the same window, unchanged for 2 s:     %d frame(s) sent\n", idle.frames);
    xcb_disconnect(c);
    return 0;
}
