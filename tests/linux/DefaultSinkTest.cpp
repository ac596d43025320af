// Where the desktop's sound plays, as the volume keys need it: read from a
// sink's properties, and followed live on a private PipeWire as the user
// picks another output.

#include "linux/SoundBed.h"
#include "platform/RealTimeRuntime.h"
#include "platform/linux/audio/DefaultSink.h"
#include "platform/linux/audio/SinkTransport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vp::test {
namespace {

using audio::Properties;

TEST(SinkTransport, SinksOfRealDesktopsReadAsWhereTheyPlay) {
    const std::pair<Properties, AudioTransport> cases[] = {
        {{{"node.name", "alsa_output.pci-0000_01_00.1.hdmi-stereo-extra2"}, {"device.api", "alsa"}},
         AudioTransport::hdmi},
        {{{"node.name", "alsa_output.pci-0000_00_1f.3.pro-output-3"}, {"api.alsa.path", "hdmi:0,2"}},
         AudioTransport::hdmi},
        {{{"node.name", "alsa_output.platform-sound.stereo"}, {"node.description", "DisplayPort Audio"}},
         AudioTransport::displayPort},
        {{{"node.name", "alsa_output.pci-0000_00_1f.3.analog-stereo"}, {"device.api", "alsa"}},
         AudioTransport::builtIn},
        // A USB headset or a Bluetooth speaker is never the monitor, whatever its name says.
        {{{"node.name", "alsa_output.usb-Focusrite_Scarlett-00.analog-stereo"}}, AudioTransport::usb},
        {{{"node.name", "alsa_output.pci-0000_05_00.0.hdmi"}, {"device.bus", "usb"}}, AudioTransport::usb},
        {{{"node.name", "bluez_output.00_1B_66_AA_BB_CC.1"}, {"device.api", "bluez5"}}, AudioTransport::bluetooth},
        {{{"node.name", "combined-sink"}}, AudioTransport::other},
        {{}, AudioTransport::other},
    };
    for (const auto& [sink, expected] : cases) {
        SCOPED_TRACE(sink.empty() ? "(no properties)" : sink.begin()->second);
        EXPECT_EQ(audio::transportOfSink(sink), expected);
    }
}

TEST(SinkTransport, OnlyANamedObjectIsADefaultSink) {
    EXPECT_EQ(audio::defaultSinkName(R"({"name":"alsa_output.x"})"), "alsa_output.x");
    for (const char* bad : {"", "alsa_output.x", "{\"name\":3}", "{\"nick\":\"x\"}", "[\"name\"]", "{\"name\":"})
        EXPECT_EQ(audio::defaultSinkName(bad), std::nullopt) << bad;
    EXPECT_EQ(audio::defaultSinkName(nullptr), std::nullopt);
}

struct Followed {
    RealTimeRuntime runtime;
    audio::DefaultSink sink;
    int changes = 0;
    explicit Followed(const std::string& remote) : sink(runtime.main, remote) {
        sink.watch([this] { ++changes; });
    }
    // Runs the main queue until the answer is `expected`; false after 5 s.
    bool reaches(std::optional<AudioTransport> expected) {
        for (int i = 0; i < 50; ++i) {
            runtime.runUntilIdle(Seconds(0.1));
            if (sink.transport() == expected) return true;
            // An idle queue returns at once; PipeWire's answer is still on its way.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
};

TEST(DefaultSink, FollowsTheUsersChoiceOfOutputAndForgetsItWhenPipeWireGoes) {
    std::string why;
    auto bed = SoundBed::start(why);
    if (!bed) GTEST_SKIP() << why;
    Followed followed(bed->remote());
    EXPECT_TRUE(followed.reaches(std::nullopt)) << "no default sink yet";

    ASSERT_TRUE(bed->setDefault(SoundBed::hdmiSink));
    EXPECT_TRUE(followed.reaches(AudioTransport::hdmi));
    const int seen = followed.changes;
    EXPECT_GE(seen, 1) << "the change is announced on the main queue";

    ASSERT_TRUE(bed->setDefault(SoundBed::analogSink));
    EXPECT_TRUE(followed.reaches(AudioTransport::builtIn));
    EXPECT_GT(followed.changes, seen);

    // A default that names no sink (unplugged since) is not a place sound plays.
    ASSERT_TRUE(bed->setDefault("alsa_output.gone"));
    EXPECT_TRUE(followed.reaches(std::nullopt));

    ASSERT_TRUE(bed->setDefault(SoundBed::hdmiSink));
    ASSERT_TRUE(followed.reaches(AudioTransport::hdmi));
    bed->kill();
    EXPECT_TRUE(followed.reaches(std::nullopt));
}

TEST(DefaultSink, WithoutPipeWireWhereTheSoundPlaysIsUnknown) {
    TempDir nowhere;
    RealTimeRuntime runtime;
    audio::DefaultSink sink(runtime.main, nowhere.file("pipewire-0"));
    runtime.runUntilIdle(Seconds(0.2));
    EXPECT_EQ(sink.transport(), std::nullopt);
}

}  // namespace
}  // namespace vp::test
