#include "platform/linux/x11/Edid.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace vp::x11 {

namespace {

constexpr std::size_t kBlockSize = 128;
constexpr std::array<std::uint8_t, 8> kHeader = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t kDescriptors = 54, kDescriptorSize = 18, kDescriptorCount = 4;
constexpr std::uint8_t kNameTag = 0xFC, kSerialTag = 0xFF;

std::string descriptorText(std::span<const std::uint8_t> d) {
    std::string text;
    for (std::size_t i = 5; i < kDescriptorSize && d[i] != 0x0A && d[i] != 0; ++i)
        text.push_back(d[i] >= 0x20 && d[i] < 0x7F ? char(d[i]) : '?');
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

EdidTiming detailedTiming(std::span<const std::uint8_t> d) {
    const double clockHz = double(d[0] | (d[1] << 8)) * 10000.0;
    const int hActive = d[2] | ((d[4] & 0xF0) << 4), hBlank = d[3] | ((d[4] & 0x0F) << 8);
    const int vActive = d[5] | ((d[7] & 0xF0) << 4), vBlank = d[6] | ((d[7] & 0x0F) << 8);
    const double total = double(hActive + hBlank) * double(vActive + vBlank);
    return {hActive, vActive, total > 0 ? clockHz / total : 0};
}

void readDescriptor(std::span<const std::uint8_t> d, Edid& edid) {
    if (d[0] != 0 || d[1] != 0) {
        // A detailed timing; the first one is the monitor's preferred mode
        // and carries the image size in millimetres.
        if (edid.preferred) return;
        edid.preferred = detailedTiming(d);
        const int w = d[12] | ((d[14] & 0xF0) << 4), h = d[13] | ((d[14] & 0x0F) << 8);
        if (w > 0 && h > 0) {
            edid.widthMM = w;
            edid.heightMM = h;
        }
        return;
    }
    if (d[3] == kNameTag) edid.name = descriptorText(d);
    if (d[3] == kSerialTag) edid.serialText = descriptorText(d);
}

}  // namespace

std::optional<Edid> parseEdid(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kBlockSize || !std::equal(kHeader.begin(), kHeader.end(), bytes.begin())) return std::nullopt;
    auto block = bytes.first(kBlockSize);
    if (std::accumulate(block.begin(), block.end(), 0u) % 256 != 0) return std::nullopt;

    Edid edid;
    edid.vendor = std::uint16_t((block[8] << 8) | block[9]);
    for (int shift : {10, 5, 0}) {
        const int letter = (edid.vendor >> shift) & 0x1F;
        edid.vendorCode.push_back(letter >= 1 && letter <= 26 ? char('A' + letter - 1) : '?');
    }
    edid.product = std::uint16_t(block[10] | (block[11] << 8));
    edid.serial = std::uint32_t(block[12]) | std::uint32_t(block[13]) << 8 | std::uint32_t(block[14]) << 16 |
                  std::uint32_t(block[15]) << 24;
    edid.widthMM = block[21] * 10;
    edid.heightMM = block[22] * 10;
    for (std::size_t i = 0; i < kDescriptorCount; ++i)
        readDescriptor(block.subspan(kDescriptors + i * kDescriptorSize, kDescriptorSize), edid);
    return edid;
}

}  // namespace vp::x11
