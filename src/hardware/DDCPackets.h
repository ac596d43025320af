#pragma once
// The DDC/CI packets this program sends and the replies it accepts, as pure
// functions of bytes. Moving the bytes over I2C is the transport's business
// (DDCService and the platform), never this file's.

#include "hardware/VCP.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vp {

using Bytes = std::vector<std::uint8_t>;

namespace ddc {

// Every exchange goes to the monitor's DDC/CI chip at this data address.
constexpr std::uint8_t kChipAddress = 0x37;
constexpr std::uint8_t kDataAddress = 0x51;

// Opcodes and sizes of the two requests and the one reply used.
constexpr std::uint8_t kGetVCPRequest = 0x01;
constexpr std::uint8_t kSetVCPRequest = 0x03;
constexpr std::uint8_t kVCPFeatureReply = 0x02;
constexpr std::size_t kFeatureReplySize = 11;

// The checksum seed, the same for every request: destination and source
// (0x6E XOR 0x51). Reads seeded with the destination alone are answered by
// lenient monitors only; strict ones ignore them.
constexpr std::uint8_t kChecksumSeed = 0x6E ^ kDataAddress;

// The framed request for the argument bytes of one request: length byte
// (0x80 | n + 1), n (which is the opcode for both requests we send), the
// arguments and the checksum.
Bytes framePacket(const Bytes& arguments);

// The arguments of a Get VCP Feature request.
Bytes readArguments(std::uint8_t code);
// The arguments of a Set VCP Feature request; the value is clamped to the
// 16 bits the packet carries (negative → 0, above 0xFFFF → 0xFFFF).
Bytes writeArguments(std::uint8_t code, long long value);

// Whether a reply read after a request for `code` answers that request: a
// VCP Feature Reply for the same feature. Anything else is retried.
bool answersRequest(const Bytes& reply, std::uint8_t code);

struct VCPReading {
    int current = 0;
    int max = 0;
    bool operator==(const VCPReading&) const = default;
};

// The value of a VCP Feature Reply; none when it is not such a reply, when
// its result code reports an unsupported feature, or when it is too short.
// The type byte and the reply's own checksum are not checked.
std::optional<VCPReading> parseFeatureReply(const Bytes& reply);

// Upper-case hexadecimal bytes separated by spaces: "84 03 10 00 32 9A".
std::string hexBytes(const Bytes& bytes);

}  // namespace ddc
}  // namespace vp
