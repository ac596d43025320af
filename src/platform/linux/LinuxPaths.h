#pragma once
// Where the kernel's trees are. Tests lay out their own sysfs and device
// folders and point the program at them with VELVETPANE_SYSFS_ROOT and
// VELVETPANE_DEV_ROOT.

#include <string>

namespace vp {

struct LinuxPaths {
    std::string sysfs = "/sys";
    std::string dev = "/dev";

    static LinuxPaths fromEnvironment();
    bool isRealSystem() const { return sysfs == "/sys"; }
};

}  // namespace vp
