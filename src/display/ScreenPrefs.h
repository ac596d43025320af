#pragma once
#include <nlohmann/json.hpp>

#include <map>
#include <optional>
#include <string>
#include <vector>

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
// All four keys with the right types and finite numbers, else none. Each
// number is clamped to 0…1, as the operations that set them clamp.
std::optional<ScreenPrefs> screenPrefsFromJson(const nlohmann::json& json);
// None when the map cannot be encoded faithfully (see encodeJson).
std::optional<std::string> encodePrefs(const PrefsMap& prefs);
// None when the text is not a JSON object. An entry that cannot be read is
// left out, and its key added to `dropped` when given.
std::optional<PrefsMap> decodePrefs(const std::string& bytes, std::vector<std::string>* dropped = nullptr);

}  // namespace vp
