// Volume and input over DDC/CI: only a screen that has a feature takes the
// operation, and a monitor that refuses a change is reported with the value
// it really kept.

#include "BuildPaths.h"
#include "app/I18n.h"
#include "display/InputSources.h"
#include "support/HardwareHelpers.h"
#include "support/SimFixture.h"

namespace vp::test {
namespace {

constexpr DisplayID kDDC = 2;

std::string written(std::uint8_t code, int value) {
    return hex(ddc::framePacket(ddc::writeArguments(code, value)));
}

nlohmann::json misbehaving() {
    return loadJsonFile(std::string(VELVETPANE_SCENARIO_DIR) + "/ddc-misbehaving.json");
}

struct Started : Sim {
    explicit Started(const nlohmann::json& scenario = defaultScenario()) : Sim(scenario) {
        start();
        monitor = platform->simHardware.monitorFor(kDDC);
        monitor->clearRecords();
    }
    std::shared_ptr<SimMonitor> monitor;
};

TEST(Volume, StepWhileMutedUnmutesFirstAndAcceptedWritesReportNothing) {
    Started sim;
    auto& m = sim.manager();
    EXPECT_NEAR(m.averageDDCVolume(), 0.4, 1e-12);
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
    EXPECT_EQ(packets[0], written(0x8D, 2));
    EXPECT_EQ(packets[2], written(0x62, 44));
    EXPECT_NEAR(m.state().volume.at(kDDC), 0.4375, 1e-12);

    // Accepted writes report nothing, and the input is not read back.
    sim.monitor->clearRecords();
    m.setInput(kDDC, 0x11);
    sim.idle();
    EXPECT_EQ(m.state().inputSource.at(kDDC), 0x11);
    EXPECT_EQ(packetTexts(*sim.monitor), (std::vector<std::string>(2, "84 03 60 00 11 C9")));
    m.setBrightness(kDDC, 0.3);
    m.setVolume(kDDC, 0.3);
    sim.idle();
    EXPECT_EQ(m.state().lastError, std::nullopt);
    EXPECT_EQ(InputSources::name(0x1B), "USB-C");
    EXPECT_EQ(InputSources::name(0x1A), "0x1A");
}

TEST(HardwareFeatures, ScreensWithoutTheFeatureRefuseVolumeAndInput) {
    // The built-in panel and the monitor without DDC/CI have neither; over
    // DDC/CI the misbehaving monitor 2 has an input but no volume, monitor 3
    // the reverse.
    struct Case {
        nlohmann::json scenario;
        DisplayID volumeless, inputless;
    };
    for (const Case& c : {Case{defaultScenario(), 1, 3}, Case{defaultScenario(), 3, 1}, Case{misbehaving(), 2, 3}}) {
        Sim sim(c.scenario);
        sim.start();
        DisplayManager& m = sim.manager();
        const auto volumeBefore = m.state().volume;
        const auto inputBefore = m.state().inputSource;
        m.setVolume(c.volumeless, 0.5);
        EXPECT_EQ(m.state().lastError, L("Esta tela não tem controle de volume.")) << c.volumeless;
        m.setInput(c.inputless, 0x11);
        EXPECT_EQ(m.state().lastError, L("Esta tela não permite trocar a entrada.")) << c.inputless;
        EXPECT_EQ(m.state().volume, volumeBefore);
        EXPECT_EQ(m.state().inputSource, inputBefore);
    }
}

TEST(HardwareFeatures, ARefusedWriteIsReportedAndTheRealValueShown) {
    Sim sim(misbehaving());
    sim.start();
    DisplayManager& m = sim.manager();
    auto monitor = sim.platform->simHardware.monitorFor(3);  // refuses writes: brightness 30 of 60, volume 10 of 50
    const double shownBefore = m.state().brightness.at(3);
    EXPECT_NEAR(shownBefore, 0.5 * 0.8 + 0.2, 1e-9);

    for (double asked : {0.3, 0.05}) {  // the second one also dims in software below the hardware minimum
        m.clearLastError();
        m.setBrightness(3, asked);
        sim.idle();
        EXPECT_EQ(m.state().lastError, L("O monitor recusou a mudança por DDC/CI.")) << asked;
        EXPECT_NEAR(m.state().brightness.at(3), shownBefore, 1e-9) << asked;
        EXPECT_EQ(monitor->value(0x10)->current, 30);
        EXPECT_EQ(shadeOf(*sim.platform, 3), nullptr) << asked;
    }

    m.clearLastError();
    m.setVolume(3, 0.8);
    sim.idle();
    EXPECT_EQ(m.state().lastError, L("O monitor recusou a mudança por DDC/CI."));
    EXPECT_NEAR(m.state().volume.at(3), 0.2, 1e-9);

    // Monitor 2 has no volume feature: neither volume nor mute packets.
    auto volumeless = sim.platform->simHardware.monitorFor(2);
    volumeless->clearRecords();
    m.setVolume(2, 0.5);
    m.toggleDDCMute();
    m.stepDDCVolume(0.0625);
    sim.idle();
    EXPECT_EQ(packetTexts(*volumeless), std::vector<std::string>{});
}

}  // namespace
}  // namespace vp::test
