#include "platform/linux/desktop/Md5.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace vp {

namespace {

constexpr std::array<std::uint32_t, 64> kShift = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                                  5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                                  4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                                  6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

std::array<std::uint32_t, 64> sineTable() {
    std::array<std::uint32_t, 64> k{};
    for (std::size_t i = 0; i < 64; ++i) k[i] = std::uint32_t(std::floor(std::fabs(std::sin(double(i + 1))) * 4294967296.0));
    return k;
}

std::uint32_t rotate(std::uint32_t x, std::uint32_t c) {
    return (x << c) | (x >> (32 - c));
}

void block(std::array<std::uint32_t, 4>& h, const std::uint8_t* chunk) {
    static const std::array<std::uint32_t, 64> k = sineTable();
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = std::uint32_t(chunk[i * 4]) | std::uint32_t(chunk[i * 4 + 1]) << 8 | std::uint32_t(chunk[i * 4 + 2]) << 16 |
               std::uint32_t(chunk[i * 4 + 3]) << 24;
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
    for (std::uint32_t i = 0; i < 64; ++i) {
        std::uint32_t f, g;
        if (i < 16) f = (b & c) | (~b & d), g = i;
        else if (i < 32) f = (d & b) | (~d & c), g = (5 * i + 1) % 16;
        else if (i < 48) f = b ^ c ^ d, g = (3 * i + 5) % 16;
        else f = c ^ (b | ~d), g = (7 * i) % 16;
        std::uint32_t next = d;
        d = c;
        c = b;
        b = b + rotate(a + f + k[i] + m[g], kShift[i]);
        a = next;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
}

}  // namespace

std::string md5Hex(const std::vector<std::uint8_t>& bytes) {
    std::array<std::uint32_t, 4> h = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    std::vector<std::uint8_t> message = bytes;
    const std::uint64_t bits = std::uint64_t(bytes.size()) * 8;
    message.push_back(0x80);
    while (message.size() % 64 != 56) message.push_back(0);
    for (int i = 0; i < 8; ++i) message.push_back(std::uint8_t(bits >> (8 * i)));
    for (std::size_t offset = 0; offset < message.size(); offset += 64) block(h, message.data() + offset);
    std::string hex;
    char byte[3];
    for (std::uint32_t word : h)
        for (int i = 0; i < 4; ++i) {
            std::snprintf(byte, sizeof byte, "%02x", unsigned((word >> (8 * i)) & 0xff));
            hex += byte;
        }
    return hex;
}

}  // namespace vp
