#pragma once
// The display colour profiles installed on the machine, and their assignment
// to displays through the platform's colour management.

#include "platform/Types.h"

#include <optional>
#include <string>
#include <vector>

namespace vp {

class Platform;

// One installed display colour profile.
struct ICCProfile {
    std::string name;
    std::string path;
    const std::string& id() const { return path; }
    bool operator==(const ICCProfile&) const = default;
};

namespace ColorProfiles {

// Display RGB profiles (".icc"/".icm", class "mntr", colour space "RGB ")
// from every folder the platform keeps the display's profiles in, named from
// their description or file name, one per case-insensitive name (the first
// folder wins), sorted by name.
std::vector<ICCProfile> all(Platform& platform, DisplayID display);

// The profile at a path, when it is a display RGB profile.
std::optional<ICCProfile> read(const std::string& path);

// The name of the profile assigned to the display, else of the colour space
// of the display's screen, if it has one.
std::optional<std::string> currentName(Platform& platform, DisplayID display);

// Assigns the profile to the display for the current user, or returns the
// display to its default profile (path none); false when refused or
// impossible.
bool apply(Platform& platform, const std::optional<std::string>& path, DisplayID display);

}  // namespace ColorProfiles

}  // namespace vp
