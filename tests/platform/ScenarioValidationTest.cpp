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

TEST(ScenarioValidation, NumbersOutOfRangeAreRefusedWithFieldAndRange) {
    struct Case {
        std::string label;
        Edit edit;
        std::string expected;
    };
    auto display = [](nlohmann::json& s, int index) -> nlohmann::json& { return s["displays"][index]; };
    auto gamma = [&](nlohmann::json value) {
        return Edit([=](nlohmann::json& s) { display(s, 2)["gammaEntries"] = value; });
    };
    const std::string gammaRange = "display 3: \"gammaEntries\" must be a whole number from 2 to 65536";
    const std::vector<Case> cases = {
        {"huge gamma table", gamma(1e9), gammaRange},
        {"negative gamma table", gamma(-1), gammaRange},
        {"empty gamma table", gamma(0), gammaRange},
        {"one-entry gamma table", gamma(1), gammaRange},
        {"gamma table 1e308", gamma(1e308), gammaRange},
        {"negative id", [&](auto& s) { display(s, 2)["id"] = -3; },
         "display -3: \"id\" must be a whole number from 1 to 4294967295"},
        {"refresh 1e308", [&](auto& s) { display(s, 2)["modes"][0]["refresh"] = 1e308; },
         "\"refresh\" must be a number from 0 to 1000"},
        {"negative pixel width", [&](auto& s) { display(s, 2)["modes"][0]["pixelWidth"] = -1920; },
         "\"pixelWidth\" must be a whole number from 1 to 65535"},
        {"zero pixel height", [&](auto& s) { display(s, 2)["modes"][0]["pixelHeight"] = 0; },
         "\"pixelHeight\" must be a whole number from 1 to 65535"},
        {"zero-width bounds", [&](auto& s) { display(s, 2)["bounds"][2] = 0; },
         "display 3: the width of \"bounds\" must be a number from 1 to 65535"},
        {"fractional current mode", [&](auto& s) { display(s, 2)["currentMode"] = 1.5; },
         "display 3: \"currentMode\" must be a whole number from 0 to"},
        {"backlight above 1", [](auto& s) { s["hardware"]["backlight"]["value"] = 2; },
         "\"backlight\": \"value\" must be a number from 0 to 1"},
        {"negative wrong-code tries", [](auto& s) { s["hardware"]["avServices"][1]["wrongCodeTries"] = -1; },
         "\"wrongCodeTries\" must be a whole number from 0 to 1000"},
        {"negative reply delay", [](auto& s) { s["hardware"]["avServices"][1]["replyDelayMs"] = -40; },
         "\"replyDelayMs\" must be a whole number from 0 to 10000"},
        {"negative vendor", [&](auto& s) { display(s, 1)["vendor"] = -1; },
         "display 2: \"vendor\" must be a whole number from 0 to 4294967295"},
        {"shared uuid", [&](auto& s) { display(s, 2)["uuid"] = display(s, 1)["uuid"]; },
         "display 3: \"uuid\" is the same as display 2's"},
        {"backlight of no display", [](auto& s) { s["hardware"]["backlight"]["display"] = 7; },
         "\"backlight\": no display 7"},
        {"unknown settings pane", [](auto& s) { s["system"]["settingsPanes"] = {"displays", "sound"}; },
         "\"settingsPanes\" must be an array of \"accessibility\", \"screenCapture\" and \"displays\""},
        {"settings panes not a list", [](auto& s) { s["system"]["settingsPanes"] = "displays"; },
         "\"settingsPanes\" must be an array of"},
    };
    for (const Case& c : cases) {
        const std::string message = refusal(c.edit);
        EXPECT_NE(message.find(c.expected), std::string::npos) << c.label << ": " << message;
    }
}

TEST(ScenarioValidation, WholeNumbersWrittenWithAPointAndTheEdgesOfTheRangesPass) {
    EXPECT_EQ(refusal([](auto& s) { s["displays"][2]["currentMode"] = 1.0; }), "");
    EXPECT_EQ(refusal([](auto& s) { s["displays"][2]["gammaEntries"] = 2; }), "");
    EXPECT_EQ(refusal([](auto& s) { s["hardware"]["backlight"]["value"] = 1; }), "");
    EXPECT_EQ(refusal([](auto& s) { s["displays"][2]["modes"][0]["refresh"] = 0; }), "");
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
