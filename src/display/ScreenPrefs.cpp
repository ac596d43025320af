#include "display/ScreenPrefs.h"

#include "util/Json.h"

#include <algorithm>
#include <cmath>

namespace vp {

nlohmann::json toJson(const ScreenPrefs& p) {
    return {{"dim", p.dim}, {"warmth", p.warmth}, {"contrast", p.contrast}, {"forceSoftware", p.forceSoftware}};
}

std::optional<ScreenPrefs> screenPrefsFromJson(const nlohmann::json& j) {
    if (!j.is_object()) return std::nullopt;
    for (const char* key : {"dim", "warmth", "contrast"})
        if (!j.contains(key) || !j[key].is_number() || !std::isfinite(j[key].get<double>())) return std::nullopt;
    if (!j.contains("forceSoftware") || !j["forceSoftware"].is_boolean()) return std::nullopt;
    auto unit = [&](const char* key) { return std::clamp(j[key].get<double>(), 0.0, 1.0); };
    return ScreenPrefs{unit("dim"), unit("warmth"), unit("contrast"), j["forceSoftware"].get<bool>()};
}

std::optional<std::string> encodePrefs(const PrefsMap& prefs) {
    nlohmann::json j = nlohmann::json::object();
    for (const auto& [uuid, p] : prefs) j[uuid] = toJson(p);
    return encodeJson(j);
}

std::optional<PrefsMap> decodePrefs(const std::string& bytes, std::vector<std::string>* dropped) {
    auto j = nlohmann::json::parse(bytes, nullptr, false);
    if (!j.is_object()) return std::nullopt;
    PrefsMap map;
    for (const auto& [uuid, value] : j.items()) {
        if (auto p = screenPrefsFromJson(value)) map.emplace(uuid, *p);
        else if (dropped) dropped->push_back(uuid);
    }
    return map;
}

}  // namespace vp
