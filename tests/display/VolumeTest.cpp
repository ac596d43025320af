#include "display/InputSources.h"
#include "support/HardwareHelpers.h"
#include "support/SimFixture.h"

namespace vp::test {
namespace {

constexpr DisplayID kDDC = 2;

struct Started : Sim {
    explicit Started(const nlohmann::json& scenario = defaultScenario()) : Sim(scenario) {
        start();
        monitor = platform->simHardware.monitorFor(kDDC);
        monitor->clearRecords();
    }
    std::shared_ptr<SimMonitor> monitor;
};

nlohmann::json withMonitorFeatures(const nlohmann::json& vcp) {
    auto scenario = defaultScenario();
    scenario["hardware"]["avServices"][1]["vcp"] = vcp;
    return scenario;
}

TEST(Volume, MonitorWithVolumeIsATargetAndGetsScaledWrites) {
    Started sim(withMonitorFeatures({{"brightness", {50, 100}}, {"volume", {20, 50}}}));
    auto& m = sim.manager();
    EXPECT_TRUE(m.hasDDCVolume());
    EXPECT_NEAR(m.averageDDCVolume(), 0.4, 1e-12);
    m.setVolume(kDDC, 0.5);
    sim.idle();
    EXPECT_EQ(sim.monitor->value(0x62)->current, 25);
    EXPECT_EQ(packetTexts(*sim.monitor).back(), hex(ddc::framePacket(ddc::writeArguments(0x62, 25))));
}

TEST(Volume, MonitorThatAnswersBrightnessButNotVolumeIsNoTarget) {
    Started sim(withMonitorFeatures({{"brightness", {50, 100}}}));
    auto& m = sim.manager();
    EXPECT_EQ(m.state().method.at(kDDC), BrightnessMethod::ddc);
    EXPECT_FALSE(m.state().volume.contains(kDDC));
    EXPECT_FALSE(m.hasDDCVolume());
    EXPECT_EQ(m.averageDDCVolume(), 0.0);
    m.stepDDCVolume(0.0625);
    m.toggleDDCMute();
    sim.idle();
    EXPECT_TRUE(sim.monitor->packets().empty());
}

TEST(Volume, StepWhileMutedUnmutesFirst) {
    Started sim;
    auto& m = sim.manager();
    m.toggleDDCMute();
    sim.idle();
    EXPECT_TRUE(m.state().ddcMuted);
    EXPECT_EQ(sim.monitor->value(0x8D)->current, 1);
    sim.monitor->clearRecords();

    m.stepDDCVolume(0.0625);
    sim.idle();
    EXPECT_FALSE(m.state().ddcMuted);
    auto packets = packetTexts(*sim.monitor);
    ASSERT_EQ(packets.size(), 4u);
    EXPECT_EQ(packets[0], hex(ddc::framePacket(ddc::writeArguments(0x8D, 2))));
    EXPECT_EQ(packets[2], hex(ddc::framePacket(ddc::writeArguments(0x62, 44))));
    EXPECT_NEAR(m.state().volume.at(kDDC), 0.4375, 1e-12);
}

TEST(Volume, StepsSnapAndClampAtZero) {
    Started sim;
    auto& m = sim.manager();
    m.setVolume(kDDC, 0.5);
    m.stepDDCVolume(0.0625);
    EXPECT_NEAR(m.state().volume.at(kDDC), 0.5625, 1e-12);
    m.setVolume(kDDC, 0.03);
    m.stepDDCVolume(-0.0625);
    EXPECT_EQ(m.state().volume.at(kDDC), 0.0);
    sim.idle();
    EXPECT_EQ(sim.monitor->value(0x62)->current, 0);
}

TEST(Volume, InputIsSentAsIsAndNotReadBack) {
    Started sim;
    auto& m = sim.manager();
    m.setInput(kDDC, 0x11);
    sim.idle();
    EXPECT_EQ(m.state().inputSource.at(kDDC), 0x11);
    EXPECT_EQ(sim.monitor->value(0x60)->current, 0x11);
    EXPECT_EQ(packetTexts(*sim.monitor), (std::vector<std::string>(2, "84 03 60 00 11 C9")));

    m.setInput(3, 0x0F);  // no DDC/CI: it has no input to switch
    sim.idle();
    EXPECT_FALSE(m.state().inputSource.contains(3));
    EXPECT_TRUE(m.state().lastError);
}

TEST(InputSources, NamesListedCodesAndFormatsOthers) {
    EXPECT_EQ(InputSources::all().size(), 9u);
    EXPECT_EQ(InputSources::all().front().name, "DisplayPort 1");
    EXPECT_EQ(InputSources::name(0x0F), "DisplayPort 1");
    EXPECT_EQ(InputSources::name(0x1B), "USB-C");
    EXPECT_EQ(InputSources::name(0x1A), "0x1A");
    EXPECT_EQ(InputSources::name(0x05), "0x05");
}

}  // namespace
}  // namespace vp::test
