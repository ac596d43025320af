#include "platform/FileDefaults.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <thread>

namespace vp::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> folderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileDefaults, ValuesSurviveAReload) {
    TempDir home;
    const std::string path = home.file("config/velvetpane/defaults.json");
    {
        FileDefaults d(path);
        EXPECT_FALSE(d.hasObject("prefs"));
        d.setData("prefs", R"({"A":{"dim":0.5}})");
        d.setBool("restoreHiDPI", false);
        d.setBool("volumeKeysDDC", true);
        d.remove("volumeKeysDDC");
    }
    FileDefaults reloaded(path);
    EXPECT_EQ(reloaded.data("prefs"), R"({"A":{"dim":0.5}})");
    EXPECT_EQ(reloaded.boolean("restoreHiDPI"), false);
    EXPECT_TRUE(reloaded.hasObject("restoreHiDPI"));
    EXPECT_FALSE(reloaded.hasObject("volumeKeysDDC"));
    // A data value is not a boolean and a boolean is not data.
    EXPECT_EQ(reloaded.boolean("prefs"), std::nullopt);
    EXPECT_EQ(reloaded.data("restoreHiDPI"), std::nullopt);
    EXPECT_EQ(folderEntries(home.file("config/velvetpane")), std::vector<std::string>{"defaults.json"});
}

TEST(FileDefaults, UnreadableFileIsKeptAsideAndDefaultsStartEmpty) {
    TempDir home;
    const std::string path = home.file("defaults.json");
    writeFile(path, "{ not json");
    FileDefaults d(path);
    EXPECT_FALSE(d.hasObject("prefs"));
    EXPECT_EQ(readFile(path + ".unreadable"), "{ not json");
    d.setBool("restoreHiDPI", true);
    EXPECT_EQ(FileDefaults(path).boolean("restoreHiDPI"), true);
}

TEST(FileDefaults, ChangesFromSeveralThreadsAllReachTheFile) {
    TempDir home;
    const std::string path = home.file("defaults.json");
    {
        FileDefaults d(path);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&d, t] {
                for (int i = 0; i < 25; ++i) d.setBool("k" + std::to_string(t) + "_" + std::to_string(i), true);
            });
        for (auto& th : threads) th.join();
    }
    FileDefaults reloaded(path);
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 25; ++i)
            EXPECT_EQ(reloaded.boolean("k" + std::to_string(t) + "_" + std::to_string(i)), true) << t << " " << i;
    EXPECT_EQ(folderEntries(home.path()), std::vector<std::string>{"defaults.json"});
}

TEST(WriteFileAtomically, ReplacesTheTargetWholeOrNotAtAll) {
    TempDir home;
    const std::string path = home.file("target");
    EXPECT_TRUE(writeFileAtomically(path, "first"));
    EXPECT_TRUE(writeFileAtomically(path, "second, longer"));
    EXPECT_EQ(readFile(path), "second, longer");

    EXPECT_FALSE(writeFileAtomically(home.file("missing/target"), "x"));
    fs::create_directory(home.file("folder"));
    EXPECT_FALSE(writeFileAtomically(home.file("folder"), "x"));
    EXPECT_TRUE(fs::is_directory(home.file("folder")));
    EXPECT_EQ(folderEntries(home.path()), (std::vector<std::string>{"folder", "target"}));
}

}  // namespace
}  // namespace vp::test
