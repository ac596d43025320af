// Whatever the user asks, at least one physical screen stays lit and
// readable, and what virtual HiDPI moved comes back.

#include "app/UrlCommands.h"
#include "display/BrightnessCurve.h"
#include "display/ConfigScenario.h"
#include "display/VirtualEngine.h"

namespace vp::test {
namespace {

struct Place {
    Rect bounds;
    bool isMain;
    bool operator==(const Place&) const = default;
};

std::map<DisplayID, Place> arrangement(Sim& sim) {
    std::map<DisplayID, Place> places;
    for (const SimDisplay& d : sim.displays().all())
        if (d.online && d.vendor != VirtualEngine::vendorID) places[d.id] = {d.bounds, sim.displays().isMain(d.id)};
    return places;
}

TEST(LockOut, MirrorsTheUserCouldNotSeeOutOfAreRefused) {
    struct Case {
        std::string label;
        std::vector<std::pair<DisplayID, DisplayID>> before;  // mirrors made first
        std::vector<DisplayID> off;                           // screens switched off first
        DisplayID display, master;
        std::string refusal;
    };
    const std::vector<Case> cases = {
        {"itself", {}, {}, 2, 2, "Uma tela não pode espelhar a si mesma."},
        {"each other", {{3, 2}}, {}, 2, 3, "Isso faria as telas se espelharem em círculo."},
        {"a longer loop", {{3, 2}, {1, 3}}, {}, 2, 1, "Isso faria as telas se espelharem em círculo."},
        {"a screen that is off", {}, {3}, 2, 3, "Não dá para espelhar uma tela desligada."},
        {"the only lit screen, one that is off", {}, {1, 3}, 2, 3, "Não dá para espelhar uma tela desligada."},
    };
    for (const Case& c : cases) {
        Started sim;
        DisplayManager& m = sim.manager();
        for (DisplayID id : c.off) {
            m.setEnabled(id, false);
            sim.idle();
        }
        for (auto [display, master] : c.before) {
            m.mirror(display, master);
            sim.idle();
        }
        m.clearLastError();
        const DisplayID mirroredBefore = sim.displays().mirrorsDisplay(c.display);
        m.mirror(c.display, c.master);
        sim.idle();
        EXPECT_EQ(m.state().lastError, L(c.refusal)) << c.label;
        EXPECT_EQ(sim.displays().mirrorsDisplay(c.display), mirroredBefore) << c.label;
    }
}

TEST(LockOut, EndingAPairingPutsTheScreensBackWhereTheyWere) {
    for (DisplayID paired : {DisplayID(2), DisplayID(3)}) {
        for (bool byQuitting : {false, true}) {
            Started sim;
            const auto before = arrangement(sim);
            sim.manager().enableHiDPI(*sim.manager().screen(paired));
            sim.idle();
            ASSERT_NE(arrangement(sim), before) << paired;  // pairing moved them
            if (byQuitting) sim.manager().shutdown();
            else sim.manager().disableHiDPI(*sim.manager().screen(paired));
            sim.idle();
            EXPECT_EQ(arrangement(sim), before) << "display " << paired << (byQuitting ? ", quitting" : "");
        }
    }
}

double darkestShade(Sim& sim) {
    double darkest = 0;
    for (const auto& record : sim.platform->simWindows.openWindows(WindowRole::shade))
        if (record->visible) darkest = std::max(darkest, double(record->background.a));
    return darkest;
}

TEST(LockOut, BrightnessZeroNeverBlacksAScreenOut) {
    Started sim;
    sim.manager().setBrightness(3, 0);  // dimmed in software
    sim.idle();
    EXPECT_GT(darkestShade(sim), 0.5);
    EXPECT_LE(darkestShade(sim), curve::kMaxShadeAlpha);
    EXPECT_LT(curve::kMaxShadeAlpha, 0.9);
    handleURLs(sim.manager(), sim.context->log(), {"velvetpane://brightness?value=0", "velvetpane://brightness?value=-20"});
    sim.idle();
    EXPECT_EQ(sim.platform->simWindows.openWindows(WindowRole::shade).size(), 3u);
    EXPECT_LE(darkestShade(sim), curve::kMaxShadeAlpha);
}

}  // namespace
}  // namespace vp::test
