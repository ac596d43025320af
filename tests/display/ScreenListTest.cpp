#include "display/ConfigScenario.h"

#include "display/VirtualEngine.h"

namespace vp::test {
namespace {

std::vector<DisplayID> ids(const std::vector<Screen>& screens) {
    std::vector<DisplayID> out;
    for (const auto& s : screens) out.push_back(s.id);
    return out;
}

nlohmann::json named(DisplayID id, const std::string& name, double x, int w = 1920, int h = 1080,
                     const nlohmann::json& extra = nlohmann::json::object()) {
    nlohmann::json d = monitor(id, x, 0, w, h);
    d["name"] = name;
    d.update(extra);
    return d;
}

TEST(ScreenList, PixelsRateAndHiDPIComeFromTheCurrentMode) {
    Started sim;
    const auto& screens = sim.manager().state().screens;
    ASSERT_EQ(ids(screens), (std::vector<DisplayID>{1, 2, 3}));
    EXPECT_EQ(screens[0].pixelWidth, 3024);
    EXPECT_DOUBLE_EQ(screens[0].refresh, 120);
    EXPECT_TRUE(screens[0].isHiDPI);
    EXPECT_EQ(screens[2].pixelHeight, 1080);
    EXPECT_FALSE(screens[2].isHiDPI);
}

TEST(ScreenList, RanksBuiltinMainOtherThenOurVirtualEachByID) {
    const nlohmann::json ours = {{"vendor", VirtualEngine::vendorID}};
    Sim sim(scenario({named(4, "Virtual A", 9000, 1920, 1080, ours), named(5, "Other 5", 3840),
                      named(10, "Panel", -1512, 1512, 982, {{"builtin", true}}), named(2, "Virtual B", 11000, 1920, 1080, ours),
                      named(7, "Main", 0, 3840, 2160), named(3, "Other 3", 5760)}));
    sim.start();
    const auto& screens = sim.manager().state().screens;
    EXPECT_EQ(ids(screens), (std::vector<DisplayID>{10, 7, 3, 5, 2, 4}));
    EXPECT_TRUE(screens[4].isOurVirtual);
    EXPECT_TRUE(screens[5].isOurVirtual);
}

TEST(ScreenList, NamesComeFromTheWindowSystemThenRecordedThenFallbacks) {
    const nlohmann::json off = {{"active", false}};  // the window system does not list it
    nlohmann::json s = scenario({named(1, "Panel", -1512, 1512, 982, {{"builtin", true}, {"active", false}}),
                                 named(2, "Main", 0, 3840, 2160), named(6, "Hidden", 5000, 1920, 1080, off),
                                 named(8, "No UUID", 3840, 1920, 1080, {{"uuid", nullptr}}),
                                 named(5, "Unlisted", 7000, 1920, 1080, off)});
    s["windowSystem"] = {
        {"extraScreens",
         {{{"number", nullptr}, {"name", "Unnumbered"}, {"frame", {0, 0, 800, 600}}},
          {{"number", 2}, {"name", "Second entry for 2"}, {"frame", {0, 0, 3840, 2160}}},
          {{"number", 5}, {"name", "First entry for 5"}, {"frame", {7000, 0, 1920, 1080}}},
          {{"number", 5}, {"name", "Second entry for 5"}, {"frame", {7000, 0, 1920, 1080}}}}}};
    Started sim(s);
    DisplayManager& m = sim.manager();
    EXPECT_EQ(ids(m.state().screens), (std::vector<DisplayID>{1, 2, 5, 6, 8}));
    EXPECT_EQ(m.screen(1)->name, L("Tela integrada"));
    EXPECT_EQ(m.screen(2)->name, "Main");
    EXPECT_EQ(m.screen(5)->name, "First entry for 5");
    EXPECT_EQ(m.screen(6)->name, L("Tela"));
    EXPECT_EQ(m.screen(8)->name, "No UUID");
    EXPECT_EQ(m.screen(8)->uuid, "8");
    EXPECT_FALSE(m.screen(1)->isActive);
    EXPECT_FALSE(m.screen(6)->isActive);
    EXPECT_TRUE(m.screen(2)->isActive);
}

}  // namespace
}  // namespace vp::test
