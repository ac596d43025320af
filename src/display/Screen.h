#pragma once
#include "platform/Types.h"

#include <optional>
#include <string>

namespace vp {

enum class BrightnessMethod { builtin, ddc, software };

std::string toString(BrightnessMethod method);
std::optional<BrightnessMethod> brightnessMethodFrom(const std::string& raw);

// An immutable snapshot of one display, rebuilt on every refresh.
struct Screen {
    DisplayID id = 0;
    std::string uuid;
    std::string name;
    bool isBuiltin = false;
    bool isMain = false;
    bool isActive = false;
    bool isOurVirtual = false;
    std::optional<DisplayID> mirrorOf;
    Rect bounds;
    std::int64_t pixelWidth = 0, pixelHeight = 0;
    double refresh = 0;
    bool isHiDPI = false;
    Size nativePixels;

    bool operator==(const Screen&) const = default;
};

}  // namespace vp
