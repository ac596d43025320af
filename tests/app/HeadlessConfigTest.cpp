#include "app/headless/Headless.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vp::test {
namespace {

nlohmann::json runConfig(std::vector<std::string> args, int expectedStatus = 0) {
    args.insert(args.begin(), "--headless");
    std::ostringstream out, err;
    EXPECT_EQ(runHeadless(args, out, err), expectedStatus) << err.str();
    return expectedStatus == 0 ? nlohmann::json::parse(out.str()) : nlohmann::json(err.str());
}

const nlohmann::json& screenById(const nlohmann::json& state, DisplayID id) {
    for (const auto& s : state["screens"])
        if (s["id"] == id) return s;
    throw std::runtime_error("screen " + std::to_string(id) + " not listed");
}

TEST(HeadlessConfig, ModesAndCurrentModePerActiveScreen) {
    auto state = runConfig({"--do", "apply 3 1280x720@1280x720@60", "--do", "setEnabled 1 off"});
    EXPECT_EQ(state["currentModeID"]["3"], "1280x720@1280x720@60");
    const auto& first = state["modes"]["3"][0];
    EXPECT_EQ(first["id"], "1920x1080@1920x1080@60");
    EXPECT_EQ(first["label"], "1920 × 1080 · 60 Hz");
    EXPECT_EQ(first["pixelWidth"], 1920);
    EXPECT_EQ(first["hiDPI"], false);
    EXPECT_EQ(state["modes"]["3"].size(), 3u);
    EXPECT_FALSE(state["modes"].contains("1")) << "switched off";
    EXPECT_EQ(state["disabled"]["1"], "Built-in Retina Display");
}

TEST(HeadlessConfig, TheFourKMonitorToHiDPIAndBack) {
    auto on = runConfig({"--do", "enableHiDPI 2"});
    const auto& virtualScreen = on["screens"].back();
    DisplayID v = virtualScreen["id"];
    EXPECT_EQ(virtualScreen["name"], "Lumina 27 4K HiDPI");
    EXPECT_EQ(virtualScreen["isOurVirtual"], true);
    EXPECT_EQ(virtualScreen["isMain"], true);
    EXPECT_EQ(screenById(on, 2)["mirrorOf"], v);
    EXPECT_EQ(on["currentModeID"][std::to_string(v)], "3840x2160@7680x4320@60");
    EXPECT_EQ(on["hiDPIMap"]["3C9B1E7A-5F42-4D08-A6E3-8F1C2B9D7E55"]["name"], "Lumina 27 4K HiDPI");

    auto off = runConfig({"--do", "enableHiDPI 2", "--do", "disableHiDPI 2"});
    EXPECT_EQ(off["screens"].size(), 3u);
    EXPECT_TRUE(screenById(off, 2)["mirrorOf"].is_null());
    EXPECT_TRUE(off["hiDPIMap"].empty());
    EXPECT_TRUE(off["lastError"].is_null());
}

TEST(HeadlessConfig, VirtualScreensByCommand) {
    auto added = runConfig({"--do", "addVirtual 1280 720 60 0 Side panel", "--do", "mirror 3 2"});
    ASSERT_EQ(added["specs"].size(), 1u);
    EXPECT_EQ(added["specs"][0]["name"], "Side panel");
    EXPECT_EQ(added["screens"].back()["name"], "Side panel");
    EXPECT_EQ(screenById(added, 3)["mirrorOf"], 2);
}

TEST(HeadlessConfig, BadArgumentsExitWithStatusTwo) {
    for (auto args : std::vector<std::vector<std::string>>{{"--do", "apply 3 640x480@640x480@60"},
                                                           {"--do", "mirror 3 nobody"},
                                                           {"--do", "setEnabled 3 maybe"},
                                                           {"--do", "addVirtual 0 720 60 0 Side"},
                                                           {"--do", "addVirtual 1280 720 60 0"},
                                                           {"--do", "toggleVirtual 1234 on"},
                                                           {"--do", "removeVirtual 00000000-0000-4000-8000-000000000000"},
                                                           {"--do", "enableHiDPI 9"}})
        EXPECT_FALSE(runConfig(args, 2).get<std::string>().empty()) << args[1];
}

}  // namespace
}  // namespace vp::test
