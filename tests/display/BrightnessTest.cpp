// Brightness by method, and a DDC/CI monitor's service against monitors that
// come and go, probes that answer late and replies that cannot be right.

#include "BuildPaths.h"
#include "display/BrightnessCurve.h"
#include "display/Gamma.h"
#include "support/HardwareHelpers.h"
#include "support/SimFixture.h"

#include <atomic>
#include <cmath>
#include <future>

namespace vp::test {
namespace {

constexpr DisplayID kBuiltin = 1, kDDC = 2, kPlain = 3, kPlugged = 4;

std::vector<std::string> writesOf(const SimMonitor& monitor) {
    std::vector<std::string> out;
    for (const auto& text : packetTexts(monitor))
        if (text.starts_with("84 03")) out.push_back(text);
    return out;
}

int sentBrightness(const SimMonitor& monitor) {
    return monitor.value(0x10)->current;
}

// Holds the first packet sent to a monitor on the worker thread until let go.
struct FirstPacketHeld {
    explicit FirstPacketHeld(SimMonitor& monitor) {
        monitor.setOnPacket([this](const Bytes&) {
            if (!first.exchange(false)) return;
            inFlight.set_value();
            release.wait();
        });
    }
    void waitUntilInFlight() { inFlight.get_future().wait(); }
    void letGo() { released.set_value(); }
    std::promise<void> inFlight, released;
    std::shared_future<void> release = released.get_future().share();
    std::atomic<bool> first{true};
};

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
    // The displays' callbacks and the main queue run; the DDC queue does not.
    void mainOnly() {
        displays().settle();
        platform->mainQueue.runUntilIdle();
    }
    // A monitor answering DDC/CI plugged in as display 4, right of the others.
    std::shared_ptr<SimMonitor> plugIn() {
        SimDisplay added = *displays().find(kPlain);
        added.id = kPlugged;
        added.uuid = "4";
        added.serial = 4242;
        added.bounds.x += 1920;
        SimMonitorConfig config;
        config.display = kPlugged;
        config.vcp = {{0x10, {20, 100}}};
        auto monitor = platform->simHardware.addMonitor(config);
        displays().addDisplay(added);
        return monitor;
    }
    // The display and its monitor's service go away; returns the display.
    SimDisplay unplug(DisplayID id) {
        SimDisplay gone = *displays().find(id);
        platform->simHardware.removeLinksOf(id);
        displays().removeDisplay(id);
        return gone;
    }
    void replug(const SimDisplay& display, std::shared_ptr<SimMonitor> monitor) {
        if (monitor) {
            SimLink link;
            link.edid = SimHardware::makeEDID(display.vendor, display.model, display.serial);
            link.monitor = std::move(monitor);
            platform->simHardware.addLink(std::move(link));
        }
        displays().addDisplay(display);
    }
    std::optional<BrightnessMethod> method(DisplayID id) {
        auto it = manager().state().method.find(id);
        return it == manager().state().method.end() ? std::nullopt : std::optional(it->second);
    }
    bool drivenByDDC(DisplayID id) { return manager().hasDDC(id) || method(id) == BrightnessMethod::ddc; }
    std::shared_ptr<SimMonitor> monitor;
};

TEST(Brightness, StartDetectsEachScreensMethodAndStepsMoveThemAllOnOneGrid) {
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

    sim.set(99, 1.4);  // not listed: left alone
    EXPECT_FALSE(m.state().brightness.contains(99));
    EXPECT_FALSE(m.state().method.contains(99));

    m.setAllBrightness(0.53);
    m.stepAllBrightness(0.1);
    sim.idle();
    for (DisplayID id : {kBuiltin, kDDC, kPlain}) EXPECT_NEAR(m.state().brightness.at(id), 0.6, 1e-12) << id;
    EXPECT_NEAR(m.averageBrightness(), 0.6, 1e-12);
    EXPECT_EQ(sentBrightness(*sim.monitor), 50);
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
    EXPECT_EQ(sim.manager().state().brightness.at(kPlain), 0.03);

    // Any other screen change refreshes the list: the darkness below the
    // floor, kept in memory only, stays.
    sim.manager().refresh();
    sim.idle();
    EXPECT_EQ(sim.manager().state().brightness.at(kPlain), 0.03);
    ASSERT_TRUE(shadeOf(*sim.platform, kPlain));
    EXPECT_NEAR(shadeOf(*sim.platform, kPlain)->background.a, 0.5, 1e-9);

    sim.set(kPlain, 0.7);
    EXPECT_NEAR(sim.topOfGamma(kPlain), 0.7, 1e-6);
    EXPECT_FALSE(shadeOf(*sim.platform, kPlain));
}

// Below the panel's minimum the rest is dimmed in software; the desktop's own
// keys moving the panel show the new level and drop that dimming.
TEST(Brightness, BuiltinPanelGetsTheHardwareFractionAndFollowsOutsideChanges) {
    Started sim;
    sim.set(kBuiltin, 0.6);
    EXPECT_FLOAT_EQ(sim.platform->simHardware.backlightPanel()->value, 0.5f);
    sim.set(kBuiltin, 0.1);
    EXPECT_FLOAT_EQ(sim.platform->simHardware.backlightPanel()->value, 0.0f);
    EXPECT_NEAR(sim.topOfGamma(kBuiltin), std::pow(0.5, 1.6), 1e-6);

    // A refresh while dimmed below the minimum keeps the user's value.
    sim.manager().refresh();
    EXPECT_EQ(sim.manager().state().brightness.at(kBuiltin), 0.1);

    int published = 0;
    auto counting = sim.manager().onChange([&] { ++published; });
    sim.platform->simHardware.changeBacklightOutside(0.5f);
    sim.idle();
    EXPECT_NEAR(sim.manager().state().brightness.at(kBuiltin), 0.6, 1e-6);
    EXPECT_TRUE(sim.neutralGamma(kBuiltin));
    EXPECT_GE(published, 1);
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

TEST(DDCLifecycle, AProbeAnswerForAMonitorThatLeftMeanwhileIsDropped) {
    Started sim;
    sim.plugIn();
    sim.mainOnly();  // its probe waits on the DDC queue
    sim.displays().removeDisplay(kPlugged);
    sim.mainOnly();
    sim.idle();  // the probe still finds the monitor's service and answers for it
    EXPECT_FALSE(sim.drivenByDDC(kPlugged));
    EXPECT_TRUE(sim.drivenByDDC(kDDC));
}

TEST(DDCLifecycle, AProbeAnswerForAMonitorForcedToSoftwareMeanwhileIsDropped) {
    Started sim;
    auto& m = sim.manager();
    auto monitor = sim.monitor;
    m.setForceSoftware(*m.screen(kPlain), true);  // probes again, display 2 included
    m.setForceSoftware(*m.screen(kDDC), true);    // before that probe answered
    sim.idle();
    EXPECT_FALSE(sim.drivenByDDC(kDDC));
    monitor->clearRecords();
    m.setBrightness(kDDC, 0.5);
    sim.idle();
    EXPECT_TRUE(monitor->packets().empty());
    EXPECT_NEAR(sim.topOfGamma(kDDC), 0.5, 1e-6);

    m.setForceSoftware(*m.screen(kDDC), false);
    sim.idle();
    EXPECT_EQ(sim.method(kDDC), BrightnessMethod::ddc);
}

TEST(DDCLifecycle, UnpluggedWhileAWriteIsQueuedThenBackWithoutAndWithDDC) {
    Started sim;
    auto monitor = sim.monitor;
    monitor->clearRecords();
    sim.manager().setBrightness(kDDC, 0.3);  // waits on the DDC queue
    SimDisplay gone = sim.unplug(kDDC);
    sim.idle();
    EXPECT_TRUE(monitor->packets().empty());
    EXPECT_FALSE(sim.drivenByDDC(kDDC));

    // Back without DDC/CI: dimmed in software.
    sim.replug(gone, nullptr);
    sim.idle();
    EXPECT_EQ(sim.method(kDDC), BrightnessMethod::software);
    sim.manager().setBrightness(kDDC, 0.5);
    sim.idle();
    EXPECT_NEAR(sim.topOfGamma(kDDC), 0.5, 1e-6);
    sim.unplug(kDDC);
    sim.idle();

    // Back with DDC/CI and its value unchanged: read again, and driven by a new service.
    sim.replug(gone, monitor);
    sim.idle();
    EXPECT_EQ(sim.method(kDDC), BrightnessMethod::ddc);
    EXPECT_NEAR(sim.manager().state().brightness.at(kDDC), 0.76, 1e-9);  // 70 of 100, as before
    monitor->clearRecords();
    sim.manager().setBrightness(kDDC, 0.6);
    sim.idle();
    EXPECT_EQ(writesOf(*monitor), (std::vector<std::string>(2, "84 03 10 00 32 9A")));
}

// On the real worker thread, a first write (brightness 0.6) is on the wire
// and held there until the test lets it go.
class DDCWriteInFlight : public ::testing::Test {
protected:
    DDCWriteInFlight() : held(*sim.monitor) {
        sim.monitor->clearRecords();
        sim.manager().setBrightness(kDDC, 0.6);
        held.waitUntilInFlight();
    }
    Started sim{defaultScenario(), SimOptions{.home = "", .threadedDDC = true}};
    std::shared_ptr<SimMonitor> monitor = sim.monitor;
    FirstPacketHeld held;
};

// The monitor leaves between the two packets of a write while the user keeps
// dragging.
TEST_F(DDCWriteInFlight, UnpluggedMidWrite) {
    SimDisplay gone = sim.unplug(kDDC);
    sim.manager().setBrightness(kDDC, 0.9);
    held.letGo();
    sim.idle();
    EXPECT_EQ(writesOf(*monitor), (std::vector<std::string>{"84 03 10 00 32 9A"}));
    EXPECT_FALSE(sim.drivenByDDC(kDDC));

    sim.replug(gone, monitor);
    sim.idle();
    EXPECT_EQ(sim.method(kDDC), BrightnessMethod::ddc);
    EXPECT_NEAR(sim.manager().state().brightness.at(kDDC), 0.6, 1e-9);  // what reached it
}

// Values during a drag, the first one already being written: only the latest
// reaches the monitor once the write in flight is done.
TEST_F(DDCWriteInFlight, DragKeepsOnlyTheLatestValue) {
    for (double v : {0.3, 0.45, 0.5, 0.72, 0.85}) sim.manager().setBrightness(kDDC, v);
    held.letGo();
    sim.idle();
    EXPECT_EQ(writesOf(*monitor), (std::vector<std::string>{"84 03 10 00 32 9A", "84 03 10 00 32 9A",
                                                            "84 03 10 00 51 F9", "84 03 10 00 51 F9"}));
}

TEST(DDCLifecycle, ProbeOnlyWhenTheExternalsChange) {
    Started sim;
    auto monitor = sim.monitor;
    monitor->clearRecords();
    // A mode change reconfigures the displays but adds no monitor.
    auto& ds = sim.displays();
    ConfigHandle handle = 0;
    ds.beginConfiguration(handle);
    ds.configureMode(handle, kDDC, ds.allModes(kDDC)->at(2));
    ds.completeConfiguration(handle, ConfigureOption::permanently);
    sim.idle();
    EXPECT_TRUE(monitor->packets().empty());

    sim.plugIn();
    sim.idle();
    EXPECT_EQ(sim.method(kPlugged), BrightnessMethod::ddc);
    EXPECT_NEAR(sim.manager().state().brightness.at(kPlugged), 0.36, 1e-9);
    EXPECT_EQ(packetTexts(*monitor).front(), "82 01 10 AC");
}

// Monitors answer with ranges that cannot be right; what is read is never
// taken beyond the range, and a feature without one is left alone.
TEST(DDCReplies, ImpossibleRangesAreNotTrusted) {
    struct Case {
        const char* what;
        nlohmann::json vcp;
        bool ddc;                       // brightness driven over DDC/CI
        double brightness;              // as read
        std::optional<double> volume;   // as read; none: no volume control
        int brightnessWritten;          // for 0.6 (50% of the range)
        std::optional<int> volumeWritten;  // for 0.5
    };
    const Case cases[] = {
        {"brightness maximum 0", {{"brightness", {0, 0}}, {"volume", {20, 50}}}, false, 1.0, std::nullopt, -1, {}},
        {"brightness above its maximum", {{"brightness", {150, 100}}}, true, 1.0, std::nullopt, 50, {}},
        {"volume maximum 0", {{"brightness", {70, 100}}, {"volume", {0, 0}}}, true, 0.76, std::nullopt, 50, {}},
        {"volume above its maximum", {{"brightness", {70, 100}}, {"volume", {80, 50}}}, true, 0.76, 1.0, 50, 25},
    };
    for (const Case& c : cases) {
        auto scenario = defaultScenario();
        scenario["hardware"]["avServices"][1]["vcp"] = c.vcp;
        Started sim(scenario);
        auto& m = sim.manager();
        auto monitor = sim.monitor;
        EXPECT_EQ(sim.drivenByDDC(kDDC), c.ddc) << c.what;
        EXPECT_NEAR(m.state().brightness.at(kDDC), c.brightness, 1e-9) << c.what;
        EXPECT_EQ(m.state().volume.contains(kDDC) ? std::optional(m.state().volume.at(kDDC)) : std::nullopt, c.volume) << c.what;
        EXPECT_EQ(m.hasDDCVolume(), c.volume.has_value()) << c.what;

        monitor->clearRecords();
        m.setBrightness(kDDC, 0.6);
        m.setVolume(kDDC, 0.5);
        m.stepDDCVolume(0.0625);
        m.setVolume(kDDC, 0.5);
        sim.idle();
        std::vector<std::string> expected;
        if (c.brightnessWritten >= 0)
            expected.insert(expected.end(), 2, hex(ddc::framePacket(ddc::writeArguments(0x10, c.brightnessWritten))));
        if (c.volumeWritten)
            expected.insert(expected.end(), 2, hex(ddc::framePacket(ddc::writeArguments(0x62, *c.volumeWritten))));
        EXPECT_EQ(writesOf(*monitor), expected) << c.what;
    }
}

}  // namespace
}  // namespace vp::test
