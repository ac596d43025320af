#pragma once
// The information rows of the About page.

#include <string>
#include <utility>
#include <vector>

namespace vp {

class Platform;

// Label and value, in order: version, brightness channels, URL shortcuts,
// and where the log file lives on this platform.
std::vector<std::pair<std::string, std::string>> aboutRows(Platform& platform);

}  // namespace vp
