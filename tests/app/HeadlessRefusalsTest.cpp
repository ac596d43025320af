// The command line refuses what it cannot carry out with exit status 2 and
// one line that says what was wrong in the words of the usage.

#include "app/headless/Headless.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace vp::test {
namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome run(std::vector<std::string> args) {
    args.insert(args.begin(), "--headless");
    std::ostringstream out, err;
    int status = runHeadless(args, out, err);
    return {status, out.str(), err.str()};
}

std::size_t lines(const std::string& text) {
    return std::size_t(std::count(text.begin(), text.end(), '\n'));
}

TEST(HeadlessRefusals, EveryOperationRefusesADisplayIdThatIsNotListed) {
    const std::vector<std::string> operations = {
        "setBrightness 9 0.5", "setWarmth 9 0.5",   "setContrast 9 0.5",    "resetColor 9",
        "setForceSoftware 9 on", "setVolume 9 0.5", "setInput 9 0x11",      "apply 9 1920x1080@1920x1080@60",
        "makeMain 9",          "mirror 9 2",        "mirror 2 9",           "mirror 9 none",
        "setEnabled 9 off",    "enableHiDPI 9",     "disableHiDPI 9",       "pip 9",
        "setXDR 9 0.5",        "setColorProfile 9 none",
    };
    for (const std::string& operation : operations) {
        Outcome r = run({"--do", operation});
        EXPECT_EQ(r.status, 2) << operation;
        EXPECT_EQ(r.out, "") << operation;
        EXPECT_EQ(lines(r.err), 1u) << operation << ": " << r.err;
        EXPECT_NE(r.err.find("display 9 is not listed"), std::string::npos) << operation << ": " << r.err;
    }
}

TEST(HeadlessRefusals, MessagesSpeakTheUsagesWords) {
    TempDir dir;
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{"--do", "addVirtual 0 720 60 0 Side"}, "width: \"0\" must be a whole number from 1 to 16384"},
        {{"--do", "addVirtual 1280 720.5 60 0 Side"}, "height: \"720.5\" must be a whole number from 1 to 16384"},
        {{"--do", "addVirtual 1280 720 0 0 Side"}, "refresh: \"0\" must be a rate above 0 and at most 1000 Hz"},
        {{"--do", "addVirtual 1280 720 60 2 Side"}, "hiDPI: \"2\" must be 0 or 1"},
        {{"--do", "default dimBelowMinimum on-ish"}, "dimBelowMinimum: \"on-ish\" must be true or false"},
        {{"--do", "setEnabled 3 maybe"}, "setEnabled: \"maybe\" must be on or off"},
        {{"--scenario", dir.path().string()}, dir.path().string() + ": is a folder, not a scenario file"},
    };
    for (const Case& c : cases) {
        Outcome r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.args[1];
        EXPECT_EQ(r.err, "velvetpane: " + std::string(c.args[0] == "--scenario" ? "scenario " : "") + c.expected + "\n");
    }
}

nlohmann::json brightnessAfter(const std::vector<std::string>& urls, std::string* err = nullptr) {
    std::vector<std::string> args;
    for (const auto& url : urls) args.insert(args.end(), {"--url", url});
    Outcome r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    if (err) *err = r.err;
    return nlohmann::json::parse(r.out)["brightness"];
}

TEST(HeadlessRefusals, ADisplaySelectorIsAppliedOrRefused) {
    const nlohmann::json untouched = brightnessAfter({});

    nlohmann::json one = brightnessAfter({"velvetpane://brightness?value=40&display=3"});
    EXPECT_EQ(one["3"], 0.4);
    EXPECT_EQ(one["1"], untouched["1"]);
    EXPECT_EQ(one["2"], untouched["2"]);

    std::string err;
    EXPECT_EQ(brightnessAfter({"velvetpane://brightness?value=40&display=9"}, &err), untouched);
    EXPECT_NE(err.find("display 9"), std::string::npos) << err;
    EXPECT_EQ(brightnessAfter({"velvetpane://brightness?value=40&display=two"}), untouched);
}

}  // namespace
}  // namespace vp::test
