// GNOME custom shortcuts written into a private settings store (a key file
// in a temporary folder), as GNOME Settings would show them.

#include "platform/linux/gnome/GnomeInput.h"
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

// What the keys page offers on GNOME: brightness up and down as custom
// shortcuts running the program with a URL, and nothing of ours afterwards.
TEST_F(GnomeShortcutsTest, DesktopShortcutsStandInForTheBrightnessKeys) {
    GnomeDesktopShortcuts desktop("/opt/velvet pane/velvetpane", env);
    ASSERT_TRUE(desktop.ability());
    EXPECT_TRUE(desktop.installed().empty()) << "nothing is written before the user asks";
    std::string why;
    ASSERT_TRUE(desktop.install(why)) << why;
    EXPECT_EQ(desktop.installed(), (std::vector<DesktopShortcut>{{Key::brightnessUp, "Ctrl+Super+Up"},
                                                                 {Key::brightnessDown, "Ctrl+Super+Down"}}));
    auto kept = shortcuts.ours();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].command, "'/opt/velvet pane/velvetpane' 'velvetpane://brightness?step=up'");
    EXPECT_EQ(kept[1].command, "'/opt/velvet pane/velvetpane' 'velvetpane://brightness?step=down'");

    ASSERT_TRUE(desktop.remove(why)) << why;
    EXPECT_TRUE(desktop.installed().empty());
    EXPECT_TRUE(shortcuts.ours().empty());
}

TEST(GnomeDesktopShortcutsTest, WithoutTheSchemaTheyAreUnavailableWithAReason) {
    test::TempDir empty;
    GnomeDesktopShortcuts desktop("velvetpane", {{"GSETTINGS_SCHEMA_DIR", empty.path().string()},
                                                 {"XDG_DATA_DIRS", empty.path().string()},
                                                 {"GSETTINGS_BACKEND", "memory"}});
    Ability ability = desktop.ability();
    EXPECT_FALSE(ability);
    EXPECT_NE(ability.reason.find("media-keys"), std::string::npos) << ability.reason;
    std::string why;
    EXPECT_FALSE(desktop.install(why));
}

TEST(ReadableBindingTest, ModifiersAsPeopleWriteThem) {
    EXPECT_EQ(readableBinding("<Control><Super>Up"), "Ctrl+Super+Up");
    EXPECT_EQ(readableBinding("<Primary><Shift>F5"), "Ctrl+Shift+F5");
    EXPECT_EQ(readableBinding("F9"), "F9");
}

}  // namespace
}  // namespace vp::gnome
