#pragma once
// Simulated keyboard tap, accessibility permission and audio output.

#include "platform/Input.h"

#include <nlohmann/json.hpp>

namespace vp {

class SimInput : public InputServices {
public:
    void load(const nlohmann::json&) {}
    std::unique_ptr<EventTap> createEventTap(std::uint64_t, TapHandler) override { return nullptr; }
    bool isAccessibilityTrusted() override { return false; }
    void promptForAccessibility() override {}
    std::optional<std::uint32_t> defaultOutputDevice() override { return std::nullopt; }
    std::optional<std::uint32_t> transportType(std::uint32_t) override { return std::nullopt; }
};

}  // namespace vp
