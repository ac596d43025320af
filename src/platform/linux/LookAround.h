#pragma once
// Reads what this machine offers (display servers, monitor links,
// backlights) for the platform choice. Quick: no bus scan, no I2C traffic.

#include "platform/linux/LinuxPaths.h"
#include "platform/linux/PlatformChoice.h"

namespace vp {

Surroundings lookAround(const LinuxPaths& paths);

}  // namespace vp
