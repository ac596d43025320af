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

std::vector<std::string> problemsOf(Defaults& d) {
    std::vector<std::string> problems;
    d.setProblemHandler([&problems](const std::string& p) { problems.push_back(p); });
    d.setProblemHandler(nullptr);
    return problems;
}

std::vector<std::string> asideCopies(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& name : folderEntries(folder))
        if (name.starts_with("defaults.json.bad-")) names.push_back(name);
    return names;
}

TEST(FileDefaults, FileThatIsNotSettingsIsMovedAsideWholeAndSaidOnce) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"truncated", R"({"prefs": {"data": "{\"A\": {\"dim\": 0.5)"},
        {"empty", ""},
        {"not JSON", "{ not json"},
        {"NaN", R"({"prefs": {"data": "x"}, "level": NaN})"},
        {"an array", R"([{"restoreHiDPI": {"bool": true}}])"},
    };
    for (const auto& [label, bytes] : cases) {
        TempDir home;
        const std::string path = home.file("defaults.json");
        writeFile(path, bytes);
        FileDefaults d(path);
        EXPECT_FALSE(d.hasObject("prefs")) << label;
        auto copies = asideCopies(home.path());
        ASSERT_EQ(copies.size(), 1u) << label;
        EXPECT_EQ(readFile(home.file(copies[0])), bytes) << label;
        auto problems = problemsOf(d);
        ASSERT_EQ(problems.size(), 1u) << label;
        EXPECT_NE(problems[0].find(copies[0]), std::string::npos) << problems[0];
        EXPECT_TRUE(problemsOf(d).empty()) << label;

        d.setBool("restoreHiDPI", true);
        EXPECT_EQ(FileDefaults(path).boolean("restoreHiDPI"), true) << label;
        EXPECT_EQ(readFile(home.file(copies[0])), bytes) << label;
    }
}

TEST(FileDefaults, SecondBadFileDoesNotReplaceTheFirstCopy) {
    TempDir home;
    const std::string path = home.file("defaults.json");
    writeFile(path, "first");
    FileDefaults first(path);
    writeFile(path, "second");
    FileDefaults second(path);
    auto copies = asideCopies(home.path());
    ASSERT_EQ(copies.size(), 2u);
    std::vector<std::string> contents = {readFile(home.file(copies[0])), readFile(home.file(copies[1]))};
    std::sort(contents.begin(), contents.end());
    EXPECT_EQ(contents, (std::vector<std::string>{"first", "second"}));
}

TEST(FileDefaults, FileThatCannotBeReadIsNeverWrittenAndUnsavedSettingsAreSaidOnce) {
    TempDir home;
    const std::string path = home.file("defaults.json");
    fs::create_directory(path);  // opens, but reading fails
    writeFile(path + "/inside", "kept");
    FileDefaults d(path);
    d.setBool("restoreHiDPI", true);
    EXPECT_EQ(d.boolean("restoreHiDPI"), true);  // kept for this run
    EXPECT_EQ(readFile(path + "/inside"), "kept");
    EXPECT_TRUE(asideCopies(home.path()).empty());
    auto problems = problemsOf(d);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("cannot be read"), std::string::npos) << problems[0];
    EXPECT_NE(problems[0].find("will not be kept"), std::string::npos) << problems[0];

    // Settings that cannot be saved are said once, and kept for this run.
    writeFile(home.file("home"), "a file where the folder should be");
    FileDefaults unsaved(home.file("home/.config/velvetpane/defaults.json"));
    EXPECT_TRUE(problemsOf(unsaved).empty());
    unsaved.setBool("a", true);
    unsaved.setBool("b", false);
    problems = problemsOf(unsaved);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("will not be kept"), std::string::npos) << problems[0];
    EXPECT_EQ(unsaved.boolean("b"), false);
}

// Built by appending: GCC 12 at -O3 warns wrongly about literal + string.
std::string threadKey(int thread, int i) {
    std::string key = "k";
    key += std::to_string(thread);
    key += '_';
    key += std::to_string(i);
    return key;
}

TEST(FileDefaults, ChangesFromSeveralThreadsAllReachTheFile) {
    TempDir home;
    const std::string path = home.file("defaults.json");
    {
        FileDefaults d(path);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&d, t] {
                for (int i = 0; i < 25; ++i) d.setBool(threadKey(t, i), true);
            });
        for (auto& th : threads) th.join();
    }
    FileDefaults reloaded(path);
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 25; ++i)
            EXPECT_EQ(reloaded.boolean(threadKey(t, i)), true) << t << " " << i;
    EXPECT_EQ(folderEntries(home.path()), std::vector<std::string>{"defaults.json"});
}

}  // namespace
}  // namespace vp::test
