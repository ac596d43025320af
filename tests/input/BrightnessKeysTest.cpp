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

KeyEvent press(Key key, bool fine = false) {
    return KeyEvent{key, true, fine};
}

KeyEvent release(Key key) {
    return KeyEvent{key, false, false};
}

double snapped(double current, double delta) {
    double q = std::abs(delta);
    return std::clamp(q * std::round((current + delta) / q), 0.0, 1.0);
}

struct Keys : ::testing::Test {
    Sim sim;
    BrightnessKeys& keys() { return sim.context->keys(); }
    SimInput& input() { return sim.platform->simInput; }
    void send(const KeyEvent& e) {
        input().inject(e);
        sim.idle();
    }
    std::map<DisplayID, double> levels() {
        std::map<DisplayID, double> out;
        for (const Screen& s : sim.manager().state().screens)
            out[s.id] = sim.manager().state().brightness.contains(s.id) ? sim.manager().state().brightness.at(s.id) : 1.0;
        return out;
    }
    void startKeys() {
        sim.start();
        keys().start(true);
        sim.idle();
    }
};

TEST_F(Keys, BrightnessPressesStepEveryScreenOnTheGridOfTheirStepAndReleasesAreTaken) {
    struct Case {
        const char* what;
        KeyEvent event;
        double delta;
    };
    const Case cases[] = {
        {"down", press(Key::brightnessDown), -1.0 / 16},
        {"up, fine", press(Key::brightnessUp, true), 1.0 / 64},
        {"up", press(Key::brightnessUp), 1.0 / 16},
        {"down, fine", press(Key::brightnessDown, true), -1.0 / 64},
    };
    startKeys();
    // A release is taken, and changes nothing.
    auto untouched = levels();
    send(release(Key::brightnessDown));
    EXPECT_EQ(levels(), untouched);
    EXPECT_EQ(input().consumed, 1u);
    EXPECT_EQ(sim.context->hud().panel(), nullptr);
    for (const Case& c : cases) {
        auto before = levels();
        send(c.event);
        for (const auto& [id, level] : levels()) EXPECT_DOUBLE_EQ(level, snapped(before[id], c.delta)) << c.what << ", display " << id;
        EXPECT_TRUE(input().systemReceived.empty()) << c.what;
    }
}

TEST_F(Keys, BrightnessDownStopsAtZeroAndTheHUDShowsTheLowIcon) {
    startKeys();
    for (int i = 0; i < 20; ++i) send(press(Key::brightnessDown));
    for (const auto& [id, level] : levels()) EXPECT_EQ(level, 0.0) << "display " << id;
    EXPECT_EQ(sim.context->hud().model().value(), 0.0);
    EXPECT_EQ(sim.context->hud().model().icon(), "sun.min.fill");
    for (int i = 0; i < 6; ++i) send(press(Key::brightnessUp));
    EXPECT_EQ(sim.context->hud().model().icon(), "sun.max.fill");  // 6/16 = 0.375
}

// Missing or non-boolean settings read as true.
TEST_F(Keys, SettingsReadTrueUnlessFalseAndSoundKeysPassWhileTheSoundGoesToTheSpeakers) {
    EXPECT_TRUE(keys().enabled());
    EXPECT_TRUE(keys().volumeEnabled());
    sim.defaults().setRaw(BrightnessKeys::enabledKey, "no");
    sim.defaults().setRaw(BrightnessKeys::volumeKey, 0);
    EXPECT_TRUE(keys().enabled());
    EXPECT_TRUE(keys().volumeEnabled());
    keys().setVolumeEnabled(false);
    EXPECT_FALSE(keys().volumeEnabled());
    sim.defaults().setBool(BrightnessKeys::volumeKey, true);
    startKeys();
    send(press(Key::volumeUp));
    send(press(Key::mute));
    ASSERT_EQ(input().systemReceived.size(), 2u);
    EXPECT_EQ(input().systemReceived[0].key, Key::volumeUp);
    EXPECT_EQ(input().systemReceived[1].key, Key::mute);
    EXPECT_EQ(sim.context->hud().panel(), nullptr);
}

TEST_F(Keys, SwitchedOffInTheSettingsNothingIsWatchedAtAll) {
    sim.defaults().setBool(BrightnessKeys::enabledKey, false);
    startKeys();
    EXPECT_FALSE(keys().isRunning());
    EXPECT_EQ(input().watchesCreated, 0u);
    send(press(Key::brightnessDown));
    send(press(Key::volumeUp));
    EXPECT_EQ(input().systemReceived.size(), 2u);

    keys().setEnabled(true);
    EXPECT_TRUE(keys().isRunning());
    keys().setEnabled(false);
    EXPECT_FALSE(keys().isRunning());
    EXPECT_FALSE(input().watchInstalled());
}

TEST_F(Keys, WithoutPermissionItAsksOnceStartsWithinOneTickOfTheGrantAndStopEndsBoth) {
    input().permitted = false;
    startKeys();
    EXPECT_EQ(input().requests, 1u);
    EXPECT_FALSE(keys().isRunning());
    EXPECT_TRUE(keys().isWaiting());

    sim.platform->advance(7s);  // two ticks without permission
    EXPECT_FALSE(keys().isRunning());
    input().permitted = true;  // granted at 7 s; the next tick is at 9 s
    sim.platform->advance(1.9s);
    EXPECT_FALSE(keys().isRunning());
    sim.platform->advance(0.2s);
    EXPECT_TRUE(keys().isRunning());
    EXPECT_FALSE(keys().isWaiting());
    EXPECT_EQ(input().requests, 1u);
    EXPECT_EQ(sim.platform->mainQueue.delayedCount(), 0u);

    // Stop ends the watch, and a wait for the permission too.
    keys().stop();
    EXPECT_FALSE(input().watchInstalled());
    send(press(Key::brightnessDown));
    EXPECT_EQ(input().systemReceived.size(), 1u);
    input().permitted = false;
    keys().start(true);
    EXPECT_TRUE(keys().isWaiting());
    keys().stop();
    EXPECT_FALSE(keys().isWaiting());
    input().permitted = true;
    sim.platform->advance(10s);
    EXPECT_FALSE(keys().isRunning());
    keys().start(false);
    EXPECT_TRUE(input().watchReceiving());
}

TEST_F(Keys, AWatchTheSystemEndsIsReplacedAtOnceOrAwaitsThePermission) {
    startKeys();
    input().loseWatch();
    sim.idle();
    EXPECT_TRUE(input().watchReceiving());
    EXPECT_EQ(input().watchesCreated, 2u);
    send(press(Key::brightnessDown));
    EXPECT_TRUE(input().systemReceived.empty());

    // The permission was withdrawn: the keys wait for it to come back.
    input().permitted = false;
    input().loseWatch();
    sim.idle();
    EXPECT_FALSE(keys().isRunning());
    EXPECT_TRUE(keys().isWaiting());
    input().permitted = true;
    sim.platform->advance(3.1s);
    EXPECT_TRUE(input().watchReceiving());
    EXPECT_EQ(input().requests, 0u);
}

TEST_F(Keys, APlatformWithoutKeysIsNeverAskedForThem) {
    sim.platform->simCapabilities.keys = KeyDelivery::none;
    input().permitted = false;
    startKeys();
    EXPECT_FALSE(keys().isRunning());
    EXPECT_FALSE(keys().isWaiting());
    EXPECT_EQ(input().requests, 0u);
    EXPECT_EQ(input().watchesCreated, 0u);
}

TEST(KeysLog, ARefusedWatchIsLoggedAndNotRetried) {
    TempDir home;
    Sim sim(defaultScenario(), SimOptions{home.path().string()});
    sim.platform->simInput.watchRefused = true;
    sim.start();
    sim.context->keys().start(true);
    sim.platform->advance(10s);
    EXPECT_FALSE(sim.context->keys().isRunning());
    EXPECT_FALSE(sim.context->keys().isWaiting());
    EXPECT_EQ(sim.platform->simInput.watchesCreated, 0u);
    std::string log = readFile(sim.context->log().path());
    EXPECT_NE(log.find("Teclas de brilho: o sistema recusou observar as teclas\n"), std::string::npos) << log;
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
    auto send = [&](const KeyEvent& e) {
        input.inject(e);
        sim.idle();
    };
    ASSERT_TRUE(m.hasDDCVolume());
    double start = m.state().volume.at(2);

    send(press(Key::volumeUp));
    EXPECT_DOUBLE_EQ(m.state().volume.at(2), snapped(start, 1.0 / 16));
    EXPECT_DOUBLE_EQ(hud.value(), m.averageDDCVolume());
    EXPECT_EQ(hud.icon(), m.state().volume.at(2) < 0.34 ? "speaker.wave.1.fill" : "speaker.wave.3.fill");

    double before = m.state().volume.at(2);
    send(press(Key::volumeDown, true));
    EXPECT_DOUBLE_EQ(m.state().volume.at(2), snapped(before, -1.0 / 64));

    send(release(Key::volumeUp));  // taken, and nothing happens
    send(press(Key::mute));
    EXPECT_TRUE(m.state().ddcMuted);
    EXPECT_EQ(hud.value(), 0.0);
    EXPECT_EQ(hud.icon(), "speaker.slash.fill");

    before = m.state().volume.at(2);
    send(press(Key::volumeUp));  // unmutes first, then steps
    EXPECT_FALSE(m.state().ddcMuted);
    EXPECT_DOUBLE_EQ(m.state().volume.at(2), snapped(before, 1.0 / 16));
    EXPECT_NE(hud.icon(), "speaker.slash.fill");
    EXPECT_TRUE(input.systemReceived.empty());

    sim.context->keys().setVolumeEnabled(false);
    send(press(Key::volumeUp));
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
    sim.platform->simInput.inject(press(Key::volumeUp));
    sim.platform->simInput.inject(press(Key::mute));
    sim.idle();
    EXPECT_EQ(sim.platform->simInput.systemReceived.size(), 2u);
}

// A grabbed key reaches no one else, so a grabbing platform holds the sound
// keys only while they drive a monitor, and gives them back the moment the
// sound moves, or the user switches them off.
TEST(KeysVolume, AGrabbingPlatformHoldsTheSoundKeysOnlyWhileTheyAreOurs) {
    const std::vector<Key> brightness = {Key::brightnessUp, Key::brightnessDown};
    const std::vector<Key> all = {Key::brightnessUp, Key::brightnessDown, Key::volumeUp, Key::volumeDown, Key::mute};
    Sim sim(hdmiScenario());
    SimInput& input = sim.platform->simInput;
    sim.platform->simCapabilities.keys = KeyDelivery::wholeGrab;
    sim.start();
    sim.context->keys().start(true);
    sim.idle();
    ASSERT_TRUE(sim.manager().hasDDCVolume());
    EXPECT_EQ(input.watchedKeys(), all);
    const double start = sim.manager().state().volume.at(2);
    input.inject(press(Key::volumeUp));
    sim.idle();
    EXPECT_DOUBLE_EQ(sim.manager().state().volume.at(2), snapped(start, 1.0 / 16));

    input.setTransport(AudioTransport::builtIn);
    sim.idle();
    EXPECT_EQ(input.watchedKeys(), brightness) << "the sound moved to the speakers";
    input.inject(press(Key::volumeUp));
    sim.idle();
    EXPECT_EQ(input.systemReceived.size(), 1u) << "the desktop's mixer gets the key";

    input.setTransport(AudioTransport::displayPort);
    sim.idle();
    EXPECT_EQ(input.watchedKeys(), all);
    sim.context->keys().setVolumeEnabled(false);
    EXPECT_EQ(input.watchedKeys(), brightness);
    sim.context->keys().setVolumeEnabled(true);
    EXPECT_EQ(input.watchedKeys(), all);
}

TEST(KeysOutput, DisplayAudioIsHDMIOrDisplayPortAndAFailedReadIsNot) {
    const std::pair<std::optional<AudioTransport>, bool> cases[] = {
        {AudioTransport::hdmi, true},       {AudioTransport::displayPort, true}, {AudioTransport::builtIn, false},
        {AudioTransport::usb, false},       {AudioTransport::bluetooth, false},  {AudioTransport::other, false},
        {std::nullopt, false},
    };
    VirtualClock clock;
    VirtualMainQueue main(clock);
    Capabilities capabilities;
    for (const auto& [transport, expected] : cases) {
        SimInput input(main, capabilities);
        input.setTransport(transport);
        EXPECT_EQ(BrightnessKeys::outputIsDisplayAudio(input), expected);
    }
}

TEST_F(Keys, EventsInjectedFromAnotherThreadAreHandledOnTheMainQueue) {
    startKeys();
    std::thread windowServer([this] {
        for (int i = 0; i < 200; ++i) input().inject(press(i % 2 ? Key::brightnessUp : Key::brightnessDown));
    });
    for (int i = 0; i < 1000 && input().consumed < 200; ++i) {
        sim.idle();
        std::this_thread::yield();
    }
    windowServer.join();
    sim.idle();
    EXPECT_EQ(input().consumed, 200u);
}

}  // namespace
}  // namespace vp::test
