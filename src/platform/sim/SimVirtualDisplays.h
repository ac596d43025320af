#pragma once
// Simulated virtual displays.

#include "platform/VirtualDisplays.h"

#include <nlohmann/json.hpp>

namespace vp {

class SimVirtualDisplays : public VirtualDisplayFactory {
public:
    void load(const nlohmann::json&) {}
    bool isAvailable() override { return false; }
    std::unique_ptr<VirtualDisplay> create(const VirtualDisplayDescriptor&) override { return nullptr; }
};

}  // namespace vp
