#pragma once
// Finding the monitors' video links on Linux. DRM knows which connectors are
// connected, their EDIDs and which I2C adapter carries each one's DDC lines
// (the connector's `ddc` link, or the `i2c-N` folder of a DisplayPort AUX
// channel). Some drivers give no such pairing; then every /dev/i2c-N that
// answers with an EDID at 0x50 is taken as a monitor's link.

#include "platform/linux/Edid.h"
#include "platform/linux/LinuxPaths.h"

#include <optional>
#include <string>
#include <vector>

namespace vp {

struct DrmLink {
    std::string key;                 // stable while plugged: connector or bus name
    std::optional<std::string> connector;  // "DP-1" (without the card prefix)
    std::optional<int> bus;          // N of /dev/i2c-N
    bool builtIn = false;            // eDP, LVDS, DSI: the laptop's own panel
    Bytes edid;                      // may be empty or damaged
    std::string devicePath() const;  // relative to the dev root: "i2c-N"
};

// "card0-eDP-1" → "eDP-1"; the connector's type decides whether it is built in.
std::string connectorName(const std::string& drmFolder);
bool isBuiltInConnector(const std::string& connector);

// Connected DRM connectors, in name order.
std::vector<DrmLink> drmLinks(const LinuxPaths& paths);
// /dev/i2c-N adapters with an EDID at 0x50 (opening each; slow on a real bus).
std::vector<DrmLink> scanI2CForEdid(const LinuxPaths& paths);
// DRM's links; the scan only when DRM pairs no external connector with a bus.
std::vector<DrmLink> findMonitorLinks(const LinuxPaths& paths);
// The first /dev/i2c-N this user may not open, if any.
std::optional<std::string> deniedI2CDevice(const LinuxPaths& paths);

}  // namespace vp
