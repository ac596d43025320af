#pragma once
// Files the Linux tests find next to their own binary.

#include <climits>
#include <string>

#include <unistd.h>

namespace vp::test {

inline std::string besideTestBinary(const std::string& name) {
    char self[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return name;
    std::string path(self, std::size_t(n));
    return path.substr(0, path.rfind('/') + 1) + name;
}

}  // namespace vp::test
