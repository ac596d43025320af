#include "FakeLinux.h"
#include "platform/linux/Edid.h"
#include "x11/EdidBuilder.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

using test::EdidSpec;
using test::makeEdid;

EdidSpec named(const std::string& name) {
    EdidSpec spec;
    spec.name = name;
    return spec;
}

// The checksum made right again after a byte was changed on purpose.
void resum(Bytes& bytes) {
    unsigned sum = 0;
    for (int i = 0; i < 127; ++i) sum += bytes[i];
    bytes[127] = std::uint8_t((256 - sum % 256) % 256);
}

TEST(Edid, ReadsIdentityNameSerialTextSizeAndPreferredTiming) {
    auto info = parseEdid(makeEdid(EdidSpec{"VPS", 0x0A01, 700123, "Velvet Studio", "SN-42", 60, 34, 2560, 1440}));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->manufacturer, "VPS");
    EXPECT_EQ(info->vendor, std::uint32_t(('V' - 'A' + 1) << 10 | ('P' - 'A' + 1) << 5 | ('S' - 'A' + 1)));
    EXPECT_EQ(info->product, 0x0A01u);
    EXPECT_EQ(info->serial, 700123u);
    EXPECT_EQ(info->name, "Velvet Studio");
    EXPECT_EQ(info->problem, "");
    EXPECT_EQ(displayName(*info), "Velvet Studio");
    EXPECT_EQ(info->serialText, "SN-42");
    EXPECT_EQ(info->widthMM, 600);
    EXPECT_EQ(info->heightMM, 340);
    ASSERT_TRUE(info->preferred);
    EXPECT_EQ(info->preferred->width, 2560);
    EXPECT_EQ(info->preferred->height, 1440);
    EXPECT_NEAR(info->preferred->refresh, 148.5e6 / ((2560 + 280) * (1440 + 45)), 1e-9);
}

// Without a detailed timing the size comes from the block's centimetres.
TEST(Edid, SizeFallsBackToCentimetresWithoutATiming) {
    auto info = parseEdid(makeEdid("DEL", 1, 2, "Plain"));
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->preferred);
    EXPECT_EQ(info->widthMM, 0);
    Bytes sized = makeEdid("DEL", 1, 2, "Plain");
    sized[21] = 34;
    sized[22] = 19;
    resum(sized);
    info = parseEdid(sized);
    EXPECT_EQ(info->widthMM, 340);
    EXPECT_EQ(info->heightMM, 190);
}

TEST(Edid, NameDescriptorIsTrimmedMayFillAllThirteenBytesAndHidesUnprintables) {
    struct Case {
        std::string name, expected;
    };
    for (const Case& c : {Case{"Short  ", "Short"}, Case{"ThirteenChars", "ThirteenChars"}, Case{"", ""}}) {
        auto info = parseEdid(makeEdid(named(c.name)));
        ASSERT_TRUE(info) << c.name;
        EXPECT_EQ(info->name, c.expected);
    }
    auto bytes = makeEdid(named("Ab"));
    bytes[72 + 5] = 0x07;
    resum(bytes);
    EXPECT_EQ(parseEdid(bytes)->name, "?b");
}

TEST(Edid, ExtensionBlocksAfterTheBaseBlockAreIgnored) {
    EdidSpec spec;
    spec.serial = 9;
    auto bytes = makeEdid(spec);
    bytes.resize(256, 0xAB);
    auto info = parseEdid(bytes);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->serial, 9u);
    EXPECT_EQ(info->problem, "");
    EXPECT_TRUE(info->preferred);
}

TEST(Edid, DamagedBlocksKeepTheirIdentityButNotTheirName) {
    EdidSpec wide = named("Wide");
    wide.vendor = "GSM";
    wide.product = 0x5B7F;
    wide.serial = 7;
    Bytes sound = makeEdid(wide);
    Bytes badChecksum = sound;
    badChecksum[127] ^= 0x01;
    Bytes corruptedName = sound;
    corruptedName[72 + 6] = 'X';
    struct Case {
        const char* what;
        Bytes bytes;
        const char* problem;
    } cases[] = {
        {"short", Bytes(sound.begin(), sound.begin() + 64), "EDID is short (64 of 128 bytes)"},
        {"one byte short", Bytes(sound.begin(), sound.begin() + 127), "EDID is short (127 of 128 bytes)"},
        {"wrong checksum byte", badChecksum, "EDID checksum is wrong"},
        {"a corrupted name byte", corruptedName, "EDID checksum is wrong"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto info = parseEdid(c.bytes);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->product, 0x5B7Fu);
        EXPECT_EQ(info->serial, 7u);
        EXPECT_EQ(info->name, "");
        EXPECT_EQ(info->problem, c.problem);
        EXPECT_EQ(displayName(*info), "GSM 5B7F");
        EXPECT_FALSE(info->preferred);
        EXPECT_EQ(info->widthMM, 0);
    }
}

TEST(Edid, BytesThatAreNoEdidIdentifyNothing) {
    Bytes sound = makeEdid("GSM", 1, 2, "x");
    Bytes noHeader = sound;
    noHeader[0] = 0x01;
    for (const Bytes& bytes : {Bytes{}, Bytes(sound.begin(), sound.begin() + 15), noHeader, Bytes(128, 0xFF)})
        EXPECT_FALSE(parseEdid(bytes));
}

}  // namespace
}  // namespace vp
