#pragma once
// The one seam between the core and the operating system.

#include "platform/Capabilities.h"
#include "platform/Capture.h"
#include "platform/ColorProfiles.h"
#include "platform/Displays.h"
#include "platform/Hardware.h"
#include "platform/Input.h"
#include "platform/Runtime.h"
#include "platform/System.h"
#include "platform/VirtualDisplays.h"
#include "platform/WindowSystem.h"

namespace vp {

class Platform {
public:
    virtual ~Platform() = default;
    virtual std::string name() const = 0;
    virtual const Capabilities& capabilities() const = 0;
    virtual Runtime runtime() = 0;
    virtual DisplayServices& displays() = 0;
    virtual MonitorHardware& hardware() = 0;
    virtual VirtualDisplayFactory& virtualDisplays() = 0;
    virtual WindowSystem& windows() = 0;
    virtual InputServices& input() = 0;
    virtual ScreenCapture& capture() = 0;
    virtual SystemServices& system() = 0;
    virtual ColorProfileServices& profiles() = 0;
};

}  // namespace vp
