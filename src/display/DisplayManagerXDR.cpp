#include "display/DisplayManager.h"

#include "overlay/XDR.h"

#include <algorithm>
#include <cmath>

namespace vp {

namespace {
// Below this the level is not worth keeping: the overlay may still show,
// but the next refresh takes it away.
constexpr double kStoredLevelMinimum = 0.01;
}  // namespace

bool DisplayManager::supportsXDR(const Screen& screen) const {
    return screen.isActive && !screen.isOurVirtual && xdr_.supports(screen.id);
}

void DisplayManager::setXDR(const Screen& screen, double level) {
    double clamped = std::isnan(level) ? 0.0 : std::clamp(level, 0.0, 1.0);
    if (clamped < kStoredLevelMinimum) state_.xdrLevel.erase(screen.id);
    else state_.xdrLevel[screen.id] = clamped;
    xdr_.set(screen.id, clamped);
    publish();
}

void DisplayManager::reapplyXDR() {
    XDR& xdr = xdr_;
    // An overlay shown for a level too small to keep goes at the next refresh.
    for (DisplayID id : xdr.displays())
        if (!state_.xdrLevel.contains(id)) xdr.set(id, 0.0);
    for (const auto& [id, level] : state_.xdrLevel) {
        auto listed = screen(id);
        xdr.set(id, listed && listed->isActive ? level : 0.0);
    }
}

}  // namespace vp
