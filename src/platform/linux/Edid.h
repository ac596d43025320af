#pragma once
// What a monitor's EDID says about it, read defensively: EDIDs come from the
// monitor's own EEPROM over a flaky bus (or through a display server that
// passes it on), and some are short (a read cut off by a bad cable) or carry
// a wrong checksum (a corrupted byte, or firmware that never computed it).
// Identity is taken from the first 16 bytes when the header is right; the
// name, the size and the preferred timing only from a whole base block whose
// checksum holds. Extension blocks after it are not read. Two units of one
// model often both report serial 0.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vp {

using Bytes = std::vector<std::uint8_t>;

struct EdidTiming {
    int width = 0, height = 0;
    double refresh = 0;  // Hz, from the pixel clock and the totals
};

struct EdidInfo {
    // The same numbers the core pairs displays with: the manufacturer id as
    // the two big-endian bytes at offset 8, product and serial little-endian.
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
    std::uint32_t serial = 0;
    std::string manufacturer;  // three letters, e.g. "SAM"
    std::string name;          // the monitor name descriptor; may be empty
    std::string serialText;    // the serial number descriptor; may be empty
    // The image size: the preferred timing's, else the block's centimetres.
    int widthMM = 0, heightMM = 0;
    // The first detailed timing: the monitor's preferred mode.
    std::optional<EdidTiming> preferred;
    // Why the EDID is not wholly trusted (short, checksum); empty when sound.
    std::string problem;
};

constexpr std::size_t kEdidBlockSize = 128;

// None when the bytes cannot identify a monitor (fewer than 16 bytes or no
// EDID header); otherwise what could be read, with `problem` saying what not.
std::optional<EdidInfo> parseEdid(const Bytes& edid);

bool hasEdidHeader(const Bytes& bytes);

// A name for people: the name descriptor, else manufacturer and product code.
std::string displayName(const EdidInfo& info);

}  // namespace vp
