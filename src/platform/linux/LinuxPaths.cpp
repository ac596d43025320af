#include "platform/linux/LinuxPaths.h"

#include <cstdlib>

namespace vp {

namespace {

std::string envOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

}  // namespace

LinuxPaths LinuxPaths::fromEnvironment() {
    LinuxPaths paths;
    paths.sysfs = envOr("VELVETPANE_SYSFS_ROOT", paths.sysfs);
    paths.dev = envOr("VELVETPANE_DEV_ROOT", paths.dev);
    return paths;
}

}  // namespace vp
