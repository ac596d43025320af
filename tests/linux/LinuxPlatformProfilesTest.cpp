// The Linux platform's colour profiles as composed at start: colord finds
// a display by the EDID the display back-end gives, and without colord an
// X11 session shows the profile on the root window and assigns nothing.

#include "LogindStandIn.h"
#include "TestFiles.h"
#include "linux/FakeLinux.h"
#include "overlay/ColorProfiles.h"
#include "overlay/ICCBuilder.h"
#include "platform/RealTimeRuntime.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/desktop/Md5.h"
#include "x11/XServerBed.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vp::test {
namespace {

using ColordStandIn = LogindStandIn;

const std::string kStandIn = besideTestBinary("colord-standin.py");

LinuxPlatformOptions optionsIn(const TempDir& home, DisplayBackendKind displays) {
    LinuxPlatformOptions options;
    options.choice = {PlatformKind::linux, displays, "test"};
    const std::string h = home.path().string();
    options.folders = {h, h + "/.config", h + "/.local/state", h + "/.local/share"};
    return options;
}

TEST(LinuxPlatformProfiles, ColordFindsTheMonitorOfALinkByItsEdid) {
    FakeLinux fake;
    const EdidBytes edid = makeEdid("VPS", 0x0A01, 700123, "Velvet Studio");
    fake.addConnector("card0-DP-1", edid, 3);
    // colord names the device's output otherwise: only the EDID can match.
    ColordStandIn colord(kStandIn, R"({"devices": [{"id": "xrandr-Velvet-Studio", "edid_md5": ")" + md5Hex(edid) +
                                       R"(", "output": "DisplayPort-7", "profiles": ["/usr/share/color/icc/studio.icc"]}]})");
    if (colord.address().empty()) GTEST_SKIP() << "no dbus-daemon or python3-dbusmock for the stand-in colord";
    TempDir home;
    LinuxPlatformOptions options = optionsIn(home, DisplayBackendKind::none);
    options.paths = fake.paths();
    RealTimeRuntime runtime;
    LinuxPlatform platform(options, runtime.runtime());
    auto ids = platform.displays().onlineDisplays();
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(platform.profiles().assignmentProblem(), "");
    EXPECT_EQ(platform.profiles().assigned(ids.front()), "/usr/share/color/icc/studio.icc");
}

TEST(LinuxPlatformProfiles, WithoutColordAnX11ScreenShowsItsRootWindowProfileAndAssignsNothing) {
    std::string why;
    auto bed = XServerBed::start(XServerBed::Kind::xvfb, why);
    if (!bed) GTEST_SKIP() << why;
    TempDir home;
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + home.file("no-bus")).c_str(), 1);
    ::setenv("PIPEWIRE_REMOTE", home.file("no-sound").c_str(), 1);
    LinuxPlatformOptions options = optionsIn(home, DisplayBackendKind::x11);
    options.x11Display = bed->display();
    RealTimeRuntime runtime;
    LinuxPlatform platform(options, runtime.runtime());
    auto ids = platform.displays().onlineDisplays();
    ASSERT_EQ(ids.size(), 1u);
    const DisplayID id = ids.front();
    EXPECT_EQ(platform.profiles().assigned(id), std::nullopt);

    XClient(bed->display()).setRootProperty("_ICC_PROFILE", profile({descTag("Calibrated Studio")}));
    EXPECT_EQ(ColorProfiles::currentName(platform, id), "Calibrated Studio");
    // A loader that puts another profile up is followed.
    XClient(bed->display()).setRootProperty("_ICC_PROFILE", profile({descTag("Evening Proof")}));
    EXPECT_EQ(ColorProfiles::currentName(platform, id), "Evening Proof");

    const std::string refused = platform.profiles().assignmentProblem();
    EXPECT_NE(refused.find("colord"), std::string::npos) << refused;
    EXPECT_FALSE(ColorProfiles::apply(platform, std::string("/usr/share/color/icc/warm.icc"), id));
    EXPECT_EQ(ColorProfiles::currentName(platform, id), "Evening Proof");
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    ::unsetenv("PIPEWIRE_REMOTE");
}

}  // namespace
}  // namespace vp::test
