#include "display/VirtualEngine.h"

#include "app/AppContext.h"

namespace vp {

VirtualEngine::VirtualEngine(AppContext& context) : context_(context) {}

VirtualEngine::~VirtualEngine() = default;

VirtualEngine& VirtualEngine::shared() {
    return AppContext::current().virtualEngine();
}

bool VirtualEngine::isOurs(DisplayID display) const {
    return context_.platform().displays().vendorNumber(display) == vendorID;
}

std::optional<DisplayID> VirtualEngine::displayID(const Uuid& id) const {
    auto it = live_.find(id);
    if (it == live_.end()) return std::nullopt;
    return it->second->displayID();
}

}  // namespace vp
