// A DDC/CI monitor's service against monitors that come and go, probes that
// answer late and replies that cannot be right.
#include "display/Gamma.h"
#include "support/HardwareHelpers.h"
#include "support/SimFixture.h"

#include <atomic>
#include <future>

namespace vp::test {
namespace {

constexpr DisplayID kDDC = 2, kPlain = 3, kPlugged = 4;

std::vector<std::string> writesOf(const SimMonitor& monitor) {
    std::vector<std::string> out;
    for (const auto& text : packetTexts(monitor))
        if (text.starts_with("84 03")) out.push_back(text);
    return out;
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
    }
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
    float topOfGamma(DisplayID id) { return gammaOf(*platform, id).r.back(); }
};

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
    auto monitor = sim.platform->simHardware.monitorFor(kDDC);
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

TEST(DDCLifecycle, AMonitorBackWithoutDDCIsDimmedInSoftware) {
    Started sim;
    SimDisplay gone = sim.unplug(kDDC);
    sim.idle();
    EXPECT_FALSE(sim.drivenByDDC(kDDC));
    sim.replug(gone, nullptr);
    sim.idle();
    EXPECT_EQ(sim.method(kDDC), BrightnessMethod::software);
    sim.manager().setBrightness(kDDC, 0.5);
    sim.idle();
    EXPECT_NEAR(sim.topOfGamma(kDDC), 0.5, 1e-6);
}

TEST(DDCLifecycle, UnpluggedWhileAWriteIsQueued) {
    Started sim;
    auto monitor = sim.platform->simHardware.monitorFor(kDDC);
    monitor->clearRecords();
    sim.manager().setBrightness(kDDC, 0.3);  // waits on the DDC queue
    SimDisplay gone = sim.unplug(kDDC);
    sim.idle();
    EXPECT_TRUE(monitor->packets().empty());
    EXPECT_FALSE(sim.drivenByDDC(kDDC));

    // Back with its value unchanged: read again, and driven by a new service.
    sim.replug(gone, monitor);
    sim.idle();
    EXPECT_EQ(sim.method(kDDC), BrightnessMethod::ddc);
    EXPECT_NEAR(sim.manager().state().brightness.at(kDDC), 0.76, 1e-9);  // 70 of 100, as before
    monitor->clearRecords();
    sim.manager().setBrightness(kDDC, 0.6);
    sim.idle();
    EXPECT_EQ(writesOf(*monitor), (std::vector<std::string>(2, "84 03 10 00 32 9A")));
}

// On the real worker thread: the monitor leaves between the two packets of a
// write while the user keeps dragging.
TEST(DDCLifecycle, UnpluggedWhileAWriteIsInFlight) {
    Started sim(defaultScenario(), SimOptions{.home = "", .threadedDDC = true});
    auto monitor = sim.platform->simHardware.monitorFor(kDDC);
    monitor->clearRecords();
    FirstPacketHeld held(*monitor);
    sim.manager().setBrightness(kDDC, 0.6);
    held.waitUntilInFlight();
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
TEST(DDCLifecycle, DragWhileAWriteIsInFlightOnTheWorkerThread) {
    Started sim(defaultScenario(), SimOptions{.home = "", .threadedDDC = true});
    auto monitor = sim.platform->simHardware.monitorFor(kDDC);
    monitor->clearRecords();
    FirstPacketHeld held(*monitor);
    sim.manager().setBrightness(kDDC, 0.6);
    held.waitUntilInFlight();
    for (double v : {0.3, 0.45, 0.5, 0.72, 0.85}) sim.manager().setBrightness(kDDC, v);
    held.letGo();
    sim.idle();
    EXPECT_EQ(writesOf(*monitor), (std::vector<std::string>{"84 03 10 00 32 9A", "84 03 10 00 32 9A",
                                                            "84 03 10 00 51 F9", "84 03 10 00 51 F9"}));
}

TEST(DDCLifecycle, ProbeOnlyWhenTheExternalsChange) {
    Started sim;
    auto monitor = sim.platform->simHardware.monitorFor(kDDC);
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
        auto monitor = sim.platform->simHardware.monitorFor(kDDC);
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
