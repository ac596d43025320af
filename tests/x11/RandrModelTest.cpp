#include "platform/linux/x11/RandrModel.h"
#include "x11/EdidBuilder.h"

#include <gtest/gtest.h>

namespace vp::x11 {
namespace {

RandrOutput monitor(XId id, const std::string& connector, std::optional<test::EdidSpec> spec) {
    RandrOutput o;
    o.id = id;
    o.name = connector;
    o.connected = true;
    if (spec) o.edid = parseEdid(test::makeEdid(*spec));
    return o;
}

test::EdidSpec model(std::uint32_t serial, std::string serialText = "") {
    test::EdidSpec spec;
    spec.serial = serial;
    spec.serialText = std::move(serialText);
    return spec;
}

DisplayID idOf(const std::vector<RandrOutput>& outputs, const std::string& connector) {
    for (const auto& o : outputs)
        if (o.name == connector) return o.display;
    return 0;
}

TEST(RandrModelTest, DisplayIdsFollowTheMonitorNotTheConnector) {
    std::vector<RandrOutput> before = {monitor(1, "DP-1", model(11)), monitor(2, "HDMI-1", model(22))};
    std::vector<RandrOutput> swapped = {monitor(5, "DP-1", model(22)), monitor(6, "HDMI-1", model(11))};
    assignDisplayIds(before);
    assignDisplayIds(swapped);
    EXPECT_EQ(idOf(before, "DP-1"), idOf(swapped, "HDMI-1"));
    EXPECT_EQ(idOf(before, "HDMI-1"), idOf(swapped, "DP-1"));
    EXPECT_NE(idOf(before, "DP-1"), idOf(before, "HDMI-1"));
}

TEST(RandrModelTest, IdenticalUnitsWithoutSerialAreToldApartByConnector) {
    struct Case {
        const char* what;
        std::vector<RandrOutput> outputs;
        std::vector<std::string> keys;
    };
    std::vector<Case> cases = {
        {"twins, serial 0", {monitor(1, "DP-1", model(0)), monitor(2, "DP-2", model(0))},
         {"VPT-1234-0@DP-1", "VPT-1234-0@DP-2"}},
        {"a lone serial-0 monitor keeps its key on any connector", {monitor(1, "DP-3", model(0))}, {"VPT-1234-0"}},
        {"serial text tells twins apart", {monitor(1, "DP-1", model(0, "A1")), monitor(2, "DP-2", model(0, "B2"))},
         {"VPT-1234-A1", "VPT-1234-B2"}},
        {"no EDID", {monitor(1, "VGA-1", std::nullopt)}, {"connector:VGA-1"}},
    };
    for (auto& c : cases) {
        assignDisplayIds(c.outputs);
        for (std::size_t i = 0; i < c.keys.size(); ++i) {
            EXPECT_EQ(c.outputs[i].key, c.keys[i]) << c.what;
        }
        if (c.outputs.size() == 2) {
            EXPECT_NE(c.outputs[0].display, c.outputs[1].display) << c.what;
        }
    }
}

TEST(RandrModelTest, RefreshComesFromTheModeLine) {
    EXPECT_NEAR(modeRefresh(148500000, 2200, 1125, 0), 60.0, 1e-9);
    EXPECT_NEAR(modeRefresh(173000000, 2576, 1120, 0), 59.963, 1e-3);
    EXPECT_NEAR(modeRefresh(74250000, 2200, 1125, 1u << 4), 60.0, 1e-9);  // interlaced: fields
    EXPECT_NEAR(modeRefresh(50350000, 800, 525, 1u << 5), 59.94, 1e-2);   // double scan
    EXPECT_EQ(modeRefresh(1000, 0, 0, 0), 0);
}

TEST(RandrModelTest, BuiltinPanelsByConnectorOrConnectorType) {
    for (const auto& [name, type, builtin] : std::vector<std::tuple<std::string, std::string, bool>>{
             {"eDP-1", "", true}, {"LVDS1", "", true}, {"DSI-1", "", true}, {"DP-1", "", false},
             {"DP-1", "Panel", true}, {"HDMI-A-1", "HDMI", false}}) {
        RandrOutput o;
        o.name = name;
        o.connectorType = type;
        EXPECT_EQ(isBuiltinConnector(o), builtin) << name << " " << type;
    }
}

// A screen of `crtcs` CRTCs and outputs that may use every CRTC; outputs
// listed in `clones` may share one.
RandrScreen screenOf(int outputs, int crtcs, bool clones) {
    RandrScreen s;
    s.maxWidth = 8192;
    s.maxHeight = 8192;
    s.modes = {{100, "1920x1080", 1920, 1080, 60}, {101, "1280x1024", 1280, 1024, 60}};
    for (int c = 0; c < crtcs; ++c) s.crtcs.push_back({XId(10 + c), 0, 0, 0, 0, 0, kRotateNormal, {}, {}, 256});
    for (int o = 0; o < outputs; ++o) {
        RandrOutput out;
        out.id = XId(20 + o);
        out.name = "OUT" + std::to_string(o);
        out.connected = true;
        out.modes = {100, 101};
        for (const auto& c : s.crtcs) out.crtcs.push_back(c.id);
        if (clones)
            for (int other = 0; other < outputs; ++other)
                if (other != o) out.clones.push_back(XId(20 + other));
        s.outputs.push_back(out);
    }
    return s;
}

TEST(RandrModelTest, OutputsAtOnePlaceShareACrtcWhenTheyAreClones) {
    auto s = screenOf(2, 2, true);
    auto plan = planLayout(s, {{20, {100, 0, 0}}, {21, {100, 0, 0}}}, 20);
    ASSERT_TRUE(std::holds_alternative<LayoutPlan>(plan)) << std::get<std::string>(plan);
    int used = 0;
    for (const auto& [crtc, config] : std::get<LayoutPlan>(plan).crtcs)
        if (config.mode) {
            ++used;
            EXPECT_EQ(config.outputs, (std::vector<XId>{20, 21}));
        }
    EXPECT_EQ(used, 1);
}

TEST(RandrModelTest, WithoutClonesAMirrorTakesASecondCrtcAtTheSamePlace) {
    auto s = screenOf(2, 2, false);
    auto plan = std::get<LayoutPlan>(planLayout(s, {{20, {100, 0, 0}}, {21, {100, 0, 0}}}, 20));
    std::vector<CrtcConfig> on;
    for (const auto& [crtc, config] : plan.crtcs)
        if (config.mode) on.push_back(config);
    ASSERT_EQ(on.size(), 2u);
    EXPECT_EQ(on[0].x, on[1].x);
    EXPECT_EQ(on[0].outputs.size(), 1u);
}

TEST(RandrModelTest, PlansThatCannotBeDoneSayWhy) {
    struct Case {
        const char* what;
        RandrScreen screen;
        std::map<XId, OutputTarget> targets;
        std::string error;
    };
    std::vector<Case> cases = {
        {"more outputs than CRTCs", screenOf(2, 1, false), {{20, {100, 0, 0}}, {21, {100, 1920, 0}}},
         "no free CRTC can drive OUT1"},
        {"unknown mode", screenOf(1, 1, false), {{20, {999, 0, 0}}}, "OUT0 cannot show that mode"},
        {"all off", screenOf(1, 1, false), {{20, {}}}, "that would switch every screen off"},
        {"too large", screenOf(2, 2, false), {{20, {100, 0, 0}}, {21, {100, 8000, 0}}},
         "the arrangement is larger than the screen may be (8192x8192)"},
    };
    for (const auto& c : cases) {
        auto plan = planLayout(c.screen, c.targets, 20);
        ASSERT_TRUE(std::holds_alternative<std::string>(plan)) << c.what;
        EXPECT_EQ(std::get<std::string>(plan), c.error) << c.what;
    }
}

TEST(RandrModelTest, ArrangementMovesToTheOriginAndMainMovesOffASwitchedOffOutput) {
    auto s = screenOf(3, 3, false);
    auto plan = std::get<LayoutPlan>(
        planLayout(s, {{20, {}}, {21, {101, -1280, -200}}, {22, {100, 0, 0}}}, 20));
    EXPECT_EQ(plan.width, 1280 + 1920);
    EXPECT_EQ(plan.height, 200 + 1080);
    EXPECT_EQ(plan.primary, 21u) << "the output now at the origin";
    for (const auto& [crtc, config] : plan.crtcs)
        if (config.outputs == std::vector<XId>{22}) {
            EXPECT_EQ(config.x, 1280);
            EXPECT_EQ(config.y, 200);
        }
    auto none = std::get<LayoutPlan>(planLayout(s, {{20, {100, 0, 0}}}, 0));
    EXPECT_EQ(none.primary, 0u) << "no primary stays no primary";
}

TEST(RandrModelTest, OutputsKeepTheirCrtcSoUnchangedOnesAreNotTouched) {
    auto s = screenOf(2, 3, false);
    s.outputs[1].crtc = 12;
    s.crtcs[2] = {12, 0, 0, 1920, 1080, 100, kRotateNormal, {21}, {}, 256};
    auto plan = std::get<LayoutPlan>(planLayout(s, {{20, {100, 1920, 0}}, {21, {100, 0, 0}}}, 21));
    EXPECT_EQ(plan.crtcs[12], currentConfig(s.crtcs[2]));
}

TEST(RandrModelTest, NativeModePrefersRandrThenTheEdidThenTheLargest) {
    RandrScreen s;
    s.modes = {{1, "1280x1024", 1280, 1024, 60}, {2, "1920x1080", 1920, 1080, 59.94}, {3, "1920x1080", 1920, 1080, 60.0},
               {4, "2560x1440", 2560, 1440, 30}};
    RandrOutput o = monitor(9, "DP-1", model(1));
    o.modes = {1, 2, 3, 4};
    EXPECT_EQ(nativeMode(s, o), 3u) << "the EDID's 1920x1080 at 60 Hz";
    o.preferredModes = 1;
    EXPECT_EQ(nativeMode(s, o), 1u) << "the server's preferred mode";
    o.preferredModes = 0;
    o.edid.reset();
    EXPECT_EQ(nativeMode(s, o), 4u) << "the largest";
}

}  // namespace
}  // namespace vp::x11
