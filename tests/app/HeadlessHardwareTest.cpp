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

TEST(HeadlessHardware, DefaultScenarioShowsProbedHardware) {
    auto state = run({});
    EXPECT_EQ(state["method"], (nlohmann::json{{"1", "builtin"}, {"2", "ddc"}, {"3", "software"}}));
    const auto& hw = state["hardware"];
    EXPECT_EQ(hw["1"]["backlight"], 0.5);
    EXPECT_FALSE(hw["1"].contains("ddc"));
    EXPECT_EQ(hw["2"]["ddc"]["vcp"]["16"], (nlohmann::json{70, 100}));
    EXPECT_EQ(hw["2"]["ddc"]["packets"][0], "82 01 10 AC");
    EXPECT_FALSE(hw["3"].contains("ddc"));
    EXPECT_FALSE(hw["3"].contains("backlight"));
    EXPECT_EQ(hw["3"]["gamma"]["entries"], 256);
    EXPECT_TRUE(hw["3"]["shade"].is_null());
}

TEST(HeadlessHardware, OperationsReachTheHardware) {
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

TEST(HeadlessHardware, BadArgumentsExitWithStatusTwo) {
    for (auto args : std::vector<std::vector<std::string>>{{"--do", "setWarmth 9 0.5"},
                                                           {"--do", "setBrightness 2"},
                                                           {"--do", "setInput 2 HDMI"},
                                                           {"--do", "setForceSoftware 2 maybe"},
                                                           {"--do", "toggleDDCMute now"}})
        EXPECT_FALSE(run(args, 2).get<std::string>().empty()) << args[1];
}

}  // namespace
}  // namespace vp::test
