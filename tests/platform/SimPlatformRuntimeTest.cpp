#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

// The program runs the simulated displays on a real-time runtime; the
// simulated parts must then post to that runtime, not to the virtual queue.
TEST(SimPlatformRuntime, GivenRuntimeIsHandedOutAndUsedByTheSimulatedParts) {
    VirtualClock clock;
    VirtualMainQueue main(clock);
    ManualSerialQueue ddc;
    VirtualSleeper sleeper(clock);
    SimPlatform platform(SimOptions{}, Runtime{main, ddc, clock, sleeper});
    platform.loadScenarioFile(SimPlatform::defaultScenarioPath());

    Runtime rt = platform.runtime();
    EXPECT_EQ(&rt.main, &main);
    EXPECT_EQ(&rt.ddc, &ddc);
    EXPECT_EQ(&rt.clock, &clock);
    EXPECT_EQ(platform.manualDDC(), nullptr);

    auto window = platform.windows().createWindow(WindowConfig{});
    bool faded = false;
    window->fadeOut(0.35, [&] { faded = true; });
    EXPECT_FALSE(platform.mainQueue.hasPendingWork());
    main.advance(Seconds(0.4));
    EXPECT_TRUE(faded);
}

}  // namespace
}  // namespace vp
