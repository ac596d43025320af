#include "display/ConfigScenario.h"

namespace vp::test {
namespace {

using namespace std::chrono_literals;

// Records the virtual time of every change notification.
struct ChangeLog {
    explicit ChangeLog(Sim& sim)
        : clock(sim.platform->clock),
          connection(sim.manager().onChange([this] { times.push_back(clock.now().count()); })) {}
    VirtualClock& clock;
    std::vector<double> times;
    Signal::Connection connection;
};

struct Effects {
    std::size_t changes;
    std::size_t gammaWrites;
};

// Gamma writes observed on every display, to compare runs.
std::size_t gammaWrites(Sim& sim) {
    std::size_t n = 0;
    for (const auto& d : sim.displays().all()) n += d.gamma != d.profileGamma;
    return n;
}

TEST(RefreshScheduling, BurstOfFiveCallbacksGivesOneRefreshAfterTheLastAndBeginFlagsNone) {
    Started sim;
    ChangeLog log(sim);
    double first = sim.platform->clock.now().count();

    for (int i = 0; i < 5; ++i) {
        sim.displays().announce(2);
        sim.platform->advance(0.1s);
    }
    // The last callback came at first + 0.4 s; its quiet period ends at + 1.0 s.
    sim.platform->advance(0.49s);
    EXPECT_TRUE(log.times.empty());
    sim.platform->advance(0.02s);
    ASSERT_EQ(log.times.size(), 1u);
    EXPECT_NEAR(log.times[0] - first, 1.0, 1e-6);

    sim.platform->advance(5s);
    EXPECT_EQ(log.times.size(), 1u);

    // Callbacks further apart than the quiet period each refresh.
    sim.displays().announce(2);
    sim.platform->advance(0.7s);
    sim.displays().announce(3);
    sim.platform->advance(0.7s);
    EXPECT_EQ(log.times.size(), 3u);

    // The begin flag alone causes no refresh.
    sim.platform->advance(2s);
    sim.displays().deliver(2, kReconfigurationBeginFlag);
    sim.displays().deliver(3, kReconfigurationBeginFlag | 0x10);
    sim.platform->advance(2s);
    EXPECT_EQ(log.times.size(), 3u);
    sim.displays().deliver(2, 0x10);  // any change without the begin bit
    sim.platform->advance(0.6s);
    EXPECT_EQ(log.times.size(), 4u);
}

TEST(RefreshScheduling, BurstHasTheEffectsOfASingleReconfiguration) {
    auto run = [](int callbacks) {
        Sim sim;
        sim.manager().setPrefs("3C9B1E7A-5F42-4D08-A6E3-8F1C2B9D7E55", ScreenPrefs{1.0, 0.6, 0.5, false});
        sim.start();
        // Let the start-up gamma pass go by, then look only at the burst.
        for (auto& d : sim.displays().all()) d.gamma = d.profileGamma;
        ChangeLog log(sim);
        for (int i = 0; i < callbacks; ++i) {
            sim.displays().announce(2);
            sim.platform->advance(0.1s);
        }
        sim.idle();
        return Effects{log.times.size(), gammaWrites(sim)};
    };
    Effects one = run(1), burst = run(5);
    EXPECT_EQ(one.changes, 1u);
    EXPECT_EQ(burst.changes, one.changes);
    EXPECT_EQ(burst.gammaWrites, one.gammaWrites);
}

TEST(RefreshScheduling, PendingRefreshOutlivingTheManagerDoesNothing) {
    Started sim;
    sim.displays().announce(2);
    sim.platform->advance(0.1s);
    sim.context.reset();
    sim.displays().announce(3);
    sim.platform->advance(2s);
    EXPECT_FALSE(sim.platform->mainQueue.hasPendingWork());
}

TEST(RefreshScheduling, StartPublishesOnceAndLeavesNoRepeatingWork) {
    Sim sim;
    std::size_t changes = 0;
    auto connection = sim.manager().onChange([&] { ++changes; });
    sim.manager().start();
    EXPECT_EQ(changes, 1u);
    EXPECT_TRUE(sim.platform->runUntilIdle(10s));
}

}  // namespace
}  // namespace vp::test
