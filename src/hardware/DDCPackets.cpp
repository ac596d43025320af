#include "hardware/DDCPackets.h"

#include <algorithm>
#include <cstdio>

namespace vp::ddc {

namespace {
constexpr std::uint8_t kLengthFlag = 0x80;
}  // namespace

Bytes framePacket(const Bytes& arguments) {
    const auto n = std::uint8_t(arguments.size());
    Bytes packet;
    packet.reserve(arguments.size() + 3);
    packet.push_back(std::uint8_t(kLengthFlag | (n + 1)));
    packet.push_back(n);
    packet.insert(packet.end(), arguments.begin(), arguments.end());
    std::uint8_t checksum = kChecksumSeed;
    for (std::uint8_t byte : packet) checksum ^= byte;
    packet.push_back(checksum);
    return packet;
}

Bytes readArguments(std::uint8_t code) {
    return {code};
}

Bytes writeArguments(std::uint8_t code, long long value) {
    const auto clamped = std::uint16_t(std::clamp<long long>(value, 0, 0xFFFF));
    return {code, std::uint8_t(clamped >> 8), std::uint8_t(clamped & 0xFF)};
}

bool answersRequest(const Bytes& reply, std::uint8_t code) {
    return reply.size() > 4 && reply[2] == kVCPFeatureReply && reply[4] == code;
}

std::optional<VCPReading> parseFeatureReply(const Bytes& reply) {
    constexpr std::uint8_t kResultSupported = 0x00;
    if (reply.size() < 10 || reply[2] != kVCPFeatureReply || reply[3] != kResultSupported) return std::nullopt;
    return VCPReading{reply[8] << 8 | reply[9], reply[6] << 8 | reply[7]};
}

std::string hexBytes(const Bytes& bytes) {
    std::string text;
    char byte[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(byte, sizeof byte, "%02X", unsigned(b));
        if (!text.empty()) text += ' ';
        text += byte;
    }
    return text;
}

}  // namespace vp::ddc
