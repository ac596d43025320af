#pragma once
// What the simulated platform offers: by default a system that undoes
// changes made for this run when the process ends and resets gamma tables
// at a display change; a scenario's "capabilities" object stands in for
// another kind of system.

#include "platform/Capabilities.h"

#include <nlohmann/json.hpp>

namespace vp {

Capabilities simDefaultCapabilities();

// Scenario: {"configurationOutlivesProcess", "gammaOutlivesProcess",
// "gammaOverwrittenByDesktop": bool, "virtualDisplays", "switchOff": true or
// the reason they are unavailable}. Absent keys keep their value. Throws
// std::runtime_error naming the field.
void loadDisplayCapabilities(const nlohmann::json& j, Capabilities& capabilities);

}  // namespace vp
