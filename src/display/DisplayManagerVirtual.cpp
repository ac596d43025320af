#include "display/DisplayManager.h"

#include "app/I18n.h"
#include "app/PlatformTexts.h"
#include "display/VirtualEngine.h"

#include <algorithm>

namespace vp {

void DisplayManager::createEnabledVirtuals() {
    VirtualEngine& engine = virtualEngine_;
    for (const VirtualSpec& spec : state_.specs)
        if (spec.enabled) engine.create(spec);
}

void DisplayManager::addVirtual(const VirtualSpec& spec) {
    if (const Ability& virtuals = platform_.capabilities().virtualDisplays; !virtuals)
        return setLastError(LR(virtuals.reason));
    state_.specs.push_back(spec);
    saveSpecs();
    // A spec the system refuses stays listed, so the user can switch it on
    // again later or remove it.
    if (!virtualEngine_.create(spec)) state_.lastError = L("Não foi possível criar a tela virtual.");
    scheduleRefresh();
    publish();
}

void DisplayManager::toggleVirtual(const VirtualSpec& spec, bool on) {
    auto stored = std::find_if(state_.specs.begin(), state_.specs.end(), [&](const VirtualSpec& s) { return s.id == spec.id; });
    if (stored == state_.specs.end()) return;
    if (const Ability& virtuals = platform_.capabilities().virtualDisplays; on && !virtuals)
        return setLastError(LR(virtuals.reason));
    stored->enabled = on;
    VirtualSpec updated = *stored;
    saveSpecs();
    VirtualEngine& engine = virtualEngine_;
    if (on) engine.create(updated);
    else engine.destroy(updated.id);
    scheduleRefresh();
    publish();
}

void DisplayManager::removeVirtual(const VirtualSpec& spec) {
    virtualEngine_.destroy(spec.id);
    std::erase_if(state_.specs, [&](const VirtualSpec& s) { return s.id == spec.id; });
    saveSpecs();
    scheduleRefresh();
    publish();
}

}  // namespace vp
