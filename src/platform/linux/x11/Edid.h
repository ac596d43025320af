#pragma once
// The parts of a monitor's EDID block that name and identify it. Monitors
// get these wrong in the wild: a missing or broken block (bad header, short
// read, wrong checksum) yields nothing, and the caller falls back to the
// connector's name. Two units of one model often both report serial 0.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vp::x11 {

struct EdidTiming {
    int width = 0, height = 0;
    double refresh = 0;  // Hz, from the pixel clock and the totals
};

struct Edid {
    std::uint16_t vendor = 0;     // the packed three-letter maker code
    std::string vendorCode;       // "ABC"
    std::uint16_t product = 0;
    std::uint32_t serial = 0;     // 0 when the monitor gives none
    std::string serialText;       // the serial descriptor, when present
    std::string name;             // the name descriptor, when present
    int widthMM = 0, heightMM = 0;
    std::optional<EdidTiming> preferred;
};

std::optional<Edid> parseEdid(std::span<const std::uint8_t> bytes);

}  // namespace vp::x11
