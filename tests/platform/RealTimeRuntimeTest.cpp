// The headless runtime on real hardware: a command-line run must wait for
// work that other threads hand back, and for timers that fall due, before it
// prints the state — and must not wait for a timer far in the future.

#include "platform/RealTimeRuntime.h"

#include <gtest/gtest.h>

namespace vp::test {
namespace {

TEST(RealTimeRuntime, WaitsForWorkerResultsAndDueTimersButNotForTheFarFuture) {
    RealTimeRuntime rt;
    std::vector<std::string> order;
    rt.ddc.async([&] {
        rt.sleeper.sleep(Seconds(0.03));
        rt.main.post([&] { order.push_back("ddc result"); });
    });
    rt.main.postAfter(Seconds(0.01), [&] { order.push_back("timer"); });
    auto cancelled = rt.main.postAfter(Seconds(0.005), [&] { order.push_back("cancelled"); });
    cancelled->cancel();
    rt.main.postAfter(Seconds(3600), [&] { order.push_back("far"); });
    rt.main.post([&] { order.push_back("first"); });

    const Seconds start = rt.clock.now();
    EXPECT_TRUE(rt.runUntilIdle(Seconds(2)));
    EXPECT_EQ(order, (std::vector<std::string>{"first", "timer", "ddc result"}));
    EXPECT_LT((rt.clock.now() - start).count(), 1.0) << "a timer past the limit is not waited for";
}

// Timers posted before `since` (a start's housekeeping) are not waited for,
// yet run when they fall due while later work is awaited.
TEST(RealTimeRuntime, TimersPostedBeforeTheWaitBeganAreNotAwaited) {
    RealTimeRuntime rt;
    std::vector<std::string> order;
    rt.main.postAfter(Seconds(0.02), [&] { order.push_back("housekeeping"); });
    rt.main.postAfter(Seconds(1.5), [&] { order.push_back("late housekeeping"); });
    rt.sleeper.sleep(Seconds(0.002));
    const Seconds since = rt.clock.now();
    rt.main.postAfter(Seconds(0.05), [&] { order.push_back("operation"); });
    const Seconds start = rt.clock.now();
    EXPECT_TRUE(rt.runUntilIdle(Seconds(5), since));
    EXPECT_EQ(order, (std::vector<std::string>{"housekeeping", "operation"}));
    EXPECT_LT((rt.clock.now() - start).count(), 1.0);
}

TEST(RealTimeRuntime, ARepeatingTimerRunsOnlyUntilTheLimit) {
    RealTimeRuntime rt;
    int runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        rt.main.postAfter(Seconds(0.01), again);
    };
    rt.main.post(again);
    const Seconds start = rt.clock.now();
    rt.runUntilIdle(Seconds(0.1));
    const double elapsed = (rt.clock.now() - start).count();
    EXPECT_GE(elapsed, 0.08);
    EXPECT_LT(elapsed, 1.0);
    EXPECT_GE(runs, 2);
}

}  // namespace
}  // namespace vp::test
