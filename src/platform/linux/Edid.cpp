#include "platform/linux/Edid.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace vp {

namespace {

constexpr std::size_t kIdentityBytes = 16;
constexpr std::size_t kFirstDescriptor = 54;
constexpr std::size_t kDescriptorSize = 18;
constexpr int kDescriptorCount = 4;
constexpr std::uint8_t kNameTag = 0xFC;
constexpr std::uint8_t kSerialTag = 0xFF;
const Bytes kHeader = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

std::string manufacturerLetters(std::uint32_t id) {
    std::string letters;
    for (int shift : {10, 5, 0}) {
        int code = int(id >> shift) & 0x1F;
        letters += (code >= 1 && code <= 26) ? char('A' + code - 1) : '?';
    }
    return letters;
}

// Descriptor text ends at a line feed and is padded with spaces.
std::string descriptorText(const Bytes& edid, std::size_t at) {
    std::string text;
    for (std::size_t i = at + 5; i < at + kDescriptorSize; ++i) {
        char c = char(edid[i]);
        if (c == '\n' || c == '\0') break;
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

EdidTiming detailedTiming(const Bytes& edid, std::size_t at) {
    const std::uint8_t* d = &edid[at];
    const double clockHz = double(d[0] | (d[1] << 8)) * 10000.0;
    const int hActive = d[2] | ((d[4] & 0xF0) << 4), hBlank = d[3] | ((d[4] & 0x0F) << 8);
    const int vActive = d[5] | ((d[7] & 0xF0) << 4), vBlank = d[6] | ((d[7] & 0x0F) << 8);
    const double total = double(hActive + hBlank) * double(vActive + vBlank);
    return {hActive, vActive, total > 0 ? clockHz / total : 0};
}

// The first detailed timing is the monitor's preferred mode and carries the
// image size in millimetres.
void readPreferred(const Bytes& edid, std::size_t at, EdidInfo& info) {
    info.preferred = detailedTiming(edid, at);
    const std::uint8_t* d = &edid[at];
    const int w = d[12] | ((d[14] & 0xF0) << 4), h = d[13] | ((d[14] & 0x0F) << 8);
    if (w > 0 && h > 0) {
        info.widthMM = w;
        info.heightMM = h;
    }
}

void readDescriptors(const Bytes& edid, EdidInfo& info) {
    info.widthMM = edid[21] * 10;
    info.heightMM = edid[22] * 10;
    for (int d = 0; d < kDescriptorCount; ++d) {
        std::size_t at = kFirstDescriptor + std::size_t(d) * kDescriptorSize;
        // A display descriptor, not a timing, starts with a zero pixel clock.
        if (edid[at] != 0 || edid[at + 1] != 0) {
            if (!info.preferred) readPreferred(edid, at, info);
            continue;
        }
        if (edid[at + 3] == kNameTag) info.name = descriptorText(edid, at);
        if (edid[at + 3] == kSerialTag) info.serialText = descriptorText(edid, at);
    }
}

bool checksumHolds(const Bytes& edid) {
    return std::accumulate(edid.begin(), edid.begin() + kEdidBlockSize, 0u) % 256 == 0;
}

}  // namespace

bool hasEdidHeader(const Bytes& bytes) {
    return bytes.size() >= kHeader.size() && std::equal(kHeader.begin(), kHeader.end(), bytes.begin());
}

std::optional<EdidInfo> parseEdid(const Bytes& edid) {
    if (edid.size() < kIdentityBytes || !hasEdidHeader(edid)) return std::nullopt;
    EdidInfo info;
    info.vendor = std::uint32_t(edid[8]) << 8 | edid[9];
    info.product = std::uint32_t(edid[10]) | std::uint32_t(edid[11]) << 8;
    info.serial = std::uint32_t(edid[12]) | std::uint32_t(edid[13]) << 8 | std::uint32_t(edid[14]) << 16 |
                  std::uint32_t(edid[15]) << 24;
    info.manufacturer = manufacturerLetters(info.vendor);
    if (edid.size() < kEdidBlockSize)
        info.problem = "EDID is short (" + std::to_string(edid.size()) + " of 128 bytes)";
    else if (!checksumHolds(edid))
        info.problem = "EDID checksum is wrong";
    else
        readDescriptors(edid, info);
    return info;
}

std::string displayName(const EdidInfo& info) {
    if (!info.name.empty()) return info.name;
    char code[8];
    std::snprintf(code, sizeof code, "%04X", unsigned(info.product & 0xFFFF));
    return info.manufacturer + " " + code;
}

}  // namespace vp
