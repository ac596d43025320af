#include "display/Screen.h"

namespace vp {

std::string toString(BrightnessMethod method) {
    switch (method) {
        case BrightnessMethod::builtin: return "builtin";
        case BrightnessMethod::ddc: return "ddc";
        case BrightnessMethod::software: return "software";
    }
    return "software";
}

std::optional<BrightnessMethod> brightnessMethodFrom(const std::string& raw) {
    if (raw == "builtin") return BrightnessMethod::builtin;
    if (raw == "ddc") return BrightnessMethod::ddc;
    if (raw == "software") return BrightnessMethod::software;
    return std::nullopt;
}

}  // namespace vp
