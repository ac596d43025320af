#include "hardware/ProbeMemory.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace vp {

namespace {

using nlohmann::json;

json toJson(const RememberedProbe& p) {
    json maxima = json::object();
    for (auto [code, max] : p.maxima) maxima[ddc::hexBytes({code})] = max;
    json j = {{"brightness", p.brightness}, {"maxima", maxima}};
    if (p.volume) j["volume"] = *p.volume;
    if (p.input) j["input"] = *p.input;
    return j;
}

// None for an entry another version wrote in a shape this one cannot use.
std::optional<RememberedProbe> fromJson(const json& j) {
    if (!j.is_object() || !j.contains("brightness") || !j["brightness"].is_number()) return std::nullopt;
    RememberedProbe p;
    p.brightness = j["brightness"].get<double>();
    if (j.contains("volume") && j["volume"].is_number()) p.volume = j["volume"].get<double>();
    if (j.contains("input") && j["input"].is_number_integer()) p.input = j["input"].get<int>();
    if (j.contains("maxima") && j["maxima"].is_object()) {
        for (const auto& [code, max] : j["maxima"].items()) {
            unsigned value = 0;
            auto [end, ec] = std::from_chars(code.data(), code.data() + code.size(), value, 16);
            if (!max.is_number_integer() || code.size() != 2 || ec != std::errc() || end != code.data() + 2) continue;
            p.maxima[std::uint8_t(value)] = max.get<int>();
        }
    }
    return p;
}

}  // namespace

ProbeMemory::ProbeMemory(const std::string& saved, Saver save) : save_(std::move(save)) {
    json j = json::parse(saved, nullptr, false);
    if (!j.is_object()) return;
    for (const auto& [k, v] : j.items())
        if (auto p = fromJson(v)) entries_[k] = *p;
}

std::string ProbeMemory::key(const Bytes& edid) {
    // FNV-1a, 64 bits: stable across builds and platforms, unlike std::hash.
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::uint8_t b : edid) {
        hash ^= b;
        hash *= 0x100000001b3ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::optional<RememberedProbe> ProbeMemory::recall(const Bytes& edid) const {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(key(edid));
    if (it == entries_.end()) return std::nullopt;
    return it->second;
}

void ProbeMemory::remember(const Bytes& edid, const RememberedProbe& probe) {
    std::lock_guard lock(mutex_);
    auto& slot = entries_[key(edid)];
    if (slot == probe) return;
    slot = probe;
    save();
}

void ProbeMemory::forget(const Bytes& edid) {
    std::lock_guard lock(mutex_);
    if (entries_.erase(key(edid))) save();
}

void ProbeMemory::noteWritten(const Bytes& edid, std::uint8_t code, long long value) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(key(edid));
    if (it == entries_.end()) return;
    RememberedProbe updated = it->second;
    auto fraction = [&](std::uint8_t feature) -> std::optional<double> {
        auto max = updated.maxima.find(feature);
        if (max == updated.maxima.end() || max->second <= 0) return std::nullopt;
        return std::clamp(double(value) / max->second, 0.0, 1.0);
    };
    if (code == vcpCode(VCP::brightness)) {
        if (auto f = fraction(code)) updated.brightness = *f;
    } else if (code == vcpCode(VCP::volume)) {
        if (auto f = fraction(code)) updated.volume = *f;
    } else if (code == vcpCode(VCP::inputSource)) {
        updated.input = int(value & 0xFF);
    }
    if (updated == it->second) return;
    it->second = updated;
    save();
}

void ProbeMemory::save() const {
    if (!save_) return;
    json j = json::object();
    for (const auto& [k, p] : entries_) j[k] = toJson(p);
    save_(j.dump());
}

}  // namespace vp
