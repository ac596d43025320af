// What the X11 back-end tells the desktop's colour management about a
// display: its EDID as the output gives it, and the profile a calibration
// loader left on the root window for its Xinerama screen.

#include "platform/linux/x11/RootProfiles.h"
#include "x11/X11BedFixture.h"

#include <cstdlib>

namespace vp::test {
namespace {

using x11::RandrCrtc;
using x11::RandrOutput;
using x11::RandrScreen;

RandrScreen threeOutputs(x11::XId primary) {
    RandrScreen s;
    s.crtcs = {RandrCrtc{10, 0, 0, 100, 100, 1, x11::kRotateNormal, {100}, {}, 256},
               RandrCrtc{11, 0, 0, 0, 0, 0, x11::kRotateNormal, {}, {}, 256},
               RandrCrtc{12, 100, 0, 100, 100, 1, x11::kRotateNormal, {102}, {}, 256}};
    auto output = [](x11::XId id, x11::XId crtc, DisplayID display) {
        RandrOutput o;
        o.id = id;
        o.connected = true;
        o.crtc = crtc;
        o.display = display;
        return o;
    };
    s.outputs = {output(100, 10, 1), output(101, 0, 2), output(102, 12, 3)};
    s.primary = primary;
    return s;
}

TEST(RootProfiles, ScreensAreNumberedPrimaryFirstThenByCrtc) {
    RandrScreen withPrimary = threeOutputs(102);
    EXPECT_EQ(x11::xineramaIndex(withPrimary, 3), 0);
    EXPECT_EQ(x11::xineramaIndex(withPrimary, 1), 1);
    EXPECT_EQ(x11::xineramaIndex(withPrimary, 2), std::nullopt) << "an output without a CRTC has no screen";
    EXPECT_EQ(x11::xineramaIndex(withPrimary, 9), std::nullopt);
    RandrScreen noPrimary = threeOutputs(0);
    EXPECT_EQ(x11::xineramaIndex(noPrimary, 1), 0);
    EXPECT_EQ(x11::xineramaIndex(noPrimary, 3), 1);
    // A primary output that is off does not take the first number.
    RandrScreen primaryOff = threeOutputs(101);
    EXPECT_EQ(x11::xineramaIndex(primaryOff, 1), 0);
    EXPECT_EQ(x11::xineramaIndex(primaryOff, 3), 1);
    EXPECT_EQ(x11::rootProfileName(0), "_ICC_PROFILE");
    EXPECT_EQ(x11::rootProfileName(2), "_ICC_PROFILE_2");
}

TEST_F(XvfbBedTest, RootProfilesAreReadFromTheRootWindowPropertyOfEachScreen) {
    x11::RootProfiles profiles(bed().display());
    EXPECT_TRUE(profiles.read(0).empty());

    XClient other(bed().display());
    std::vector<std::uint8_t> first(3000), second = {1, 2, 3};
    for (std::size_t i = 0; i < first.size(); ++i) first[i] = std::uint8_t(i * 7);
    other.setRootProperty("_ICC_PROFILE", first);
    other.setRootProperty("_ICC_PROFILE_1", second);
    EXPECT_EQ(profiles.read(0), first);
    EXPECT_EQ(profiles.read(1), second);
    EXPECT_TRUE(profiles.read(2).empty());

    x11::RootProfiles nowhere(":9999");
    EXPECT_TRUE(nowhere.read(0).empty());
}

TEST_F(DummyBedTest, EachDisplayGivesItsEdidAsTheOutputHasIt) {
    auto displays = open();
    for (const BedMonitor& m : bedMonitors()) {
        auto edid = displays->edid(byConnector(*displays, m.connector));
        ASSERT_GE(edid.size(), 128u) << m.connector;
        auto parsed = parseEdid(edid);
        ASSERT_TRUE(parsed) << m.connector;
        EXPECT_EQ(parsed->name, m.name);
    }
    EXPECT_TRUE(displays->edid(424242).empty());
}

}  // namespace
}  // namespace vp::test
