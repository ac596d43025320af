#include "platform/XdgAutostart.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <stdlib.h>

namespace vp {
namespace {

namespace fs = std::filesystem;

struct TempDir {
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "vp-autostart-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path); }
    fs::path path;
};

TEST(XdgAutostart, WritesAndRemovesTheEntry) {
    TempDir dir;
    XdgAutostart login(XdgAutostart::entryPathUnder(dir.path.string()), "/opt/vp/bin/velvetpane");
    EXPECT_FALSE(login.isEnabled());
    ASSERT_TRUE(login.setEnabled(true));
    EXPECT_TRUE(login.isEnabled());
    std::ifstream in(dir.path / "autostart/velvetpane.desktop");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("Exec=\"/opt/vp/bin/velvetpane\"\n"), std::string::npos);
    ASSERT_TRUE(login.setEnabled(false));
    EXPECT_FALSE(login.isEnabled());
    EXPECT_TRUE(login.setEnabled(false));  // already gone
}

TEST(XdgAutostart, HiddenEntryCountsAsOffAndAnUnwritableFolderFails) {
    TempDir dir;
    fs::create_directories(dir.path / "autostart");
    std::ofstream(dir.path / "autostart/velvetpane.desktop") << "[Desktop Entry]\nHidden=true\n";
    XdgAutostart login(XdgAutostart::entryPathUnder(dir.path.string()), "velvetpane");
    EXPECT_FALSE(login.isEnabled());

    std::ofstream(dir.path / "blocker") << "a file, not a folder";
    XdgAutostart blocked(XdgAutostart::entryPathUnder((dir.path / "blocker").string()), "velvetpane");
    EXPECT_FALSE(blocked.setEnabled(true));
}

}  // namespace
}  // namespace vp
