#pragma once
// One window of another application that picture in picture can show.

#include "platform/Capture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vp {

struct PiPWindowItem {
    WindowID id = 0;
    std::string app;
    std::string title;  // may be empty

    // "App — Title", or the application's name alone.
    std::string label() const;
    bool operator==(const PiPWindowItem&) const = default;
};

// The windows worth offering: normal layer, larger than 120 × 80 points,
// owned by an application other than this process; sorted by label without
// regard to case, equal labels keeping the order they came in.
std::vector<PiPWindowItem> listableWindows(const std::vector<ShareableWindow>& windows, std::int64_t ownProcessID);

}  // namespace vp
