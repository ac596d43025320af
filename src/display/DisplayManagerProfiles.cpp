#include "display/DisplayManager.h"

#include "app/I18n.h"
#include "app/PlatformTexts.h"
#include "display/Gamma.h"
#include "overlay/ColorProfiles.h"

namespace vp {

using namespace std::chrono_literals;

namespace {
// The system needs a moment before the new profile's gamma tables can be read.
constexpr Seconds kProfileSettleDelay = 0.6s;
}  // namespace

const std::vector<ICCProfile>& DisplayManager::iccProfiles(DisplayID display) {
    auto known = profiles_.find(display);
    if (known == profiles_.end()) known = profiles_.emplace(display, ColorProfiles::all(platform_, display)).first;
    return known->second;
}

void DisplayManager::reloadProfiles() {
    profiles_.clear();
    publish();
}

void DisplayManager::openProfilesFolder() {
    platform_.profiles().openUserFolder();
}

void DisplayManager::setColorProfile(const Screen& screen, const std::optional<std::string>& path) {
    if (!ColorProfiles::apply(platform_, path, screen.id)) {
        const std::string why = platform_.profiles().assignmentProblem();
        setLastError(why.empty() ? L("O sistema recusou a mudança") : LR(why));
        return;
    }
    WeakLife weak = life_;
    DisplayID id = screen.id;
    platform_.runtime().main.postAfter(kProfileSettleDelay, [weak, this, id] {
        if (!weak.lock()) return;
        gamma_.forget(id);
        reapplyGamma();
        ++state_.profileTick;
        publish();
    });
}

}  // namespace vp
