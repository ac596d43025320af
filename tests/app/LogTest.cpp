#include "app/Log.h"
#include "platform/VirtualRuntime.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <unistd.h>

namespace vp::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct LogTest : ::testing::Test {
    TempDir home;
    VirtualClock clock;  // starts at 2026-03-14 09:26:53 UTC
    std::string path = home.file("Velvetpane.log");
    Log log{path, clock};
};

TEST_F(LogTest, LinesAppendToWhatAnEarlierRunLeftWithTheirOwnTime) {
    writeFile(path, "2020-01-01 00:00:00 +0000 old\n");
    log.write("Teclas de brilho: não foi possível criar o event tap");
    clock.advance(61.7s);
    log.write("PiP lista: two\nlines");
    EXPECT_EQ(readFile(path),
              "2020-01-01 00:00:00 +0000 old\n"
              "2026-03-14 09:26:53 +0000 Teclas de brilho: não foi possível criar o event tap\n"
              "2026-03-14 09:27:54 +0000 PiP lista: two\nlines\n");
}

TEST_F(LogTest, ReadOnlyLogIsNeverReplaced) {
    writeFile(path, "earlier lines\n");
    fs::permissions(path, fs::perms::owner_read);
    if (::access(path.c_str(), W_OK) == 0) GTEST_SKIP() << "permissions do not bind this user";
    log.write("new line");
    EXPECT_EQ(readFile(path), "earlier lines\n");
}

TEST_F(LogTest, UnopenableLogPathOrMissingFolderIsLeftAlone) {
    // A symbolic link to itself exists but cannot be opened, whoever runs.
    fs::create_symlink(path, path);
    log.write("new line");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path)));
    EXPECT_EQ(fs::read_symlink(path), fs::path(path));
    EXPECT_EQ(std::distance(fs::directory_iterator(home.path()), fs::directory_iterator()), 1);

    // A missing folder: nothing written, and no folder made.
    Log elsewhere(home.file("Library/Logs/Velvetpane.log"), clock);
    elsewhere.write("applySettings falhou para Projector");
    EXPECT_FALSE(fs::exists(home.file("Library")));
}

TEST_F(LogTest, ConcurrentCallersKeepLinesWhole) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) log.write("thread " + std::to_string(t) + " line " + std::to_string(i));
        });
    for (auto& th : threads) th.join();
    std::istringstream lines(readFile(path));
    std::set<std::string> seen;
    for (std::string line; std::getline(lines, line);) {
        ASSERT_EQ(line.rfind("2026-03-14 09:26:53 +0000 thread ", 0), 0u) << line;
        seen.insert(line);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(LogFormat, DateIsUtcToTheSecond) {
    using std::chrono::system_clock;
    EXPECT_EQ(Log::formatLine(system_clock::time_point(999ms), "x"), "1970-01-01 00:00:00 +0000 x\n");
    EXPECT_EQ(Log::formatLine(system_clock::time_point(std::chrono::seconds(4102444799)), ""),
              "2099-12-31 23:59:59 +0000 \n");
}

}  // namespace
}  // namespace vp::test
