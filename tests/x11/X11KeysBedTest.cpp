// The brightness keys end to end on the Xorg dummy bed: the program runs
// (`--headless --platform linux --until-signal`) while XTest presses the
// keys, and what they change is read back from the server (the outputs'
// gamma brightness) and from an emulated DDC/CI monitor paired with one of
// the outputs through a DRM connector of the same name. At quit the gamma
// the keys changed is given back.

#include "EmulatedMonitorPath.h"
#include "linux/FakeLinux.h"
#include "linux/SoundBed.h"
#include "x11/EdidBuilder.h"
#include "x11/ProgramRun.h"
#include "x11/X11BedFixture.h"

#include <optional>

#include <signal.h>
#include <sys/wait.h>

namespace vp::test {
namespace {

class X11KeysBedTest : public DummyBedTest {
protected:
    void SetUp() override {
        DummyBedTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // The dummy server's keyboard has no media keys: they are given the
        // keycodes a laptop's keyboard sends, before the program looks.
        bed().run("xmodmap -e 'keycode 232 = XF86MonBrightnessDown' -e 'keycode 233 = XF86MonBrightnessUp' "
                  "-e 'keycode 121 = XF86AudioMute' -e 'keycode 123 = XF86AudioRaiseVolume'");
        before_ = randrState(bed());
    }

    void press(const std::string& keys) { bed().run("xdotool key --delay 30 " + keys); }
    // Whether another client can take the key now (it cannot while the
    // program holds it).
    bool freeForOthers(const std::string& keysym) {
        const int code = bed().keycode(keysym);
        EXPECT_NE(code, 0) << keysym << " is on the bed's keyboard";
        return XClient(bed().display()).grabKey(code, 0);
    }

    std::string before_;
};

TEST_F(X11KeysBedTest, BrightnessKeysDimAndBrightenEveryScreenByGammaAndQuitGivesItBack) {
    Program program(bed().display());
    std::map<std::string, double> dimmed;
    ProgramRun r = program.run({"--until-signal"}, [&](pid_t pid) {
        EXPECT_FALSE(freeForOthers("XF86MonBrightnessDown")) << "the program holds the brightness keys";
        press("XF86MonBrightnessDown XF86MonBrightnessDown XF86MonBrightnessDown");
        for (const char* output : {"DUMMY0", "DUMMY1", "DUMMY2"}) {
            EXPECT_TRUE(eventually([&] { return brightness(output) > 0 && brightness(output) < 0.95; }))
                << output << " after three steps down: " << verboseField(output, "Brightness");
            dimmed[output] = brightness(output);
            EXPECT_EQ(verboseField(output, "Gamma"), "1.0:1.0:1.0") << "dimmed, not tinted";
        }
        press("XF86MonBrightnessUp");
        for (const char* output : {"DUMMY0", "DUMMY1", "DUMMY2"})
            EXPECT_TRUE(eventually([&] { return brightness(output) > dimmed[output] + 0.01; }))
                << output << " one step up: " << verboseField(output, "Brightness");
        ::kill(pid, SIGTERM);
    });
    ASSERT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGTERM) << r.err;
    auto state = r.state();
    EXPECT_NEAR(state["hud"]["value"].get<double>(), 1.0 - 2.0 / 16, 0.01) << "three steps down, one up: " << r.err;
    EXPECT_EQ(state["hud"]["icon"], "sun.max.fill");
    EXPECT_EQ(randrState(bed()), before_) << "the gamma the keys set is given back at quit";
    EXPECT_TRUE(freeForOthers("XF86MonBrightnessDown")) << "and the keys go back to the desktop";
}

// DUMMY0 shows the same EDID as an emulated monitor on the DRM connector of
// the same name, so the two are one screen.
struct PairedMonitor {
    FakeLinux fake;
    PairedMonitor() {
        const auto studio = makeEdid(EdidSpec{"VPS", 0x0A01, 700123, "Velvet Studio", "", 60, 34, 1920, 1080});
        fake.addConnector("card0-DUMMY0", studio, 3);
        fake.addMonitor(3, studio, "", "vcp 10 60 100\nvcp 62 20 100\nvcp 8d 2 2\n");
    }
    int value(std::uint8_t code) { return fake.values(3)[code]; }
    std::vector<std::string> environment(const std::string& soundRemote) const {
        return {"VELVETPANE_SYSFS_ROOT=" + fake.sysfs(), "VELVETPANE_DEV_ROOT=" + fake.dev(),
                std::string("LD_PRELOAD=") + VELVETPANE_EMULATED_MONITOR, "PIPEWIRE_REMOTE=" + soundRemote};
    }
};

// The keys step the paired monitor over DDC/CI and the unpaired outputs by
// gamma. Volume reaches the monitor too, but not by its keys: X gives a
// grabbed key to no one else, and without a sound server where the sound
// plays is unknown, so the volume and mute keys stay with the desktop.
TEST_F(X11KeysBedTest, AMonitorPairedWithAnOutputIsSteppedOverDdcWhileTheVolumeKeysStayWithTheDesktop) {
    PairedMonitor monitor;
    FakeLinux& fake = monitor.fake;
    TempDir nowhere;
    Program program(bed().display(), monitor.environment(nowhere.file("pipewire-0")));

    ProgramRun listed = program.run({});
    const auto screens = listed.state()["screens"];
    std::string id;
    for (const auto& s : screens)
        if (s["name"] == "Velvet Studio") id = std::to_string(s["id"].get<DisplayID>());
    ASSERT_FALSE(id.empty()) << listed.out << listed.err;

    ProgramRun r = program.run({"--do", "setVolume " + id + " 0.5", "--until-signal"}, [&](pid_t pid) {
        press("XF86MonBrightnessDown XF86MonBrightnessDown");
        EXPECT_TRUE(eventually([&] { return fake.values(3)[0x10] > 0 && fake.values(3)[0x10] < 60; }))
            << "the monitor's own brightness register";
        EXPECT_TRUE(eventually([&] { return brightness("DUMMY1") > 0 && brightness("DUMMY1") < 0.95; }))
            << "the unpaired twin by gamma: " << verboseField("DUMMY1", "Brightness");
        EXPECT_EQ(brightness("DUMMY0"), 1.0) << "the paired output is dimmed by the monitor, not by gamma";
        EXPECT_TRUE(freeForOthers("XF86AudioRaiseVolume"));
        EXPECT_TRUE(freeForOthers("XF86AudioMute"));
        ::kill(pid, SIGTERM);
    });
    ASSERT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGTERM) << r.err;
    EXPECT_EQ(fake.values(3)[0x62], 50) << "volume over DDC/CI";
    EXPECT_LT(fake.values(3)[0x10], 60) << "the monitor keeps the brightness the user chose";
    EXPECT_EQ(randrState(bed()), before_);
}

// With the desktop's sound on the monitor's HDMI output the volume and mute
// keys drive the monitor; the moment the user moves the sound elsewhere
// they go back to the desktop's mixer, and come back with the sound.
TEST_F(X11KeysBedTest, TheVolumeKeysDriveTheMonitorOnlyWhileTheSoundPlaysOnIt) {
    std::string why;
    auto sound = SoundBed::start(why);
    if (!sound) GTEST_SKIP() << why;
    ASSERT_TRUE(sound->setDefault(SoundBed::hdmiSink));
    PairedMonitor monitor;
    Program program(bed().display(), monitor.environment(sound->remote()));

    ProgramRun r = program.run({"--until-signal"}, [&](pid_t pid) {
        EXPECT_TRUE(eventually([&] { return !freeForOthers("XF86AudioRaiseVolume"); })) << "taken with the sound";
        press("XF86AudioRaiseVolume");
        EXPECT_TRUE(eventually([&] { return monitor.value(0x62) > 20; })) << "the monitor's volume register";
        press("XF86AudioMute");
        EXPECT_TRUE(eventually([&] { return monitor.value(0x8d) == 1; })) << "the monitor's mute register";

        ASSERT_TRUE(sound->setDefault(SoundBed::analogSink));
        EXPECT_TRUE(eventually([&] { return freeForOthers("XF86AudioRaiseVolume"); })) << "back to the desktop";
        EXPECT_TRUE(freeForOthers("XF86AudioMute"));
        EXPECT_FALSE(freeForOthers("XF86MonBrightnessDown")) << "the brightness keys stay ours throughout";

        ASSERT_TRUE(sound->setDefault(SoundBed::hdmiSink));
        EXPECT_TRUE(eventually([&] { return !freeForOthers("XF86AudioMute"); })) << "taken again";
        press("XF86AudioMute");
        EXPECT_TRUE(eventually([&] { return monitor.value(0x8d) == 2; })) << "unmuted";
        ::kill(pid, SIGTERM);
    });
    ASSERT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == SIGTERM) << r.err;
    EXPECT_EQ(r.state()["hud"]["icon"], "speaker.wave.1.fill") << r.err;
    EXPECT_TRUE(freeForOthers("XF86AudioMute")) << "every key goes back at quit";
}

}  // namespace
}  // namespace vp::test
