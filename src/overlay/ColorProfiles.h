#pragma once
#include <string>

namespace vp {

// One installed display colour profile.
struct ICCProfile {
    std::string name;
    std::string path;
    const std::string& id() const { return path; }
    bool operator==(const ICCProfile&) const = default;
};

}  // namespace vp
