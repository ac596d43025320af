#pragma once
// Simulated virtual displays: creating one adds a display to the simulated
// display system (with the descriptor's name, vendor, product and serial
// numbers and a window-system screen); applying settings gives it the modes
// asked for, at double pixel density when asked; dropping it removes the
// display again.

#include "platform/VirtualDisplays.h"
#include "platform/sim/SimDisplays.h"

#include <nlohmann/json.hpp>

namespace vp {

class SimVirtualDisplays : public VirtualDisplayFactory {
public:
    explicit SimVirtualDisplays(SimDisplays& displays);

    // Scenario: "virtualDisplays": {"available", "refuseCreate",
    // "refuseSettings", "firstID"}. Throws std::runtime_error.
    void load(const nlohmann::json& j);

    // Also unavailable while the platform's capabilities say so.
    bool isAvailable() override { return available && displays_.capabilities().virtualDisplays; }
    std::unique_ptr<VirtualDisplay> create(const VirtualDisplayDescriptor& descriptor) override;

    // --- Simulation controls and inspection
    bool available = true;
    bool refuseCreate = false;
    bool refuseSettings = false;
    DisplayID firstID = 100;  // ids are handed out from here on, skipping ids in use
    std::vector<VirtualDisplayDescriptor> descriptors;  // every create call, in order
    std::vector<VirtualDisplaySettings> settings;       // every applySettings call, in order

private:
    friend class SimVirtualDisplay;
    DisplayID nextFreeID();
    SimDisplays& displays_;
    DisplayID next_ = 0;
};

// The uuid text the simulated system gives a virtual display: derived from
// its vendor, product and serial numbers, as the system derives it from a
// monitor's identity, so a spec keeps its uuid from one launch to the next.
std::string simVirtualDisplayUuid(const VirtualDisplayDescriptor& descriptor);

}  // namespace vp
