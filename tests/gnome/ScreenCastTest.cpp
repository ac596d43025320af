// Screen casts on headless mutter with PipeWire: a virtual monitor that
// lives while its stream is consumed, and a monitor's frames.

#include "gnome/SessionBed.h"
#include "platform/linux/gnome/DisplayConfigClient.h"
#include "platform/linux/gnome/PipeWireStream.h"
#include "platform/linux/gnome/ScreenCastSession.h"

#include <gtest/gtest.h>

#include <thread>

namespace vp::gnome {
namespace {

using test::SessionBed;
using namespace std::chrono_literals;

class ScreenCastTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bed.ready()) GTEST_SKIP() << bed.whyNot();
    }
    std::size_t monitorCount() {
        BusError error;
        auto s = client.currentState(error);
        return s ? s->monitors.size() : 0;
    }
    bool waitForMonitors(std::size_t count) {
        for (int i = 0; i < 200; ++i) {
            if (monitorCount() == count) return true;
            std::this_thread::sleep_for(25ms);
        }
        return false;
    }

    SessionBed bed = SessionBed::mutter({"1920x1080"}, true);
    DisplayConfigClient client{bed.address()};
};

TEST_F(ScreenCastTest, VirtualMonitorLivesWhileItsStreamIsConsumed) {
    BusError error;
    auto session = ScreenCastSession::open(bed.address(), error);
    ASSERT_TRUE(session) << error.message;
    auto node = session->recordVirtual(error);
    ASSERT_TRUE(node) << error.message;
    PipeWireStream stream;
    std::string why;
    ASSERT_TRUE(stream.start({*node, 1280, 720, 30, bed.runtimeDir(), -1}, why)) << why;
    ASSERT_TRUE(stream.waitStreaming(10s)) << bed.log();
    ASSERT_TRUE(waitForMonitors(2));
    auto s = client.currentState(error);
    const MutterMode* mode = s->monitors.back().currentMode();
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->width, 1280);
    EXPECT_EQ(mode->height, 720);
    ASSERT_NE(s->logicalFor(s->monitors.back().spec.connector), nullptr) << "laid out like any monitor";

    stream.stop();
    session.reset();
    EXPECT_TRUE(waitForMonitors(1));
}

TEST_F(ScreenCastTest, MonitorFramesArrive) {
    BusError error;
    auto session = ScreenCastSession::open(bed.address(), error);
    ASSERT_TRUE(session) << error.message;
    auto state = client.currentState(error);
    ASSERT_TRUE(state);
    auto node = session->recordMonitor(state->monitors[0].spec.connector, error);
    ASSERT_TRUE(node) << error.message;
    PipeWireStream stream;
    std::atomic<std::uint32_t> width{0};
    stream.onFrame([&](const VideoFrame& f) { width = f.width; });
    std::string why;
    ASSERT_TRUE(stream.start({*node, 0, 0, 30, bed.runtimeDir(), -1}, why)) << why;
    ASSERT_TRUE(stream.waitStreaming(10s)) << bed.log();
    for (int i = 0; i < 200 && stream.framesSeen() == 0; ++i) std::this_thread::sleep_for(25ms);
    EXPECT_GT(stream.framesSeen(), 0u);
    EXPECT_EQ(width.load(), 1920u);
}

}  // namespace
}  // namespace vp::gnome
