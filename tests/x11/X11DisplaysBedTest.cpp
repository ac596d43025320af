#include "x11/X11BedFixture.h"

#include <set>

namespace vp::test {
namespace {

TEST_F(DummyBedTest, IdsSurviveARestartAndTheSerialZeroTwinsKeepTheirConnector) {
    std::map<std::string, DisplayID> first;
    {
        auto displays = open();
        for (DisplayID id : displays->onlineDisplays()) first[displays->connector(id)] = id;
    }
    ASSERT_EQ(first.size(), 3u);
    std::set<DisplayID> distinct;
    for (const auto& entry : first) distinct.insert(entry.second);
    EXPECT_EQ(distinct.size(), 3u) << "two identical monitors with serial 0 still get ids of their own";
    auto displays = open();
    for (DisplayID id : displays->onlineDisplays()) EXPECT_EQ(first[displays->connector(id)], id);
    const auto& screen = displays->screen();
    const auto* studio = screen.outputForDisplay(first["DUMMY0"]);
    const auto* twin = screen.outputForDisplay(first["DUMMY1"]);
    ASSERT_TRUE(studio && twin);
    EXPECT_EQ(studio->edid->serial, 700123u);
    EXPECT_EQ(twin->key.find("@DUMMY1") != std::string::npos, true);
    EXPECT_EQ(studio->key.find('@'), std::string::npos);
}

}  // namespace
}  // namespace vp::test
