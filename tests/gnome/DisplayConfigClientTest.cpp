// The DisplayConfig client against real headless mutter and the stand-in:
// what it reads must match mutter's own answer to another client, and what
// it writes must be what mutter then reports.

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

TEST_F(MutterClientTest, ReadsTheMonitorsMutterReportsToOtherClients) {
    MutterState s = state();
    ASSERT_EQ(s.monitors.size(), 2u);
    std::string raw = bed.gdbus("org.gnome.Mutter.DisplayConfig.GetCurrentState");
    EXPECT_NE(raw.find("(uint32 " + std::to_string(s.serial) + ","), std::string::npos) << raw;
    for (const auto& m : s.monitors) {
        EXPECT_NE(raw.find("'" + m.spec.connector + "'"), std::string::npos);
        ASSERT_EQ(m.modes.size(), 1u);
        EXPECT_TRUE(m.modes[0].current);
        EXPECT_TRUE(m.modes[0].preferred);
        EXPECT_FALSE(m.modes[0].scales.empty());
        EXPECT_NE(raw.find("'" + m.modes[0].id + "'"), std::string::npos);
    }
    EXPECT_EQ(s.monitors[0].modes[0].width, 2560);
    EXPECT_EQ(s.monitors[1].modes[0].height, 1080);
    ASSERT_EQ(s.logicalMonitors.size(), 2u);
    EXPECT_TRUE(s.logicalMonitors[0].primary);
    EXPECT_FALSE(s.logicalMonitors[1].primary);
    EXPECT_EQ(s.logicalMonitors[1].x, 2560);
    EXPECT_EQ(s.logicalMonitors[1].monitors.at(0).connector, s.monitors[1].spec.connector);
}

TEST_F(MutterClientTest, ConfigurationAppliedTemporarilyIsWhatMutterThenReports) {
    MutterState before = state();
    MonitorsConfig config = configFromState(before);
    const std::string second = before.monitors[1].spec.connector;
    ASSERT_EQ(setPrimary(config, second), "");
    BusError error;
    ASSERT_TRUE(client.apply(before.serial, ApplyMethod::temporary, config, error)) << error.message;
    MutterState after = state();
    ASSERT_NE(after.logicalFor(second), nullptr);
    EXPECT_TRUE(after.logicalFor(second)->primary);
    EXPECT_EQ(configFromState(after), config);
}

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
