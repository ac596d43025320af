// The layout rules and edits, and the conversions, without a bus.

#include "platform/linux/gnome/GammaRampsConvert.h"
#include "platform/linux/gnome/GnomeDisplays.h"
#include "platform/linux/gnome/MutterLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

namespace vp::gnome {
namespace {

MutterMode mode(std::int32_t w, std::int32_t h, double refresh, std::vector<double> scales, bool current = false) {
    MutterMode m;
    m.id = std::to_string(w) + "x" + std::to_string(h) + "@" + std::to_string(refresh);
    m.width = w;
    m.height = h;
    m.refresh = refresh;
    m.scales = std::move(scales);
    m.preferredScale = m.scales.back();
    m.current = current;
    m.preferred = current;
    return m;
}

MutterMonitor monitor(const std::string& connector, std::vector<MutterMode> modes) {
    MutterMonitor m;
    m.spec = {connector, "ACR", "X", "1"};
    m.modes = std::move(modes);
    return m;
}

// A 4K monitor at scale 2 beside a 1080p one at scale 1, in the logical layout.
MutterState twoMonitors() {
    MutterState s;
    s.monitors.push_back(monitor("A", {mode(3840, 2160, 60, {1, 1.5, 2}, true), mode(1920, 1080, 60, {1, 2}),
                                       mode(1920, 1080, 120, {1, 2})}));
    s.monitors.push_back(monitor("B", {mode(1920, 1080, 60, {1}, true), mode(1920, 1080, 75, {1})}));
    s.logicalMonitors.push_back({0, 0, 2, 0, true, {s.monitors[0].spec}});
    s.logicalMonitors.push_back({1920, 0, 1, 0, false, {s.monitors[1].spec}});
    return s;
}

TEST(MutterLayoutTest, LogicalSizeFollowsScaleTransformAndLayoutMode) {
    MutterState s = twoMonitors();
    MonitorsConfig c = configFromState(s);
    EXPECT_EQ(logicalSize(c.logicalMonitors[0], s).width, 1920);
    c.logicalMonitors[0].transform = 1;  // turned a quarter
    EXPECT_EQ(logicalSize(c.logicalMonitors[0], s).width, 1080);
    s.layout = LayoutMode::physical;
    EXPECT_EQ(logicalSize(c.logicalMonitors[0], s).height, 3840);
}

TEST(MutterLayoutTest, SettleMakesLayoutsMutterAccepts) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::int32_t, std::int32_t>> origins;
        std::vector<bool> primary;
        std::vector<std::pair<std::int32_t, std::int32_t>> expected;
        std::vector<bool> expectedPrimary;
    };
    const Case cases[] = {
        {"already fine", {{0, 0}, {1920, 0}}, {true, false}, {{0, 0}, {1920, 0}}, {true, false}},
        {"stacked is fine", {{0, 1080}, {0, 0}}, {false, true}, {{0, 1080}, {0, 0}}, {false, true}},
        {"shifted to the origin", {{100, 50}, {2020, 50}}, {true, false}, {{0, 0}, {1920, 0}}, {true, false}},
        {"overlap becomes a row", {{0, 0}, {500, 0}}, {false, false}, {{0, 0}, {1920, 0}}, {true, false}},
        {"gap closes, order kept", {{4000, 0}, {0, 0}}, {true, true}, {{1920, 0}, {0, 0}}, {true, false}},
        {"corner only is not touching", {{0, 0}, {1920, 1080}}, {true, false}, {{0, 0}, {1920, 0}}, {true, false}},
    };
    MutterState s = twoMonitors();
    for (const auto& c : cases) {
        MonitorsConfig config = configFromState(s);
        for (std::size_t i = 0; i < 2; ++i) {
            config.logicalMonitors[i].x = c.origins[i].first;
            config.logicalMonitors[i].y = c.origins[i].second;
            config.logicalMonitors[i].primary = c.primary[i];
        }
        settleLayout(config, s);
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(config.logicalMonitors[i].x, c.expected[i].first) << c.what;
            EXPECT_EQ(config.logicalMonitors[i].y, c.expected[i].second) << c.what;
            EXPECT_EQ(config.logicalMonitors[i].primary, c.expectedPrimary[i]) << c.what;
        }
    }
}

TEST(MutterLayoutTest, ModeChangeTakesAListedScale) {
    MutterState s = twoMonitors();
    MonitorsConfig c = configFromState(s);
    c.logicalMonitors[0].scale = 1.5;
    ASSERT_EQ(setMode(c, s, "A", s.monitors[0].modes[1].id), "");
    EXPECT_EQ(c.logicalMonitors[0].scale, 2) << "1.5 is not listed for 1920x1080: its preferred scale instead";
    c.logicalMonitors[0].scale = 1.00001;
    ASSERT_EQ(setMode(c, s, "A", s.monitors[0].modes[2].id), "");
    EXPECT_EQ(c.logicalMonitors[0].scale, 1.0) << "the listed value, exactly";
    EXPECT_NE(setMode(c, s, "A", "nope"), "");
    EXPECT_NE(setMode(c, s, "Z", s.monitors[0].modes[0].id), "");
}

TEST(MutterLayoutTest, MirrorPicksSameSizeNearestRefreshAndGroupFollowsModeChanges) {
    MutterState s = twoMonitors();
    MonitorsConfig c = configFromState(s);
    EXPECT_NE(setMirror(c, s, "B", "A").find("3840×2160"), std::string::npos);
    ASSERT_EQ(setMode(c, s, "A", s.monitors[0].modes[2].id), "");  // 1920x1080@120
    ASSERT_EQ(setMirror(c, s, "B", "A"), "");
    ASSERT_EQ(c.logicalMonitors.size(), 1u);
    EXPECT_EQ(c.logicalMonitors[0].monitors[1].modeId, s.monitors[1].modes[1].id) << "75 Hz is nearest to 120";
    ASSERT_EQ(setMode(c, s, "A", s.monitors[0].modes[1].id), "");
    EXPECT_EQ(c.logicalMonitors[0].monitors[1].modeId, s.monitors[1].modes[0].id) << "60 Hz follows 60 Hz";
    EXPECT_NE(setMode(c, s, "A", s.monitors[0].modes[0].id), "") << "B has no 4K mode to follow with";
    EXPECT_NE(setMirror(c, s, "A", "A"), "");
}

TEST(MutterLayoutTest, PrimaryMirroredAwayHandsPrimaryToItsGroup) {
    MutterState s = twoMonitors();
    s.monitors[1].modes.push_back(mode(3840, 2160, 30, {1, 2}));
    MonitorsConfig c = configFromState(s);
    ASSERT_EQ(setMirror(c, s, "A", "B"), "");
    ASSERT_EQ(c.logicalMonitors.size(), 1u);
    EXPECT_TRUE(c.logicalMonitors[0].primary);
    EXPECT_EQ(c.logicalMonitors[0].monitors[0].connector, "B");
}

TEST(MutterLayoutTest, SwitchingOnPlacesAtTheRightWithThePreferredMode) {
    MutterState s = twoMonitors();
    MonitorsConfig c = configFromState(s);
    ASSERT_EQ(setEnabled(c, s, "A", false), "");
    EXPECT_EQ(setEnabled(c, s, "A", false), "") << "already off";
    EXPECT_NE(setEnabled(c, s, "B", false), "") << "the last one stays";
    ASSERT_EQ(setEnabled(c, s, "A", true), "");
    const LogicalConfig* a = c.logicalFor("A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->x, 3840) << "B kept its place at 1920 until settled";
    EXPECT_EQ(a->scale, 2);
    EXPECT_EQ(a->monitors[0].modeId, s.monitors[0].modes[0].id);
    settleLayout(c, s);
    EXPECT_EQ(c.logicalFor("B")->x, 0);
    EXPECT_EQ(c.logicalFor("A")->x, 1920);
    EXPECT_TRUE(c.logicalFor("B")->primary);
}

TEST(GammaRampsConvertTest, ResamplesBothWaysAndClamps) {
    GammaRamps ramps;
    for (int i = 0; i < 1024; ++i) ramps.red.push_back(std::uint16_t(i * 64));
    ramps.green = ramps.blue = ramps.red;
    GammaTable table = tableFromRamps(ramps, 256);
    ASSERT_EQ(table.r.size(), 256u);
    EXPECT_FLOAT_EQ(table.r.front(), 0);
    EXPECT_NEAR(table.r.back(), 1023.0 * 64 / 65535, 1e-6);
    EXPECT_EQ(tableFromRamps(ramps, 4096).r.size(), 1024u) << "never more than the CRTC has";

    GammaTable wild{{-1.f, 0.5f, 2.f}, {0, 0, NAN}, {1, 1, 1}};
    GammaRamps out = rampsFromTable(wild, 5);
    EXPECT_EQ(out.red, (std::vector<std::uint16_t>{0, 16384, 32768, 49151, 65535})) << "clamped before resampling";
    EXPECT_EQ(out.green.back(), 0) << "not a number is dark, not undefined";
    EXPECT_EQ(out.blue.size(), 5u);
}

TEST(GnomeIdentityTest, IdsVendorsAndUuids) {
    MonitorSpec a{"DP-1", "DEL", "DELL U2720Q", "4C7QK13"};
    MonitorSpec moved = a;
    moved.connector = "DP-2";
    EXPECT_NE(displayIdFor(a), 0u);
    EXPECT_NE(displayIdFor(a), displayIdFor(moved));
    EXPECT_EQ(monitorUuid(a), monitorUuid(moved)) << "the monitor keeps its settings on another port";
    EXPECT_TRUE(std::regex_match(monitorUuid(a), std::regex("[0-9A-F]{8}-[0-9A-F]{4}-5[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")));
    MonitorSpec twinA{"Meta-0", "MetaVendor", "MetaVirtualMonitor", "0x00"}, twinB = twinA;
    twinB.connector = "Meta-1";
    twinB.serial = "0x01";
    EXPECT_NE(monitorUuid(twinA), monitorUuid(twinB));
    MonitorSpec bare{"HDMI-1", "GSM", "LG", ""}, bare2 = bare;
    bare2.connector = "HDMI-2";
    EXPECT_NE(monitorUuid(bare), monitorUuid(bare2)) << "identical monitors without serials are told apart";
    EXPECT_EQ(vendorCode("DEL"), 0x10ACu);
    EXPECT_EQ(vendorCode("MetaVendor"), 0u);
    EXPECT_EQ(vendorCode("d3l"), 0u);
}

}  // namespace
}  // namespace vp::gnome
