// The headless commands on the simulated platform: what each reaches, read
// back from the state the run prints.

#include "BuildPaths.h"
#include "app/headless/Headless.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vp::test {
namespace {

nlohmann::json run(std::vector<std::string> args, int expectedStatus = 0) {
    args.insert(args.begin(), "--headless");
    std::ostringstream out, err;
    EXPECT_EQ(runHeadless(args, out, err), expectedStatus) << err.str();
    return expectedStatus == 0 ? nlohmann::json::parse(out.str()) : nlohmann::json(err.str());
}

std::string scenario(const std::string& name) {
    return std::string(VELVETPANE_SCENARIO_DIR) + "/" + name;
}

const nlohmann::json& screenById(const nlohmann::json& state, DisplayID id) {
    for (const auto& s : state["screens"])
        if (s["id"] == id) return s;
    throw std::runtime_error("screen " + std::to_string(id) + " not listed");
}

TEST(HeadlessCommands, ModesAndCurrentModePerActiveScreen) {
    auto state = run({"--do", "apply 3 1280x720@1280x720@60", "--do", "setEnabled 1 off"});
    EXPECT_EQ(state["currentModeID"]["3"], "1280x720@1280x720@60");
    const auto& first = state["modes"]["3"][0];
    EXPECT_EQ(first["id"], "1920x1080@1920x1080@60");
    EXPECT_EQ(first["label"], "1920 × 1080 · 60 Hz");
    EXPECT_EQ(state["modes"]["3"].size(), 3u);
    EXPECT_FALSE(state["modes"].contains("1")) << "switched off";
    EXPECT_EQ(state["disabled"]["1"], "Built-in Retina Display");
}

TEST(HeadlessCommands, TheFourKMonitorToHiDPIAndBack) {
    auto on = run({"--do", "enableHiDPI 2"});
    const auto& virtualScreen = on["screens"].back();
    DisplayID v = virtualScreen["id"];
    EXPECT_EQ(virtualScreen["name"], "Lumina 27 4K HiDPI");
    EXPECT_EQ(virtualScreen["isMain"], true);
    EXPECT_EQ(screenById(on, 2)["mirrorOf"], v);
    EXPECT_EQ(on["currentModeID"][std::to_string(v)], "3840x2160@7680x4320@60");

    auto off = run({"--do", "enableHiDPI 2", "--do", "disableHiDPI 2"});
    EXPECT_EQ(off["screens"].size(), 3u);
    EXPECT_TRUE(screenById(off, 2)["mirrorOf"].is_null());
    EXPECT_TRUE(off["hiDPIMap"].empty());
    EXPECT_TRUE(off["lastError"].is_null());
}

TEST(HeadlessCommands, VirtualScreensByCommand) {
    auto added = run({"--do", "addVirtual 1280 720 60 0 Side panel", "--do", "mirror 3 2"});
    ASSERT_EQ(added["specs"].size(), 1u);
    EXPECT_EQ(added["screens"].back()["name"], "Side panel");
    EXPECT_EQ(screenById(added, 3)["mirrorOf"], 2);
}

TEST(HeadlessCommands, DefaultScenarioShowsProbedHardware) {
    auto state = run({});
    EXPECT_EQ(state["method"], (nlohmann::json{{"1", "builtin"}, {"2", "ddc"}, {"3", "software"}}));
    const auto& hw = state["hardware"];
    EXPECT_EQ(hw["1"]["backlight"], 0.5);
    EXPECT_EQ(hw["2"]["ddc"]["vcp"]["16"], (nlohmann::json{70, 100}));
    EXPECT_EQ(hw["2"]["ddc"]["packets"][0], "82 01 10 AC");
    EXPECT_FALSE(hw["3"].contains("ddc"));
    EXPECT_TRUE(hw["3"]["shade"].is_null());
}

TEST(HeadlessCommands, OperationsReachTheHardware) {
    auto state = run({"--do", "setBrightness 2 0.6", "--do", "setBrightness 3 0.03", "--do", "setInput 2 0x11",
                      "--do", "default dimBelowMinimum false", "--do", "setBrightness 1 0.25"});
    const auto& hw = state["hardware"];
    auto packets = hw["2"]["ddc"]["packets"];
    EXPECT_EQ(packets[packets.size() - 3], "84 03 10 00 32 9A");
    EXPECT_EQ(packets.back(), "84 03 60 00 11 C9");
    EXPECT_EQ(hw["3"]["shade"], 0.5);
    EXPECT_NEAR(hw["3"]["gamma"]["red"].back().get<double>(), 0.06, 1e-6);
    EXPECT_EQ(hw["1"]["backlight"], 0.25);
}

TEST(HeadlessCommands, KeyArgumentsBecomeTheKeysAKeyboardSends) {
    KeyEvent down = parseKeyArgument("brightnessDown+option+shift");
    EXPECT_EQ(down.key, Key::brightnessDown);
    EXPECT_TRUE(down.pressed);
    EXPECT_TRUE(down.fine);
    KeyEvent release = parseKeyArgument("mute:up");
    EXPECT_EQ(release.key, Key::mute);
    EXPECT_FALSE(release.pressed);
    // Only both modifiers together ask for the fine step.
    for (const char* coarse : {"volumeUp", "volumeUp+option", "volumeUp+shift"})
        EXPECT_FALSE(parseKeyArgument(coarse).fine) << coarse;
    EXPECT_TRUE(parseKeyArgument("volumeDown+shift+option:up").fine);
    for (const char* bad : {"brightness", "mute+ctrl", "volumeUp:down", "+option", "", "brightnessUpKey"})
        EXPECT_THROW(parseKeyArgument(bad), UsageError) << bad;
}

TEST(HeadlessCommands, KeysStepTheScreensAndShowTheHUD) {
    auto state = run({"--key", "brightnessDown", "--key", "brightnessDown:up", "--key", "brightnessUp+option+shift"});
    EXPECT_EQ(state["keys"], (nlohmann::json{{"running", true}, {"waiting", false}}));
    EXPECT_EQ(state["hud"]["icon"], "sun.max.fill");
    EXPECT_EQ(state["brightness"]["2"], 0.6875 + 1.0 / 64);  // 0.7 → 0.6875 → 0.703125

    auto volume = run({"--scenario", scenario("hdmi-volume.json"), "--key", "volumeUp", "--key", "mute"});
    EXPECT_EQ(volume["volume"]["2"], 0.4375);
    EXPECT_EQ(volume["hud"]["icon"], "speaker.slash.fill");
    EXPECT_EQ(volume["hud"]["value"], 0.0);
}

TEST(HeadlessCommands, AccessibilityGrantedLaterStartsTheTap) {
    auto waiting = run({"--scenario", scenario("keys-no-permission.json"), "--key", "brightnessDown"});
    EXPECT_EQ(waiting["keys"], (nlohmann::json{{"running", false}, {"waiting", true}}));
    EXPECT_EQ(waiting["hud"]["value"], 1.0);  // the system had the key

    auto granted = run({"--scenario", scenario("keys-no-permission.json"), "--do", "grantAccessibility"});
    EXPECT_EQ(granted["keys"], (nlohmann::json{{"running", true}, {"waiting", false}}));
}

TEST(HeadlessCommands, PictureInPictureOfAScreenAndOfAWindow) {
    auto state = run({"--scenario", scenario("pip-windows.json"), "--do", "pip 2", "--do", "pipWindow 4711", "--do",
                      "pip 1", "--do", "pip 1"});
    EXPECT_EQ(state["pip"], (nlohmann::json{{"d2", {{"width", 3840}, {"height", 2160}}},
                                             {"w4711", {{"width", 2200}, {"height", 1520}}}}));
    EXPECT_EQ(state["pipOpen"], nlohmann::json::array({2}));

    auto gone = run({"--scenario", scenario("pip-windows.json"), "--do", "pipWindow 99"});
    EXPECT_TRUE(gone["pip"].empty());
    EXPECT_FALSE(gone["lastError"].is_null());
}

TEST(HeadlessCommands, BadArgumentsExitWithStatusTwo) {
    for (const char* operation :
         {"apply 3 640x480@640x480@60", "mirror 3 nobody", "setEnabled 3 maybe", "addVirtual 1280 720 60 0",
          "toggleVirtual 1234 on", "removeVirtual 00000000-0000-4000-8000-000000000000", "setBrightness 2",
          "setInput 2 HDMI", "setForceSoftware 2 maybe", "toggleDDCMute now", "pip", "pipWindow x",
          "grantAccessibility now"})
        EXPECT_FALSE(run({"--do", operation}, 2).get<std::string>().empty()) << operation;
    EXPECT_FALSE(run({"--key", "brightnessSideways"}, 2).get<std::string>().empty());
}

}  // namespace
}  // namespace vp::test
