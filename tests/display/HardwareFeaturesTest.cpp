// Only a screen that has a feature takes the operation, and a monitor that
// refuses a change is reported with the value it really kept.

#include "BuildPaths.h"
#include "app/I18n.h"
#include "support/HardwareHelpers.h"
#include "support/SimFixture.h"

namespace vp::test {
namespace {

nlohmann::json misbehaving() {
    return loadJsonFile(std::string(VELVETPANE_SCENARIO_DIR) + "/ddc-misbehaving.json");
}

TEST(HardwareFeatures, ScreensWithoutTheFeatureRefuseVolumeAndInput) {
    struct Case {
        std::string label;
        nlohmann::json scenario;
        DisplayID display;
    };
    const std::vector<Case> cases = {
        {"built-in panel", defaultScenario(), 1},
        {"monitor without DDC/CI", defaultScenario(), 3},
    };
    for (const Case& c : cases) {
        Sim sim(c.scenario);
        sim.start();
        DisplayManager& m = sim.manager();
        const auto volumeBefore = m.state().volume;
        const auto inputBefore = m.state().inputSource;
        m.setVolume(c.display, 0.5);
        EXPECT_EQ(m.state().lastError, L("Esta tela não tem controle de volume.")) << c.label;
        m.setInput(c.display, 0x11);
        EXPECT_EQ(m.state().lastError, L("Esta tela não permite trocar a entrada.")) << c.label;
        EXPECT_EQ(m.state().volume, volumeBefore) << c.label;
        EXPECT_EQ(m.state().inputSource, inputBefore) << c.label;
    }
    // Over DDC/CI, monitor 2 has an input but no volume, monitor 3 the reverse.
    Sim sim(misbehaving());
    sim.start();
    DisplayManager& m = sim.manager();
    m.setVolume(2, 0.5);
    EXPECT_EQ(m.state().lastError, L("Esta tela não tem controle de volume."));
    EXPECT_FALSE(m.state().volume.contains(2));
    m.setInput(3, 0x11);
    EXPECT_EQ(m.state().lastError, L("Esta tela não permite trocar a entrada."));
    EXPECT_FALSE(m.state().inputSource.contains(3));
}

TEST(HardwareFeatures, AMonitorWithoutVolumeGetsNeitherVolumeNorMutePackets) {
    Sim sim(misbehaving());
    sim.start();
    auto monitor = sim.platform->simHardware.monitorFor(2);  // has no volume feature
    monitor->clearRecords();
    sim.manager().setVolume(2, 0.5);
    sim.manager().toggleDDCMute();
    sim.manager().stepDDCVolume(0.0625);
    sim.idle();
    EXPECT_EQ(packetTexts(*monitor), std::vector<std::string>{});
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
}

TEST(HardwareFeatures, AcceptedWritesReportNothing) {
    Sim sim;
    sim.start();
    sim.manager().setBrightness(2, 0.3);
    sim.manager().setVolume(2, 0.3);
    sim.manager().setInput(2, 0x11);
    sim.idle();
    EXPECT_EQ(sim.manager().state().lastError, std::nullopt);
    EXPECT_EQ(sim.platform->simHardware.monitorFor(2)->value(0x60)->current, 0x11);
}

}  // namespace
}  // namespace vp::test
