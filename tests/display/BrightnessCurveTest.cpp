#include "display/BrightnessCurve.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vp::curve {
namespace {

TEST(BrightnessCurve, CombinedDimmingSplitsTheSlider) {
    struct Case {
        double value;
        double hardware;
        double subDim;
    };
    const Case cases[] = {
        {1.0, 1.0, 1.0},   {0.6, 0.5, 1.0},  {0.2, 0.0, 1.0},
        {0.1, 0.0, std::pow(0.5, 1.6)}, {0.0, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        Split s = split(c.value, true);
        EXPECT_NEAR(s.hardware, c.hardware, 1e-12) << c.value;
        EXPECT_NEAR(s.subDim, c.subDim, 1e-12) << c.value;
    }
    EXPECT_NEAR(split(0.0345, true).subDim, 0.06, 0.001);
    EXPECT_EQ(split(0.1, false).hardware, 0.1);
    EXPECT_EQ(split(0.1, false).subDim, 1.0);
}

TEST(BrightnessCurve, StepsSnapToMultiplesAndClamp) {
    struct Case {
        double current, step, expected;
    };
    const Case cases[] = {
        {0.53, 0.1, 0.6}, {0.53, -0.1, 0.4}, {0.97, 0.1, 1.0},  {0.02, -0.1, 0.0},
        {0.5, 0.0625, 0.5625}, {0.03, -0.0625, 0.0}, {0.4, 0.0, 0.4},
    };
    for (const auto& c : cases) EXPECT_NEAR(snapStep(c.current, c.step), c.expected, 1e-12) << c.current << " " << c.step;
}

TEST(BrightnessCurve, ScalingRoundsHalvesAwayFromZero) {
    EXPECT_EQ(scale(0.555, 100), 56);
    EXPECT_EQ(scale(0.875, 100), 88);
    EXPECT_EQ(scale(0.5, 50), 25);
    EXPECT_EQ(scale(1.7, 100), 100);
    EXPECT_EQ(scale(-0.2, 100), 0);
}

}  // namespace
}  // namespace vp::curve
