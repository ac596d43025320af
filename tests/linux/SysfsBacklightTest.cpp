#include "FakeLinux.h"
#include "platform/linux/SysfsBacklight.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

using test::FakeLinux;
using test::readFile;

TEST(SysfsBacklight, FirmwareBeforePlatformBeforeRawAndBrokenOnesLeftOutWithAReason) {
    FakeLinux fake;
    fake.addBacklight("acpi_video0", "firmware", "15", 7);
    fake.addBacklight("intel_backlight", "raw", "96000", 48000);
    fake.addBacklight("dell_backlight", "platform", "10", 5);
    fake.addBacklight("zero", "firmware", "0", 0);
    fake.addBacklight("garbled", "firmware", "n/a", 0);

    std::vector<std::string> problems;
    auto found = findBacklights(fake.paths(), &problems);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].name, "acpi_video0");
    EXPECT_EQ(found[1].name, "dell_backlight");
    EXPECT_EQ(found[2].name, "intel_backlight");
    EXPECT_EQ(found[2].max, 96000);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(std::find(problems.begin(), problems.end(), "backlight zero: max_brightness is 0; not used"),
              problems.end());
    EXPECT_NE(
        std::find(problems.begin(), problems.end(), "backlight garbled: max_brightness is unreadable; not used"),
        problems.end());
}

TEST(SysfsBacklight, ReadsWhatTheHardwareShowsAndWritesRawValues) {
    FakeLinux fake;
    fake.addBacklight("intel_backlight", "raw", "1000", 250);
    SysfsBacklight backlight(fake.paths(), findBacklights(fake.paths()).at(0));
    test::writeFile(fake.backlightFile("intel_backlight", "brightness"), "900\n");
    EXPECT_DOUBLE_EQ(*backlight.read(), 0.25);  // actual_brightness wins over the requested value

    EXPECT_EQ(backlight.rawValue(0.4004), 400);
    EXPECT_EQ(backlight.rawValue(-1), 0);
    EXPECT_EQ(backlight.rawValue(7), 1000);
    EXPECT_EQ(backlight.write(400), 0);
    EXPECT_EQ(readFile(fake.backlightFile("intel_backlight", "brightness")), "400\n");

    std::filesystem::remove(fake.backlightFile("intel_backlight", "actual_brightness"));
    EXPECT_DOUBLE_EQ(*backlight.read(), 0.4);
    std::filesystem::remove(fake.backlightFile("intel_backlight", "brightness"));
    EXPECT_FALSE(backlight.read());
}

}  // namespace
}  // namespace vp
