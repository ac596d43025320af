// Which platform and display back-end a start picks from what the machine
// offers: real where anything is real, the simulation where nothing is, and
// never X11 calls on a Wayland session.

#include "platform/linux/PlatformChoice.h"

#include <gtest/gtest.h>

namespace vp::test {
namespace {

PlatformChoice chosen(const std::string& requested, const Surroundings& s) {
    auto result = choosePlatform(requested, s);
    EXPECT_TRUE(std::holds_alternative<PlatformChoice>(result));
    return std::get<PlatformChoice>(result);
}

TEST(PlatformChoice, AutoTakesWhatIsRealAndTheSimulationOtherwise) {
    struct Row {
        Surroundings around;
        PlatformKind kind;
        DisplayBackendKind displays;
    };
    const Row rows[] = {
        {{}, PlatformKind::simulated, DisplayBackendKind::none},
        {{.x11 = true}, PlatformKind::linux, DisplayBackendKind::x11},
        {{.x11 = true, .wayland = true, .gnome = true}, PlatformKind::linux, DisplayBackendKind::gnome},
        {{.x11 = true, .wayland = true}, PlatformKind::linux, DisplayBackendKind::none},
        {{.monitorLinks = 2}, PlatformKind::linux, DisplayBackendKind::none},
        {{.backlights = 1}, PlatformKind::linux, DisplayBackendKind::none},
    };
    for (const Row& row : rows) {
        for (const std::string requested : {"auto", ""}) {
            PlatformChoice c = chosen(requested, row.around);
            EXPECT_EQ(c.kind, row.kind) << c.reason;
            EXPECT_EQ(c.displays, row.displays) << c.reason;
            EXPECT_FALSE(c.reason.empty());
        }
    }
}

TEST(PlatformChoice, AnExplicitRequestWinsAndAnUnknownOneIsRefused) {
    EXPECT_EQ(chosen("sim", {.x11 = true, .monitorLinks = 3}).kind, PlatformKind::simulated);
    PlatformChoice bare = chosen("linux", {});
    EXPECT_EQ(bare.kind, PlatformKind::linux);
    EXPECT_EQ(bare.displays, DisplayBackendKind::none);
    auto refused = choosePlatform("macos", {});
    ASSERT_TRUE(std::holds_alternative<std::string>(refused));
    EXPECT_EQ(std::get<std::string>(refused), "unknown platform \"macos\" (use auto, sim or linux)");
}

}  // namespace
}  // namespace vp::test
