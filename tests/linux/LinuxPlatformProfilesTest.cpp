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

#include <xcb/xcb.h>

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

// Sets a root window property of bytes on the server.
void setRootProperty(const std::string& display, const std::string& name, const Bytes& bytes) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(name.size()), name.c_str()), nullptr);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atom->atom, XCB_ATOM_CARDINAL, 8, std::uint32_t(bytes.size()),
                        bytes.data());
    std::free(atom);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
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

    setRootProperty(bed->display(), "_ICC_PROFILE", profile({descTag("Calibrated Studio")}));
    EXPECT_EQ(ColorProfiles::currentName(platform, id), "Calibrated Studio");
    // A loader that puts another profile up is followed.
    setRootProperty(bed->display(), "_ICC_PROFILE", profile({descTag("Evening Proof")}));
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
