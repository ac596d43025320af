#include "BuildPaths.h"
#include "app/headless/Headless.h"
#include "app/headless/SimulatedBed.h"
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
Outcome runBinary(const std::string& args, const std::string& environment = "") {
    TempDir dir;
    std::string out = dir.file("out"), err = dir.file("err");
    std::string command = environment + " '" + VELVETPANE_BINARY + "' " + args + " >'" + out + "' 2>'" + err + "'";
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
    EXPECT_EQ(screens[1]["bounds"], nlohmann::json({0, 0, 3840, 2160}));
    for (const char* member : {"brightness", "method", "softwareReason", "volume", "inputSource", "prefs", "specs",
                               "hiDPIMap", "disabled", "lastError", "pipOpen", "profileTick", "xdrLevel"})
        EXPECT_TRUE(state.contains(member)) << member;
}

TEST(HeadlessOptions, BadCommandLinesAreUsageErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"--scenario"}, {"--lang"}, {"--do"}, {"scenario.json"}})
        EXPECT_THROW(parseHeadlessOptions(args), UsageError) << args.front();
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
        {R"({"displays":[],"capabilities":{"configurationOutlivesProcess":"yes"}})",
         "capabilities: \"configurationOutlivesProcess\" must be true or false"},
        {R"({"displays":[],"capabilities":{"switchOff":false}})",
         "capabilities: \"switchOff\" must be true or the reason it is unavailable"},
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
        SimulatedBed bed(options);
        HeadlessSession session(bed.platform(), bed);
        session.start();
        session.context().displayManager().setPrefs("3C9B1E7A-5F42-4D08-A6E3-8F1C2B9D7E55",
                                                    ScreenPrefs{0.4, 0.3, 0.5, true});
    }
    SimulatedBed secondBed(options);
    HeadlessSession second(secondBed.platform(), secondBed);
    second.start();
    auto prefs = second.state()["prefs"];
    EXPECT_EQ(prefs, nlohmann::json::parse(R"({"3C9B1E7A-5F42-4D08-A6E3-8F1C2B9D7E55":
        {"dim":0.4,"warmth":0.3,"contrast":0.5,"forceSoftware":true}})"));
    EXPECT_TRUE(std::filesystem::is_directory(
        std::filesystem::path(second.platform().system().logFilePath()).parent_path()));
}

// A platform that offers only the seam, as a real one does: no inspection.
class SeamOnly : public Platform {
public:
    explicit SeamOnly(Platform& inner) : inner_(inner) {}
    std::string name() const override { return inner_.name(); }
    const Capabilities& capabilities() const override { return inner_.capabilities(); }
    Runtime runtime() override { return inner_.runtime(); }
    DisplayServices& displays() override { return inner_.displays(); }
    MonitorHardware& hardware() override { return inner_.hardware(); }
    VirtualDisplayFactory& virtualDisplays() override { return inner_.virtualDisplays(); }
    WindowSystem& windows() override { return inner_.windows(); }
    InputServices& input() override { return inner_.input(); }
    ScreenCapture& capture() override { return inner_.capture(); }
    SystemServices& system() override { return inner_.system(); }
    ColorProfileServices& profiles() override { return inner_.profiles(); }

private:
    Platform& inner_;
};

TEST(Headless, APlatformThatCannotBeInspectedShowsOnlyWhatTheCoreKnowsAndSettlingIsBounded) {
    SimulatedBed bed(parseHeadlessOptions({}));
    SeamOnly platform(bed.platform());
    HeadlessSession session(platform, bed);
    EXPECT_EQ(session.inspection(), nullptr);
    session.start();
    session.apply({"--key", "brightnessDown"});
    nlohmann::json state = session.state();
    expectDefaultScreens(state);
    EXPECT_EQ(state["brightness"]["2"], 0.6875);  // the keys reach the core through the seam
    ASSERT_EQ(state["hardware"].size(), 3u);
    for (const auto& [id, entry] : state["hardware"].items()) {
        EXPECT_EQ(entry.size(), 1u) << id;
        EXPECT_TRUE(entry.contains("xdr")) << id;  // the core's extra brightness alone
    }

    // Settling stops at its bound despite a repeating timer.
    SimPlatform& sim = bed.sim();
    std::function<void()> tick = [&] { sim.mainQueue.postAfter(1s, tick); };
    tick();
    Seconds before = sim.clock.now();
    session.settle();
    EXPECT_LE((sim.clock.now() - before).count(), 31.0);
    EXPECT_TRUE(sim.mainQueue.hasPendingWork());
}

TEST(HeadlessBinary, DefaultScenarioAndExitStatuses) {
    Outcome ok = runBinary("--headless --lang de-AT");
    ASSERT_EQ(ok.status, 0) << ok.err;
    expectDefaultScreens(nlohmann::json::parse(ok.out));

    Outcome unknown = runBinary("--headless --frobnicate");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("--frobnicate"), std::string::npos) << unknown.err;
    EXPECT_EQ(unknown.out, "");
}

TEST(HeadlessBinary, DesktopLanguageUnlessTheScenarioOrTheOptionSaysOtherwise) {
    TempDir dir;
    std::string unnamed = dir.file("unnamed.json"), french = dir.file("french.json");
    const std::string displays = R"("displays":[{"id":1,"builtin":true,"active":false,"bounds":[0,0,10,10]},
                                                {"id":2,"active":false,"bounds":[10,0,10,10]}])";
    writeFile(unnamed, "{" + displays + "}");
    writeFile(french, "{" + displays + R"(,"system":{"preferredLanguages":["fr-FR"]}})");
    struct Case {
        std::string environment, arguments, builtin, screen;
    };
    for (const Case& c : std::vector<Case>{
             {"LANG=de_DE.UTF-8", "--scenario '" + unnamed + "'", "Integrierter Bildschirm", "Bildschirm"},
             {"LANG=en_US.UTF-8 LANGUAGE=it", "--scenario '" + unnamed + "'", "Schermo integrato", ""},
             {"LANG=C.UTF-8 LANGUAGE=de", "--scenario '" + unnamed + "'", "Built-in display", "Screen"},
             {"LANG=de_DE.UTF-8", "--scenario '" + french + "'", "Écran intégré", ""},
             {"LANG=de_DE.UTF-8", "--scenario '" + unnamed + "' --lang pt-BR", "Tela integrada", "Tela"},
             {"LANG=de_DE.UTF-8", "--scenario '" + unnamed + "' --lang ja-JP", "Built-in display", "Screen"}}) {
        Outcome run = runBinary("--headless " + c.arguments, c.environment);
        ASSERT_EQ(run.status, 0) << run.err;
        auto screens = nlohmann::json::parse(run.out)["screens"];
        EXPECT_EQ(screens[0]["name"], c.builtin) << c.environment << " " << c.arguments;
        if (!c.screen.empty()) {
            EXPECT_EQ(screens[1]["name"], c.screen) << c.environment << " " << c.arguments;
        }
    }
}

TEST(HeadlessBinary, HelpAndVersionAnswerBeforeAnythingStarts) {
    Outcome version = runBinary("--version --scenario /nonexistent.json");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("velvetpane ") + VELVETPANE_VERSION + "\n");
    Outcome help = runBinary("--headless --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--headless"), std::string::npos);
    EXPECT_NE(help.out.find("velvetpane(1)"), std::string::npos);
    // A value that reads like an option is still the value.
    Outcome value = runBinary("--headless --url --help");
    EXPECT_NE(value.out.find("\"screens\""), std::string::npos) << value.err;
}

TEST(HeadlessBinary, SummaryOnATerminalJsonOtherwise) {
    // script(1) gives the program a terminal as standard output.
    if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "script(1) is not installed";
    TempDir dir;
    std::string out = dir.file("out");
    std::string command = std::string("script -qec \"'") + VELVETPANE_BINARY +
                          "' --headless --do 'setBrightness 2 0.4'\" /dev/null >'" + out + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string shown = readFile(out);
    EXPECT_NE(shown.find("Lumina 27 4K: brightness 76 % → 40 %"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("\"gamma\""), std::string::npos) << shown;

    command = std::string("script -qec \"'") + VELVETPANE_BINARY + "' --headless --json\" /dev/null >'" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_NE(readFile(out).find("\"gamma\""), std::string::npos);
}

TEST(HeadlessOutput, JsonKeepsItsMembersWithNumbersRounded) {
    std::ostringstream out, err;
    ASSERT_EQ(runHeadless({"--do", "setBrightness 2 0.4"}, out, err), 0) << err.str();
    SimulatedBed bed(parseHeadlessOptions({"--do", "setBrightness 2 0.4"}));
    HeadlessSession session(bed.platform(), bed);
    session.start();
    session.apply({"--do", "setBrightness 2 0.4"});
    nlohmann::json raw = session.state(), printed = nlohmann::json::parse(out.str());
    // Same members and shape, every number within a millionth.
    std::function<void(const nlohmann::json&, const nlohmann::json&, const std::string&)> same =
        [&](const nlohmann::json& a, const nlohmann::json& b, const std::string& where) {
            // Parsing reads non-negative integers as unsigned: only the kind of number matters.
            auto kind = [](const nlohmann::json& j) { return j.is_number() ? (j.is_number_float() ? -2 : -1) : int(j.type()); };
            ASSERT_EQ(kind(a), kind(b)) << where;
            if (a.is_number()) EXPECT_NEAR(a.get<double>(), b.get<double>(), 1e-6) << where;
            else if (!a.is_structured()) EXPECT_EQ(a, b) << where;
            else {
                ASSERT_EQ(a.size(), b.size()) << where;
                for (auto it = a.begin(); it != a.end(); ++it) {
                    std::string key = a.is_object() ? it.key() : std::to_string(std::distance(a.begin(), it));
                    const auto& other = a.is_object() ? b.at(it.key()) : b.at(std::size_t(std::distance(a.begin(), it)));
                    same(*it, other, where + "/" + key);
                }
            }
        };
    same(raw, printed, "");
    EXPECT_EQ(out.str().find("0000000"), std::string::npos) << "binary noise left in the numbers";
    EXPECT_NE(out.str().find("\"1\": 0.6,"), std::string::npos);
}

TEST(HeadlessOutput, SummaryNamesWhatChanged) {
    std::ostringstream out, err;
    ASSERT_EQ(runHeadless({"--do", "makeMain 3", "--do", "setVolume 2 0.5", "--do", "setEnabled 1 off"}, out, err, true), 0)
        << err.str();
    std::string summary = out.str();
    for (const char* line : {"3 screens (simulated: default.json)\n", "Office 24: main display no → yes\n",
                             "Lumina 27 4K: volume 40 % → 50 %\n", "Built-in Retina Display: on yes → no\n"})
        EXPECT_NE(summary.find(line), std::string::npos) << line << "\n" << summary;

    std::ostringstream unchanged;
    ASSERT_EQ(runHeadless({}, unchanged, err, true), 0);
    EXPECT_NE(unchanged.str().find("Nothing changed."), std::string::npos) << unchanged.str();
    std::ostringstream json;
    ASSERT_EQ(runHeadless({"--json"}, json, err, true), 0);
    EXPECT_TRUE(nlohmann::json::accept(json.str()));
}

}  // namespace
}  // namespace vp::test
