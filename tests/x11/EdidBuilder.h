#pragma once
// Complete 128-byte EDID blocks for tests and the X test beds: header,
// maker, product, serial, size, one detailed timing, name and serial
// descriptors, checksum.

#include <cstdint>
#include <string>
#include <vector>

namespace vp::test {

struct EdidSpec {
    std::string vendor = "VPT";
    std::uint16_t product = 0x1234;
    std::uint32_t serial = 0;
    std::string name;        // empty: no name descriptor
    std::string serialText;  // empty: no serial descriptor
    int widthCm = 53, heightCm = 30;
    int width = 1920, height = 1080;  // the detailed timing: CEA 1080p60 totals
};

inline void putText(std::uint8_t* d, std::uint8_t tag, const std::string& text) {
    d[0] = d[1] = d[2] = d[4] = 0;
    d[3] = tag;
    std::size_t i = 0;
    for (; i < 13 && i < text.size(); ++i) d[5 + i] = std::uint8_t(text[i]);
    if (i < 13) d[5 + i++] = 0x0A;
    for (; i < 13; ++i) d[5 + i] = 0x20;
}

inline std::vector<std::uint8_t> makeEdid(const EdidSpec& spec) {
    std::vector<std::uint8_t> e(128, 0);
    const std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(header, header + 8, e.begin());
    std::uint16_t maker = 0;
    for (char c : spec.vendor.substr(0, 3)) maker = std::uint16_t((maker << 5) | ((c - 'A' + 1) & 0x1F));
    e[8] = std::uint8_t(maker >> 8);
    e[9] = std::uint8_t(maker);
    e[10] = std::uint8_t(spec.product);
    e[11] = std::uint8_t(spec.product >> 8);
    for (int i = 0; i < 4; ++i) e[12 + i] = std::uint8_t(spec.serial >> (8 * i));
    e[16] = 1;
    e[17] = 34;  // 2024
    e[18] = 1;
    e[19] = 4;
    e[20] = 0xA5;
    e[21] = std::uint8_t(spec.widthCm);
    e[22] = std::uint8_t(spec.heightCm);
    e[23] = 120;  // gamma 2.2
    e[24] = 0x2A;
    for (int i = 38; i < 54; ++i) e[i] = 0x01;  // no standard timings
    // Detailed timing: 148.5 MHz, blanking 280 x 45: 60 Hz at 1080p.
    std::uint8_t* d = &e[54];
    const int clock = 14850, hBlank = 280, vBlank = 45;
    const int wMM = spec.widthCm * 10, hMM = spec.heightCm * 10;
    d[0] = std::uint8_t(clock);
    d[1] = std::uint8_t(clock >> 8);
    d[2] = std::uint8_t(spec.width);
    d[3] = std::uint8_t(hBlank);
    d[4] = std::uint8_t(((spec.width >> 8) << 4) | (hBlank >> 8));
    d[5] = std::uint8_t(spec.height);
    d[6] = std::uint8_t(vBlank);
    d[7] = std::uint8_t(((spec.height >> 8) << 4) | (vBlank >> 8));
    d[8] = 88;
    d[9] = 44;
    d[10] = 0x45;
    d[12] = std::uint8_t(wMM);
    d[13] = std::uint8_t(hMM);
    d[14] = std::uint8_t(((wMM >> 8) << 4) | (hMM >> 8));
    d[17] = 0x1E;
    std::uint8_t* next = &e[72];
    if (!spec.name.empty()) {
        putText(next, 0xFC, spec.name);
        next += 18;
    }
    if (!spec.serialText.empty()) {
        putText(next, 0xFF, spec.serialText);
        next += 18;
    }
    for (; next < &e[126]; next += 18) next[3] = 0x10;  // dummy descriptors
    unsigned sum = 0;
    for (int i = 0; i < 127; ++i) sum += e[i];
    e[127] = std::uint8_t((256 - sum % 256) % 256);
    return e;
}

}  // namespace vp::test
