#include "pip/PiPController.h"

#include "app/I18n.h"
#include "app/Log.h"

#include "display/ConfigScenario.h"
#include "support/TempDir.h"

#include <thread>

namespace vp::test {
namespace {

using Target = PiPController::Target;

constexpr std::int64_t kOwnPID = 4242;

nlohmann::json withWindows() {
    auto scenario = defaultScenario();
    scenario["capture"] = {{"windows",
                            {{{"id", 4711}, {"app", "Mail"}, {"title", "Inbox"}, {"pid", 501}, {"frame", {10, 10, 800, 600}}},
                             {{"id", 12}, {"app", "Notes"}, {"title", ""}, {"pid", 502}, {"frame", {0, 0, 100, 150}}},
                             {{"id", 90}, {"app", "Velvetpane"}, {"own", true}, {"frame", {0, 0, 480, 270}}},
                             {{"id", 91}, {"app", "Velvetpane"}, {"own", true}, {"frame", {0, 0, 220, 64}}}}}};
    return scenario;
}

struct PiP : ::testing::Test {
    TempDir home;
    Sim sim{withWindows(), SimOptions{home.path().string()}};
    std::string log() { return readFile(sim.context->log().path()); }
    PiPRegistry& pip() { return sim.context->pip(); }
    SimCapture& capture() { return sim.platform->simCapture; }
    std::shared_ptr<SimWindowRecord> panel() {
        auto panels = sim.platform->simWindows.openWindows(WindowRole::pip);
        return panels.empty() ? nullptr : panels.back();
    }
    void SetUp() override { sim.start(); }
};

TEST(PiPCapture, SizeIsTwiceThePointsButNeverWiderThan3840Pixels) {
    struct Case {
        double width, height;
        PiPController::CaptureSize expected;
    };
    const Case cases[] = {
        {2560, 1440, {3840, 2160}}, {1512, 982, {3024, 1964}}, {1920, 1080, {3840, 2160}}, {1000, 333.3, {2000, 666}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PiPController::captureSize(c.width, c.height), c.expected) << c.width << " × " << c.height;
}

TEST_F(PiP, ToggleOrTheCloseButtonClosesTheScreensPanelThatCapturesItWithoutOurWindows) {
    pip().toggle(Target::display(1), "Built-in");
    EXPECT_EQ(sim.manager().state().pipOpen, std::set<DisplayID>{1});
    sim.idle();

    ASSERT_TRUE(panel());
    const WindowConfig& c = panel()->config;
    double aspect = 982.0 / 1512.0;
    EXPECT_EQ(c.contentRect, (Rect{0, 0, 480, 480 * aspect}));
    EXPECT_EQ(c.sharingType, 0);  // never in any capture, its own included
    // Bottom-right of the main screen (3840 × 2160 at the origin).
    EXPECT_EQ(panel()->frame.x, 3840 - 480 - 24);
    EXPECT_EQ(panel()->frame.y, 24);
    EXPECT_TRUE(panel()->visible);

    ASSERT_EQ(capture().streams().size(), 1u);
    const SimStreamRecord& stream = *capture().streams().front();
    EXPECT_EQ(stream.filter.display, DisplayID(1));
    EXPECT_EQ(stream.filter.excludedWindows, (std::vector<WindowID>{90, 91})) << "our own windows are never captured";
    EXPECT_EQ(stream.config.width, 3024);
    EXPECT_TRUE(stream.running);
    EXPECT_EQ(panel()->framesShown, 1u);

    auto record = panel();
    pip().toggle(Target::display(1), "Built-in");
    EXPECT_TRUE(record->closed);
    EXPECT_TRUE(stream.stopped);
    EXPECT_TRUE(pip().active.empty());
    EXPECT_TRUE(sim.manager().state().pipOpen.empty());

    // Closed by its own close button, the panel is forgotten too.
    pip().toggle(Target::display(3), "Office");
    sim.idle();
    sim.platform->simWindows.userClose(panel());
    EXPECT_TRUE(pip().active.empty());
    EXPECT_TRUE(sim.manager().state().pipOpen.empty());
    EXPECT_TRUE(capture().streams().back()->stopped);
    capture().emitFrames();
    sim.idle();  // nothing left to deliver to
}

TEST_F(PiP, AWindowIsCapturedAtItsOwnAspectUnlessItClosedMeanwhile) {
    capture().windows.push_back({{77, {0, 0, 100, 80}, 0, std::string("Tiny"), 600, "Clock"}, false});
    pip().toggle(Target::window(77), "Clock");
    sim.idle();
    ASSERT_EQ(capture().streams().size(), 1u);
    EXPECT_EQ(capture().streams().front()->filter.window, WindowID(77));
    EXPECT_EQ(capture().streams().front()->config.height, 160);
    EXPECT_EQ(panel()->frame.height, 384);
    EXPECT_TRUE(sim.manager().state().pipOpen.empty());  // windows are not screens
    pip().toggle(Target::window(77), "Clock");

    capture().closeWindow(4711);
    pip().toggle(Target::window(4711), "Mail");
    sim.idle();
    // In the process's language, which another test may have chosen.
    EXPECT_EQ(sim.manager().state().lastError, L("Essa janela não está mais aberta."));
    EXPECT_TRUE(pip().active.empty());
    EXPECT_TRUE(sim.platform->simWindows.openWindows(WindowRole::pip).empty());
    EXPECT_EQ(capture().streams().size(), 1u);
}

TEST_F(PiP, ToggledOffBeforeItsContentArrivedNothingStarts) {
    capture().holdContent = true;
    pip().toggle(Target::display(1), "Built-in");
    pip().toggle(Target::display(1), "Built-in");
    capture().releaseContent();
    sim.idle();
    EXPECT_TRUE(capture().streams().empty());
    EXPECT_TRUE(pip().active.empty());

    // Closed and opened again before the first answer: only the new one starts.
    capture().holdContent = true;
    pip().toggle(Target::display(1), "Built-in");
    pip().toggle(Target::display(1), "Built-in");
    pip().toggle(Target::display(1), "Built-in");
    capture().releaseContent();
    sim.idle();
    EXPECT_EQ(capture().streams().size(), 1u);
    EXPECT_EQ(pip().active.size(), 1u);
}

TEST_F(PiP, ContentFailureAsksForAccessAndExplainsHowToGrantIt) {
    capture().screenRecordingAllowed = false;
    pip().toggle(Target::display(1), "Built-in");
    sim.idle();
    EXPECT_EQ(capture().accessRequests, 1u);
    EXPECT_NE(log().find("PiP: The user declined screen recording\n"), std::string::npos);
    ASSERT_TRUE(sim.manager().state().lastError);
    EXPECT_EQ(*sim.manager().state().lastError,
              L("Permita o Velvetpane em Gravação de Tela e reabra o app. Se já aparecer ativado, remova-o com “–” e "
                "permita de novo.") +
                  " (SimCaptureErrorDomain -3801)");
    EXPECT_TRUE(pip().active.empty());
    EXPECT_TRUE(sim.manager().state().pipOpen.empty());
}

TEST_F(PiP, StreamFailures) {
    // The frame output cannot be added: closed.
    capture().addOutputError = CaptureError{"D", 1, "no output"};
    pip().toggle(Target::display(1), "A");
    sim.idle();
    EXPECT_TRUE(pip().active.empty());
    capture().addOutputError.reset();

    // The capture cannot start: the panel stays, black.
    capture().startError = CaptureError{"D", 2, "no start"};
    pip().toggle(Target::display(1), "A");
    sim.idle();
    EXPECT_EQ(pip().active.size(), 1u);
    EXPECT_EQ(panel()->framesShown, 0u);
    EXPECT_NE(log().find("PiP: no output\n"), std::string::npos);
    EXPECT_NE(log().find("PiP: no start\n"), std::string::npos);
    capture().startError.reset();
    pip().toggle(Target::display(1), "A");

    // A running stream stops with an error: closed without a message.
    pip().toggle(Target::display(2), "B");
    sim.idle();
    capture().failStreams(CaptureError{"D", 3, "gone"});
    sim.idle();
    EXPECT_TRUE(pip().active.empty());
    EXPECT_FALSE(sim.manager().state().lastError);
}

// Only other applications' normal windows larger than 120 × 80, sorted by
// label ignoring case, equal labels in the service's order.
TEST(PiPWindowList, KeepsOtherApplicationsLargeNormalWindowsSortedByLabel) {
    auto small = [](WindowID id, double w, double h, int layer, std::optional<std::int64_t> pid) {
        return ShareableWindow{id, {0, 0, w, h}, layer, std::string("t"), pid, "Aardvark"};
    };
    std::vector<ShareableWindow> windows = {
        {1, {0, 0, 500, 500}, 0, std::string("B"), 500, "Zeta"},
        small(6, 120, 300, 0, 500), small(7, 300, 80, 0, 500), small(8, 300, 300, 3, 500),
        small(9, 300, 300, 0, std::nullopt), small(10, 300, 300, 0, kOwnPID),
        {2, {0, 0, 500, 500}, 0, std::string("A"), 500, "Mail"},
        {3, {0, 0, 500, 500}, 0, std::string("A"), 501, "mail"},
        {4, {0, 0, 500, 500}, 0, std::nullopt, 502, "Éclair"},
        {5, {0, 0, 121, 81}, 0, std::string(""), 503, "Eclair"},
    };
    std::vector<std::string> labels;
    for (const auto& item : listableWindows(windows, kOwnPID)) labels.push_back(item.label());
    EXPECT_EQ(labels, (std::vector<std::string>{"Eclair", "Éclair", "Mail \u2014 A", "mail \u2014 A", "Zeta \u2014 B"}));
}

TEST_F(PiP, ListWindowsAnswersOnTheMainQueueWithoutOurOwnWindowsOrExplainsAFailure) {
    std::optional<std::vector<PiPWindowItem>> listed;
    pip().listWindows([&](std::vector<PiPWindowItem> items) { listed = std::move(items); });
    EXPECT_FALSE(listed);
    sim.idle();
    ASSERT_TRUE(listed);
    EXPECT_EQ(*listed, (std::vector<PiPWindowItem>{{4711, "Mail", "Inbox"}}));

    // A failed list is empty and explained.
    capture().contentError = CaptureError{"SCStreamErrorDomain", -3817, "stopped"};
    listed.reset();
    pip().listWindows([&](std::vector<PiPWindowItem> items) { listed = std::move(items); });
    sim.idle();
    ASSERT_TRUE(listed);
    EXPECT_TRUE(listed->empty());
    EXPECT_EQ(capture().accessRequests, 0u);  // access is granted; nothing to ask
    ASSERT_TRUE(sim.manager().state().lastError);
    EXPECT_TRUE(sim.manager().state().lastError->ends_with(" (SCStreamErrorDomain -3817)"));
    EXPECT_NE(log().find("PiP lista: stopped\n"), std::string::npos);
}

// Content answers and frames on their own threads, as on a real system.
TEST(PiPThreads, FramesAndAnswersFromOtherThreadsOnlyReachLiveControllersOnTheMainQueue) {
    Started sim(withWindows());
    SimCapture& capture = sim.platform->simCapture;
    capture.threaded = true;
    PiPRegistry& pip = sim.context->pip();
    auto settle = [&](const std::function<bool()>& done) {
        for (int i = 0; i < 2000 && !done(); ++i) {
            sim.idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done();
    };

    pip.toggle(Target::display(3), "Office");
    pip.toggle(Target::window(4711), "Mail");
    ASSERT_TRUE(settle([&] { return capture.runningStreams().size() == 2; }));
    for (int i = 0; i < 20; ++i) capture.emitFrames();
    pip.toggle(Target::window(4711), "Mail");  // frames still in flight for it
    for (int i = 0; i < 20; ++i) capture.emitFrames();
    auto panels = sim.platform->simWindows.openWindows(WindowRole::pip);
    ASSERT_EQ(panels.size(), 1u);
    EXPECT_TRUE(settle([&] { return panels.front()->framesShown == 41; }));

    pip.toggle(Target::display(1), "Built-in");
    pip.toggle(Target::display(1), "Built-in");  // before the answer
    capture.failStreams(CaptureError{"D", 1, "gone"});
    EXPECT_TRUE(settle([&] { return pip.active.empty(); }));
}

}  // namespace
}  // namespace vp::test
