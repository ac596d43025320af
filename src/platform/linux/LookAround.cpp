#include "platform/linux/LookAround.h"

#include "platform/linux/DrmLinks.h"
#include "platform/linux/SysfsBacklight.h"
#include "platform/linux/gnome/Bus.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace vp {

namespace {

bool hasEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

bool xServerAnswers() {
    if (!hasEnv("DISPLAY")) return false;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const bool ok = !xcb_connection_has_error(c);
    xcb_disconnect(c);
    return ok;
}

bool mutterOnSessionBus() {
    gnome::BusError error;
    gnome::BusPtr bus = gnome::openSessionBus("", error);
    return bus && gnome::nameHasOwner(bus.get(), "org.gnome.Mutter.DisplayConfig");
}

}  // namespace

Surroundings lookAround(const LinuxPaths& paths) {
    Surroundings s;
    s.x11 = xServerAnswers();
    s.wayland = hasEnv("WAYLAND_DISPLAY");
    s.gnome = s.wayland && mutterOnSessionBus();
    s.monitorLinks = drmLinks(paths).size();
    s.backlights = findBacklights(paths).size();
    return s;
}

}  // namespace vp
