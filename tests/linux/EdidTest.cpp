#include "FakeLinux.h"
#include "platform/linux/Edid.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

using test::makeEdid;

TEST(Edid, ReadsIdentityAndNameOfASoundBlock) {
    auto info = parseEdid(makeEdid("DEL", 0xA0B1, 0x01020304, "Office 27"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->manufacturer, "DEL");
    EXPECT_EQ(info->vendor, 0x10ACu);
    EXPECT_EQ(info->product, 0xA0B1u);
    EXPECT_EQ(info->serial, 0x01020304u);
    EXPECT_EQ(info->name, "Office 27");
    EXPECT_EQ(info->problem, "");
    EXPECT_EQ(displayName(*info), "Office 27");
}

TEST(Edid, DamagedBlocksKeepTheirIdentityButNotTheirName) {
    Bytes sound = makeEdid("GSM", 0x5B7F, 7, "Wide");
    Bytes badChecksum = sound;
    badChecksum[127] ^= 0x01;
    Bytes corruptedName = sound;
    corruptedName[80] = 'X';
    struct Case {
        const char* what;
        Bytes bytes;
        const char* problem;
    } cases[] = {
        {"short", Bytes(sound.begin(), sound.begin() + 64), "EDID is short (64 of 128 bytes)"},
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
