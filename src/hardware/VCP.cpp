#include "hardware/VCP.h"

namespace vp {

std::optional<VCP> vcpFromCode(std::uint8_t raw) {
    for (VCP feature : {VCP::brightness, VCP::contrast, VCP::inputSource, VCP::volume, VCP::mute})
        if (vcpCode(feature) == raw) return feature;
    return std::nullopt;
}

}  // namespace vp
