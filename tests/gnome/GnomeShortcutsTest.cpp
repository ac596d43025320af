// GNOME custom shortcuts written into a private settings store (a key file
// in a temporary folder), as GNOME Settings would show them.

#include "platform/linux/gnome/GnomeShortcuts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vp::gnome {
namespace {

TEST(GVariantTextTest, StringListsAndQuotesRoundTrip) {
    const std::vector<std::string> cases[] = {
        {},
        {"/a/"},
        {"it's", "back\\slash", "\"double\""},
    };
    for (const auto& items : cases) EXPECT_EQ(parseStringList(formatStringList(items)), items);
    EXPECT_EQ(parseStringList("@as []"), std::vector<std::string>{});
    EXPECT_EQ(parseStringList("['/x/custom0/', \"/y/\"]\n"), (std::vector<std::string>{"/x/custom0/", "/y/"}));
    EXPECT_EQ(urlCommand("/usr/bin/velvet pane", "velvetpane://brightness?value=50&x='1'"),
              "'/usr/bin/velvet pane' 'velvetpane://brightness?value=50&x='\\''1'\\'''");
}

class GnomeShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!shortcuts.available()) GTEST_SKIP() << "gsettings or GNOME's media-keys schema is missing";
    }
    test::TempDir home;
    std::map<std::string, std::string> env{{"GSETTINGS_BACKEND", "keyfile"},
                                           {"XDG_CONFIG_HOME", home.path().string()}};
    GnomeShortcuts shortcuts{env};
};

TEST_F(GnomeShortcutsTest, OursAreAddedAndRemovedBesideTheUsersOwn) {
    // The user's own shortcut, as GNOME Settings would have made it.
    const std::string users = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/";
    ASSERT_EQ(std::system(("GSETTINGS_BACKEND=keyfile XDG_CONFIG_HOME=" + home.path().string() +
                           " gsettings set org.gnome.settings-daemon.plugins.media-keys custom-keybindings \"['" +
                           users + "']\"")
                              .c_str()),
              0);
    std::vector<CustomShortcut> wanted = {
        {"Brighter", urlCommand("velvetpane", "velvetpane://brightness?step=up"), "<Control><Super>Up"},
        {"Darker", urlCommand("velvetpane", "velvetpane://brightness?step=down"), "<Control><Super>Down"},
    };
    std::string why;
    ASSERT_TRUE(shortcuts.install(wanted, why)) << why;
    EXPECT_EQ(shortcuts.ours(), wanted);
    ASSERT_TRUE(shortcuts.install({wanted[0]}, why)) << why;
    EXPECT_EQ(shortcuts.ours(), std::vector<CustomShortcut>{wanted[0]}) << "installing again replaces ours";

    ASSERT_TRUE(shortcuts.remove(why)) << why;
    EXPECT_TRUE(shortcuts.ours().empty());
    std::string settings = test::readFile((home.path() / "glib-2.0/settings/keyfile").string());
    EXPECT_NE(settings.find("custom0"), std::string::npos) << settings;
    EXPECT_EQ(settings.find("command="), std::string::npos) << "our entries are reset: " << settings;
}

}  // namespace
}  // namespace vp::gnome
