#include "FakeLinux.h"
#include "LogindStandIn.h"
#include "TestFiles.h"
#include "platform/linux/LogindBrightness.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

using test::FakeLinux;
using test::LogindStandIn;
using test::readFile;

const std::string kStandIn = test::besideTestBinary("logind-standin.py");

TEST(LogindBrightness, ARefusalOrNoLogindIsAReasonNotASuccess) {
    FakeLinux fake;
    fake.addBacklight("intel_backlight", "raw", "1000", 100);
    {
        LogindStandIn logind(kStandIn, fake.sysfs(), true);
        if (logind.address().empty()) GTEST_SKIP() << "no dbus-daemon or python3-dbusmock for the stand-in logind";
        EXPECT_EQ(LogindBrightness().setBrightness("intel_backlight", 5), "logind refused SetBrightness: not in control");
    }
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + fake.root() + "/no-bus").c_str(), 1);
    EXPECT_NE(LogindBrightness().setBrightness("intel_backlight", 5), "");
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    EXPECT_EQ(readFile(fake.backlightFile("intel_backlight", "brightness")), "100\n");
}

}  // namespace
}  // namespace vp
