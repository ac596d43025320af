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

TEST(HeadlessInput, KeyArgumentsBecomeTheKeysAKeyboardSends) {
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

TEST(HeadlessInput, KeysStepTheScreensAndShowTheHUD) {
    auto state = run({"--key", "brightnessDown", "--key", "brightnessDown:up", "--key", "brightnessUp+option+shift"});
    EXPECT_EQ(state["keys"], (nlohmann::json{{"running", true}, {"waiting", false}}));
    EXPECT_EQ(state["hud"]["icon"], "sun.max.fill");
    EXPECT_EQ(state["hud"]["visible"], false);
    EXPECT_EQ(state["brightness"]["2"], 0.6875 + 1.0 / 64);  // 0.7 → 0.6875 → 0.703125
}

TEST(HeadlessInput, HDMIVolumeKeysAndMute) {
    auto state = run({"--scenario", scenario("hdmi-volume.json"), "--key", "volumeUp", "--key", "mute"});
    EXPECT_EQ(state["volume"]["2"], 0.4375);
    EXPECT_EQ(state["hud"]["icon"], "speaker.slash.fill");
    EXPECT_EQ(state["hud"]["value"], 0.0);
}

TEST(HeadlessInput, AccessibilityGrantedLaterStartsTheTap) {
    auto waiting = run({"--scenario", scenario("keys-no-permission.json"), "--key", "brightnessDown"});
    EXPECT_EQ(waiting["keys"], (nlohmann::json{{"running", false}, {"waiting", true}}));
    EXPECT_EQ(waiting["hud"]["value"], 1.0);  // the system had the key

    auto granted = run({"--scenario", scenario("keys-no-permission.json"), "--do", "grantAccessibility"});
    EXPECT_EQ(granted["keys"], (nlohmann::json{{"running", true}, {"waiting", false}}));
}

TEST(HeadlessInput, PictureInPictureOfAScreenAndOfAWindow) {
    auto state = run({"--scenario", scenario("pip-windows.json"), "--do", "pip 2", "--do", "pipWindow 4711", "--do",
                      "pip 1", "--do", "pip 1"});
    EXPECT_EQ(state["pip"], (nlohmann::json{{"d2", {{"width", 3840}, {"height", 2160}}},
                                             {"w4711", {{"width", 2200}, {"height", 1520}}}}));
    EXPECT_EQ(state["pipOpen"], nlohmann::json::array({2}));

    auto gone = run({"--scenario", scenario("pip-windows.json"), "--do", "pipWindow 99"});
    EXPECT_TRUE(gone["pip"].empty());
    EXPECT_FALSE(gone["lastError"].is_null());
}

TEST(HeadlessInput, BadKeysAndPiPArgumentsExitWithStatusTwo) {
    for (auto args : std::vector<std::vector<std::string>>{
             {"--key", "brightnessSideways"}, {"--do", "pip"}, {"--do", "pipWindow x"}, {"--do", "grantAccessibility now"}})
        EXPECT_FALSE(run(args, 2).get<std::string>().empty()) << args[1];
}

}  // namespace
}  // namespace vp::test
