#include "platform/linux/x11/Edid.h"
#include "x11/EdidBuilder.h"

#include <gtest/gtest.h>

namespace vp::x11 {
namespace {

using test::EdidSpec;
using test::makeEdid;

EdidSpec named(const std::string& name) {
    EdidSpec spec;
    spec.name = name;
    return spec;
}

TEST(EdidTest, ReadsMakerProductSerialNameAndPreferredTiming) {
    auto bytes = makeEdid({"VPS", 0x0A01, 700123, "Velvet Studio", "SN-42", 60, 34, 2560, 1440});
    auto edid = parseEdid(bytes);
    ASSERT_TRUE(edid);
    EXPECT_EQ(edid->vendorCode, "VPS");
    EXPECT_EQ(edid->vendor, (('V' - 'A' + 1) << 10) | (('P' - 'A' + 1) << 5) | ('S' - 'A' + 1));
    EXPECT_EQ(edid->product, 0x0A01);
    EXPECT_EQ(edid->serial, 700123u);
    EXPECT_EQ(edid->name, "Velvet Studio");
    EXPECT_EQ(edid->serialText, "SN-42");
    EXPECT_EQ(edid->widthMM, 600);
    EXPECT_EQ(edid->heightMM, 340);
    ASSERT_TRUE(edid->preferred);
    EXPECT_EQ(edid->preferred->width, 2560);
    EXPECT_EQ(edid->preferred->height, 1440);
    EXPECT_NEAR(edid->preferred->refresh, 148.5e6 / ((2560 + 280) * (1440 + 45)), 1e-9);
}

TEST(EdidTest, NameDescriptorIsTrimmedAndMayFillAllThirteenBytes) {
    struct Case {
        std::string name, expected;
    };
    for (const Case& c : {Case{"Short  ", "Short"}, Case{"ThirteenChars", "ThirteenChars"}, Case{"", ""}}) {
        auto edid = parseEdid(makeEdid(named(c.name)));
        ASSERT_TRUE(edid) << c.name;
        EXPECT_EQ(edid->name, c.expected);
    }
}

TEST(EdidTest, BrokenBlocksGiveNothing) {
    auto good = makeEdid(named("Fine"));
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    auto badSum = good;
    badSum[100] ^= 0x01;
    auto badHeader = good;
    badHeader[0] = 0x01;
    std::vector<std::uint8_t> shortRead(good.begin(), good.begin() + 127);
    for (const Case& c : {Case{"checksum", badSum}, Case{"header", badHeader}, Case{"short read", shortRead},
                          Case{"empty", {}}})
        EXPECT_FALSE(parseEdid(c.bytes)) << c.what;
}

TEST(EdidTest, ExtensionBlocksAfterTheBaseBlockAreIgnored) {
    EdidSpec spec;
    spec.serial = 9;
    auto bytes = makeEdid(spec);
    bytes.resize(256, 0xAB);
    auto edid = parseEdid(bytes);
    ASSERT_TRUE(edid);
    EXPECT_EQ(edid->serial, 9u);
}

TEST(EdidTest, UnprintableNameBytesAreReplaced) {
    auto bytes = makeEdid(named("Ab"));
    bytes[72 + 5] = 0x07;
    unsigned sum = 0;
    for (int i = 0; i < 127; ++i) sum += bytes[i];
    bytes[127] = std::uint8_t((256 - sum % 256) % 256);
    auto edid = parseEdid(bytes);
    ASSERT_TRUE(edid);
    EXPECT_EQ(edid->name, "?b");
}

}  // namespace
}  // namespace vp::x11
