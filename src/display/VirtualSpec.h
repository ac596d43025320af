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
// The largest width or height, in points, a virtual screen may have.
inline constexpr std::int64_t kMaxVirtualSide = 16384;
// The highest refresh rate, in Hz, a virtual screen may have.
inline constexpr double kMaxVirtualRefresh = 1000;

// All seven keys with the right types, a size of 1…kMaxVirtualSide points
// each way and a rate above 0 and at most kMaxVirtualRefresh; else none.
std::optional<VirtualSpec> virtualSpecFromJson(const nlohmann::json& json);
// Encoders give none when the value cannot be encoded faithfully (see
// encodeJson). Decoders give none when the text is not a JSON array
// (object); an element that cannot be read is left out, and its position
// (key) added to `dropped` when given.
std::optional<std::string> encodeSpecs(const std::vector<VirtualSpec>& specs);
std::optional<std::vector<VirtualSpec>> decodeSpecs(const std::string& bytes,
                                                    std::vector<std::string>* dropped = nullptr);
std::optional<std::string> encodeHiDPI(const HiDPIMap& map);
std::optional<HiDPIMap> decodeHiDPI(const std::string& bytes, std::vector<std::string>* dropped = nullptr);

}  // namespace vp
