#include "hardware/DDCPackets.h"
#include "support/HardwareHelpers.h"

#include <gtest/gtest.h>

namespace vp::test {
namespace {

struct PacketCase {
    const char* what;
    Bytes arguments;
    const char* packet;
};

TEST(DDCPackets, RequestsAreFramedWithLengthOpcodeAndSeededChecksum) {
    const PacketCase cases[] = {
        {"read brightness", ddc::readArguments(0x10), "82 01 10 AC"},
        {"read volume", ddc::readArguments(0x62), "82 01 62 DE"},
        {"write brightness 50", ddc::writeArguments(0x10, 50), "84 03 10 00 32 9A"},
        {"write 70000 is clamped high", ddc::writeArguments(0x10, 70000), "84 03 10 FF FF A8"},
        {"write -5 is clamped to zero", ddc::writeArguments(0x10, -5), "84 03 10 00 00 A8"},
        {"write input 0x1234 big-endian", ddc::writeArguments(0x60, 0x1234), "84 03 60 12 34 FE"},
    };
    for (const auto& c : cases) EXPECT_EQ(hex(ddc::framePacket(c.arguments)), c.packet) << c.what;
}

struct ReplyCase {
    const char* what;
    Bytes reply;
    bool answersBrightness;
    std::optional<ddc::VCPReading> reading;
};

TEST(DDCPackets, FeatureRepliesAreCheckedAndParsed) {
    const ReplyCase cases[] = {
        {"valid, any checksum", {0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0x77}, true,
         ddc::VCPReading{50, 100}},
        {"16-bit values", {0x6E, 0x88, 0x02, 0x00, 0x10, 0x01, 0x01, 0x00, 0x00, 0xFF, 0x00}, true,
         ddc::VCPReading{255, 256}},
        {"another feature", {0x6E, 0x88, 0x02, 0x00, 0x62, 0x00, 0x00, 0x64, 0x00, 0x32, 0x00}, false,
         ddc::VCPReading{50, 100}},
        {"unsupported feature", {0x6E, 0x88, 0x02, 0x01, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, true,
         std::nullopt},
        {"not a feature reply", {0x6E, 0x88, 0x03, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0x00}, false,
         std::nullopt},
        {"nothing read", Bytes(11, 0), false, std::nullopt},
        {"too short to hold a value", {0x6E, 0x88, 0x02, 0x00, 0x10}, true, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ddc::answersRequest(c.reply, 0x10), c.answersBrightness) << c.what;
        EXPECT_EQ(ddc::parseFeatureReply(c.reply), c.reading) << c.what;
    }
}

}  // namespace
}  // namespace vp::test
