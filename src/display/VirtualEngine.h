#pragma once
// Owns the live virtual displays of this program.

#include "display/VirtualSpec.h"
#include "platform/VirtualDisplays.h"

#include <map>
#include <memory>
#include <optional>

namespace vp {

class AppContext;

class VirtualEngine {
public:
    static constexpr std::uint32_t vendorID = 0x5650;

    explicit VirtualEngine(AppContext& context);
    ~VirtualEngine();

    static VirtualEngine& shared();

    bool isOurs(DisplayID display) const;
    std::optional<DisplayID> displayID(const Uuid& id) const;

private:
    AppContext& context_;
    std::map<Uuid, std::unique_ptr<VirtualDisplay>> live_;
};

}  // namespace vp
