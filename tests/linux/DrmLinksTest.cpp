#include "FakeLinux.h"
#include "platform/linux/DrmLinks.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

using test::FakeLinux;
using test::makeEdid;

TEST(DrmLinks, ConnectedConnectorsWithTheirAdapters) {
    FakeLinux fake;
    auto panel = makeEdid("BOE", 1, 0, "Panel");
    auto left = makeEdid("DEL", 2, 11, "Left");
    auto right = makeEdid("DEL", 2, 12, "Right");
    fake.addConnector("card0-eDP-1", panel, 0, FakeLinux::Bus::none);
    fake.addConnector("card0-HDMI-A-1", left, 4, FakeLinux::Bus::ddcLink);
    fake.addConnector("card0-DP-2", right, 9, FakeLinux::Bus::auxFolder);
    fake.addConnector("card0-DP-3", {}, 10, FakeLinux::Bus::auxFolder, "disconnected");
    std::filesystem::create_directories(fake.sysfs() + "/class/drm/card0");
    std::filesystem::create_directories(fake.sysfs() + "/class/drm/renderD128");

    auto links = findMonitorLinks(fake.paths());
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].key, "DP-2");
    EXPECT_EQ(links[0].bus, 9);
    EXPECT_EQ(links[0].edid, right);
    EXPECT_EQ(links[1].key, "HDMI-A-1");
    EXPECT_EQ(links[1].bus, 4);
    EXPECT_FALSE(links[1].builtIn);
    EXPECT_EQ(links[2].key, "eDP-1");
    EXPECT_TRUE(links[2].builtIn);
    EXPECT_FALSE(links[2].bus);
}

TEST(DrmLinks, ConnectorTypes) {
    for (const char* builtIn : {"eDP-1", "LVDS-1", "DSI-2"}) EXPECT_TRUE(isBuiltInConnector(builtIn)) << builtIn;
    for (const char* external : {"DP-1", "HDMI-A-1", "DVI-D-1", "VGA-1", "Virtual-1"})
        EXPECT_FALSE(isBuiltInConnector(external)) << external;
    EXPECT_EQ(connectorName("card1-HDMI-A-2"), "HDMI-A-2");
}

TEST(DrmLinks, WithoutPairingFromDRMTheBusesAreScannedForEdids) {
    FakeLinux fake;
    auto known = makeEdid("ACR", 5, 1, "Known");
    auto other = makeEdid("ACR", 6, 2, "Other");
    fake.addConnector("card0-DP-1", known, 0, FakeLinux::Bus::none);
    fake.addMonitor(2, known);
    fake.addMonitor(7, other);
    fake.addMonitor(8, {});  // an adapter with nothing at 0x50

    auto links = findMonitorLinks(fake.paths());
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0].key, "DP-1");
    EXPECT_EQ(links[0].bus, 2);
    EXPECT_EQ(links[1].key, "i2c-7");
    EXPECT_EQ(links[1].bus, 7);
    EXPECT_FALSE(links[1].connector);
    EXPECT_EQ(links[1].edid, other);
}

TEST(DrmLinks, ADeniedAdapterIsNamed) {
    FakeLinux fake;
    fake.addMonitor(1, makeEdid("ACR", 5, 1, "Mine"));
    EXPECT_FALSE(deniedI2CDevice(fake.paths()));
    fake.addMonitor(3, makeEdid("ACR", 5, 1, "Locked"), "deny");
    EXPECT_EQ(deniedI2CDevice(fake.paths()), fake.device(3));
}

}  // namespace
}  // namespace vp
