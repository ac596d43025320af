#include "hardware/ProbeMemory.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

const Bytes kFirst = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 1, 2, 3};
const Bytes kTwin = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 1, 2, 4};

// Where a run keeps the memory (the settings, in the program): each save
// replaces the text, and the next run starts from it.
struct Store {
    std::string text;
    int saves = 0;
    ProbeMemory open() {
        return ProbeMemory(text, [this](const std::string& saved) {
            text = saved;
            ++saves;
        });
    }
};

RememberedProbe probe(double brightness) {
    RememberedProbe p;
    p.brightness = brightness;
    p.volume = 0.25;
    p.input = 0x0F;
    p.maxima = {{0x10, 100}, {0x62, 80}};
    return p;
}

TEST(ProbeMemory, RemembersEachMonitorAcrossRunsByItsWholeEdid) {
    Store store;
    {
        ProbeMemory memory = store.open();
        memory.remember(kFirst, probe(0.5));
        RememberedProbe twin = probe(0.9);
        twin.volume.reset();
        twin.input.reset();
        memory.remember(kTwin, twin);
        memory.remember(kTwin, twin);  // unchanged: not saved again
    }
    EXPECT_EQ(store.saves, 2);
    ProbeMemory later = store.open();
    EXPECT_EQ(later.recall(kFirst), probe(0.5));
    ASSERT_TRUE(later.recall(kTwin));
    EXPECT_FALSE(later.recall(kTwin)->volume);
    EXPECT_DOUBLE_EQ(later.recall(kTwin)->brightness, 0.9);
    EXPECT_FALSE(later.recall({0x00, 0xFF}));

    later.forget(kFirst);
    EXPECT_FALSE(store.open().recall(kFirst));
    EXPECT_TRUE(store.open().recall(kTwin));
}

TEST(ProbeMemory, ValuesSetLaterAreWhatTheNextRunStartsFrom) {
    Store store;
    store.open().remember(kFirst, probe(0.5));
    {
        ProbeMemory memory = store.open();
        memory.noteWritten(kFirst, 0x10, 30);
        memory.noteWritten(kFirst, 0x62, 200);   // above the maximum: clamped
        memory.noteWritten(kFirst, 0x60, 0x0111);
        memory.noteWritten(kFirst, 0x8D, 1);     // mute is not remembered
        memory.noteWritten(kTwin, 0x10, 99);     // never probed: nothing to update
    }
    auto later = store.open().recall(kFirst);
    ASSERT_TRUE(later);
    EXPECT_DOUBLE_EQ(later->brightness, 0.3);
    EXPECT_DOUBLE_EQ(*later->volume, 1.0);
    EXPECT_EQ(later->input, 0x11);
    EXPECT_EQ(later->maxima, probe(0.5).maxima);
    EXPECT_FALSE(store.open().recall(kTwin));
}

TEST(ProbeMemory, UnreadableTextOrEntryMeansProbingAgain) {
    EXPECT_FALSE(ProbeMemory("{ not json").recall(kFirst));
    ProbeMemory memory("{\"" + ProbeMemory::key(kFirst) + "\": {\"maxima\": {}}, \"" + ProbeMemory::key(kTwin) +
                       "\": {\"brightness\": 0.5, \"maxima\": {\"10\": 100, \"zz9\": 3, \"zz\": 4, \"62\": \"x\"}}}");
    EXPECT_FALSE(memory.recall(kFirst));
    ASSERT_TRUE(memory.recall(kTwin));
    EXPECT_EQ(memory.recall(kTwin)->maxima, (std::map<std::uint8_t, int>{{0x10, 100}}));
}

}  // namespace
}  // namespace vp
