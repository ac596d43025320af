#pragma once
// Small scenarios for the display-configuration tests.

#include "app/I18n.h"
#include "support/SimFixture.h"

#include <nlohmann/json.hpp>

namespace vp::test {

// A standalone monitor with one native mode of its own size.
inline nlohmann::json monitor(DisplayID id, double x, double y, int w, int h, double hz = 60) {
    return {{"id", id},
            {"uuid", "00000000-0000-4000-8000-0000000000" + std::string(id < 10 ? "0" : "") + std::to_string(id)},
            {"name", "Monitor " + std::to_string(id)},
            {"bounds", {x, y, w, h}},
            {"modes", {{{"width", w}, {"height", h}, {"refresh", hz}, {"native", true}}}},
            {"currentMode", 0},
            {"sizeMM", {600, 340}}};
}

// A simulated system that has already started.
struct Started : Sim {
    explicit Started(const nlohmann::json& scenario = defaultScenario(), SimOptions options = {})
        : Sim(scenario, options) {
        start();
    }
};

inline nlohmann::json scenario(std::vector<nlohmann::json> displays) {
    return {{"displays", displays}};
}

// The status text of a refused change, in the process's language.
inline std::string refusedText(Status status) {
    return L("O sistema recusou a mudança") + " (" + std::to_string(status) + ")";
}

// Transaction calls logged since `from`.
inline std::vector<std::string> callsSince(SimDisplays& displays, std::size_t from) {
    const auto& log = displays.transactionLog;
    return {log.begin() + std::ptrdiff_t(std::min(from, log.size())), log.end()};
}

}  // namespace vp::test
