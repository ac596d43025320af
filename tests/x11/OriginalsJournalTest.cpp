#include "platform/linux/restore/OriginalsJournal.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

using test::TempDir;

const JournalIdentity kHere{"machine-a", ":1"};

TEST(OriginalsJournalTest, TheFirstOriginalWinsAndIsOnDiskBeforeTheChange) {
    TempDir dir;
    OriginalsJournal journal(dir.file("state/originals.json"), kHere);
    ASSERT_TRUE(journal.open());
    ASSERT_TRUE(journal.record("disp", "gamma", {{"v", 1}}));
    ASSERT_TRUE(journal.record("disp", "gamma", {{"v", 2}}));  // a tinted table: not an original
    EXPECT_EQ(journal.original("disp", "gamma")->at("v"), 1);
    auto onDisk = nlohmann::json::parse(test::readFile(dir.file("state/originals.json")));
    EXPECT_EQ(onDisk["displays"]["disp"]["gamma"]["v"], 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("state/originals.json.tmp")));
}

TEST(OriginalsJournalTest, ANewRunFindsWhatAnUncleanRunLeft) {
    TempDir dir;
    {
        OriginalsJournal crashed(dir.file("o.json"), kHere);
        ASSERT_TRUE(crashed.open());
        crashed.record("a", "layout", {{"x", 5}});
    }
    OriginalsJournal next(dir.file("o.json"), kHere);
    ASSERT_TRUE(next.open());
    EXPECT_EQ(next.leftovers()["a"]["layout"]["x"], 5);
    EXPECT_TRUE(next.current().empty()) << "leftovers are not this run's originals";
    next.clear();
    EXPECT_FALSE(std::filesystem::exists(dir.file("o.json")));
}

TEST(OriginalsJournalTest, RecordsFromElsewhereOrUnreadableAreNotReturned) {
    struct Case {
        const char* what;
        std::string text;
        std::string discarded;
    };
    const std::string displays = R"("displays":{"a":{"gamma":{}}})";
    std::vector<Case> cases = {
        {"another machine", R"({"format":1,"machine":"machine-b","server":":1",)" + displays + "}",
         "the record of originals belongs to another machine"},
        {"another server", R"({"format":1,"machine":"machine-a","server":":7",)" + displays + "}",
         "the record of originals belongs to display server :7"},
        {"garbage", "{\"format\":1,", "the record of originals is unreadable"},
        {"future format", R"({"format":9,"machine":"machine-a","server":":1",)" + displays + "}",
         "the record of originals is unreadable"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        test::writeFile(dir.file("o.json"), c.text);
        OriginalsJournal journal(dir.file("o.json"), kHere);
        ASSERT_TRUE(journal.open()) << c.what;
        EXPECT_TRUE(journal.leftovers().empty()) << c.what;
        EXPECT_EQ(journal.discarded(), c.discarded) << c.what;
    }
}

TEST(OriginalsJournalTest, ForgettingTheLastOriginalRemovesTheFile) {
    TempDir dir;
    OriginalsJournal journal(dir.file("o.json"), kHere);
    ASSERT_TRUE(journal.open());
    journal.record("a", "gamma", 1);
    journal.record("a", "layout", 2);
    journal.forget("a", "gamma");
    EXPECT_TRUE(std::filesystem::exists(dir.file("o.json")));
    EXPECT_FALSE(journal.has("a", "gamma"));
    journal.forget("a", "layout");
    EXPECT_FALSE(std::filesystem::exists(dir.file("o.json")));
}

TEST(OriginalsJournalTest, ARecordThatCannotBeWrittenIsRefused) {
    TempDir dir;
    OriginalsJournal journal(dir.file("o.json"), kHere);
    ASSERT_TRUE(journal.open());
    // Something that is not a file stands where the record goes.
    test::writeFile(dir.file("o.json/occupied"), "x");
    EXPECT_FALSE(journal.record("a", "gamma", 1));
    EXPECT_FALSE(journal.has("a", "gamma"));
}

TEST(OriginalsJournalTest, StateFolderFollowsXdgStateHome) {
    const char* saved = std::getenv("XDG_STATE_HOME");
    std::string keep = saved ? saved : "";
    ::setenv("XDG_STATE_HOME", "/somewhere/state", 1);
    EXPECT_EQ(OriginalsJournal::stateDirectory(), std::filesystem::path("/somewhere/state/velvetpane"));
    ::setenv("XDG_STATE_HOME", "relative/ignored", 1);
    EXPECT_NE(OriginalsJournal::stateDirectory().string().find(".local/state/velvetpane"), std::string::npos);
    if (saved) ::setenv("XDG_STATE_HOME", keep.c_str(), 1);
    else ::unsetenv("XDG_STATE_HOME");
}

}  // namespace
}  // namespace vp
