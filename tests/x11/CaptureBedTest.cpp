// Capture on a private Xvfb: known pixels come back from a screen and from a
// window even while another window covers it, the window list names the
// test's windows, and a window closing ends its stream with an error.

#include "platform/VirtualRuntime.h"
#include "platform/linux/ScaledFrame.h"
#include "platform/linux/x11/X11Capture.h"
#include "platform/linux/x11/PixelGrabber.h"
#include "platform/linux/x11/X11CaptureStream.h"
#include "x11/X11BedFixture.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <condition_variable>
#include <cstring>
#include <mutex>

namespace vp::test {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kOrange = 0xFF8040, kBlue = 0x2040C0;

class XvfbCaptureTest : public XvfbBedTest {
protected:
    void SetUp() override {
        XvfbBedTest::SetUp();
        if (IsSkipped()) return;
        client_ = std::make_unique<XClient>(bed().display());
        c_ = client_->connection();
        root_ = client_->root();
        capture_ = std::make_unique<x11::X11Capture>(
            bed().display(), [] { return std::vector<std::pair<DisplayID, Rect>>{{7, Rect{0, 0, 1280, 1024}}}; });
    }
    // A mapped window filled with `rgb` by the server itself (its background).
    std::uint32_t window(int x, int y, int w, int h, std::uint32_t rgb, const std::string& title) {
        std::uint32_t id = xcb_generate_id(c_);
        std::uint32_t values[] = {rgb, 1};
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, id, root_, std::int16_t(x), std::int16_t(y), std::uint16_t(w),
                          std::uint16_t(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            std::uint32_t(title.size()), title.data());
        xcb_map_window(c_, id);
        client_->sync();
        return id;
    }
    // What a stream delivered: its first frame and how it stopped.
    struct Seen {
        std::mutex m;
        std::condition_variable cv;
        CapturedFrameRef frame;
        std::optional<CaptureError> stopped;
        template <class Done>
        bool waitFor(Done done) {
            std::unique_lock lock(m);
            return cv.wait_for(lock, 5s, done);
        }
    };
    std::unique_ptr<CaptureStream> start(const CaptureFilter& filter, Seen& seen) {
        StreamConfiguration config;
        config.width = 1280;
        config.height = 1024;
        config.minimumFrameInterval = 0.02;
        auto stream = capture_->makeStream(filter, config);
        stream->addOutput(queue_, [&seen](CapturedFrameRef f) {
            std::lock_guard lock(seen.m);
            if (!seen.frame) seen.frame = f;
            seen.cv.notify_all();
        });
        stream->setOnStopWithError([&seen](CaptureError e) {
            std::lock_guard lock(seen.m);
            seen.stopped = e;
            seen.cv.notify_all();
        });
        std::optional<CaptureError> startError;
        stream->start([&](std::optional<CaptureError> e) { startError = e; });
        EXPECT_FALSE(startError) << startError->description;
        return stream;
    }
    // The first frame of a stream, or none within five seconds.
    CapturedFrameRef firstFrame(const CaptureFilter& filter) {
        Seen seen;
        auto stream = start(filter, seen);
        seen.waitFor([&] { return seen.frame != nullptr; });
        stream->stop();
        queue_.waitIdle();
        return seen.frame;
    }
    static std::uint32_t rgbAt(std::span<const std::uint8_t> bgra, int width, int x, int y) {
        const std::uint8_t* p = bgra.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4;
        return std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
    }
    static std::uint32_t rgbAt(const CapturedFrame& f, int x, int y) { return rgbAt(f.bgra, f.width, x, y); }
    static std::uint32_t rgbAt(const x11::Pixels& p, int x, int y) { return rgbAt(p.bgra, p.width, x, y); }
    void repaint(std::uint32_t window, std::uint32_t rgb) {
        xcb_change_window_attributes(c_, window, XCB_CW_BACK_PIXEL, &rgb);
        xcb_clear_area(c_, 0, window, 0, 0, 0, 0);
        client_->sync();
    }

    std::unique_ptr<XClient> client_;
    xcb_connection_t* c_ = nullptr;
    std::uint32_t root_ = 0;
    ThreadSerialQueue queue_;
    std::unique_ptr<x11::X11Capture> capture_;
};

TEST_F(XvfbCaptureTest, AScreenAndACoveredWindowShowTheirOwnPixels) {
    std::uint32_t orange = window(100, 100, 200, 120, kOrange, "Orange");
    window(80, 80, 300, 200, kBlue, "Cover");

    CaptureFilter screen;
    screen.display = 7;
    auto shot = firstFrame(screen);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->width, 1280);
    EXPECT_EQ(rgbAt(*shot, 150, 150), kBlue) << "the screen shows what is on top";
    EXPECT_EQ(shot->bgra[3], 0xFF) << "frames are opaque";

    CaptureFilter covered;
    covered.window = orange;
    auto frame = firstFrame(covered);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width, 200);
    EXPECT_EQ(frame->height, 120);
    EXPECT_EQ(rgbAt(*frame, 10, 10), kOrange) << "a covered window still shows its own pixels";
    EXPECT_EQ(rgbAt(*frame, 199, 119), kOrange);
}

TEST_F(XvfbCaptureTest, TheWindowListNamesTheWindowsOnTheServer) {
    std::uint32_t id = window(10, 20, 64, 48, kOrange, "Known Title");
    std::optional<ShareableContent> content;
    capture_->shareableContent(true, true, [&](auto c, auto) { content = c; });
    ASSERT_TRUE(content);
    ASSERT_EQ(content->displays.size(), 1u);
    EXPECT_EQ(content->displays[0].displayID, 7u);
    auto it = std::find_if(content->windows.begin(), content->windows.end(),
                           [&](const ShareableWindow& w) { return w.windowID == id; });
    ASSERT_NE(it, content->windows.end());
    EXPECT_EQ(it->title, "Known Title");
    EXPECT_EQ(it->frame, (Rect{10, 20, 64, 48}));
}

TEST_F(XvfbCaptureTest, AWindowThatClosesEndsItsStreamWithAReason) {
    CaptureFilter filter;
    filter.window = window(0, 0, 50, 50, kOrange, "Short-lived");
    Seen seen;
    auto stream = start(filter, seen);
    xcb_destroy_window(c_, *filter.window);
    xcb_flush(c_);
    ASSERT_TRUE(seen.waitFor([&] { return seen.stopped.has_value(); }));
    EXPECT_EQ(seen.stopped->description, "the window closed");
    stream->stop();
    queue_.waitIdle();
}

// A 4K grab is not copied again: its pixels stay in a shared-memory segment
// lent out with them, which is grabbed into again only once released.
TEST_F(XvfbCaptureTest, GrabsLendTheirSegmentAndReuseItOnlyOnceEveryHolderLetItGo) {
    std::uint32_t painted = window(0, 0, 64, 64, kOrange, "Painted");
    auto grabber = std::make_unique<x11::PixelGrabber>(c_);
    ASSERT_TRUE(grabber->sharedMemory()) << "Xvfb offers MIT-SHM";
    auto first = grabber->grab(root_, 0, 0, 64, 64);
    ASSERT_TRUE(first);
    EXPECT_EQ(rgbAt(*first, 10, 10), kOrange);
    EXPECT_EQ(first->bgra[3], 0xFF) << "opaque";
    EXPECT_EQ(grabber->segmentsLent(), 1u);

    repaint(painted, kBlue);
    auto second = grabber->grab(root_, 0, 0, 64, 64);
    ASSERT_TRUE(second);
    EXPECT_NE(second->bgra.data(), first->bgra.data()) << "a held segment is not grabbed into";
    EXPECT_EQ(rgbAt(*first, 10, 10), kOrange) << "the held pixels are as they were grabbed";
    EXPECT_EQ(rgbAt(*second, 10, 10), kBlue);

    const std::uint8_t* firstBytes = first->bgra.data();
    first.reset();
    EXPECT_EQ(grabber->segmentsLent(), 1u);
    auto third = grabber->grab(root_, 0, 0, 64, 64);
    ASSERT_TRUE(third);
    EXPECT_EQ(third->bgra.data(), firstBytes) << "a released segment takes its turn again";

    // With every segment held, grabs still come, in bytes of their own.
    std::vector<x11::Pixels> held;
    while (grabber->segmentsLent() < x11::PixelGrabber::kSegments) held.push_back(*grabber->grab(root_, 0, 0, 64, 64));
    repaint(painted, kOrange);
    auto extra = grabber->grab(root_, 0, 0, 64, 64);
    ASSERT_TRUE(extra);
    EXPECT_EQ(rgbAt(*extra, 10, 10), kOrange);
    EXPECT_EQ(rgbAt(held.back(), 10, 10), kBlue);
    EXPECT_EQ(grabber->segmentsLent(), x11::PixelGrabber::kSegments);

    // Pixels outlive the grabber that lent them.
    grabber.reset();
    EXPECT_EQ(rgbAt(*second, 63, 63), kBlue);
    EXPECT_EQ(rgbAt(held.front(), 63, 63), kBlue);
}

TEST(ScaledFrame, ReducesToTheStreamSizeKeepingTheAspectAndLendsWhatFits) {
    auto buffer = std::make_shared<std::vector<std::uint8_t>>(4 * 2 * 4);
    for (std::size_t i = 0; i < buffer->size(); i += 4) (*buffer)[i] = std::uint8_t(i / 4);
    const PixelView view{buffer->data(), 4, 2, 4 * 4};
    auto same = scaledFrame(view, buffer, 8, 8);
    EXPECT_EQ(same->width, 4);
    EXPECT_EQ(same->bgra.data(), buffer->data()) << "kept, not copied";
    auto half = scaledFrame(view, buffer, 2, 2);
    EXPECT_EQ(half->width, 2);
    EXPECT_EQ(half->height, 1);
    EXPECT_EQ(half->bgra[0], 0);
    EXPECT_EQ(half->bgra[4], 2) << "every other pixel";
    EXPECT_NE(half->storage, same->storage);
}

}  // namespace
}  // namespace vp::test
