#pragma once
// mutter configurations and gamma ramps as JSON, for the record of
// originals, and how a recorded configuration is brought back onto the
// monitors connected now.

#include "platform/linux/gnome/DisplayConfigClient.h"
#include "platform/linux/gnome/MutterTypes.h"

#include <nlohmann/json.hpp>

#include <optional>

namespace vp::gnome {

nlohmann::json configToJson(const MonitorsConfig& config);
// None when the record is not a configuration (damaged, or from elsewhere).
std::optional<MonitorsConfig> configFromJson(const nlohmann::json& j);

nlohmann::json rampsToJson(const GammaRamps& ramps);
std::optional<GammaRamps> rampsFromJson(const nlohmann::json& j);

// The recorded configuration without the monitors and modes that are gone;
// none when nothing of it is left to show. The layout is settled again.
std::optional<MonitorsConfig> restorable(const MonitorsConfig& recorded, const MutterState& now);

}  // namespace vp::gnome
