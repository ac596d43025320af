#include "FakeLinux.h"
#include "LogindStandIn.h"
#include "TestFiles.h"
#include "hardware/DDCService.h"
#include "platform/VirtualRuntime.h"
#include "platform/linux/LinuxHardware.h"
#include "platform/linux/LogindBrightness.h"
#include "platform/linux/UdevBacklightEvents.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

using test::FakeLinux;
using test::makeEdid;

// Outputs as a display back-end names them.
ConnectorDisplays outputs(std::map<std::string, DisplayID> byConnector) {
    return [byConnector = std::move(byConnector)](const std::string& connector) -> std::optional<DisplayID> {
        auto it = byConnector.find(connector);
        if (it == byConnector.end()) return std::nullopt;
        return it->second;
    };
}

class LinuxHardwareTest : public ::testing::Test {
protected:
    FakeLinux fake;
    VirtualClock clock;
    VirtualSleeper sleeper{clock};
    // Two monitors of one model, both reporting serial 0.
    Bytes twin = makeEdid("DEL", 0x4100, 0, "Twin");
};

TEST_F(LinuxHardwareTest, ConnectorsAreLinksWithTheDisplayProvenByTheirOutput) {
    auto panel = makeEdid("BOE", 1, 0, "Panel");
    fake.addConnector("card0-eDP-1", panel, 0, FakeLinux::Bus::none);
    fake.addConnector("card0-DP-1", twin, 4);
    fake.addConnector("card0-HDMI-A-1", twin, 5);
    LinuxHardware hardware(fake.paths(), outputs({{"eDP-1", 1}, {"DP-1", 2}}));

    LinkScan scan = hardware.links();
    EXPECT_EQ(scan.error, "");
    ASSERT_EQ(scan.links.size(), 3u);
    const MonitorLink& dp = scan.links[0];
    EXPECT_EQ(dp.connector, "DP-1");
    EXPECT_EQ(dp.location, Location::external);
    EXPECT_EQ(dp.display, 2u);
    EXPECT_EQ(dp.edid, twin);
    EXPECT_EQ(scan.links[1].connector, "HDMI-A-1");
    EXPECT_FALSE(scan.links[1].display);  // no output names that connector: nothing proven
    EXPECT_EQ(scan.links[2].location, Location::builtIn);
    EXPECT_EQ(scan.links[2].display, 1u);
    EXPECT_FALSE(hardware.open(scan.links[2]));  // the panel's link has no bus

    LinuxHardware noSysfs({fake.root() + "/nothing", fake.dev()}, outputs({}));
    scan = noSysfs.links();
    EXPECT_TRUE(scan.links.empty());
    EXPECT_NE(scan.error.find("class/drm"), std::string::npos);
}

// The fault of identical monitors of which only the second speaks DDC/CI:
// with DRM's connectors mapped to outputs, each display gets its own link.
TEST_F(LinuxHardwareTest, IdenticalMonitorsPairByConnectorAndTalkOverTheirOwnBus) {
    fake.addConnector("card0-DP-1", twin, 4);
    fake.addConnector("card0-DP-2", twin, 5);
    fake.addMonitor(4, twin, "fault nack");
    fake.addMonitor(5, twin, "", "vcp 10 30 100\n");
    LinuxHardware hardware(fake.paths(), outputs({{"DP-1", 5}, {"DP-2", 6}}));

    auto services = DDCService::discover(hardware, sleeper);
    ASSERT_EQ(services.size(), 2u);
    DDCPairing pairing = DDCService::match({{5, 0x10AC, 0x4100, 0}, {6, 0x10AC, 0x4100, 0}}, services);
    EXPECT_TRUE(pairing.twins.empty());
    ASSERT_EQ(pairing.paired.size(), 2u);
    EXPECT_FALSE(pairing.paired.at(5)->read(0x10));
    auto reading = pairing.paired.at(6)->read(0x10);
    ASSERT_TRUE(reading);
    EXPECT_EQ(*reading, (ddc::VCPReading{30, 100}));
    EXPECT_TRUE(pairing.paired.at(6)->write(0x10, 70));
    EXPECT_EQ(fake.values(5)[0x10], 70);
    EXPECT_EQ(fake.values(4).count(0x10), 0u);

    // Without the outputs nothing tells them apart, and neither is paired.
    LinuxHardware unproven(fake.paths(), outputs({}));
    pairing = DDCService::match({{5, 0x10AC, 0x4100, 0}, {6, 0x10AC, 0x4100, 0}},
                                DDCService::discover(unproven, sleeper));
    EXPECT_TRUE(pairing.paired.empty());
    EXPECT_EQ(pairing.twins, (std::set<DisplayID>{5, 6}));
}

// A bus the user may not open gives no channel, yet its link still pairs
// with its display, carrying the reason with both fixes.
TEST_F(LinuxHardwareTest, ABusTheUserMayNotOpenGivesNoChannelButSaysWhy) {
    fake.addConnector("card0-DP-1", twin, 4);
    fake.addMonitor(4, twin, "deny");
    fake.addConnector("card0-DP-2", makeEdid("VPS", 2, 9, "Open"), 5);
    fake.addMonitor(5, makeEdid("VPS", 2, 9, "Open"));
    LinuxHardware hardware(fake.paths(), outputs({{"DP-1", 3}}));
    auto scan = hardware.links();
    ASSERT_EQ(scan.links.size(), 2u);
    EXPECT_FALSE(hardware.open(scan.links[0]));
    const std::string& why = scan.links[0].unreachable;
    EXPECT_NE(why.find(fake.device(4)), std::string::npos) << why;
    EXPECT_NE(why.find("i2c group"), std::string::npos) << why;
    EXPECT_NE(why.find("udev rule"), std::string::npos) << why;
    EXPECT_EQ(scan.links[1].unreachable, "");
    EXPECT_FALSE(hardware.open(MonitorLink{"HDMI-A-9", Location::external, "HDMI-A-9", std::nullopt, {}, {}}));

    auto services = DDCService::discover(hardware, sleeper);
    ASSERT_EQ(services.size(), 2u);
    EXPECT_EQ(DDCService::match({{3, 0x10AC, 0x4100, 0}}, services).paired.at(3)->link().unreachable, why);
    EXPECT_FALSE(services[0]->read(0x10));
}

// The desktop's keys change the level: the watcher hears of it with the
// panel's display; the echo of the program's own write is not a change.
TEST_F(LinuxHardwareTest, BacklightChangesByOthersReachTheWatcherButNotTheEchoOfOurOwn) {
    fake.addConnector("card0-eDP-1", makeEdid("BOE", 1, 0, "Panel"), 0, FakeLinux::Bus::none);
    fake.addBacklight("intel_backlight", "raw", "1000", 500);
    LinuxHardware hardware(fake.paths(), outputs({{"eDP-1", 7}}));
    std::vector<DisplayID> heard;
    hardware.watchBacklights([&](DisplayID id) { heard.push_back(id); });
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + fake.root() + "/no-bus").c_str(), 1);
    EXPECT_EQ(hardware.backlight(7)->set(0.3f), 0);
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    hardware.backlightEvent("intel_backlight");
    EXPECT_TRUE(heard.empty());

    test::writeFile(fake.backlightFile("intel_backlight", "brightness"), "800\n");
    hardware.backlightEvent("intel_backlight");
    hardware.backlightEvent("intel_backlight");  // one change reported twice
    hardware.backlightEvent("acpi_video0");      // a device that is not there
    EXPECT_EQ(heard, std::vector<DisplayID>{7});
}

// Nothing can raise an event without root; the watch must at least start
// and stop cleanly, with or without udev.
TEST(UdevBacklightEvents, StopsWithoutAnEvent) {
    UdevBacklightEvents events([](const std::string&) {});
    SUCCEED() << (events.watching() ? "watching" : "no udev here");
}

// Writing it, through logind or sysfs, is checked through the program in
// LinuxHeadlessTest.
TEST_F(LinuxHardwareTest, OnlyThePanelsOutputHasTheBacklight) {
    fake.addConnector("card0-eDP-1", makeEdid("BOE", 1, 0, "Panel"), 0, FakeLinux::Bus::none);
    fake.addConnector("card0-DP-1", twin, 4);
    fake.addBacklight("intel_backlight", "raw", "1000", 250);
    LinuxHardware hardware(fake.paths(), outputs({{"eDP-1", 1}, {"DP-1", 2}}));
    EXPECT_FALSE(hardware.backlight(2));
    EXPECT_FALSE(LinuxHardware(fake.paths(), outputs({})).backlight(1));  // the panel's output is unknown

    auto panel = hardware.backlight(1);
    ASSERT_TRUE(panel);
    float value = 0;
    ASSERT_EQ(panel->get(value), 0);
    EXPECT_FLOAT_EQ(value, 0.25f);
}

TEST_F(LinuxHardwareTest, NoUsableBacklightInterfaceMeansNone) {
    fake.addConnector("card0-eDP-1", makeEdid("BOE", 1, 0, "Panel"), 0, FakeLinux::Bus::none);
    fake.addBacklight("broken", "firmware", "0", 0);
    EXPECT_FALSE(LinuxHardware(fake.paths(), outputs({{"eDP-1", 1}})).backlight(1));
}

TEST(LogindBrightness, ARefusalOrNoLogindIsAReasonNotASuccess) {
    FakeLinux fake;
    fake.addBacklight("intel_backlight", "raw", "1000", 100);
    {
        test::LogindStandIn logind(test::besideTestBinary("logind-standin.py"), fake.sysfs(), true);
        if (logind.address().empty()) GTEST_SKIP() << "no dbus-daemon or python3-dbusmock for the stand-in logind";
        EXPECT_EQ(LogindBrightness().setBrightness("intel_backlight", 5), "logind refused SetBrightness: not in control");
    }
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + fake.root() + "/no-bus").c_str(), 1);
    EXPECT_NE(LogindBrightness().setBrightness("intel_backlight", 5), "");
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    EXPECT_EQ(test::readFile(fake.backlightFile("intel_backlight", "brightness")), "100\n");
}

}  // namespace
}  // namespace vp
