#include "display/DisplayManager.h"

#include "display/BrightnessCurve.h"
#include "display/Gamma.h"
#include "overlay/Shade.h"

#include <algorithm>
#include <cmath>

namespace vp {

namespace {
// Shade windows are only touched when the opacity visibly changes.
constexpr double kShadeTolerance = 0.001;
}  // namespace

double DisplayManager::gammaDim(const Screen& screen) const {
    const auto& source = methodOf(screen.id) == BrightnessMethod::software ? state_.brightness : subDim;
    auto it = source.find(screen.id);
    return std::max(it == source.end() ? 1.0 : it->second, gammaFloor);
}

// Where the system cannot blend a shade over the screen (no compositing
// manager), a shade would be drawn opaque: dimming stops at the gamma floor.
void DisplayManager::updateShade(const Screen& screen) {
    const auto& source = methodOf(screen.id) == BrightnessMethod::software ? state_.brightness : subDim;
    auto it = source.find(screen.id);
    const double alpha =
        platform_.capabilities().shade
            ? curve::shadeAlpha(it == source.end() ? std::nullopt : std::optional(it->second), gammaFloor)
            : 0.0;
    auto stored = shadeAlpha.find(screen.id);
    const double previous = stored == shadeAlpha.end() ? 0.0 : stored->second;
    if (alpha != 0 && std::abs(alpha - previous) <= kShadeTolerance) return;
    shadeAlpha[screen.id] = alpha;
    shade_.set(screen.id, alpha);
}

// Re-applying colour: the one sequence every colour and software-brightness
// change ends in.
void DisplayManager::reapplyColor(const Screen& screen) {
    const ScreenPrefs p = prefsFor(screen);
    const double dim = gammaDim(screen);
    updateShade(screen);
    Gamma& gamma = gamma_;
    if (Gamma::isNeutral(dim, p.warmth, p.contrast)) gamma.restore(screen.id);
    else gamma.apply(screen.id, dim, p.warmth, p.contrast);
}

// A shade that could be shown a moment ago may now turn its screen black,
// or one may now be possible: every screen's dimming is decided again.
void DisplayManager::capabilitiesChanged() {
    for (const Screen& s : state_.screens) reapplyColor(s);
    publish();
}

void DisplayManager::setWarmth(const Screen& screen, double value) {
    if (!std::isfinite(value)) return;
    ScreenPrefs p = prefsFor(screen);
    p.warmth = std::clamp(value, 0.0, 1.0);
    setPrefs(screen.uuid, p);
    reapplyColor(screen);
    publish();
}

void DisplayManager::setContrast(const Screen& screen, double value) {
    if (!std::isfinite(value)) return;
    ScreenPrefs p = prefsFor(screen);
    p.contrast = std::clamp(value, 0.0, 1.0);
    setPrefs(screen.uuid, p);
    reapplyColor(screen);
    publish();
}

void DisplayManager::resetColor(const Screen& screen) {
    const ScreenPrefs p = prefsFor(screen);
    double dim = p.dim;
    if (methodOf(screen.id) == BrightnessMethod::software) {
        state_.brightness[screen.id] = 1.0;
        dim = 1.0;
    }
    setPrefs(screen.uuid, ScreenPrefs{dim, 0.0, 0.5, p.forceSoftware});
    reapplyColor(screen);
    publish();
}

void DisplayManager::reapplyGamma() {
    for (const Screen& s : state_.screens) {
        if (!s.isActive) continue;
        const ScreenPrefs p = prefsFor(s);
        if (!Gamma::isNeutral(gammaDim(s), p.warmth, p.contrast)) reapplyColor(s);
    }
}

}  // namespace vp
