#include "platform/XdgAutostart.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vp::test {
namespace {

TEST(XdgAutostart, WritesAndRemovesTheEntryAndAHiddenOneIsOff) {
    TempDir dir;
    XdgAutostart login(XdgAutostart::entryPathUnder(dir.path().string()), "/opt/vp/bin/velvetpane");
    EXPECT_FALSE(login.isEnabled());
    ASSERT_TRUE(login.setEnabled(true));
    EXPECT_TRUE(login.isEnabled());
    EXPECT_NE(readFile(dir.file("autostart/velvetpane.desktop")).find("Exec=\"/opt/vp/bin/velvetpane\"\n"),
              std::string::npos);
    ASSERT_TRUE(login.setEnabled(false));
    EXPECT_FALSE(login.isEnabled());
    EXPECT_TRUE(login.setEnabled(false));  // already gone

    // A hidden entry counts as off, and an unwritable folder fails.
    writeFile(dir.file("autostart/velvetpane.desktop"), "[Desktop Entry]\nHidden=true\n");
    EXPECT_FALSE(XdgAutostart(XdgAutostart::entryPathUnder(dir.path().string()), "velvetpane").isEnabled());

    writeFile(dir.file("blocker"), "a file, not a folder");
    EXPECT_FALSE(XdgAutostart(XdgAutostart::entryPathUnder(dir.file("blocker")), "velvetpane").setEnabled(true));
}

}  // namespace
}  // namespace vp::test
