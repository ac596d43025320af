#include "BuildPaths.h"
#include "display/BrightnessCurve.h"
#include "display/Gamma.h"
#include "support/HardwareHelpers.h"
#include "support/SimFixture.h"

#include <cmath>

namespace vp::test {
namespace {

constexpr DisplayID kBuiltin = 1, kDDC = 2, kPlain = 3;

std::vector<std::string> writesOf(const SimMonitor& monitor) {
    std::vector<std::string> out;
    for (const auto& text : packetTexts(monitor))
        if (text.starts_with("84 03")) out.push_back(text);
    return out;
}

int sentBrightness(const SimMonitor& monitor) {
    return monitor.value(0x10)->current;
}

struct Started : Sim {
    explicit Started(const nlohmann::json& scenario = defaultScenario(), SimOptions options = {})
        : Sim(scenario, options) {
        start();
        monitor = platform->simHardware.monitorFor(kDDC);
    }
    void set(DisplayID id, double value) {
        manager().setBrightness(id, value);
        idle();
    }
    float topOfGamma(DisplayID id) { return gammaOf(*platform, id).r.back(); }
    bool neutralGamma(DisplayID id) { return gammaOf(*platform, id) == identityGamma(); }
    std::shared_ptr<SimMonitor> monitor;
};

TEST(Brightness, StartDetectsEachScreensMethod) {
    Started sim;
    auto& m = sim.manager();
    EXPECT_EQ(m.state().method.at(kBuiltin), BrightnessMethod::builtin);
    EXPECT_EQ(m.state().method.at(kDDC), BrightnessMethod::ddc);
    EXPECT_EQ(m.state().method.at(kPlain), BrightnessMethod::software);
    EXPECT_NEAR(m.state().brightness.at(kBuiltin), 0.6, 1e-6);  // panel at 0.5
    EXPECT_NEAR(m.state().brightness.at(kDDC), 0.76, 1e-9);     // 70 of 100
    EXPECT_EQ(m.state().brightness.at(kPlain), 1.0);
    EXPECT_NEAR(m.state().volume.at(kDDC), 0.4, 1e-9);
    EXPECT_EQ(m.state().inputSource.at(kDDC), 15);
    EXPECT_TRUE(m.hasDDC(kDDC));
    EXPECT_FALSE(m.hasDDC(kPlain));
}

// The desktop's own keys move the panel: the program shows the new level,
// and drops the software dimming it had added below the panel's minimum.
TEST(Brightness, ThePanelFollowsBacklightChangesMadeOutsideTheProgram) {
    Started sim;
    sim.set(kBuiltin, 0.1);
    EXPECT_LT(sim.topOfGamma(kBuiltin), 0.99f);
    int published = 0;
    auto counting = sim.manager().onChange([&] { ++published; });
    sim.platform->simHardware.changeBacklightOutside(0.5f);
    sim.idle();
    EXPECT_NEAR(sim.manager().state().brightness.at(kBuiltin), 0.6, 1e-6);
    EXPECT_TRUE(sim.neutralGamma(kBuiltin));
    EXPECT_GE(published, 1);
}

// A later run drives a monitor it has met without asking it anything first
// (the value shown is the one it left, though the monitor's own buttons may
// have moved it since); readBrightness asks afresh.
TEST(Brightness, ALaterRunStartsFromWhatTheMonitorReportedBefore) {
    std::string remembered;
    {
        Started first;
        first.set(kDDC, 0.6);
        remembered = first.defaults().data("ddcProbes").value_or("");
    }
    ASSERT_FALSE(remembered.empty());
    Sim later;
    later.defaults().setData("ddcProbes", remembered);
    later.start();
    auto monitor = later.platform->simHardware.monitorFor(kDDC);
    auto& m = later.manager();
    EXPECT_TRUE(monitor->packets().empty());
    EXPECT_EQ(m.state().method.at(kDDC), BrightnessMethod::ddc);
    EXPECT_NEAR(m.state().brightness.at(kDDC), 0.6, 1e-9);
    EXPECT_EQ(m.state().inputSource.at(kDDC), 15);

    // This run's monitor was left at 70 by its own buttons.
    m.readBrightness(kDDC);
    later.idle();
    EXPECT_EQ(packetTexts(*monitor).front(), "82 01 10 AC");
    EXPECT_NEAR(m.state().brightness.at(kDDC), 0.76, 1e-9);

    monitor->clearRecords();
    m.setBrightness(kDDC, 0.68);
    later.idle();
    EXPECT_EQ(packetTexts(*monitor).size(), writesOf(*monitor).size()) << "a set sends no read";
    EXPECT_EQ(sentBrightness(*monitor), 60);
}

TEST(Brightness, SoftwareScreenDimsByGammaThenShade) {
    Started sim;
    sim.set(kPlain, 0.03);
    EXPECT_NEAR(sim.topOfGamma(kPlain), 0.06, 1e-6);
    auto shade = shadeOf(*sim.platform, kPlain);
    ASSERT_TRUE(shade);
    EXPECT_NEAR(shade->background.a, 0.5, 1e-9);
    auto screen = *sim.manager().screen(kPlain);
    EXPECT_EQ(sim.manager().prefsFor(screen).dim, 0.06);
    EXPECT_EQ(sim.manager().state().brightness.at(kPlain), 0.03);

    sim.set(kPlain, 0.7);
    EXPECT_NEAR(sim.topOfGamma(kPlain), 0.7, 1e-6);
    EXPECT_FALSE(shadeOf(*sim.platform, kPlain));
}

TEST(Brightness, BuiltinPanelGetsTheHardwareFraction) {
    Started sim;
    sim.set(kBuiltin, 0.6);
    EXPECT_FLOAT_EQ(sim.platform->simHardware.backlightPanel()->value, 0.5f);
    sim.set(kBuiltin, 0.1);
    EXPECT_FLOAT_EQ(sim.platform->simHardware.backlightPanel()->value, 0.0f);
    EXPECT_NEAR(sim.topOfGamma(kBuiltin), std::pow(0.5, 1.6), 1e-6);

    // A refresh while dimmed below the minimum keeps the user's value.
    sim.manager().refresh();
    EXPECT_EQ(sim.manager().state().brightness.at(kBuiltin), 0.1);
}

nlohmann::json withBacklight(const nlohmann::json& backlight) {
    auto scenario = defaultScenario();
    scenario["hardware"]["backlight"] = backlight;
    return scenario;
}

TEST(Brightness, BuiltinPanelFallsBackToSoftware) {
    const std::pair<const char*, nlohmann::json> cases[] = {
        {"library missing", nullptr},
        {"cannot change", {{"display", 1}, {"canChange", false}}},
        {"read fails", {{"display", 1}, {"getStatus", 7}}},
        {"no read entry point", {{"display", 1}, {"entryPoints", {"canChange", "set"}}}},
    };
    for (const auto& [what, backlight] : cases) {
        Started sim(withBacklight(backlight));
        EXPECT_EQ(sim.manager().state().method.at(kBuiltin), BrightnessMethod::software) << what;
        EXPECT_EQ(sim.manager().state().brightness.at(kBuiltin), 1.0) << what;
    }
    Started noCanChange(withBacklight({{"display", 1}, {"value", 0.25}, {"entryPoints", {"get", "set"}}}));
    EXPECT_EQ(noCanChange.manager().state().method.at(kBuiltin), BrightnessMethod::builtin);
    EXPECT_NEAR(noCanChange.manager().state().brightness.at(kBuiltin), 0.4, 1e-6);
}

TEST(Brightness, StepsSnapAndAllScreensFollow) {
    Started sim;
    auto& m = sim.manager();
    m.setAllBrightness(0.53);
    m.stepAllBrightness(0.1);
    sim.idle();
    for (DisplayID id : {kBuiltin, kDDC, kPlain}) EXPECT_NEAR(m.state().brightness.at(id), 0.6, 1e-12) << id;
    EXPECT_NEAR(m.averageBrightness(), 0.6, 1e-12);
    EXPECT_EQ(sentBrightness(*sim.monitor), 50);
}

nlohmann::json twinsScenario(const char* file) {
    return loadJsonFile(std::string(VELVETPANE_SCENARIO_DIR) + "/" + file);
}

// Two identical monitors, only the second speaking DDC/CI and listed first:
// nothing proves which link is whose, so a change to the first must neither
// reach the second over DDC/CI nor leave the first undimmed.
TEST(Brightness, IdenticalMonitorsWithoutProofStayOnSoftwareAndSayWhy) {
    Started sim(twinsScenario("ddc-identical.json"));
    auto& m = sim.manager();
    auto speaking = sim.platform->simHardware.monitorFor(6);
    for (DisplayID id : {5u, 6u}) {
        EXPECT_EQ(m.state().method.at(id), BrightnessMethod::software) << id;
        EXPECT_FALSE(m.hasDDC(id)) << id;
        ASSERT_TRUE(m.state().softwareReason.contains(id)) << id;
        EXPECT_NE(m.state().softwareReason.at(id).find("DDC/CI"), std::string::npos);
    }
    sim.set(5, 0.3);
    EXPECT_TRUE(writesOf(*speaking).empty());
    EXPECT_EQ(sentBrightness(*speaking), 75);
    EXPECT_LT(sim.topOfGamma(5), 0.99f);
    EXPECT_TRUE(sim.neutralGamma(6));

    // Once the twin leaves, the one left is told apart and its reason goes.
    sim.platform->simHardware.removeLinksOf(5);
    sim.displays().removeDisplay(5);
    sim.idle();
    EXPECT_EQ(m.state().method.at(6), BrightnessMethod::ddc);
    EXPECT_TRUE(m.state().softwareReason.empty());
}

TEST(Brightness, IdenticalMonitorsOnProvenLinksPairByProof) {
    Started sim(twinsScenario("ddc-identical-proven.json"));
    auto& m = sim.manager();
    auto speaking = sim.platform->simHardware.monitorFor(6);
    EXPECT_EQ(m.state().method.at(6), BrightnessMethod::ddc);
    EXPECT_EQ(m.state().method.at(5), BrightnessMethod::software);
    EXPECT_TRUE(m.state().softwareReason.empty());
    sim.set(5, 0.3);
    EXPECT_TRUE(writesOf(*speaking).empty());
    sim.set(6, 0.6);
    EXPECT_EQ(sentBrightness(*speaking), 50);
}

TEST(Brightness, UnlistedDisplayIsLeftAlone) {
    Started sim;
    sim.set(99, 1.4);
    EXPECT_FALSE(sim.manager().state().brightness.contains(99));
    EXPECT_FALSE(sim.manager().state().method.contains(99));
}

}  // namespace
}  // namespace vp::test
