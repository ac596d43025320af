// The DisplayConfig client's refusals against real headless mutter, and its
// gamma ramps against the stand-in. What it reads and writes is checked
// through the display services in GnomeDisplaysTest.

#include "gnome/SessionBed.h"
#include "platform/linux/gnome/DisplayConfigClient.h"
#include "platform/linux/gnome/MutterLayout.h"

#include <gtest/gtest.h>

namespace vp::gnome {
namespace {

using test::SessionBed;

class MutterClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bed.ready()) GTEST_SKIP() << bed.whyNot();
    }
    MutterState state() {
        BusError error;
        auto s = client.currentState(error);
        EXPECT_TRUE(s) << error.name << ": " << error.message;
        return s.value_or(MutterState{});
    }

    SessionBed bed = SessionBed::mutter();
    DisplayConfigClient client{bed.address()};
};

TEST_F(MutterClientTest, StaleSerialAndRefusalsKeepMuttersWords) {
    MutterState s = state();
    MonitorsConfig config = configFromState(s);
    BusError stale;
    EXPECT_FALSE(client.apply(s.serial + 7, ApplyMethod::verify, config, stale));
    EXPECT_TRUE(DisplayConfigClient::isStaleSerial(stale)) << stale.name;

    config.logicalMonitors[1].x = 100;  // overlaps the first
    BusError refused;
    EXPECT_FALSE(client.apply(s.serial, ApplyMethod::verify, config, refused));
    EXPECT_FALSE(DisplayConfigClient::isStaleSerial(refused));
    EXPECT_FALSE(refused.message.empty());
    EXPECT_EQ(state().serial, s.serial) << "a refused configuration changes nothing";
}

TEST(StandinClientTest, GammaRampsRoundTrip) {
    SessionBed bed = SessionBed::standin();
    if (!bed.ready()) GTEST_SKIP() << bed.whyNot();
    DisplayConfigClient client(bed.address());
    BusError error;
    auto ramps = client.gamma("HDMI-1", error);
    ASSERT_TRUE(ramps) << error.message;
    ASSERT_EQ(ramps->red.size(), 256u);
    EXPECT_EQ(ramps->red.back(), 65535);
    GammaRamps half = *ramps;
    for (auto* ramp : {&half.red, &half.green, &half.blue})
        for (auto& v : *ramp) v = std::uint16_t(v / 2);
    ASSERT_TRUE(client.setGamma("HDMI-1", half, error)) << error.message;
    EXPECT_EQ(client.gamma("HDMI-1", error), half);
    EXPECT_EQ(client.gamma("DP-1", error), ramps) << "the other display keeps its ramps";
    EXPECT_FALSE(client.gamma("DP-9", error));
    EXPECT_NE(error.message.find("DP-9"), std::string::npos);
}

}  // namespace
}  // namespace vp::gnome
