#include "display/InputSources.h"

#include <cstdio>

namespace vp::InputSources {

const std::vector<InputSource>& all() {
    static const std::vector<InputSource> list = {
        {0x0F, "DisplayPort 1"}, {0x10, "DisplayPort 2"}, {0x11, "HDMI 1"},
        {0x12, "HDMI 2"},        {0x13, "HDMI 3"},        {0x1B, "USB-C"},
        {0x19, "Thunderbolt"},   {0x03, "DVI"},           {0x01, "VGA"},
    };
    return list;
}

std::string name(int code) {
    for (const InputSource& source : all())
        if (source.code == code) return source.name;
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", unsigned(code));
    return text;
}

}  // namespace vp::InputSources
