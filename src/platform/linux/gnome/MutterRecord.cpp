#include "platform/linux/gnome/MutterRecord.h"

#include "platform/linux/gnome/MutterLayout.h"

#include <limits>

namespace vp::gnome {

namespace {

using nlohmann::json;

template <typename T>
std::optional<T> number(const json& j, const char* key) {
    if (!j.contains(key) || !j[key].is_number()) return std::nullopt;
    if constexpr (std::is_integral_v<T>) {
        if (!j[key].is_number_integer()) return std::nullopt;
        auto v = j[key].get<std::int64_t>();
        if (v < std::int64_t(std::numeric_limits<T>::min()) || v > std::int64_t(std::numeric_limits<T>::max()))
            return std::nullopt;
        return T(v);
    }
    return j[key].get<T>();
}

std::optional<LogicalConfig> logicalFromJson(const json& j) {
    if (!j.is_object() || !j.contains("monitors") || !j["monitors"].is_array()) return std::nullopt;
    auto x = number<std::int32_t>(j, "x"), y = number<std::int32_t>(j, "y");
    auto scale = number<double>(j, "scale");
    auto transform = number<std::uint32_t>(j, "transform");
    if (!x || !y || !scale || !transform || *scale <= 0 || *transform > 7) return std::nullopt;
    if (!j.contains("primary") || !j["primary"].is_boolean()) return std::nullopt;
    LogicalConfig lm{*x, *y, *scale, *transform, j["primary"].get<bool>(), {}};
    for (const auto& m : j["monitors"]) {
        if (!m.is_object() || !m.contains("connector") || !m["connector"].is_string() || !m.contains("mode") ||
            !m["mode"].is_string())
            return std::nullopt;
        lm.monitors.push_back({m["connector"].get<std::string>(), m["mode"].get<std::string>()});
    }
    if (lm.monitors.empty()) return std::nullopt;
    return lm;
}

std::optional<std::vector<std::uint16_t>> rampFromJson(const json& j) {
    if (!j.is_array() || j.empty()) return std::nullopt;
    std::vector<std::uint16_t> ramp;
    for (const auto& v : j) {
        if (!v.is_number_unsigned() || v.get<std::uint64_t>() > 65535) return std::nullopt;
        ramp.push_back(std::uint16_t(v.get<std::uint64_t>()));
    }
    return ramp;
}

}  // namespace

json configToJson(const MonitorsConfig& config) {
    json list = json::array();
    for (const auto& lm : config.logicalMonitors) {
        json monitors = json::array();
        for (const auto& m : lm.monitors) monitors.push_back({{"connector", m.connector}, {"mode", m.modeId}});
        list.push_back({{"x", lm.x},
                        {"y", lm.y},
                        {"scale", lm.scale},
                        {"transform", lm.transform},
                        {"primary", lm.primary},
                        {"monitors", monitors}});
    }
    return {{"logicalMonitors", list}};
}

std::optional<MonitorsConfig> configFromJson(const json& j) {
    if (!j.is_object() || !j.contains("logicalMonitors") || !j["logicalMonitors"].is_array()) return std::nullopt;
    MonitorsConfig config;
    for (const auto& lm : j["logicalMonitors"]) {
        auto parsed = logicalFromJson(lm);
        if (!parsed) return std::nullopt;
        config.logicalMonitors.push_back(std::move(*parsed));
    }
    return config;
}

json rampsToJson(const GammaRamps& ramps) {
    return {{"red", ramps.red}, {"green", ramps.green}, {"blue", ramps.blue}};
}

std::optional<GammaRamps> rampsFromJson(const json& j) {
    if (!j.is_object() || !j.contains("red") || !j.contains("green") || !j.contains("blue")) return std::nullopt;
    auto r = rampFromJson(j["red"]), g = rampFromJson(j["green"]), b = rampFromJson(j["blue"]);
    if (!r || !g || !b || r->size() != g->size() || r->size() != b->size()) return std::nullopt;
    return GammaRamps{*r, *g, *b};
}

std::optional<MonitorsConfig> restorable(const MonitorsConfig& recorded, const MutterState& now) {
    MonitorsConfig config;
    for (LogicalConfig lm : recorded.logicalMonitors) {
        std::erase_if(lm.monitors, [&](const MonitorChoice& c) {
            const MutterMonitor* m = now.monitor(c.connector);
            return !m || !m->mode(c.modeId);
        });
        if (!lm.monitors.empty()) config.logicalMonitors.push_back(std::move(lm));
    }
    if (config.logicalMonitors.empty()) return std::nullopt;
    settleLayout(config, now);
    return config;
}

}  // namespace vp::gnome
