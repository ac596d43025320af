#include "support/SimFixture.h"
#include "support/TempDir.h"

namespace vp::test {
namespace {

const std::string kUuid = "3C9B1E7A-5F42-4D08-A6E3-8F1C2B9D7E55";
const std::string kSpec =
    R"({"id":"8E1F6C3A-2B4D-4F5E-9A7B-1C2D3E4F5A6B","name":"Projector","width":1920,"height":1080,)"
    R"("hiDPI":false,"refresh":60,"enabled":false})";

nlohmann::json storedJson(Sim& sim, const std::string& key) {
    return nlohmann::json::parse(*sim.defaults().data(key));
}

TEST(Settings, StoredPrefsLoadAndAreWrittenBack) {
    Sim sim;
    sim.defaults().setData("prefs", R"({ ")" + kUuid +
                                        R"(" : {"forceSoftware": false, "contrast": 0.5, "warmth": 0.2, "dim": 0.5} })");
    sim.start();
    PrefsMap expected = {{kUuid, ScreenPrefs{0.5, 0.2, 0.5, false}}};
    EXPECT_EQ(sim.manager().prefs, expected);
    EXPECT_EQ(sim.manager().prefsFor(*sim.manager().screen(2)), (ScreenPrefs{0.5, 0.2, 0.5, false}));
    // Written back at start in the encoder's own form, same content.
    EXPECT_EQ(*sim.defaults().data("prefs"), *encodePrefs(expected));
    EXPECT_EQ(storedJson(sim, "prefs"),
              nlohmann::json::parse(R"({")" + kUuid +
                                    R"(":{"dim":0.5,"warmth":0.2,"contrast":0.5,"forceSoftware":false}})"));
}

TEST(Settings, StoredSpecsAndHiDPILoadAndAreWrittenBack) {
    Sim sim;
    sim.defaults().setData("specs", "[" + kSpec + "]");
    sim.defaults().setData("hidpi", R"({")" + kUuid + R"(":)" + kSpec + "}");
    sim.start();
    ASSERT_EQ(sim.manager().specs.size(), 1u);
    const VirtualSpec& spec = sim.manager().specs[0];
    EXPECT_EQ(spec.id.text(), "8E1F6C3A-2B4D-4F5E-9A7B-1C2D3E4F5A6B");
    EXPECT_EQ(spec.name, "Projector");
    EXPECT_EQ(spec.width, 1920);
    EXPECT_FALSE(spec.enabled);
    ASSERT_EQ(sim.manager().hiDPIMap.count(kUuid), 1u);
    EXPECT_EQ(sim.manager().hiDPIMap.at(kUuid), spec);
    EXPECT_EQ(storedJson(sim, "specs"), nlohmann::json::parse("[" + kSpec + "]"));
    EXPECT_EQ(storedJson(sim, "hidpi"), nlohmann::json::parse(R"({")" + kUuid + R"(":)" + kSpec + "}"));
}

TEST(Settings, UndecodablePrefsLoadNothingAndStayStoredAsTheyWere) {
    const std::string good = R"("A":{"dim":1,"warmth":0,"contrast":0.5,"forceSoftware":false})";
    const std::vector<std::string> bad = {
        R"({"A":{"dim":0.5,"warmth":0.2,"contrast":0.5}})",                          // key missing
        R"({"A":{"dim":"0.5","warmth":0.2,"contrast":0.5,"forceSoftware":false}})",  // text for a number
        R"({"A":{"dim":0.5,"warmth":0.2,"contrast":0.5,"forceSoftware":0}})",        // number for a boolean
        R"({"A":{"dim":null,"warmth":0.2,"contrast":0.5,"forceSoftware":false}})",
        "{" + good + R"(,"B":{"dim":0.5}})",  // one bad entry spoils the map
        R"({"A":[1,0,0.5,false]})",
        R"([{"dim":1,"warmth":0,"contrast":0.5,"forceSoftware":false}])",
        R"({"A":{"dim":1,"warmth":0,"contrast":0.5,"forceSoftware":false})",  // cut short
        "",
        "\xff\xfe",
    };
    for (const auto& bytes : bad) {
        Sim sim;
        sim.defaults().setData("prefs", bytes);
        sim.start();
        EXPECT_TRUE(sim.manager().prefs.empty()) << bytes;
        EXPECT_EQ(sim.defaults().data("prefs"), bytes) << bytes;
        EXPECT_EQ(sim.manager().prefsFor(*sim.manager().screen(2)), ScreenPrefs{}) << bytes;
    }
}

TEST(Settings, UndecodableSpecsOrHiDPILoadNothing) {
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
        without("enabled"),     without("id"),        with("width", 1920.5), with("height", "1080"),
        with("id", "not-a-uuid"), with("hiDPI", 1),   with("refresh", "60"), with("name", nullptr),
    };
    for (const auto& spec : badSpecs) {
        Sim sim;
        std::string specs = "[" + kSpec + "," + spec + "]";
        std::string hidpi = R"({"X":)" + kSpec + R"(,"Y":)" + spec + "}";
        sim.defaults().setData("specs", specs);
        sim.defaults().setData("hidpi", hidpi);
        sim.start();
        EXPECT_TRUE(sim.manager().specs.empty()) << spec;
        EXPECT_TRUE(sim.manager().hiDPIMap.empty()) << spec;
        EXPECT_EQ(sim.defaults().data("specs"), specs);
        EXPECT_EQ(sim.defaults().data("hidpi"), hidpi);
    }
}

TEST(Settings, ValueOfTheWrongKindIsIgnoredAndKept) {
    Sim sim;
    sim.defaults().setRaw("prefs", "a text, not data");
    sim.defaults().setBool("specs", true);
    sim.start();
    EXPECT_TRUE(sim.manager().prefs.empty());
    EXPECT_TRUE(sim.manager().specs.empty());
    EXPECT_EQ(sim.defaults().snapshot()["prefs"], (nlohmann::json{{"raw", "a text, not data"}}));
    EXPECT_EQ(sim.defaults().boolean("specs"), true);
    EXPECT_FALSE(sim.defaults().hasObject("hidpi"));
}

TEST(Settings, NextChangeOverwritesAnUndecodableValue) {
    Sim sim;
    sim.defaults().setData("prefs", "{broken");
    sim.start();
    sim.manager().setPrefs(kUuid, ScreenPrefs{0.7, 0, 0.5, false});
    EXPECT_EQ(storedJson(sim, "prefs"),
              nlohmann::json::parse(R"({")" + kUuid +
                                    R"(":{"dim":0.7,"warmth":0.0,"contrast":0.5,"forceSoftware":false}})"));
}

TEST(Settings, EveryAssignmentIsSavedAtOnce) {
    Sim sim;
    sim.start();
    DisplayManager& m = sim.manager();
    m.setPrefs(PrefsMap{{"A", ScreenPrefs{0.3, 0.1, 0.9, true}}});
    EXPECT_EQ(decodePrefs(*sim.defaults().data("prefs")), m.prefs);
    m.setPrefs("B", ScreenPrefs{});
    EXPECT_EQ(decodePrefs(*sim.defaults().data("prefs")), m.prefs);
    VirtualSpec spec;
    spec.name = "Stage";
    spec.width = 1280;
    spec.height = 720;
    m.setSpecs({spec});
    EXPECT_EQ(decodeSpecs(*sim.defaults().data("specs")), m.specs);
    m.setHiDPIMap({{kUuid, spec}});
    EXPECT_EQ(decodeHiDPI(*sim.defaults().data("hidpi")), m.hiDPIMap);
}

TEST(Settings, ValueThatCannotBeEncodedFaithfullyIsNotWritten) {
    Sim sim;
    sim.start();
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

TEST(Settings, RestoreHiDPIIsSetOnlyAtTheFirstStart) {
    {
        Sim first;
        first.start();
        EXPECT_EQ(first.defaults().boolean("restoreHiDPI"), true);
    }
    {
        Sim later;
        later.defaults().setBool("restoreHiDPI", false);
        later.start();
        EXPECT_EQ(later.defaults().boolean("restoreHiDPI"), false);
    }
    {
        Sim odd;
        odd.defaults().setRaw("restoreHiDPI", "yes");
        odd.start();
        EXPECT_EQ(odd.defaults().snapshot()["restoreHiDPI"], (nlohmann::json{{"raw", "yes"}}));
    }
}

TEST(Settings, CombinedDimmingReadsTrueUnlessStoredFalse) {
    struct Case {
        std::string label;
        std::function<void(MemoryDefaults&)> store;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"missing", [](MemoryDefaults&) {}, true},
        {"false", [](MemoryDefaults& d) { d.setBool("dimBelowMinimum", false); }, false},
        {"true", [](MemoryDefaults& d) { d.setBool("dimBelowMinimum", true); }, true},
        {"data", [](MemoryDefaults& d) { d.setData("dimBelowMinimum", "false"); }, true},
        {"number", [](MemoryDefaults& d) { d.setRaw("dimBelowMinimum", 0); }, true},
        {"text", [](MemoryDefaults& d) { d.setRaw("dimBelowMinimum", "NO"); }, true},
    };
    for (const auto& c : cases) {
        Sim sim;
        c.store(sim.defaults());
        EXPECT_EQ(sim.manager().combinedDimming(), c.expected) << c.label;
    }
}

TEST(Settings, UndecodableValueStaysUntouchedOnDiskAcrossStarts) {
    TempDir home;
    const std::string file = home.file(".config/velvetpane/defaults.json");
    writeFile(file, R"({"prefs":{"data":"{\"A\":{\"dim\":0.5}}"},"dimBelowMinimum":{"bool":false}})");
    {
        Sim sim(defaultScenario(), SimOptions{home.path().string()});
        sim.start();
        EXPECT_TRUE(sim.manager().prefs.empty());
        EXPECT_FALSE(sim.manager().combinedDimming());
    }
    auto onDisk = nlohmann::json::parse(readFile(file));
    EXPECT_EQ(onDisk["prefs"]["data"], R"({"A":{"dim":0.5}})");
    EXPECT_EQ(onDisk["restoreHiDPI"]["bool"], true);
    {
        Sim sim(defaultScenario(), SimOptions{home.path().string()});
        sim.start();
        sim.manager().setPrefs(kUuid, ScreenPrefs{0.8, 0.1, 0.5, false});
    }
    onDisk = nlohmann::json::parse(readFile(file));
    EXPECT_EQ(decodePrefs(onDisk["prefs"]["data"].get<std::string>()),
              (PrefsMap{{kUuid, ScreenPrefs{0.8, 0.1, 0.5, false}}}));
}

}  // namespace
}  // namespace vp::test
