// Picture-in-picture capture on GNOME: real frames from headless mutter over
// PipeWire, straight from mutter's ScreenCast and through a stand-in of the
// desktop portal; what is left behind when a stream stops; how a stream ends
// when its monitor or mutter goes away.

#include "GnomeTestPaths.h"
#include "gnome/SessionBed.h"
#include "platform/VirtualRuntime.h"
#include "platform/linux/gnome/DisplayConfigClient.h"
#include "platform/linux/gnome/GnomeCapture.h"
#include "platform/linux/gnome/GnomeCaptureStream.h"
#include "platform/linux/gnome/PortalCast.h"
#include "platform/linux/gnome/ScreenCastSession.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

namespace vp::gnome {
namespace {

using test::SessionBed;
using test::TempDir;
using namespace std::chrono_literals;

thread_local bool onTestQueue = false;

// The frames' queue: marks its thread, so a frame handed over anywhere
// else shows.
class MarkedQueue : public SerialQueue {
public:
    void async(Task task) override {
        inner_.async([task = std::move(task)] {
            onTestQueue = true;
            task();
        });
    }

private:
    ThreadSerialQueue inner_;
};

// What one stream delivered and how it ended.
struct Watched {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<CapturedFrameRef> frames;
    bool offQueue = false;
    std::optional<std::optional<CaptureError>> started;
    std::optional<CaptureError> stopped;

    template <class Done>
    bool waitFor(Done done, std::chrono::milliseconds limit = 15s) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, limit, [&] { return done(); });
    }
    std::size_t frameCount() {
        std::lock_guard lock(mutex);
        return frames.size();
    }
};

void attach(CaptureStream& stream, SerialQueue& queue, Watched& w) {
    stream.setOnStopWithError([&w](CaptureError e) {
        std::lock_guard lock(w.mutex);
        w.stopped = std::move(e);
        w.changed.notify_all();
    });
    ASSERT_FALSE(stream.addOutput(queue, [&w](CapturedFrameRef frame) {
        std::lock_guard lock(w.mutex);
        w.offQueue = w.offQueue || !onTestQueue;
        w.frames.push_back(std::move(frame));
        w.changed.notify_all();
    }));
    stream.start([&w](std::optional<CaptureError> e) {
        std::lock_guard lock(w.mutex);
        w.started = std::move(e);
        w.changed.notify_all();
    });
}

StreamConfiguration pipSize(int width, int height, double interval = 1.0 / 30) {
    StreamConfiguration c;
    c.width = width;
    c.height = height;
    c.minimumFrameInterval = interval;
    return c;
}

TEST(GnomeCaptureFrames, BecomeOpaqueBgraAtTheStreamSizeWhateverTheStride) {
    // 4×2 BGRx with 8 bytes of padding per row and garbage in the x byte.
    std::vector<std::uint8_t> pixels(2 * 24, 0xEE);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            std::uint8_t* p = &pixels[std::size_t(y * 24 + x * 4)];
            p[0] = std::uint8_t(10 * y + x);
            p[1] = 1;
            p[2] = 2;
            p[3] = 0;
        }
    VideoFrame frame{4, 2, 24, pixels.data(), pixels.size()};
    auto full = bgraFrame(frame, 0, 0);
    ASSERT_TRUE(full);
    ASSERT_EQ(full->bgra.size(), 4u * 2 * 4);
    EXPECT_EQ(full->bgra[4 * 4], 10) << "the second row starts a stride later";
    EXPECT_EQ(full->bgra[3], 0xFF);
    EXPECT_EQ(full->bgra[7 * 4 + 3], 0xFF);

    auto half = bgraFrame(frame, 2, 2);
    EXPECT_EQ(half->width, 2);
    EXPECT_EQ(half->height, 1);

    frame.size = 24 + 15;  // the last row cut short
    EXPECT_FALSE(bgraFrame(frame, 0, 0));
}

TEST(GnomeCaptureRefusals, WindowsAndUnknownDisplaysFailAtStart) {
    TempDir state;
    GnomeCapture capture("unix:path=/nonexistent", [] { return std::vector<GnomeCapture::Display>{{7, "Meta-0", 800, 600}}; },
                         state.file("state"));
    std::optional<ShareableContent> content;
    capture.shareableContent(false, false, [&](auto c, auto) { content = c; });
    ASSERT_TRUE(content);
    ASSERT_EQ(content->displays.size(), 1u);
    EXPECT_EQ(content->displays[0].displayID, 7u);
    EXPECT_TRUE(content->windows.empty());

    MarkedQueue queue;
    CaptureFilter window;
    window.window = 42;
    CaptureFilter unknown;
    unknown.display = 8;
    for (auto [filter, code] : {std::pair{window, kCaptureNoWindow}, std::pair{unknown, kCaptureNoDisplay}}) {
        auto stream = capture.makeStream(filter, pipSize(320, 200));
        Watched w;
        attach(*stream, queue, w);
        ASSERT_TRUE(w.waitFor([&] { return w.started.has_value(); }));
        ASSERT_TRUE(*w.started);
        EXPECT_EQ((*w.started)->code, code);
    }
}

// Headless mutter with PipeWire: one 1920×1080 monitor.
class GnomeCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bed.ready()) GTEST_SKIP() << bed.whyNot();
        auto s = bed.displayState();
        ASSERT_FALSE(s.monitors.empty());
        connector = s.monitors.at(0).spec.connector;
    }
    GnomeCapture::DisplayList displays() {
        return [this] {
            std::lock_guard lock(displaysMutex);
            return known;
        };
    }
    // A stream of display `display` at `size`, started and watched by `w`.
    std::unique_ptr<CaptureStream> watch(GnomeCapture& capture, DisplayID display, StreamConfiguration size,
                                         Watched& w) {
        CaptureFilter filter;
        filter.display = display;
        auto stream = capture.makeStream(filter, size);
        attach(*stream, queue, w);
        return stream;
    }

    SessionBed bed = SessionBed::mutter({"1920x1080"}, true);
    TempDir state;
    std::string connector;
    std::mutex displaysMutex;
    std::vector<GnomeCapture::Display> known;
    MarkedQueue queue;
};

TEST_F(GnomeCaptureTest, MonitorStreamDeliversScaledFramesLeavesNoSessionAndEndsWithMutter) {
    known = {{1, connector, 1920, 1080}};
    GnomeCapture capture(bed.address(), displays(), state.file("state"), bed.runtimeDir());
    ASSERT_FALSE(capture.throughPortal()) << "headless mutter has no portal";
    Watched w;
    auto stream = watch(capture, 1, pipSize(480, 480, 0.2), w);
    ASSERT_TRUE(w.waitFor([&] { return w.started.has_value(); })) << bed.log();
    ASSERT_FALSE(*w.started) << (*w.started)->description;
    ASSERT_TRUE(w.waitFor([&] { return !w.frames.empty(); })) << bed.log();
    EXPECT_EQ(bed.screenCastSessions(), 1);
    {
        std::lock_guard lock(w.mutex);
        const CapturedFrame& f = *w.frames.front();
        EXPECT_EQ(f.width, 480) << "scaled down, keeping the aspect";
        EXPECT_EQ(f.height, 270);
        ASSERT_EQ(f.bgra.size(), std::size_t(480 * 270 * 4));
        for (std::size_t i = 3; i < f.bgra.size(); i += 4) ASSERT_EQ(f.bgra[i], 0xFF);
        EXPECT_FALSE(w.offQueue);
    }
    // mutter paints at up to 60 a second; the stream asked for five.
    std::size_t before = w.frameCount();
    std::this_thread::sleep_for(2s);
    EXPECT_LE(w.frameCount() - before, 12u);

    stream->stop();
    EXPECT_FALSE(w.stopped) << "a stream stopped by us reports no error";
    EXPECT_TRUE(test::eventually([&] { return bed.screenCastSessions() == 0; })) << "mutter still records after the stream stopped";

    // A stream whose mutter is killed ends with an error, and stopping it
    // does not wait on the dead mutter.
    Watched dying;
    auto last = watch(capture, 1, pipSize(320, 180), dying);
    ASSERT_TRUE(dying.waitFor([&] { return !dying.frames.empty(); })) << bed.log();
    ASSERT_TRUE(bed.killMutter());
    ASSERT_TRUE(dying.waitFor([&] { return dying.stopped.has_value(); }, 10s)) << "no end reported after mutter died";
    EXPECT_EQ(dying.stopped->code, kCaptureEnded);
    EXPECT_FALSE(dying.stopped->description.empty());
    auto stopping = std::chrono::steady_clock::now();
    last->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 5s);
}

TEST_F(GnomeCaptureTest, StreamOfAMonitorThatGoesAwayEnds) {
    // A virtual monitor lives while its own cast is consumed.
    BusError error;
    auto maker = ScreenCastSession::open(bed.address(), error);
    ASSERT_TRUE(maker) << error.message;
    auto node = maker->recordVirtual(error);
    ASSERT_TRUE(node) << error.message;
    PipeWireStream consumer;
    std::string why;
    ASSERT_TRUE(consumer.start({*node, 800, 600, 30, bed.runtimeDir(), -1}, why)) << why;
    ASSERT_TRUE(consumer.waitStreaming(10s)) << bed.log();
    ASSERT_TRUE(test::eventually([&] { return bed.displayState().monitors.size() == 2; }));
    const std::string added = bed.displayState().monitors.back().spec.connector;

    known = {{2, added, 800, 600}};
    GnomeCapture capture(bed.address(), displays(), state.file("state"), bed.runtimeDir());
    Watched w;
    auto stream = watch(capture, 2, pipSize(400, 300), w);
    ASSERT_TRUE(w.waitFor([&] { return w.started.has_value(); }));
    ASSERT_FALSE(*w.started) << (*w.started)->description;
    ASSERT_TRUE(w.waitFor([&] { return !w.frames.empty(); })) << bed.log();

    consumer.stop();
    maker.reset();
    ASSERT_TRUE(w.waitFor([&] { return w.stopped.has_value(); }, 10s)) << "the stream outlived its monitor";
    EXPECT_EQ(w.stopped->code, kCaptureEnded);
    stream->stop();
    EXPECT_TRUE(test::eventually([&] { return bed.screenCastSessions() == 0; }));
}

// The desktop portal's stand-in hands out a node mutter really records, and
// a descriptor on the bed's PipeWire.
class GnomePortalCaptureTest : public GnomeCaptureTest {
protected:
    void SetUp() override {
        GnomeCaptureTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        BusError error;
        recording = ScreenCastSession::open(bed.address(), error);
        ASSERT_TRUE(recording) << error.message;
        auto node = recording->recordMonitor(connector, error);
        ASSERT_TRUE(node) << error.message;
        std::string parameters = "{\"node\": " + std::to_string(*node) + ", \"socket\": \"" + bed.runtimeDir() +
                                 "/pipewire-0\"}";
        std::string why = bed.addService(VELVETPANE_PORTAL_STANDIN, "org.freedesktop.portal.Desktop", parameters);
        if (!why.empty()) GTEST_SKIP() << why;
        known = {{1, connector, 1920, 1080}};
    }
    std::string portal(const std::string& method) {
        return bed.call("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                        "org.freedesktop.DBus.Mock." + method);
    }
    std::unique_ptr<CaptureStream> startStream(GnomeCapture& capture, Watched& w) {
        auto stream = watch(capture, 1, pipSize(640, 360), w);
        EXPECT_TRUE(w.waitFor([&] { return w.started.has_value(); }));
        return stream;
    }

    std::unique_ptr<ScreenCastSession> recording;
};

TEST_F(GnomePortalCaptureTest, FramesArriveAndEachStartRenewsTheKeptToken) {
    {
        GnomeCapture capture(bed.address(), displays(), state.file("state"));
        ASSERT_TRUE(capture.throughPortal());
        Watched w;
        auto stream = startStream(capture, w);
        ASSERT_FALSE(*w.started) << (*w.started)->description;
        ASSERT_TRUE(w.waitFor([&] { return !w.frames.empty(); })) << bed.log();
        EXPECT_EQ(w.frames.front()->width, 640);
        EXPECT_EQ(w.frames.front()->height, 360);
        stream->stop();
        EXPECT_NE(portal("OpenSessions").find("uint32 0"), std::string::npos) << "the portal session stays open";
    }
    // A later run reopens without the dialog: the kept token goes to the
    // portal, and the new one it returns replaces it.
    GnomeCapture again(bed.address(), displays(), state.file("state"));
    Watched w;
    auto stream = startStream(again, w);
    ASSERT_FALSE(*w.started) << (*w.started)->description;
    EXPECT_EQ(portal("ReceivedTokens"), "(['', 'token-1'],)\n");
    stream->stop();
    EXPECT_EQ(RestoreTokens(state.file("state") + "/screencast-tokens.json").token("1"), "token-2");
}

TEST_F(GnomePortalCaptureTest, RefusalInTheDialogIsACaptureError) {
    portal("Refuse");
    GnomeCapture capture(bed.address(), displays(), state.file("state"));
    Watched w;
    auto stream = startStream(capture, w);
    ASSERT_TRUE(*w.started);
    EXPECT_EQ((*w.started)->code, kCaptureRefused);
    stream.reset();
    EXPECT_NE(portal("OpenSessions").find("uint32 0"), std::string::npos);
    EXPECT_EQ(RestoreTokens(state.file("state") + "/screencast-tokens.json").token("1"), "");
}

TEST(GnomePortalMissing, IsACaptureErrorOfItsOwn) {
    SessionBed bed = SessionBed::standin();
    if (!bed.ready()) GTEST_SKIP() << bed.whyNot();
    TempDir state;
    RestoreTokens tokens(state.file("tokens.json"));
    PortalCast cast(bed.address(), tokens, "1", true);
    std::atomic<bool> cancelled{false};
    CaptureError error;
    EXPECT_FALSE(cast.start(cancelled, error));
    EXPECT_EQ(error.code, kCaptureNoPortal);
}

}  // namespace
}  // namespace vp::gnome
