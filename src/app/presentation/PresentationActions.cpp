// The presentation helpers' calls into the manager, kept apart from their
// pure rules.
#include "app/presentation/VirtualForm.h"
#include "display/DisplayManager.h"

namespace vp {

void VirtualForm::create(DisplayManager& manager) {
    auto result = build();
    if (auto* message = std::get_if<std::string>(&result)) {
        manager.setLastError(*message);
        return;
    }
    manager.addVirtual(std::get<VirtualSpec>(result));
    name.clear();
}

}  // namespace vp
