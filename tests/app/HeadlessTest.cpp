#include "BuildPaths.h"
#include "app/headless/Headless.h"
#include "display/DisplayManager.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/wait.h>

namespace vp::test {
namespace {

using namespace std::chrono_literals;

struct Outcome {
    int status;
    std::string out, err;
};

Outcome runInProcess(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    int status = runHeadless(args, out, err);
    return {status, out.str(), err.str()};
}

// Runs the built program as a user would, capturing both streams.
Outcome runBinary(const std::string& args) {
    TempDir dir;
    std::string out = dir.file("out"), err = dir.file("err");
    std::string command = std::string("'") + VELVETPANE_BINARY + "' " + args + " >'" + out + "' 2>'" + err + "'";
    int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(out), readFile(err)};
}

void expectDefaultScreens(const nlohmann::json& state) {
    const auto& screens = state.at("screens");
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_EQ(screens[0]["name"], "Built-in Retina Display");
    EXPECT_EQ(screens[0]["isBuiltin"], true);
    EXPECT_EQ(screens[1]["name"], "Lumina 27 4K");
    EXPECT_EQ(screens[1]["isMain"], true);
    EXPECT_EQ(screens[2]["name"], "Office 24");
    EXPECT_EQ(screens[2]["isMain"], false);
    EXPECT_EQ(screens[0]["id"], 1);
    EXPECT_EQ(screens[1]["id"], 2);
    EXPECT_EQ(screens[2]["id"], 3);
    EXPECT_EQ(screens[1]["bounds"], nlohmann::json({0, 0, 3840, 2160}));
    EXPECT_EQ(screens[1]["mirrorOf"], nullptr);
    EXPECT_EQ(screens[0]["pixelWidth"], 3024);
    EXPECT_EQ(screens[0]["refresh"], 120.0);
    for (const char* member : {"brightness", "method", "volume", "inputSource", "prefs", "specs", "hiDPIMap",
                               "disabled", "lastError", "pipOpen", "profileTick", "xdrLevel"})
        EXPECT_TRUE(state.contains(member)) << member;
}

TEST(HeadlessOptions, ActionsKeepCommandLineOrder) {
    auto options = parseHeadlessOptions(
        {"--headless", "--do", "default a true", "--home", "/tmp/h", "--terminate", "--url", "velvetpane://x"});
    EXPECT_EQ(options.scenario, SimPlatform::defaultScenarioPath());
    EXPECT_EQ(options.home, "/tmp/h");
    ASSERT_EQ(options.actions.size(), 3u);
    EXPECT_EQ(options.actions[0].flag, "--do");
    EXPECT_EQ(options.actions[0].value, "default a true");
    EXPECT_EQ(options.actions[1].flag, "--terminate");
    EXPECT_EQ(options.actions[2].value, "velvetpane://x");
}

TEST(HeadlessOptions, BadCommandLinesAreUsageErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"--scenario"}, {"--lang"}, {"--do"}, {"scenario.json"}})
        EXPECT_THROW(parseHeadlessOptions(args), UsageError) << args.front();
}

TEST(Headless, DefaultScenarioPrintsThreeScreensInOrder) {
    Outcome run = runInProcess({"--headless"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    expectDefaultScreens(nlohmann::json::parse(run.out));
}

TEST(Headless, BadScenarioNamesTheFileAndTheProblem) {
    TempDir dir;
    struct Case {
        std::string content;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"{ \"displays\": [", "not valid JSON"},
        {"{}", "no \"displays\""},
        {R"({"displays":[{"id":0,"bounds":[0,0,1,1]}]})", "\"id\" must be a whole number from 1 to 4294967295"},
        {R"({"displays":[{"id":1,"bounds":[0,0,1,1],"currentMode":2}]})", "\"currentMode\""},
        {R"({"displays":[{"id":1,"bounds":[0,0,1,1]}],"system":{"preferredLanguages":[3]}})",
         "\"preferredLanguages\" must hold texts"},
        {R"({"displays":[],"enabledEntryPoint":"yes"})", "\"enabledEntryPoint\" must be true or false"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::string path = dir.file("scenario" + std::to_string(i) + ".json");
        writeFile(path, cases[i].content);
        Outcome run = runInProcess({"--headless", "--scenario", path});
        EXPECT_EQ(run.status, 2) << cases[i].content;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(cases[i].problem), std::string::npos) << run.err;
    }
    Outcome missing = runInProcess({"--scenario", dir.file("absent.json")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find(dir.file("absent.json")), std::string::npos) << missing.err;
}

TEST(Headless, TwoRunsWithOneHomeShareSettings) {
    TempDir home;
    HeadlessOptions options = parseHeadlessOptions({"--home", home.path().string()});
    {
        HeadlessSession session(options);
        session.start();
        session.context().displayManager().setPrefs("3C9B1E7A-5F42-4D08-A6E3-8F1C2B9D7E55",
                                                    ScreenPrefs{0.4, 0.3, 0.5, true});
    }
    HeadlessSession second(options);
    second.start();
    auto prefs = second.state()["prefs"];
    EXPECT_EQ(prefs, nlohmann::json::parse(R"({"3C9B1E7A-5F42-4D08-A6E3-8F1C2B9D7E55":
        {"dim":0.4,"warmth":0.3,"contrast":0.5,"forceSoftware":true}})"));
    EXPECT_TRUE(std::filesystem::is_directory(
        std::filesystem::path(second.platform().system().logFilePath()).parent_path()));
}

TEST(Headless, SettlingStopsAtItsBoundDespiteARepeatingTimer) {
    HeadlessSession session(parseHeadlessOptions({}));
    session.start();
    SimPlatform& platform = session.platform();
    std::function<void()> tick = [&] { platform.mainQueue.postAfter(1s, tick); };
    tick();
    Seconds before = platform.clock.now();
    session.settle();
    EXPECT_LE((platform.clock.now() - before).count(), 31.0);
    EXPECT_TRUE(platform.mainQueue.hasPendingWork());
}

TEST(HeadlessBinary, DefaultScenarioAndExitStatuses) {
    Outcome ok = runBinary("--headless --lang de-AT");
    ASSERT_EQ(ok.status, 0) << ok.err;
    expectDefaultScreens(nlohmann::json::parse(ok.out));

    Outcome unknown = runBinary("--headless --frobnicate");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("--frobnicate"), std::string::npos) << unknown.err;
    EXPECT_EQ(unknown.out, "");

    Outcome missing = runBinary("--headless --scenario /nonexistent/scenario.json");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("/nonexistent/scenario.json"), std::string::npos) << missing.err;
}

TEST(HeadlessBinary, LanguageChoosesTheFallbackNames) {
    TempDir dir;
    std::string path = dir.file("unnamed.json");
    writeFile(path, R"({"displays":[{"id":1,"builtin":true,"active":false,"bounds":[0,0,10,10]},
                                    {"id":2,"active":false,"bounds":[10,0,10,10]}]})");
    for (auto [lang, builtin, screen] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"pt-BR", "Tela integrada", "Tela"},
             {"de-AT", "Integrierter Bildschirm", "Bildschirm"},
             {"ja-JP", "Built-in display", "Screen"}}) {
        Outcome run = runBinary("--headless --scenario '" + path + "' --lang " + lang);
        ASSERT_EQ(run.status, 0) << run.err;
        auto screens = nlohmann::json::parse(run.out)["screens"];
        EXPECT_EQ(screens[0]["name"], builtin) << lang;
        EXPECT_EQ(screens[1]["name"], screen) << lang;
    }
}

}  // namespace
}  // namespace vp::test
