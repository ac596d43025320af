#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace vp::test {
namespace {

using namespace std::chrono_literals;

TEST(VirtualTime, AdvancingByAwkwardAmountsEndsAndDelayedWorkRunsInOrder) {
    SimPlatform platform;
    for (int i = 0; i < 10; ++i) platform.advance(0.1s);
    EXPECT_NEAR(platform.clock.now().count(), 1.0, 1e-9);
    platform.advance(Seconds(1e-12));
    platform.advance(Seconds(0.3 + 1e-10));
    EXPECT_NEAR(platform.clock.now().count(), 1.3, 1e-9);

    // Delayed work runs in time order, and cancelled work never.
    std::vector<int> order;
    platform.mainQueue.postAfter(0.6s, [&] { order.push_back(2); });
    platform.mainQueue.postAfter(0.2s, [&] { order.push_back(1); });
    auto cancelled = platform.mainQueue.postAfter(0.4s, [&] { order.push_back(99); });
    cancelled->cancel();
    platform.advance(0.5s);
    EXPECT_EQ(order, std::vector<int>{1});
    EXPECT_TRUE(platform.runUntilIdle());
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_NEAR(platform.clock.now().count(), 1.9, 1e-9);
}

}  // namespace
}  // namespace vp::test
