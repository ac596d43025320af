// Gamma and the record of originals against the Xorg dummy bed, checked
// with `xrandr --verbose`.

#include "display/Gamma.h"
#include "x11/X11BedFixture.h"

#include <xcb/randr.h>

#include <cmath>
#include <cstdlib>

namespace vp::test {
namespace {

GammaTable scaled(double r, double g, double b, std::size_t n = 256) {
    GammaTable t;
    for (std::size_t i = 0; i < n; ++i) {
        float x = float(double(i) / double(n - 1));
        t.r.push_back(float(x * r));
        t.g.push_back(float(x * g));
        t.b.push_back(float(x * b));
    }
    return t;
}

// A calibration loader's ramp, each channel bent its own way, in 16 bits.
struct Calibration {
    static double r(double x) { return x * x; }
    static double g(double x) { return 0.05 + 0.9 * x; }
    static double b(double x) { return 1 - (1 - x) * (1 - x); }
};

// The CRTC's ramp as the server has it, read and written with the test's
// own requests rather than the back-end's.
std::vector<std::vector<double>> serverRamp(const std::string& display, std::uint32_t crtc) {
    XClient client(display);
    xcb_connection_t* c = client.connection();
    auto* reply = xcb_randr_get_crtc_gamma_reply(c, xcb_randr_get_crtc_gamma(c, crtc), nullptr);
    std::vector<std::vector<double>> out(3);
    if (reply) {
        const std::uint16_t* channels[] = {xcb_randr_get_crtc_gamma_red(reply), xcb_randr_get_crtc_gamma_green(reply),
                                           xcb_randr_get_crtc_gamma_blue(reply)};
        for (int k = 0; k < 3; ++k)
            for (int i = 0; i < reply->size; ++i) out[std::size_t(k)].push_back(channels[k][i] / 65535.0);
    }
    std::free(reply);
    return out;
}

void loadCalibration(const std::string& display, std::uint32_t crtc, std::size_t size) {
    std::vector<std::uint16_t> r, g, b;
    for (std::size_t i = 0; i < size; ++i) {
        double x = double(i) / double(size - 1);
        r.push_back(std::uint16_t(std::lround(Calibration::r(x) * 65535)));
        g.push_back(std::uint16_t(std::lround(Calibration::g(x) * 65535)));
        b.push_back(std::uint16_t(std::lround(Calibration::b(x) * 65535)));
    }
    XClient client(display);
    xcb_randr_set_crtc_gamma(client.connection(), crtc, std::uint16_t(size), r.data(), g.data(), b.data());
    client.sync();
}

TEST_F(DummyBedTest, WarmthGoesThroughTheCalibrationAndTheCalibrationComesBack) {
    std::uint32_t crtc = 0;
    std::size_t size = 0;
    {
        auto probe = open();
        const auto& screen = probe->screen();
        for (const auto& o : screen.outputs)
            if (o.name == "DUMMY0") crtc = o.crtc;
        ASSERT_NE(crtc, 0u);
        size = std::size_t(screen.crtc(crtc)->gammaSize);
        ASSERT_GE(size, 2u);
    }
    loadCalibration(bed().display(), crtc, size);
    const auto calibrated = serverRamp(bed().display(), crtc);
    {
        auto displays = open();
        Gamma gamma(*displays);
        gamma.apply(byConnector(*displays, "DUMMY0"), 1.0, 1.0, 0.5);
        ASSERT_TRUE(displays->flushGamma());
        auto warm = serverRamp(bed().display(), crtc);
        ASSERT_EQ(warm[0].size(), size);
        for (std::size_t i = 0; i < size; i += 15) {
            double x = double(i) / double(size - 1);
            EXPECT_NEAR(warm[0][i], Calibration::r(x), 2e-3) << i;
            EXPECT_NEAR(warm[1][i], Calibration::g(0.82 * x), 2e-3) << i;
            EXPECT_NEAR(warm[2][i], Calibration::b(0.5 * x), 2e-3) << i;
        }
    }
    // Quitting puts the calibration back, not identity.
    EXPECT_EQ(serverRamp(bed().display(), crtc), calibrated);
}

TEST_F(DummyBedTest, TablesOfAnotherSizeAreResampledToTheCrtcsRamp) {
    auto displays = open();
    DisplayID studio = byConnector(*displays, "DUMMY0");
    ASSERT_EQ(displays->writeGamma(studio, scaled(0.25, 0.25, 0.25, 16)), 0);
    ASSERT_TRUE(displays->flushGamma());
    EXPECT_EQ(verboseField("DUMMY0", "Brightness"), "0.25");
    GammaTable broken = scaled(1, 1, 1);
    broken.g.pop_back();
    EXPECT_EQ(displays->writeGamma(studio, broken), x11::kStatusIllegalArgument);
    EXPECT_EQ(displays->writeGamma(424242, scaled(1, 1, 1)), x11::kStatusIllegalArgument);
}

TEST_F(DummyBedTest, ARecordFromAnotherMachineIsDroppedNotApplied) {
    const std::string file = state.file("x11-originals_" + bed().display().substr(1) + ".json");
    writeFile(file, R"({"format":1,"machine":"elsewhere","server":")" + bed().display() +
                        R"(","displays":{"VPS-0a01-700123":{"layout":{"enabled":false,"primary":true}}}})");
    auto displays = open();
    ASSERT_FALSE(displays->notes().empty());
    EXPECT_NE(displays->notes().front().find("another machine"), std::string::npos);
    EXPECT_NE(xrandrLine("DUMMY0").find("primary 1920x1080+0+0"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(DummyBedTest, ASecondInstanceNeitherRestoresNorRecords) {
    auto first = open();
    DisplayID twin = byConnector(*first, "DUMMY1");
    ASSERT_EQ(first->writeGamma(twin, scaled(0.5, 0.5, 0.5)), 0);
    ASSERT_TRUE(first->flushGamma());
    {
        auto second = open();
        ASSERT_FALSE(second->notes().empty());
        EXPECT_NE(second->notes().front().find("another instance"), std::string::npos);
        EXPECT_EQ(verboseField("DUMMY1", "Brightness"), "0.50") << "the first instance's tint stays";
    }
    EXPECT_EQ(verboseField("DUMMY1", "Brightness"), "0.50") << "the second instance's end undoes nothing";
    first.reset();
    EXPECT_EQ(verboseField("DUMMY1", "Brightness"), "1.0");
}

}  // namespace
}  // namespace vp::test
