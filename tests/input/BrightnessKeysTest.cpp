#include "BuildPaths.h"
#include "input/BrightnessKeys.h"

#include "app/Log.h"
#include "input/BrightnessHUD.h"
#include "support/SimFixture.h"
#include "support/TempDir.h"

#include <cmath>
#include <thread>

namespace vp::test {
namespace {

using namespace std::chrono_literals;

KeyEvent aux(std::int64_t code, std::uint64_t flags = 0, bool down = true) {
    return auxButtonEvent(code, down, flags);
}

KeyEvent keyDown(std::int64_t keyCode, std::uint64_t flags = 0) {
    KeyEvent e;
    e.type = event::keyDown;
    e.keyCode = keyCode;
    e.flags = flags;
    return e;
}

constexpr std::int64_t kBrightnessUp = event::auxBrightnessUp, kBrightnessDown = event::auxBrightnessDown,
                       kSoundUp = event::auxSoundUp, kMute = event::auxMute;
constexpr std::uint64_t kOption = event::flagOption, kShift = event::flagShift;

double snapped(double current, double delta) {
    double q = std::abs(delta);
    return std::clamp(q * std::round((current + delta) / q), 0.0, 1.0);
}

struct Keys : ::testing::Test {
    Sim sim;
    BrightnessKeys& keys() { return sim.context->keys(); }
    SimInput& input() { return sim.platform->simInput; }
    void press(const KeyEvent& e) {
        input().inject(e);
        sim.idle();
    }
    std::map<DisplayID, double> levels() {
        std::map<DisplayID, double> out;
        for (const Screen& s : sim.manager().screens)
            out[s.id] = sim.manager().brightness.contains(s.id) ? sim.manager().brightness.at(s.id) : 1.0;
        return out;
    }
    void startKeys() {
        sim.start();
        keys().start(true);
        sim.idle();
    }
};

TEST_F(Keys, BrightnessPressesStepEveryScreenOnTheGridOfTheirStep) {
    struct Case {
        const char* what;
        KeyEvent event;
        double delta;
    };
    const Case cases[] = {
        {"down, no modifier", aux(kBrightnessDown), -1.0 / 16},
        {"up, option and shift", aux(kBrightnessUp, kOption | kShift), 1.0 / 64},
        {"up, option alone", aux(kBrightnessUp, kOption), 1.0 / 16},
        {"up, shift alone", aux(kBrightnessUp, kShift), 1.0 / 16},
        {"brightness-down key code", keyDown(145), -1.0 / 16},
        {"brightness-up key code, fine", keyDown(144, kOption | kShift), 1.0 / 64},
    };
    startKeys();
    for (const Case& c : cases) {
        auto before = levels();
        press(c.event);
        for (const auto& [id, level] : levels()) EXPECT_DOUBLE_EQ(level, snapped(before[id], c.delta)) << c.what << ", display " << id;
        EXPECT_TRUE(input().systemReceived.empty()) << c.what;
    }
}

TEST_F(Keys, BrightnessDownStopsAtZeroAndTheHUDShowsTheLowIcon) {
    startKeys();
    for (int i = 0; i < 20; ++i) press(aux(kBrightnessDown));
    for (const auto& [id, level] : levels()) EXPECT_EQ(level, 0.0) << "display " << id;
    EXPECT_EQ(sim.context->hud().model().value(), 0.0);
    EXPECT_EQ(sim.context->hud().model().icon(), "sun.min.fill");
    press(aux(kBrightnessUp));
    for (int i = 0; i < 5; ++i) press(aux(kBrightnessUp));
    EXPECT_EQ(sim.context->hud().model().icon(), "sun.max.fill");  // 6/16 = 0.375
}

TEST_F(Keys, TheKeyUpHalfIsSwallowedAndChangesNothing) {
    startKeys();
    auto before = levels();
    press(aux(kBrightnessDown, 0, false));
    EXPECT_EQ(levels(), before);
    EXPECT_TRUE(input().systemReceived.empty());
    EXPECT_EQ(input().swallowed, 1u);
    EXPECT_EQ(sim.context->hud().panel(), nullptr);
}

TEST_F(Keys, OtherEventsPassThroughUnchanged) {
    startKeys();
    KeyEvent otherSubtype = aux(kBrightnessUp);
    otherSubtype.subtype = 7;
    KeyEvent notConvertible = aux(kBrightnessUp);
    notConvertible.convertible = false;
    KeyEvent playPause = aux(16);
    KeyEvent letter = keyDown(0);
    auto before = levels();
    for (const KeyEvent& e : {otherSubtype, notConvertible, playPause, letter}) press(e);
    EXPECT_EQ(input().systemReceived.size(), 4u);
    EXPECT_EQ(levels(), before);
}

TEST_F(Keys, SoundKeysPassToTheSystemWhileTheSoundGoesToTheBuiltInSpeakers) {
    sim.defaults().setBool(BrightnessKeys::volumeKey, true);
    startKeys();
    press(aux(kSoundUp));
    press(aux(kMute));
    ASSERT_EQ(input().systemReceived.size(), 2u);
    EXPECT_EQ(input().systemReceived[0].data1, aux(kSoundUp).data1);
    EXPECT_EQ(sim.context->hud().panel(), nullptr);
}

TEST_F(Keys, SwitchedOffInTheSettingsNoTapIsInstalledAtAll) {
    sim.defaults().setBool(BrightnessKeys::enabledKey, false);
    startKeys();
    EXPECT_FALSE(keys().isRunning());
    EXPECT_EQ(input().tapsCreated, 0u);
    press(aux(kBrightnessDown));
    press(aux(kSoundUp));
    EXPECT_EQ(input().systemReceived.size(), 2u);

    keys().setEnabled(true);
    EXPECT_TRUE(keys().isRunning());
    keys().setEnabled(false);
    EXPECT_FALSE(keys().isRunning());
    EXPECT_FALSE(input().tapInstalled());
}

TEST_F(Keys, MissingOrNonBooleanSettingsReadAsTrue) {
    EXPECT_TRUE(keys().enabled());
    EXPECT_TRUE(keys().volumeEnabled());
    sim.defaults().setRaw(BrightnessKeys::enabledKey, "no");
    sim.defaults().setRaw(BrightnessKeys::volumeKey, 0);
    EXPECT_TRUE(keys().enabled());
    EXPECT_TRUE(keys().volumeEnabled());
    keys().setVolumeEnabled(false);
    EXPECT_FALSE(keys().volumeEnabled());
}

TEST_F(Keys, WithoutPermissionItPromptsOnceAndStartsWithinOneTickOfTheGrant) {
    input().trusted = false;
    startKeys();
    EXPECT_EQ(input().prompts, 1u);
    EXPECT_FALSE(keys().isRunning());
    EXPECT_TRUE(keys().isWaiting());

    sim.platform->advance(7s);  // two ticks without permission
    EXPECT_FALSE(keys().isRunning());
    input().trusted = true;  // granted at 7 s; the next tick is at 9 s
    sim.platform->advance(1.9s);
    EXPECT_FALSE(keys().isRunning());
    sim.platform->advance(0.2s);
    EXPECT_TRUE(keys().isRunning());
    EXPECT_FALSE(keys().isWaiting());
    EXPECT_EQ(input().prompts, 1u);
    EXPECT_EQ(sim.platform->mainQueue.delayedCount(), 0u);
}

TEST_F(Keys, StopEndsTheWaitAndRemovesTheTap) {
    input().trusted = false;
    startKeys();
    keys().stop();
    EXPECT_FALSE(keys().isWaiting());
    input().trusted = true;
    sim.platform->advance(10s);
    EXPECT_FALSE(keys().isRunning());

    keys().start(false);
    EXPECT_TRUE(input().tapReceiving());
    keys().stop();
    EXPECT_FALSE(input().tapInstalled());
    press(aux(kBrightnessDown));
    EXPECT_EQ(input().systemReceived.size(), 1u);
}

TEST_F(Keys, ATapDisabledByTheSystemIsEnabledAgainAtOnce) {
    startKeys();
    input().disableTap(event::tapDisabledByTimeout);
    EXPECT_TRUE(input().tapReceiving());
    input().disableTap(event::tapDisabledByUserInput);
    EXPECT_TRUE(input().tapReceiving());
}

TEST(KeysLog, AFailedTapCreationIsLoggedAndNotRetried) {
    TempDir home;
    Sim sim(defaultScenario(), SimOptions{home.path().string()});
    sim.platform->simInput.tapCreationFails = true;
    sim.start();
    sim.context->keys().start(true);
    sim.platform->advance(10s);
    EXPECT_FALSE(sim.context->keys().isRunning());
    EXPECT_FALSE(sim.context->keys().isWaiting());
    EXPECT_EQ(sim.platform->simInput.tapsCreated, 0u);
    std::string log = readFile(sim.context->log().path());
    EXPECT_NE(log.find("Teclas de brilho: não foi possível criar o event tap\n"), std::string::npos) << log;
}

nlohmann::json hdmiScenario() {
    return loadJsonFile(std::string(VELVETPANE_SCENARIO_DIR) + "/hdmi-volume.json");
}

TEST(KeysVolume, WithTheSoundOnAnHDMIMonitorTheSoundKeysDriveItsVolumeAndMute) {
    Sim sim(hdmiScenario());
    sim.start();
    sim.context->keys().start(true);
    sim.idle();
    DisplayManager& m = sim.manager();
    SimInput& input = sim.platform->simInput;
    const HUDModel& hud = sim.context->hud().model();
    auto press = [&](const KeyEvent& e) {
        input.inject(e);
        sim.idle();
    };
    ASSERT_TRUE(m.hasDDCVolume());
    double start = m.volume.at(2);

    press(aux(kSoundUp));
    EXPECT_DOUBLE_EQ(m.volume.at(2), snapped(start, 1.0 / 16));
    EXPECT_DOUBLE_EQ(hud.value(), m.averageDDCVolume());
    EXPECT_EQ(hud.icon(), m.volume.at(2) < 0.34 ? "speaker.wave.1.fill" : "speaker.wave.3.fill");

    double before = m.volume.at(2);
    press(aux(1, kOption | kShift));  // sound down, fine
    EXPECT_DOUBLE_EQ(m.volume.at(2), snapped(before, -1.0 / 64));

    press(aux(kSoundUp, 0, false));  // the release half: swallowed, nothing happens
    press(aux(kMute));
    EXPECT_TRUE(m.ddcMuted);
    EXPECT_EQ(hud.value(), 0.0);
    EXPECT_EQ(hud.icon(), "speaker.slash.fill");

    before = m.volume.at(2);
    press(aux(kSoundUp));  // unmutes first, then steps
    EXPECT_FALSE(m.ddcMuted);
    EXPECT_DOUBLE_EQ(m.volume.at(2), snapped(before, 1.0 / 16));
    EXPECT_NE(hud.icon(), "speaker.slash.fill");
    EXPECT_TRUE(input.systemReceived.empty());

    sim.context->keys().setVolumeEnabled(false);
    press(aux(kSoundUp));
    EXPECT_EQ(input.systemReceived.size(), 1u);
}

TEST(KeysVolume, WithoutAMonitorThatTakesDDCVolumeTheSoundKeysStayWithTheSystem) {
    auto scenario = hdmiScenario();
    scenario["hardware"]["avServices"][1]["vcp"] = {{"brightness", {70, 100}}};
    Sim sim(scenario);
    sim.start();
    sim.context->keys().start(true);
    sim.idle();
    ASSERT_FALSE(sim.manager().hasDDCVolume());
    sim.platform->simInput.inject(aux(kSoundUp));
    sim.platform->simInput.inject(aux(kMute));
    sim.idle();
    EXPECT_EQ(sim.platform->simInput.systemReceived.size(), 2u);
}

TEST(KeysOutput, DisplayAudioIsHDMIOrDisplayPortAndAFailedReadIsNot) {
    struct Case {
        std::optional<std::uint32_t> device;
        std::optional<std::uint32_t> transport;
        bool expected;
    };
    const Case cases[] = {
        {73, fourCC("hdmi"), true},  {73, fourCC("dprt"), true},     {73, fourCC("bltn"), false},
        {73, fourCC("usb "), false}, {73, std::nullopt, false},      {std::nullopt, fourCC("hdmi"), false},
    };
    VirtualClock clock;
    VirtualMainQueue main(clock);
    for (const Case& c : cases) {
        SimInput input(main);
        input.outputDevice = c.device;
        input.outputTransport = c.transport;
        EXPECT_EQ(BrightnessKeys::outputIsDisplayAudio(input), c.expected);
    }
}

TEST_F(Keys, EventsInjectedFromAnotherThreadAreHandledOnTheMainQueue) {
    startKeys();
    std::thread windowServer([this] {
        for (int i = 0; i < 200; ++i) input().inject(aux(i % 2 ? kBrightnessUp : kBrightnessDown));
    });
    for (int i = 0; i < 1000 && input().swallowed < 200; ++i) {
        sim.idle();
        std::this_thread::yield();
    }
    windowServer.join();
    sim.idle();
    EXPECT_EQ(input().swallowed, 200u);
}

}  // namespace
}  // namespace vp::test
