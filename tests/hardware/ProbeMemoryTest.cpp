#include "hardware/ProbeMemory.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

using test::TempDir;

const Bytes kFirst = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 1, 2, 3};
const Bytes kTwin = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 1, 2, 4};

RememberedProbe probe(double brightness) {
    RememberedProbe p;
    p.brightness = brightness;
    p.volume = 0.25;
    p.input = 0x0F;
    p.maxima = {{0x10, 100}, {0x62, 80}};
    return p;
}

TEST(ProbeMemory, RemembersEachMonitorAcrossRunsByItsWholeEdid) {
    TempDir dir;
    const std::string path = dir.file("state/velvetpane/ddc-probes.json");
    {
        ProbeMemory memory(path);
        memory.remember(kFirst, probe(0.5));
        RememberedProbe twin = probe(0.9);
        twin.volume.reset();
        twin.input.reset();
        memory.remember(kTwin, twin);
    }
    ProbeMemory later(path);
    EXPECT_EQ(later.recall(kFirst), probe(0.5));
    ASSERT_TRUE(later.recall(kTwin));
    EXPECT_FALSE(later.recall(kTwin)->volume);
    EXPECT_DOUBLE_EQ(later.recall(kTwin)->brightness, 0.9);
    EXPECT_FALSE(later.recall({0x00, 0xFF}));

    later.forget(kFirst);
    EXPECT_FALSE(ProbeMemory(path).recall(kFirst));
    EXPECT_TRUE(ProbeMemory(path).recall(kTwin));
}

TEST(ProbeMemory, ValuesSetLaterAreWhatTheNextRunStartsFrom) {
    TempDir dir;
    const std::string path = dir.file("ddc-probes.json");
    ProbeMemory(path).remember(kFirst, probe(0.5));
    {
        ProbeMemory memory(path);
        memory.noteWritten(kFirst, 0x10, 30);
        memory.noteWritten(kFirst, 0x62, 200);   // above the maximum: clamped
        memory.noteWritten(kFirst, 0x60, 0x0111);
        memory.noteWritten(kFirst, 0x8D, 1);     // mute is not remembered
        memory.noteWritten(kTwin, 0x10, 99);     // never probed: nothing to update
    }
    auto later = ProbeMemory(path).recall(kFirst);
    ASSERT_TRUE(later);
    EXPECT_DOUBLE_EQ(later->brightness, 0.3);
    EXPECT_DOUBLE_EQ(*later->volume, 1.0);
    EXPECT_EQ(later->input, 0x11);
    EXPECT_EQ(later->maxima, probe(0.5).maxima);
    EXPECT_FALSE(ProbeMemory(path).recall(kTwin));
}

TEST(ProbeMemory, AnUnreadableFileOrEntryMeansProbingAgain) {
    TempDir dir;
    const std::string path = dir.file("ddc-probes.json");
    test::writeFile(path, "{ not json");
    EXPECT_FALSE(ProbeMemory(path).recall(kFirst));

    test::writeFile(path, "{\"" + ProbeMemory::key(kFirst) + "\": {\"maxima\": {}}, \"" + ProbeMemory::key(kTwin) +
                              "\": {\"brightness\": 0.5, \"maxima\": {\"10\": 100, \"zz9\": 3, \"zz\": 4, \"62\": \"x\"}}}");
    ProbeMemory memory(path);
    EXPECT_FALSE(memory.recall(kFirst));
    ASSERT_TRUE(memory.recall(kTwin));
    EXPECT_EQ(memory.recall(kTwin)->maxima, (std::map<std::uint8_t, int>{{0x10, 100}}));
}

}  // namespace
}  // namespace vp
