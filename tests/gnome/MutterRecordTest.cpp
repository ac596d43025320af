// The record of originals: what is written reads back the same, a damaged
// record is refused whole, and a recorded layout fits today's monitors.

#include "platform/linux/gnome/MutterRecord.h"

#include <gtest/gtest.h>

namespace vp::gnome {
namespace {

using nlohmann::json;

MonitorsConfig sample() {
    MonitorsConfig c;
    c.logicalMonitors.push_back({0, 0, 1.25, 0, true, {{"DP-1", "2560x1440@59.951"}, {"DP-2", "2560x1440@60.000"}}});
    c.logicalMonitors.push_back({2048, 0, 1, 3, false, {{"HDMI-1", "1920x1080@60.000"}}});
    return c;
}

TEST(MutterRecordTest, ConfigAndRampsReadBackTheSame) {
    EXPECT_EQ(configFromJson(json::parse(configToJson(sample()).dump())), sample());
    GammaRamps ramps{{0, 30000, 65535}, {0, 1, 2}, {65535, 0, 7}};
    EXPECT_EQ(rampsFromJson(json::parse(rampsToJson(ramps).dump())), ramps);
}

TEST(MutterRecordTest, DamagedRecordsAreRefusedWhole) {
    const char* configs[] = {
        R"(null)",
        R"({"logicalMonitors": {}})",
        R"({"logicalMonitors": [{"x": 0, "y": 0, "scale": 0, "transform": 0, "primary": true,
            "monitors": [{"connector": "A", "mode": "m"}]}]})",
        R"({"logicalMonitors": [{"x": 0, "y": 0, "scale": 1, "transform": 9, "primary": true,
            "monitors": [{"connector": "A", "mode": "m"}]}]})",
        R"({"logicalMonitors": [{"x": 0, "y": 0, "scale": 1, "transform": 0, "primary": true, "monitors": []}]})",
        R"({"logicalMonitors": [{"x": 1e12, "y": 0, "scale": 1, "transform": 0, "primary": true,
            "monitors": [{"connector": "A", "mode": "m"}]}]})",
        R"({"logicalMonitors": [{"x": 0, "y": 0, "scale": 1, "transform": 0, "primary": 1,
            "monitors": [{"connector": "A", "mode": "m"}]}]})",
        R"({"logicalMonitors": [{"x": 0, "y": 0, "scale": 1, "transform": 0, "primary": true,
            "monitors": [{"connector": 5, "mode": "m"}]}]})",
    };
    for (const char* text : configs) EXPECT_FALSE(configFromJson(json::parse(text))) << text;
    const char* ramps[] = {
        R"({"red": [1, 2], "green": [1, 2]})",
        R"({"red": [1, 2], "green": [1, 2], "blue": [1]})",
        R"({"red": [1, 70000], "green": [1, 2], "blue": [1, 2]})",
        R"({"red": [1, -2], "green": [1, 2], "blue": [1, 2]})",
        R"({"red": [], "green": [], "blue": []})",
    };
    for (const char* text : ramps) EXPECT_FALSE(rampsFromJson(json::parse(text))) << text;
}

TEST(MutterRecordTest, RestorableDropsWhatIsGoneAndSettles) {
    MutterState now;
    MutterMonitor hdmi;
    hdmi.spec.connector = "HDMI-1";
    hdmi.modes.push_back({"1920x1080@60.000", 1920, 1080, 60, 1, {1}, true, true});
    now.monitors.push_back(hdmi);
    MutterMonitor dp2;
    dp2.spec.connector = "DP-2";
    dp2.modes.push_back({"1280x720@60.000", 1280, 720, 60, 1, {1}, true, true});
    now.monitors.push_back(dp2);

    // DP-1 is unplugged and DP-2 lost the recorded mode: only HDMI-1 is
    // left, at the origin and primary.
    auto config = restorable(sample(), now);
    ASSERT_TRUE(config);
    ASSERT_EQ(config->logicalMonitors.size(), 1u);
    EXPECT_EQ(config->logicalMonitors[0].monitors[0].connector, "HDMI-1");
    EXPECT_EQ(config->logicalMonitors[0].x, 0);
    EXPECT_TRUE(config->logicalMonitors[0].primary);

    now.monitors.erase(now.monitors.begin());
    EXPECT_FALSE(restorable(sample(), now));
}

}  // namespace
}  // namespace vp::gnome
