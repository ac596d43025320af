#include "overlay/XDR.h"

#include <algorithm>

namespace vp {

namespace {
constexpr double kLevelEpsilon = 0.001;
constexpr double kMinimumHeadroom = 1.2;
constexpr double kMaximumExtra = 0.8;
constexpr std::uint32_t kOverlayCollection = collection::canJoinAllSpaces | collection::stationary |
                                             collection::ignoresCycle | collection::fullScreenAuxiliary;
}  // namespace

XDR::XDR(WindowSystem& windows) : windows_(windows) {}

XDR::~XDR() {
    removeAll();
}

std::optional<ScreenInfo> XDR::screen(DisplayID display) const {
    for (ScreenInfo& info : windows_.screens())
        if (info.number == display) return std::move(info);
    return std::nullopt;
}

double XDR::headroom(DisplayID display) const {
    auto found = screen(display);
    return found ? found->maxPotentialEDR : 1.0;
}

bool XDR::supports(DisplayID display) const {
    auto found = screen(display);
    return found && found->maxPotentialEDR > kMinimumHeadroom &&
           windows_.hasExtendedRangeCompositor();
}

double XDR::factorFor(double headroom, double level) {
    double extra = headroom > 1.0 + kMaximumExtra ? kMaximumExtra : headroom - 1.0;
    return std::min(level, 1.0) * extra + 1.0;
}

void XDR::set(DisplayID display, double level) {
    auto found = level > kLevelEpsilon ? screen(display) : std::nullopt;
    auto existing = overlays_.find(display);
    if (!found) {
        if (existing != overlays_.end()) {
            close(existing->second);
            overlays_.erase(existing);
        }
        return;
    }
    double factor = factorFor(found->maxPotentialEDR, level);
    if (existing != overlays_.end() && existing->second.screenFrame == found->frame) {
        existing->second.factor = factor;
        existing->second.window->setMultiplyFactor(factor);
        return;
    }
    if (existing != overlays_.end()) {
        close(existing->second);
        overlays_.erase(existing);
    }
    if (auto overlay = makeOverlay(*found, factor)) overlays_.emplace(display, std::move(*overlay));
}

void XDR::removeAll() {
    for (auto& [display, overlay] : overlays_) close(overlay);
    overlays_.clear();
}

std::optional<double> XDR::factor(DisplayID display) const {
    auto it = overlays_.find(display);
    if (it == overlays_.end()) return std::nullopt;
    return it->second.factor;
}

std::vector<DisplayID> XDR::displays() const {
    std::vector<DisplayID> out;
    for (const auto& [display, overlay] : overlays_) out.push_back(display);
    return out;
}

std::optional<XDR::Overlay> XDR::makeOverlay(const ScreenInfo& screen, double factor) const {
    WindowSystem& windows = windows_;
    if (!windows.hasExtendedRangeCompositor()) return std::nullopt;
    WindowConfig config;
    config.role = WindowRole::extraBrightness;
    config.contentRect = screen.frame;
    config.styleMask = style::borderless;
    config.screen = screen.number;
    config.level = level::overlay;
    config.collectionBehavior = kOverlayCollection;
    config.sharingType = 0;  // left out of screen captures
    config.ignoresMouseEvents = true;
    config.opaque = false;
    config.hasShadow = false;
    auto window = windows.createWindow(config);
    if (!window) return std::nullopt;
    window->setBackgroundColor(RGBA{0, 0, 0, 0});
    window->setMultiplyFactor(factor);
    window->setFrame(screen.frame);
    window->orderFrontRegardless();
    return Overlay{std::move(window), screen.frame, factor};
}

void XDR::close(Overlay& overlay) {
    overlay.window->orderOut();
    overlay.window->close();
}

}  // namespace vp
