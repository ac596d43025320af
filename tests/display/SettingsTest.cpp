#include "display/ConfigScenario.h"
#include "app/Log.h"
#include "support/TempDir.h"

#include <sstream>

namespace vp::test {
namespace {

const std::string kUuid = "3C9B1E7A-5F42-4D08-A6E3-8F1C2B9D7E55";
const std::string kSpec =
    R"({"id":"8E1F6C3A-2B4D-4F5E-9A7B-1C2D3E4F5A6B","name":"Projector","width":1920,"height":1080,)"
    R"("hiDPI":false,"refresh":60,"enabled":false})";

nlohmann::json storedJson(Sim& sim, const std::string& key) {
    return nlohmann::json::parse(*sim.defaults().data(key));
}

TEST(Settings, StoredValuesLoadAndAreWrittenBackInTheEncodersForm) {
    Sim sim;
    const std::string hidpi = R"({")" + kUuid + R"(":)" + kSpec + "}";
    sim.defaults().setData("prefs", R"({ ")" + kUuid +
                                        R"(" : {"forceSoftware": false, "contrast": 0.5, "warmth": 0.2, "dim": 0.5},)"
                                        R"("A":{"dim":-3,"warmth":2,"contrast":-1,"forceSoftware":false} })");
    sim.defaults().setData("specs", "[" + kSpec + "]");
    sim.defaults().setData("hidpi", hidpi);
    sim.start();
    const auto& state = sim.manager().state();
    PrefsMap expected = {{kUuid, ScreenPrefs{0.5, 0.2, 0.5, false}}, {"A", ScreenPrefs{0, 1, 0, false}}};  // clamped
    EXPECT_EQ(state.prefs, expected);
    EXPECT_EQ(sim.manager().prefsFor(*sim.manager().screen(2)), (ScreenPrefs{0.5, 0.2, 0.5, false}));
    ASSERT_EQ(state.specs.size(), 1u);
    EXPECT_EQ(state.specs[0].id.text(), "8E1F6C3A-2B4D-4F5E-9A7B-1C2D3E4F5A6B");
    EXPECT_EQ(state.specs[0].name, "Projector");
    EXPECT_FALSE(state.specs[0].enabled);
    EXPECT_EQ(state.hiDPIMap, (HiDPIMap{{kUuid, state.specs[0]}}));
    EXPECT_EQ(*sim.defaults().data("prefs"), *encodePrefs(expected));
    EXPECT_EQ(storedJson(sim, "specs"), nlohmann::json::parse("[" + kSpec + "]"));
    EXPECT_EQ(storedJson(sim, "hidpi"), nlohmann::json::parse(hidpi));
}

// The warnings the program prints on its error stream, one per line.
struct Warnings {
    explicit Warnings(Sim& sim) { sim.context->log().setEcho(&stream); }
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::istringstream in(stream.str());
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }
    std::ostringstream stream;
};

TEST(Settings, PrefsEntriesThatCannotBeReadAreDroppedOneByOne) {
    const std::string good = R"("G":{"dim":0.4,"warmth":0.1,"contrast":0.5,"forceSoftware":true})";
    const ScreenPrefs kept{0.4, 0.1, 0.5, true};
    const std::vector<std::string> badEntries = {
        R"("A":{"dim":0.5,"warmth":0.2,"contrast":0.5})",                          // key missing
        R"("A":{"dim":"0.5","warmth":0.2,"contrast":0.5,"forceSoftware":false})",  // text for a number
        R"("A":{"dim":0.5,"warmth":0.2,"contrast":0.5,"forceSoftware":0})",        // number for a boolean
        R"("A":{"dim":null,"warmth":0.2,"contrast":0.5,"forceSoftware":false})",
        R"("A":[1,0,0.5,false])",
    };
    for (const auto& bad : badEntries) {
        Sim sim;
        const std::string bytes = "{" + good + "," + bad + "}";
        sim.defaults().setData("prefs", bytes);
        Warnings warnings(sim);
        sim.start();
        auto problems = warnings.lines();
        EXPECT_EQ(sim.manager().state().prefs, (PrefsMap{{"G", kept}})) << bad;
        ASSERT_EQ(problems.size(), 1u) << bad;
        EXPECT_NE(problems[0].find("\"prefs\", the entries A "), std::string::npos) << problems[0];
    }
}

TEST(Settings, PrefsThatCannotBeReadAtAllStayStoredUntilTheNextChange) {
    const std::vector<std::string> bad = {
        R"([{"dim":1,"warmth":0,"contrast":0.5,"forceSoftware":false}])",
        R"({"A":{"dim":1,"warmth":0,"contrast":0.5,"forceSoftware":false})",  // cut short
        "", "\xff\xfe",
        R"({"A":{"dim":1e999,"warmth":0,"contrast":0.5,"forceSoftware":false}})",  // overflows the parser
    };
    for (const auto& bytes : bad) {
        Sim sim;
        sim.defaults().setData("prefs", bytes);
        Warnings warnings(sim);
        sim.start();
        EXPECT_TRUE(sim.manager().state().prefs.empty()) << bytes;
        EXPECT_EQ(sim.defaults().data("prefs"), bytes) << bytes;
        EXPECT_EQ(warnings.lines().size(), 1u) << bytes;
    }
}

TEST(Settings, SpecsAndHiDPIEntriesThatCannotBeReadAreDroppedOneByOne) {
    auto without = [](const std::string& key) {
        auto j = nlohmann::json::parse(kSpec);
        j.erase(key);
        return j.dump();
    };
    auto with = [](const std::string& key, const nlohmann::json& value) {
        auto j = nlohmann::json::parse(kSpec);
        j[key] = value;
        return j.dump();
    };
    const std::vector<std::string> badSpecs = {
        without("enabled"),       without("id"),          with("width", 1920.5), with("height", "1080"),
        with("id", "not-a-uuid"), with("hiDPI", 1),       with("refresh", "60"), with("name", nullptr),
        with("width", 0),         with("height", -1080),  with("width", 1 << 20), with("refresh", 0),
    };
    for (const auto& spec : badSpecs) {
        Sim sim;
        sim.defaults().setData("specs", "[" + kSpec + "," + spec + "]");
        sim.defaults().setData("hidpi", R"({"X":)" + kSpec + R"(,"Y":)" + spec + "}");
        Warnings warnings(sim);
        sim.start();
        auto problems = warnings.lines();
        ASSERT_EQ(sim.manager().state().specs.size(), 1u) << spec;
        EXPECT_EQ(sim.manager().state().specs[0].name, "Projector");
        EXPECT_EQ(sim.manager().state().hiDPIMap.size(), 1u) << spec;
        EXPECT_TRUE(sim.manager().state().hiDPIMap.contains("X")) << spec;
        ASSERT_EQ(problems.size(), 1u) << spec;
        EXPECT_NE(problems[0].find("\"specs\", the entries 1 "), std::string::npos) << problems[0];
        EXPECT_NE(problems[0].find("\"hidpi\", the entries Y "), std::string::npos) << problems[0];
    }
}

TEST(Settings, ValueOfTheWrongKindIsIgnoredAndKept) {
    Sim sim;
    sim.defaults().setRaw("prefs", "a text, not data");
    sim.defaults().setBool("specs", true);
    sim.defaults().setRaw("restoreHiDPI", "yes");
    sim.start();
    EXPECT_TRUE(sim.manager().state().prefs.empty());
    EXPECT_TRUE(sim.manager().state().specs.empty());
    EXPECT_EQ(sim.defaults().snapshot()["prefs"], (nlohmann::json{{"raw", "a text, not data"}}));
    EXPECT_EQ(sim.defaults().boolean("specs"), true);
    EXPECT_FALSE(sim.defaults().hasObject("hidpi"));
    EXPECT_EQ(sim.defaults().snapshot()["restoreHiDPI"], (nlohmann::json{{"raw", "yes"}}));
}

// "restoreHiDPI" is set at the first start only.
TEST(Settings, RestoreHiDPIIsSetOnlyAtTheFirstStart) {
    Started first;
    EXPECT_EQ(first.defaults().boolean("restoreHiDPI"), true);
    Sim later;
    later.defaults().setBool("restoreHiDPI", false);
    later.start();
    EXPECT_EQ(later.defaults().boolean("restoreHiDPI"), false);
}

TEST(Settings, ValueThatCannotBeEncodedFaithfullyIsNotWritten) {
    Started sim;
    DisplayManager& m = sim.manager();
    m.setPrefs("A", ScreenPrefs{0.5, 0, 0.5, false});
    const auto before = sim.defaults().data("prefs");
    m.setPrefs("B", ScreenPrefs{std::numeric_limits<double>::quiet_NaN(), 0, 0.5, false});
    EXPECT_EQ(sim.defaults().data("prefs"), before);

    VirtualSpec spec;
    spec.name = "Stage";
    m.setSpecs({spec});
    const auto specsBefore = sim.defaults().data("specs");
    spec.name = "Bad \xff name";
    m.setSpecs({spec});
    EXPECT_EQ(sim.defaults().data("specs"), specsBefore);
}

TEST(Settings, CombinedDimmingReadsTrueUnlessStoredFalse) {
    const std::pair<std::function<void(MemoryDefaults&)>, bool> cases[] = {
        {[](MemoryDefaults&) {}, true},
        {[](MemoryDefaults& d) { d.setBool("dimBelowMinimum", false); }, false},
        {[](MemoryDefaults& d) { d.setBool("dimBelowMinimum", true); }, true},
        {[](MemoryDefaults& d) { d.setData("dimBelowMinimum", "false"); }, true},
        {[](MemoryDefaults& d) { d.setRaw("dimBelowMinimum", 0); }, true},
        {[](MemoryDefaults& d) { d.setRaw("dimBelowMinimum", "NO"); }, true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Sim sim;
        cases[i].first(sim.defaults());
        EXPECT_EQ(sim.manager().combinedDimming(), cases[i].second) << i;
    }
}

TEST(Settings, WhatCouldNotBeReadIsCopiedAsideBeforeTheNextChangeSavesOverIt) {
    TempDir home;
    const std::string folder = home.file(".config/velvetpane");
    const std::string file = folder + "/defaults.json";
    const std::string original =
        R"({"prefs":{"data":"{\"A\":{\"dim\":0.5},\"B\":{\"dim\":0.3,\"warmth\":0,\"contrast\":0.5,)"
        R"(\"forceSoftware\":false}}"},"dimBelowMinimum":{"bool":false}})";
    writeFile(file, original);
    {
        Started sim(defaultScenario(), SimOptions{home.path().string()});
        EXPECT_EQ(sim.manager().state().prefs, (PrefsMap{{"B", ScreenPrefs{0.3, 0, 0.5, false}}}));
        EXPECT_FALSE(sim.manager().combinedDimming());
        sim.manager().setPrefs(kUuid, ScreenPrefs{0.8, 0.1, 0.5, false});
    }
    auto onDisk = nlohmann::json::parse(readFile(file));
    EXPECT_EQ(decodePrefs(onDisk["prefs"]["data"].get<std::string>()),
              (PrefsMap{{"B", ScreenPrefs{0.3, 0, 0.5, false}}, {kUuid, ScreenPrefs{0.8, 0.1, 0.5, false}}}));
    std::vector<std::string> copies;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("defaults.json.bad-")) copies.push_back(entry.path());
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(readFile(copies[0]), original);
    const std::string log = readFile(home.file(".local/state/velvetpane/Velvetpane.log"));
    EXPECT_NE(log.find("the entries A could not be read"), std::string::npos) << log;
}

}  // namespace
}  // namespace vp::test
