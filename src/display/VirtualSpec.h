#pragma once
#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vp {

// A 128-bit UUID with the standard upper-case text form.
struct Uuid {
    std::array<std::uint8_t, 16> bytes{};
    static Uuid random();
    static std::optional<Uuid> parse(const std::string& text);
    std::string text() const;
    auto operator<=>(const Uuid&) const = default;
};

// The persisted description of one virtual screen.
struct VirtualSpec {
    Uuid id = Uuid::random();
    std::string name;
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool hiDPI = false;
    double refresh = 60;
    bool enabled = true;

    bool operator==(const VirtualSpec&) const = default;
};

using HiDPIMap = std::map<std::string, VirtualSpec>;

nlohmann::json toJson(const VirtualSpec& spec);
// Strict: all seven keys with the right types, else none.
std::optional<VirtualSpec> virtualSpecFromJson(const nlohmann::json& json);
// Encoders give none when the value cannot be encoded faithfully (see
// encodeJson); decoders give none when any element fails to decode.
std::optional<std::string> encodeSpecs(const std::vector<VirtualSpec>& specs);
std::optional<std::vector<VirtualSpec>> decodeSpecs(const std::string& bytes);
std::optional<std::string> encodeHiDPI(const HiDPIMap& map);
std::optional<HiDPIMap> decodeHiDPI(const std::string& bytes);

}  // namespace vp
