#include "overlay/Shade.h"

#include <algorithm>

namespace vp {

namespace {
constexpr double kVisibleAlpha = 0.001;
constexpr int kNeverCaptured = 0;
}  // namespace

Shade::Shade(WindowSystem& windows) : system_(windows) {}

Shade::~Shade() = default;

std::optional<ScreenInfo> Shade::screenOf(DisplayID display) const {
    for (ScreenInfo& info : system_.screens())
        if (info.number == display) return info;
    return std::nullopt;
}

WindowConfig Shade::configFor(DisplayID display, const Rect& frame) const {
    WindowConfig c;
    c.role = WindowRole::shade;
    c.contentRect = frame;
    c.styleMask = style::borderless;
    c.screen = display;
    // Just below the shielding window: above everything the user works
    // with, including full-screen windows, yet below the system's own.
    c.level = system_.shieldingWindowLevel() - 1;
    c.collectionBehavior = collection::canJoinAllSpaces | collection::stationary | collection::ignoresCycle |
                           collection::fullScreenAuxiliary;
    // Screenshots and recordings should show the screen, not our shade.
    c.sharingType = kNeverCaptured;
    c.ignoresMouseEvents = true;
    c.opaque = false;
    c.hasShadow = false;
    return c;
}

void Shade::set(DisplayID display, double alpha) {
    auto screen = screenOf(display);
    if (alpha <= kVisibleAlpha || !screen) {
        remove(display);
        return;
    }
    auto it = windows_.find(display);
    if (it == windows_.end() || it->second->frame() != screen->frame) {
        remove(display);
        auto window = system_.createWindow(configFor(display, screen->frame));
        if (!window) return;
        it = windows_.emplace(display, std::move(window)).first;
    }
    Window& window = *it->second;
    window.setBackgroundColor({0, 0, 0, std::min(alpha, 1.0)});
    window.setFrame(screen->frame);
    window.orderFrontRegardless();
}

void Shade::remove(DisplayID display) {
    auto it = windows_.find(display);
    if (it == windows_.end()) return;
    std::unique_ptr<Window> window = std::move(it->second);
    windows_.erase(it);
    window->orderOut();
    window->close();
}

void Shade::removeAll() {
    std::vector<DisplayID> displays;
    for (const auto& [id, window] : windows_) displays.push_back(id);
    for (DisplayID id : displays) remove(id);
}

}  // namespace vp
