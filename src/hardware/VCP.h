#pragma once
// The VCP feature codes this program reads and writes over DDC/CI.

#include <cstdint>

namespace vp {

enum class VCP : std::uint8_t {
    brightness = 0x10,
    contrast = 0x12,  // defined for completeness; no operation sends it
    inputSource = 0x60,
    volume = 0x62,
    mute = 0x8D,      // 1 mutes, 2 unmutes
};

constexpr std::uint8_t vcpCode(VCP feature) {
    return static_cast<std::uint8_t>(feature);
}

// Values of the mute feature.
constexpr int kMuteOn = 1;
constexpr int kMuteOff = 2;

}  // namespace vp
