#include "display/DisplayManager.h"

#include "app/I18n.h"
#include "display/Gamma.h"
#include "overlay/ColorProfiles.h"

namespace vp {

using namespace std::chrono_literals;

namespace {
// The system needs a moment before the new profile's gamma tables can be read.
constexpr Seconds kProfileSettleDelay = 0.6s;
}  // namespace

const std::vector<ICCProfile>& DisplayManager::iccProfiles() {
    if (!profiles_) profiles_ = ColorProfiles::all(platform_);
    return *profiles_;
}

void DisplayManager::reloadProfiles() {
    profiles_ = ColorProfiles::all(platform_);
    publish();
}

void DisplayManager::openProfilesFolder() {
    ColorProfiles::openUserFolder(platform_);
}

void DisplayManager::setColorProfile(const Screen& screen, const std::optional<std::string>& path) {
    if (!ColorProfiles::apply(platform_, path, screen.id)) {
        setLastError(L("O sistema recusou a mudança") + " (ColorSync)");
        return;
    }
    WeakLife weak = life_;
    DisplayID id = screen.id;
    platform_.runtime().main.postAfter(kProfileSettleDelay, [weak, this, id] {
        if (!weak.lock()) return;
        gamma_.forget(id);
        reapplyGamma();
        ++profileTick;
        publish();
    });
}

}  // namespace vp
