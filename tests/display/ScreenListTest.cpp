#include "app/I18n.h"
#include "display/VirtualEngine.h"
#include "support/SimFixture.h"

namespace vp::test {
namespace {

std::vector<DisplayID> ids(const std::vector<Screen>& screens) {
    std::vector<DisplayID> out;
    for (const auto& s : screens) out.push_back(s.id);
    return out;
}

nlohmann::json display(DisplayID id, const std::string& name, std::vector<double> bounds) {
    return {{"id", id},
            {"uuid", "00000000-0000-4000-8000-0000000000" + std::string(id < 10 ? "0" : "") + std::to_string(id)},
            {"name", name},
            {"bounds", bounds},
            {"modes", {{{"width", bounds[2]}, {"height", bounds[3]}, {"refresh", 60}}}},
            {"currentMode", 0}};
}

nlohmann::json scenario(std::vector<nlohmann::json> displays, nlohmann::json windowSystem = nullptr) {
    nlohmann::json s = {{"displays", displays}};
    if (!windowSystem.is_null()) s["windowSystem"] = windowSystem;
    return s;
}

TEST(ScreenList, DefaultScenarioOrdersBuiltinThenMainThenOthers) {
    Sim sim;
    sim.start();
    const auto& screens = sim.manager().state().screens;
    ASSERT_EQ(ids(screens), (std::vector<DisplayID>{1, 2, 3}));
    EXPECT_EQ(screens[0].name, "Built-in Retina Display");
    EXPECT_TRUE(screens[0].isBuiltin);
    EXPECT_EQ(screens[0].uuid, "6A2F0E5C-1D3B-4E8A-9C21-0B7D5E4F3A11");
    EXPECT_EQ(screens[0].pixelWidth, 3024);
    EXPECT_EQ(screens[0].pixelHeight, 1964);
    EXPECT_DOUBLE_EQ(screens[0].refresh, 120);
    EXPECT_TRUE(screens[0].isHiDPI);
    EXPECT_TRUE(screens[1].isMain);
    EXPECT_EQ(screens[1].name, "Lumina 27 4K");
    EXPECT_EQ(screens[1].bounds, (Rect{0, 0, 3840, 2160}));
    EXPECT_EQ(screens[2].name, "Office 24");
    EXPECT_EQ(screens[2].pixelWidth, 1920);
    EXPECT_DOUBLE_EQ(screens[2].refresh, 60);
    EXPECT_FALSE(screens[2].isHiDPI);
    for (const auto& s : screens) {
        EXPECT_TRUE(s.isActive);
        EXPECT_FALSE(s.isOurVirtual);
        EXPECT_FALSE(s.mirrorOf);
    }
}

TEST(ScreenList, RanksBuiltinMainOtherThenOurVirtualEachByID) {
    auto builtin = display(10, "Panel", {-1512, 0, 1512, 982});
    builtin["builtin"] = true;
    auto virtualA = display(4, "Virtual A", {9000, 0, 1920, 1080});
    virtualA["vendor"] = VirtualEngine::vendorID;
    auto virtualB = display(2, "Virtual B", {11000, 0, 1920, 1080});
    virtualB["vendor"] = VirtualEngine::vendorID;
    Sim sim(scenario({virtualA, display(5, "Other 5", {3840, 0, 1920, 1080}), builtin, virtualB,
                      display(7, "Main", {0, 0, 3840, 2160}), display(3, "Other 3", {5760, 0, 1920, 1080})}));
    sim.start();
    const auto& screens = sim.manager().state().screens;
    EXPECT_EQ(ids(screens), (std::vector<DisplayID>{10, 7, 3, 5, 2, 4}));
    EXPECT_TRUE(screens[4].isOurVirtual);
    EXPECT_TRUE(screens[5].isOurVirtual);
}

TEST(ScreenList, BuiltinAndMainExternalComeFirstWhateverTheSystemOrder) {
    auto builtin = display(1, "Panel", {-1512, 0, 1512, 982});
    builtin["builtin"] = true;
    Sim sim(scenario({display(9, "External", {0, 0, 2560, 1440}), builtin}));
    sim.start();
    EXPECT_EQ(ids(sim.manager().state().screens), (std::vector<DisplayID>{1, 9}));
}

TEST(ScreenList, NamesComeFromTheWindowSystemThenRecordedThenFallbacks) {
    auto panelOff = display(1, "Panel", {-1512, 0, 1512, 982});
    panelOff["builtin"] = true;
    panelOff["active"] = false;  // the window system does not list it
    auto monitorOff = display(6, "Hidden", {5000, 0, 1920, 1080});
    monitorOff["active"] = false;
    auto noUuid = display(8, "No UUID", {3840, 0, 1920, 1080});
    noUuid["uuid"] = nullptr;
    auto onlyHere = display(5, "Unlisted", {7000, 0, 1920, 1080});
    onlyHere["active"] = false;
    nlohmann::json windowSystem = {
        {"extraScreens",
         {{{"number", nullptr}, {"name", "Unnumbered"}, {"frame", {0, 0, 800, 600}}},
          {{"number", 2}, {"name", "Second entry for 2"}, {"frame", {0, 0, 3840, 2160}}},
          {{"number", 5}, {"name", "First entry for 5"}, {"frame", {7000, 0, 1920, 1080}}},
          {{"number", 5}, {"name", "Second entry for 5"}, {"frame", {7000, 0, 1920, 1080}}}}}};
    Sim sim(scenario({panelOff, display(2, "Main", {0, 0, 3840, 2160}), monitorOff, noUuid, onlyHere},
                     windowSystem));
    sim.start();
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

TEST(ScreenList, ScreenSwitchedOffByUsStaysListedWithItsRecordedName) {
    Sim sim(scenario({display(2, "Main", {0, 0, 3840, 2160}), display(3, "Office 24", {3840, 0, 1920, 1080}),
                      display(4, "Desk", {5760, 0, 1920, 1080})}));
    sim.start();
    DisplayManager& m = sim.manager();
    ASSERT_EQ(ids(m.state().screens), (std::vector<DisplayID>{2, 3, 4}));

    // Once off, the window system no longer names it: the name recorded at
    // switch-off keeps it recognisable on its card.
    m.setEnabled(3, false);
    m.refresh();
    ASSERT_EQ(ids(m.state().screens), (std::vector<DisplayID>{2, 3, 4}));
    EXPECT_EQ(m.screen(3)->name, "Office 24");
    EXPECT_FALSE(m.screen(3)->isActive);
    EXPECT_EQ(m.screen(4)->name, "Desk");
    EXPECT_TRUE(m.screen(4)->isActive);
}

TEST(ScreenList, DisplayWithoutCurrentModeHasNoPixelsOrRate) {
    auto bare = display(2, "Bare", {0, 0, 1024, 768});
    bare.erase("currentMode");
    Sim sim(scenario({bare}));
    sim.start();
    const Screen& s = sim.manager().state().screens.at(0);
    EXPECT_EQ(s.pixelWidth, 0);
    EXPECT_EQ(s.pixelHeight, 0);
    EXPECT_EQ(s.refresh, 0);
    EXPECT_FALSE(s.isHiDPI);
}

TEST(ScreenList, MirroringScreenNamesItsMaster) {
    auto mirror = display(3, "Copy", {0, 0, 3840, 2160});
    mirror["mirrorOf"] = 2;
    Sim sim(scenario({display(2, "Main", {0, 0, 3840, 2160}), mirror}));
    sim.start();
    EXPECT_EQ(sim.manager().screen(3)->mirrorOf, std::optional<DisplayID>(2));
    EXPECT_FALSE(sim.manager().screen(2)->mirrorOf);
}

TEST(ScreenList, ScreenLookupAndDefaultPrefs) {
    Sim sim;
    sim.start();
    DisplayManager& m = sim.manager();
    EXPECT_FALSE(m.screen(99));
    ASSERT_TRUE(m.screen(3));
    EXPECT_EQ(m.screen(3)->name, "Office 24");

    ScreenPrefs defaults = m.prefsFor(*m.screen(3));
    EXPECT_EQ(defaults.dim, 1.0);
    EXPECT_EQ(defaults.warmth, 0.0);
    EXPECT_EQ(defaults.contrast, 0.5);
    EXPECT_FALSE(defaults.forceSoftware);

    ScreenPrefs stored{0.4, 0.3, 0.6, true};
    m.setPrefs(m.screen(3)->uuid, stored);
    EXPECT_EQ(m.prefsFor(*m.screen(3)), stored);
    EXPECT_EQ(m.prefsFor(*m.screen(2)), ScreenPrefs{});
}

}  // namespace
}  // namespace vp::test

namespace vp::test {
namespace {

TEST(ScreenList, MonitorKeepsItsNameWhileItMirrorsAnotherScreen) {
    Sim sim;
    sim.start();
    DisplayManager& m = sim.manager();
    m.mirror(3, 2);
    sim.idle();
    ASSERT_EQ(m.screen(3)->mirrorOf, std::optional<DisplayID>(2));
    EXPECT_EQ(m.screen(3)->name, "Office 24");
}

}  // namespace
}  // namespace vp::test
