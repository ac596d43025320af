#pragma once
#include <nlohmann/json.hpp>

#include <map>
#include <optional>
#include <string>

namespace vp {

// Persisted per-screen settings, keyed by the screen's uuid text.
struct ScreenPrefs {
    double dim = 1.0;
    double warmth = 0.0;
    double contrast = 0.5;
    bool forceSoftware = false;

    bool operator==(const ScreenPrefs&) const = default;
};

using PrefsMap = std::map<std::string, ScreenPrefs>;

nlohmann::json toJson(const ScreenPrefs& prefs);
// Strict: all four keys with the right types, else none.
std::optional<ScreenPrefs> screenPrefsFromJson(const nlohmann::json& json);
// None when the map cannot be encoded faithfully (see encodeJson).
std::optional<std::string> encodePrefs(const PrefsMap& prefs);
// One bad entry discards the whole map.
std::optional<PrefsMap> decodePrefs(const std::string& bytes);

}  // namespace vp
