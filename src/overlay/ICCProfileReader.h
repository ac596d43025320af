#pragma once
// Reads what the profile menu needs from ICC profile bytes. Profile files
// come from anywhere on disk, so every count, offset and length in them is
// checked against the size of the data before it is used.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vp {

// The header's device class is "mntr" and its colour space "RGB ". Needs the
// first 20 bytes; fewer give false.
bool isDisplayRGBProfile(std::span<const std::uint8_t> header);

// The text of the first "desc" tag, of type "desc" (ICC v2) or "mluc" (v4,
// its first record), trimmed; none when there is none or it cannot be read.
std::optional<std::string> profileDescription(std::span<const std::uint8_t> data);

}  // namespace vp
