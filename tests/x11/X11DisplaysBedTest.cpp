#include "x11/X11BedFixture.h"

#include <set>

namespace vp::test {
namespace {

using x11::X11Displays;

TEST_F(DummyBedTest, ListsTheThreeMonitorsWithEdidNamesModesAndMain) {
    auto displays = open();
    ASSERT_TRUE(displays->ok()) << displays->problem();
    auto ids = displays->onlineDisplays();
    ASSERT_EQ(ids.size(), 3u);
    std::set<DisplayID> distinct(ids.begin(), ids.end());
    EXPECT_EQ(distinct.size(), 3u) << "two identical monitors with serial 0 still get ids of their own";
    for (const auto& expected : bedMonitors()) {
        DisplayID id = 0;
        for (DisplayID d : ids)
            if (displays->connector(d) == expected.connector) id = d;
        ASSERT_NE(id, 0u) << expected.connector;
        EXPECT_EQ(displays->name(id), expected.name);
        EXPECT_EQ(displays->bounds(id), (Rect{double(expected.x), 0, double(expected.width), double(expected.height)}));
        EXPECT_EQ(displays->isMain(id), expected.connector == "DUMMY0");
        EXPECT_TRUE(displays->isActive(id));
        EXPECT_EQ(displays->location(id), Location::external);
        EXPECT_EQ(displays->mirrorsDisplay(id), 0u);
        auto modes = displays->allModes(id);
        ASSERT_TRUE(modes && !modes->empty());
        int natives = 0;
        for (const auto& m : *modes)
            if (m.native) {
                ++natives;
                // The EDID's preferred timing is 1920x1080 at 60 Hz.
                EXPECT_EQ(m.width, 1920);
                EXPECT_EQ(m.height, 1080);
            }
        EXPECT_EQ(natives, 1);
        auto current = displays->currentMode(id);
        ASSERT_TRUE(current);
        EXPECT_EQ(current->width, expected.width);
        EXPECT_GT(current->refresh, 59.0);
        EXPECT_LT(current->refresh, 61.0);
    }
}

TEST_F(DummyBedTest, IdsSurviveARestartAndTheSerialZeroTwinsKeepTheirConnector) {
    std::map<std::string, DisplayID> first;
    {
        auto displays = open();
        for (DisplayID id : displays->onlineDisplays()) first[displays->connector(id)] = id;
    }
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
