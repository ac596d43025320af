// Key grabs and the compositor watch on a private Xvfb: keys pressed through
// XTest reach the grabber with their modifiers, a key another client holds is
// reported while the others work, and a compositor starting and stopping is
// followed live.

#include "platform/linux/x11/CompositorWatch.h"
#include "platform/linux/x11/KeyGrabber.h"
#include "platform/linux/x11/X11Input.h"
#include "platform/RealTimeRuntime.h"
#include "x11/X11BedFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vp::test {
namespace {

using namespace std::chrono_literals;
using x11::KeyPress;
namespace keysym = x11::keysym;
namespace modifier = x11::modifier;

class XvfbInputTest : public XvfbBedTest {
protected:
    // Waits (real time, bounded) until `done` holds.
    template <class Done>
    bool waitFor(Done done) {
        std::unique_lock lock(mutex_);
        return seen_.wait_for(lock, 5s, done);
    }
    void record(const KeyPress& press) {
        std::lock_guard lock(mutex_);
        presses_.push_back(press);
        seen_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable seen_;
    std::vector<KeyPress> presses_;
};

TEST_F(XvfbInputTest, GrabbedKeysArriveWithTheirModifiersWhateverLockIsOn) {
    x11::KeyGrabber grabber(bed().display(), modifier::shift | modifier::mod1,
                            [this](const KeyPress& p) { record(p); });
    ASSERT_EQ(grabber.problem(), "");
    auto result = grabber.hold({keysym::monBrightnessUp, keysym::audioMute});
    EXPECT_EQ(result[keysym::monBrightnessUp], "");
    EXPECT_EQ(result[keysym::audioMute], "");

    bed().run("xdotool key XF86MonBrightnessUp");
    ASSERT_TRUE(waitFor([&] { return presses_.size() >= 2; }));
    EXPECT_EQ(presses_[0].key, keysym::monBrightnessUp);
    EXPECT_TRUE(presses_[0].pressed);
    EXPECT_FALSE(presses_[1].pressed);
    EXPECT_EQ(presses_[0].modifiers, 0);

    bed().run("xdotool key shift+alt+XF86AudioMute");
    ASSERT_TRUE(waitFor([&] { return presses_.size() >= 4; }));
    EXPECT_EQ(presses_[2].key, keysym::audioMute);
    EXPECT_EQ(presses_[2].modifiers, modifier::shift | modifier::mod1);

    bed().run("xdotool key Num_Lock XF86MonBrightnessUp Num_Lock");
    ASSERT_TRUE(waitFor([&] { return presses_.size() >= 6; })) << "NumLock on must not lose the grab";
    EXPECT_EQ(presses_[4].modifiers, 0) << "the lock is not a modifier the core sees";
}

TEST_F(XvfbInputTest, AKeyHeldElsewhereIsReportedAndTheOthersStillWork) {
    XClient other(bed().display());
    ASSERT_TRUE(other.grabKey(bed().keycode("XF86AudioRaiseVolume")));

    x11::KeyGrabber grabber(bed().display(), 0, [this](const KeyPress& p) { record(p); });
    auto result = grabber.hold({keysym::audioRaiseVolume, keysym::monBrightnessDown});
    EXPECT_EQ(result[keysym::audioRaiseVolume], "held by another program");
    EXPECT_EQ(result[keysym::monBrightnessDown], "");
    EXPECT_EQ(grabber.held(), std::set<x11::KeySym>{keysym::monBrightnessDown});

    bed().run("xdotool key XF86AudioRaiseVolume XF86MonBrightnessDown");
    ASSERT_TRUE(waitFor([&] { return presses_.size() >= 2; }));
    for (const auto& p : presses_) EXPECT_EQ(p.key, keysym::monBrightnessDown);
}

TEST_F(XvfbInputTest, TheInputServiceDeliversSemanticKeysOnTheMainQueueAndNamesHeldKeys) {
    x11::KeyGrabber desktop(bed().display(), 0, [](const KeyPress&) {});
    ASSERT_EQ(desktop.hold({keysym::audioMute})[keysym::audioMute], "");

    RealTimeRuntime rt;
    // A PipeWire socket nobody serves: the developer's own sound stays out.
    audio::DefaultSink sound(rt.main, "/nonexistent/pipewire-0");
    x11::X11Input input(bed().display(), rt.main, sound);
    std::vector<KeyEvent> events;
    auto watch = input.watchKeys({Key::brightnessDown, Key::mute}, [&](const KeyEvent& e) {
        events.push_back(e);
        return true;
    }, {});
    ASSERT_TRUE(watch);
    auto problems = input.keyProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].first, Key::mute);
    EXPECT_NE(problems[0].second.find("held by another program"), std::string::npos);

    bed().run("xdotool key shift+alt+XF86MonBrightnessDown");
    for (int i = 0; i < 250 && events.size() < 2; ++i) {
        std::this_thread::sleep_for(20ms);
        rt.runUntilIdle(Seconds(1));
    }
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].key, Key::brightnessDown);
    EXPECT_TRUE(events[0].pressed);
    EXPECT_TRUE(events[0].fine);
    EXPECT_FALSE(events[1].pressed);

    watch.reset();
    x11::KeyGrabber after(bed().display(), 0, [](const KeyPress&) {});
    EXPECT_EQ(after.hold({keysym::monBrightnessDown})[keysym::monBrightnessDown], "") << "the watch released its grab";
}

TEST_F(XvfbInputTest, ACompositorStartingAndStoppingIsFollowed) {
    std::mutex m;
    std::vector<bool> changes;
    x11::CompositorWatch watch(bed().display(), [&](bool present) {
        std::lock_guard lock(m);
        changes.push_back(present);
        seen_.notify_all();
    });
    ASSERT_EQ(watch.problem(), "");
    EXPECT_FALSE(watch.present());
    const std::string pid = bed().run("xcompmgr >/dev/null 2>&1 & echo $!");
    ASSERT_TRUE(eventually([&] { return watch.present(); })) << "xcompmgr took the selection";
    bed().run("kill " + pid);
    EXPECT_TRUE(eventually([&] { return !watch.present(); }));
    std::lock_guard lock(m);
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace vp::test
