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

#include <functional>

namespace vp {

class Platform {
public:
    virtual ~Platform() = default;
    virtual std::string name() const = 0;
    // Which back-ends run and what is missing, for the user to read (in
    // English, as the systems name themselves); empty when the name says it.
    virtual std::string summary() const { return {}; }
    virtual const Capabilities& capabilities() const = 0;
    // `changed` runs on the main queue whenever a capability changes while
    // the program runs (a compositing manager starting or stopping decides
    // whether a shade can be shown). A platform whose capabilities are fixed
    // never calls it.
    virtual void watchCapabilities(std::function<void()> changed) { (void)changed; }
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
