#pragma once
// Simulated monitor hardware: the built-in panel's backlight and DDC/CI
// monitors on simulated I2C. Until a scenario adds them there are none, and
// the entry points are missing.

#include "platform/Hardware.h"

#include <nlohmann/json.hpp>

namespace vp {

class SimHardware : public MonitorHardware {
public:
    void load(const nlohmann::json&) {}
    const BacklightEntryPoints& backlight() override { return backlight_; }
    const I2CEntryPoints& i2c() override { return i2c_; }
    std::optional<std::vector<AVRegistryEntry>> avServiceEntries() override { return std::vector<AVRegistryEntry>{}; }

private:
    BacklightEntryPoints backlight_;
    I2CEntryPoints i2c_;
};

}  // namespace vp
