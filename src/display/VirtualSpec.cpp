#include "display/VirtualSpec.h"

#include "util/Json.h"

#include <cmath>
#include <cstdio>
#include <random>

namespace vp {

Uuid Uuid::random() {
    static thread_local std::mt19937_64 engine{std::random_device{}()};
    Uuid u;
    for (std::size_t i = 0; i < 16; i += 8) {
        std::uint64_t r = engine();
        for (std::size_t k = 0; k < 8; ++k) u.bytes[i + k] = std::uint8_t(r >> (8 * k));
    }
    u.bytes[6] = std::uint8_t((u.bytes[6] & 0x0F) | 0x40);  // version 4
    u.bytes[8] = std::uint8_t((u.bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return u;
}

std::optional<Uuid> Uuid::parse(const std::string& text) {
    if (text.size() != 36) return std::nullopt;
    Uuid u;
    std::size_t byte = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-') return std::nullopt;
            ++i;
            continue;
        }
        auto hex = [](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        int hi = hex(text[i]), lo = hex(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        u.bytes[byte++] = std::uint8_t(hi * 16 + lo);
        i += 2;
    }
    return u;
}

std::string Uuid::text() const {
    char out[37];
    std::snprintf(out, sizeof out, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes[0],
                  bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9], bytes[10],
                  bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return out;
}

nlohmann::json toJson(const VirtualSpec& s) {
    return {{"id", s.id.text()},       {"name", s.name},         {"width", s.width},    {"height", s.height},
            {"hiDPI", s.hiDPI},        {"refresh", s.refresh},   {"enabled", s.enabled}};
}

std::optional<VirtualSpec> virtualSpecFromJson(const nlohmann::json& j) {
    if (!j.is_object()) return std::nullopt;
    auto has = [&](const char* key, auto check) { return j.contains(key) && check(j[key]); };
    if (!has("id", [](const auto& v) { return v.is_string(); }) ||
        !has("name", [](const auto& v) { return v.is_string(); }) ||
        !has("width", [](const auto& v) { return v.is_number_integer(); }) ||
        !has("height", [](const auto& v) { return v.is_number_integer(); }) ||
        !has("hiDPI", [](const auto& v) { return v.is_boolean(); }) ||
        !has("refresh", [](const auto& v) { return v.is_number(); }) ||
        !has("enabled", [](const auto& v) { return v.is_boolean(); }))
        return std::nullopt;
    auto id = Uuid::parse(j["id"].get<std::string>());
    if (!id) return std::nullopt;
    auto side = [&](const char* key) {
        auto v = j[key].get<std::int64_t>();
        return v >= 1 && v <= kMaxVirtualSide;
    };
    const double refresh = j["refresh"].get<double>();
    if (!side("width") || !side("height") || !(refresh > 0 && refresh <= kMaxVirtualRefresh)) return std::nullopt;
    VirtualSpec s;
    s.id = *id;
    s.name = j["name"].get<std::string>();
    s.width = j["width"].get<std::int64_t>();
    s.height = j["height"].get<std::int64_t>();
    s.hiDPI = j["hiDPI"].get<bool>();
    s.refresh = j["refresh"].get<double>();
    s.enabled = j["enabled"].get<bool>();
    return s;
}

std::optional<std::string> encodeSpecs(const std::vector<VirtualSpec>& specs) {
    nlohmann::json j = nlohmann::json::array();
    for (const auto& s : specs) j.push_back(toJson(s));
    return encodeJson(j);
}

std::optional<std::vector<VirtualSpec>> decodeSpecs(const std::string& bytes, std::vector<std::string>* dropped) {
    auto j = nlohmann::json::parse(bytes, nullptr, false);
    if (!j.is_array()) return std::nullopt;
    std::vector<VirtualSpec> specs;
    for (std::size_t i = 0; i < j.size(); ++i) {
        if (auto s = virtualSpecFromJson(j[i])) specs.push_back(*s);
        else if (dropped) dropped->push_back(std::to_string(i));
    }
    return specs;
}

std::optional<std::string> encodeHiDPI(const HiDPIMap& map) {
    nlohmann::json j = nlohmann::json::object();
    for (const auto& [uuid, s] : map) j[uuid] = toJson(s);
    return encodeJson(j);
}

std::optional<HiDPIMap> decodeHiDPI(const std::string& bytes, std::vector<std::string>* dropped) {
    auto j = nlohmann::json::parse(bytes, nullptr, false);
    if (!j.is_object()) return std::nullopt;
    HiDPIMap map;
    for (const auto& [uuid, value] : j.items()) {
        if (auto s = virtualSpecFromJson(value)) map.emplace(uuid, *s);
        else if (dropped) dropped->push_back(uuid);
    }
    return map;
}

}  // namespace vp
