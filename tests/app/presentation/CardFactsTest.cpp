#include "app/presentation/CardModel.h"
#include "support/SimFixture.h"

#include <functional>

namespace vp {
namespace {

std::vector<std::string> badgeTexts(const CardModel& m) {
    std::vector<std::string> out;
    for (const auto& b : m.badges) out.push_back(b.text);
    return out;
}

std::vector<MoreAction> moreActions(const CardModel& m) {
    std::vector<MoreAction> out;
    for (const auto& item : m.more) out.push_back(item.action);
    return out;
}

DisplayID ownVirtual(DisplayManager& dm) {
    for (const Screen& s : dm.state().screens)
        if (s.isOurVirtual) return s.id;
    return 0;
}

VirtualSpec projector() {
    VirtualSpec spec;
    spec.name = "Projector";
    spec.width = 1280;
    spec.height = 720;
    return spec;
}

// One row per kind of screen, set up on the default simulated system.
struct Case {
    const char* kind;
    std::function<DisplayID(DisplayManager&)> arrange;  // returns the screen to look at
    std::string method;
    std::vector<std::string> badges;
    bool brightness, expand, reconnect, note, volume, input, softwareOnly, hiDPIButton;
    std::vector<MoreAction> more;
};

TEST(CardFacts, EachKindOfScreenOnTheSimulatedSystem) {
    using A = MoreAction;
    const Case cases[] = {
        {"built-in", [](DisplayManager&) { return DisplayID(1); }, "Built-in", {"HiDPI"},
         true, true, false, false, false, false, false, false, {A::makeMain, A::mirror, A::disconnect}},
        {"DDC monitor", [](DisplayManager&) { return DisplayID(2); }, "DDC", {"Main"},
         true, true, false, false, true, true, true, true, {A::mirror, A::disconnect}},
        {"monitor without DDC", [](DisplayManager&) { return DisplayID(3); }, "Software", {},
         true, true, false, false, false, false, true, true, {A::makeMain, A::mirror, A::disconnect}},
        {"switched off",
         [](DisplayManager& dm) {
             dm.setEnabled(3, false);
             return DisplayID(3);
         },
         "", {}, false, false, true, false, false, false, false, false, {}},
        {"HiDPI companion",
         [](DisplayManager& dm) {
             dm.enableHiDPI(*dm.screen(2));
             return DisplayID(0);
         },
         // The companion takes over as the main screen, at double density.
         "", {"Main", "HiDPI"}, false, false, false, true, false, false, false, false, {A::mirror}},
        {"own virtual",
         [](DisplayManager& dm) {
             dm.addVirtual(projector());
             return DisplayID(0);
         },
         "", {"Virtual"}, false, false, false, false, false, false, false, false,
         {A::makeMain, A::mirror, A::turnOffVirtual}},
        {"mirrored",
         [](DisplayManager& dm) {
             dm.mirror(3, DisplayID(2));
             return DisplayID(3);
         },
         "Software", {"Mirror"}, true, true, false, false, false, false, true, true,
         {A::makeMain, A::stopMirroring, A::disconnect}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        test::Sim sim;
        sim.start();
        sim.platform->drainDDC();
        sim.idle();
        DisplayID id = c.arrange(sim.manager());
        sim.idle();
        if (id == 0) id = ownVirtual(sim.manager());
        auto screen = sim.manager().screen(id);
        ASSERT_TRUE(screen);
        CardModel m = cardModel(cardFacts(*sim.context, *screen));
        if (c.brightness) {
            EXPECT_EQ(m.methodLabel, c.method);
        }
        EXPECT_EQ(badgeTexts(m), c.badges);
        EXPECT_EQ(m.brightnessRow, c.brightness);
        EXPECT_EQ(m.expandButton, c.expand);
        EXPECT_EQ(m.reconnectRow, c.reconnect);
        EXPECT_EQ(m.hiDPINote.has_value(), c.note);
        EXPECT_EQ(m.volume.has_value(), c.volume);
        EXPECT_EQ(m.inputMenu, c.input);
        EXPECT_EQ(m.softwareOnlySwitch, c.softwareOnly);
        EXPECT_EQ(m.hiDPIButton, c.hiDPIButton);
        EXPECT_EQ(moreActions(m), c.more);
    }
}

// The platform may know a monitor's link is there but closed to this user;
// the card of that monitor says so in the platform's words (with the fix),
// and the reason goes once the link opens on a later probe.
TEST(CardFacts, AMonitorTheUserMayNotReachSaysWhyOnItsCard) {
    test::Sim sim;
    const std::string why = "no permission to open the monitor's bus: join the i2c group";
    const SimDisplay& plain = *sim.displays().find(3);
    SimLink link;
    link.edid = SimHardware::makeEDID(plain.vendor, plain.model, plain.serial);
    SimMonitorConfig config;
    config.display = 3;
    config.vcp = {{0x10, {40, 100}}};
    link.monitor = std::make_shared<SimMonitor>(config, sim.platform->clock);
    link.unreachable = why;
    sim.platform->simHardware.removeLinksOf(3);  // its silent monitor
    sim.platform->simHardware.addLink(link);
    sim.start();
    DisplayManager& dm = sim.manager();
    EXPECT_EQ(dm.state().method.at(3), BrightnessMethod::software);
    EXPECT_EQ(cardModel(cardFacts(*sim.context, *dm.screen(3))).methodNote, why);
    EXPECT_TRUE(link.monitor->packets().empty()) << "nothing is sent over a link that cannot open";

    sim.platform->simHardware.removeLinksOf(3);
    link.unreachable.clear();
    sim.platform->simHardware.addLink(link);
    dm.setForceSoftware(*dm.screen(3), false);  // asks for a new probe
    sim.idle();
    EXPECT_EQ(dm.state().method.at(3), BrightnessMethod::ddc);
    EXPECT_FALSE(cardModel(cardFacts(*sim.context, *dm.screen(3))).methodNote);
}

}  // namespace
}  // namespace vp
