// A scenario is what users write to try the program: every number the
// simulation could not take is refused, naming the field and its range.

#include "BuildPaths.h"
#include "support/SimFixture.h"

#include <filesystem>

namespace vp::test {
namespace {

using Edit = std::function<void(nlohmann::json&)>;

std::string refusal(const Edit& edit) {
    nlohmann::json scenario = defaultScenario();
    edit(scenario);
    SimPlatform platform;
    try {
        platform.loadScenario(scenario);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

TEST(ScenarioValidation, NumbersOutOfRangeAreRefusedWithFieldAndRangeAndTheEdgesPass) {
    auto display = [](nlohmann::json& s, int index) -> nlohmann::json& { return s["displays"][index]; };
    const std::string gammaRange = "display 3: \"gammaEntries\" must be a whole number from 2 to 65536";
    const std::vector<std::pair<Edit, std::string>> cases = {
        {[&](auto& s) { display(s, 2)["gammaEntries"] = 1e308; }, gammaRange},
        {[&](auto& s) { display(s, 2)["gammaEntries"] = 1; }, gammaRange},
        {[&](auto& s) { display(s, 2)["id"] = -3; }, "display -3: \"id\" must be a whole number from 1 to 4294967295"},
        {[&](auto& s) { display(s, 2)["modes"][0]["refresh"] = 1e308; }, "\"refresh\" must be a number from 0 to 1000"},
        {[&](auto& s) { display(s, 2)["modes"][0]["pixelWidth"] = -1920; },
         "\"pixelWidth\" must be a whole number from 1 to 65535"},
        {[&](auto& s) { display(s, 2)["bounds"][2] = 0; },
         "display 3: the width of \"bounds\" must be a number from 1 to 65535"},
        {[&](auto& s) { display(s, 2)["currentMode"] = 1.5; },
         "display 3: \"currentMode\" must be a whole number from 0 to"},
        {[](auto& s) { s["hardware"]["backlight"]["value"] = 2; }, "\"backlight\": \"value\" must be a number from 0 to 1"},
        {[](auto& s) { s["hardware"]["avServices"][1]["wrongCodeTries"] = -1; },
         "\"wrongCodeTries\" must be a whole number from 0 to 1000"},
        {[](auto& s) { s["hardware"]["avServices"][1]["replyDelayMs"] = -40; },
         "\"replyDelayMs\" must be a whole number from 0 to 10000"},
        {[&](auto& s) { display(s, 1)["vendor"] = -1; },
         "display 2: \"vendor\" must be a whole number from 0 to 4294967295"},
        {[&](auto& s) { display(s, 2)["uuid"] = display(s, 1)["uuid"]; }, "display 3: \"uuid\" is the same as display 2's"},
        {[](auto& s) { s["hardware"]["backlight"]["display"] = 7; }, "\"backlight\": no display 7"},
        {[](auto& s) { s["system"]["settingsPanes"] = {"displays", "sound"}; },
         "\"settingsPanes\" must be an array of \"accessibility\", \"screenCapture\" and \"displays\""},
        {[](auto& s) { s["system"]["settingsPanes"] = "displays"; }, "\"settingsPanes\" must be an array of"},
        // Whole numbers written with a point, and the edges of the ranges, pass.
        {[](auto& s) { s["displays"][2]["currentMode"] = 1.0; }, ""},
        {[](auto& s) { s["displays"][2]["gammaEntries"] = 2; }, ""},
        {[](auto& s) { s["hardware"]["backlight"]["value"] = 1; }, ""},
        {[](auto& s) { s["displays"][2]["modes"][0]["refresh"] = 0; }, ""},
    };
    for (const auto& [edit, expected] : cases) {
        const std::string message = refusal(edit);
        if (expected.empty()) EXPECT_EQ(message, "");
        else EXPECT_NE(message.find(expected), std::string::npos) << expected << " / " << message;
    }
}

TEST(ScenarioValidation, EveryShippedScenarioLoads) {
    for (const auto& entry : std::filesystem::directory_iterator(VELVETPANE_SCENARIO_DIR)) {
        if (entry.path().extension() != ".json") continue;
        SimPlatform platform;
        EXPECT_NO_THROW(platform.loadScenarioFile(entry.path().string())) << entry.path();
    }
}

}  // namespace
}  // namespace vp::test
