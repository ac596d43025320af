// The colord client against a stand-in colord (python3-dbusmock) on a
// private bus: a stand-in rather than the real daemon, because colord needs
// its system configuration, a writable database and polkit, and cannot be
// told to refuse or to know given displays.

#include "LogindStandIn.h"
#include "TestFiles.h"
#include "platform/linux/desktop/ColordClient.h"
#include "platform/linux/desktop/Md5.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

// The stand-in runner takes its parameters where the logind one takes its
// sysfs root, and the same --refuse.
using ColordStandIn = test::LogindStandIn;

const std::string kStandIn = test::besideTestBinary("colord-standin.py");
const std::vector<std::uint8_t> kEdid = {0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00, 0x10, 0xac, 0x42, 0x42};

std::string scenario() {
    return R"({"devices": [
        {"id": "xrandr-Lumina-27-4K-1234", "edid_md5": ")" + md5Hex(kEdid) + R"(", "output": "DP-1",
         "profiles": ["/usr/share/color/icc/lumina.icc", "/home/u/.local/share/icc/edid-1.icc"]},
        {"id": "xrandr-eDP-1", "output": "eDP-1", "profiles": []}]})";
}

std::vector<std::string> filenames(const std::vector<ColordProfile>& profiles) {
    std::vector<std::string> out;
    for (const auto& p : profiles) out.push_back(p.filename);
    return out;
}

TEST(Md5, KnownDigests) {
    EXPECT_EQ(md5Hex({}), "d41d8cd98f00b204e9800998ecf8427e");
    std::string fox = "The quick brown fox jumps over the lazy dog";
    EXPECT_EQ(md5Hex({fox.begin(), fox.end()}), "9e107d9d372bb6826bd81d3542a419d6");
    std::vector<std::uint8_t> twoBlocks(200, 'x');  // padding spills into a second block
    EXPECT_EQ(md5Hex(twoBlocks), "30a83621ce5422fbdfdd539777458c78");
}

TEST(ColordClient, FindsTheDisplayByItsEdidThenByItsOutput) {
    ColordStandIn colord(kStandIn, scenario());
    if (colord.address().empty()) GTEST_SKIP() << "no dbus-daemon or python3-dbusmock for the stand-in colord";
    ColordClient client(colord.address());
    EXPECT_EQ(client.problem(), "");
    EXPECT_EQ(client.device({kEdid, "HDMI-9"}), "/org/freedesktop/ColorManager/devices/d0");
    EXPECT_EQ(client.device({{1, 2, 3}, "eDP-1"}), "/org/freedesktop/ColorManager/devices/d1");
    EXPECT_EQ(client.device({{1, 2, 3}, "HDMI-9"}), std::nullopt);
    EXPECT_EQ(client.device({}), std::nullopt);
}

TEST(ColordClient, MakesAKnownOrANewProfileTheDefault) {
    ColordStandIn colord(kStandIn, scenario());
    if (colord.address().empty()) GTEST_SKIP() << "no dbus-daemon or python3-dbusmock for the stand-in colord";
    ColordClient client(colord.address());
    const std::string device = "/org/freedesktop/ColorManager/devices/d0";
    auto before = client.profiles(device);
    ASSERT_EQ(filenames(before), (std::vector<std::string>{"/usr/share/color/icc/lumina.icc",
                                                          "/home/u/.local/share/icc/edid-1.icc"}));
    EXPECT_EQ(before[0].title, "lumina");

    EXPECT_EQ(client.makeDefault(device, "/home/u/.local/share/icc/edid-1.icc"), "");
    EXPECT_EQ(filenames(client.profiles(device)).front(), "/home/u/.local/share/icc/edid-1.icc");

    // A file colord never saw is made known, added, and made the default.
    EXPECT_EQ(client.makeDefault(device, "/tmp/warm.icc"), "");
    EXPECT_EQ(filenames(client.profiles(device)),
              (std::vector<std::string>{"/tmp/warm.icc", "/home/u/.local/share/icc/edid-1.icc",
                                        "/usr/share/color/icc/lumina.icc"}));
    EXPECT_EQ(client.remove(device, "/tmp/warm.icc"), "");
    EXPECT_EQ(filenames(client.profiles(device)).front(), "/home/u/.local/share/icc/edid-1.icc");
}

TEST(ColordClient, RefusalsAndAMissingColordAreReasonsNotSuccesses) {
    const std::string device = "/org/freedesktop/ColorManager/devices/d0";
    {
        ColordStandIn colord(kStandIn, scenario(), true);
        if (colord.address().empty()) GTEST_SKIP() << "no dbus-daemon or python3-dbusmock for the stand-in colord";
        ColordClient client(colord.address());
        std::string refused = client.makeDefault(device, "/usr/share/color/icc/lumina.icc");
        EXPECT_NE(refused.find("not allowed"), std::string::npos) << refused;
        EXPECT_NE(client.makeDefault(device, "/tmp/new.icc"), "");
        EXPECT_EQ(filenames(client.profiles(device)).front(), "/usr/share/color/icc/lumina.icc");
    }
    ColordClient nowhere("unix:path=/nonexistent/velvetpane-bus");
    EXPECT_NE(nowhere.problem(), "");
    EXPECT_EQ(nowhere.device({kEdid, "DP-1"}), std::nullopt);
    EXPECT_NE(nowhere.makeDefault(device, "/tmp/x.icc"), "");
}

}  // namespace
}  // namespace vp
