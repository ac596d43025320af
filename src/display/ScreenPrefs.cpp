#include "display/ScreenPrefs.h"

#include "util/Json.h"

namespace vp {

nlohmann::json toJson(const ScreenPrefs& p) {
    return {{"dim", p.dim}, {"warmth", p.warmth}, {"contrast", p.contrast}, {"forceSoftware", p.forceSoftware}};
}

std::optional<ScreenPrefs> screenPrefsFromJson(const nlohmann::json& j) {
    if (!j.is_object()) return std::nullopt;
    for (const char* key : {"dim", "warmth", "contrast"})
        if (!j.contains(key) || !j[key].is_number()) return std::nullopt;
    if (!j.contains("forceSoftware") || !j["forceSoftware"].is_boolean()) return std::nullopt;
    return ScreenPrefs{j["dim"].get<double>(), j["warmth"].get<double>(), j["contrast"].get<double>(),
                       j["forceSoftware"].get<bool>()};
}

std::optional<std::string> encodePrefs(const PrefsMap& prefs) {
    nlohmann::json j = nlohmann::json::object();
    for (const auto& [uuid, p] : prefs) j[uuid] = toJson(p);
    return encodeJson(j);
}

std::optional<PrefsMap> decodePrefs(const std::string& bytes) {
    auto j = nlohmann::json::parse(bytes, nullptr, false);
    if (!j.is_object()) return std::nullopt;
    PrefsMap map;
    for (const auto& [uuid, value] : j.items()) {
        auto p = screenPrefsFromJson(value);
        if (!p) return std::nullopt;
        map.emplace(uuid, *p);
    }
    return map;
}

}  // namespace vp
