#pragma once
// Monitor hardware on Linux, composed of the kernel's pieces: DRM connectors
// (with their EDIDs and i2c adapters) as the links, /dev/i2c-N as the byte
// channel, and the panel's backlight written through logind (sysfs when
// logind is missing) and read from sysfs.
//
// A link names its display only when its connector maps to an output of the
// display back-end: X11 and mutter name outputs after the DRM connectors,
// which proves the pairing even for identical monitors. Some X drivers name
// outputs their own way ("HDMI1" for "HDMI-A-1"); the lookup then answers
// nothing and the core pairs by EDID. A link found by scanning /dev/i2c-N
// (a driver that pairs no connector with its bus) has no connector and
// proves nothing.
//
// The backlight belongs to the display driven by a built-in connector (eDP,
// LVDS, DSI); without such a connector mapped to a display there is none.
// Its changes by others reach the core through backlightEvent(), which the
// platform calls for each change the system reports.

#include "platform/Hardware.h"
#include "platform/linux/BacklightChanges.h"
#include "platform/linux/LinuxPaths.h"

#include <functional>
#include <map>
#include <mutex>

namespace vp {

// The display the back-end drives on a DRM connector ("DP-1"), if any.
// Called on the DDC queue as well as the main thread: it must be safe there.
using ConnectorDisplays = std::function<std::optional<DisplayID>(const std::string& connector)>;

class LinuxHardware : public MonitorHardware {
public:
    LinuxHardware(LinuxPaths paths, ConnectorDisplays displayOf);
    ~LinuxHardware() override;

    LinkScan links() override;
    std::unique_ptr<I2CChannel> open(const MonitorLink& link) override;
    std::shared_ptr<Backlight> backlight(DisplayID display) override;
    void watchBacklights(std::function<void(DisplayID)> changed) override;
    // The system says a backlight device changed (main thread).
    void backlightEvent(const std::string& device) { changes_.changed(device); }

private:
    std::string devicePath(int bus) const;
    // The display of the built-in panel, whose backlight this is.
    std::optional<DisplayID> panelDisplay();

    LinuxPaths paths_;
    ConnectorDisplays displayOf_;
    std::mutex busesMutex_;
    std::map<std::string, int> buses_;  // link key → N of /dev/i2c-N, from the last scan
    BacklightChanges changes_;
};

}  // namespace vp
