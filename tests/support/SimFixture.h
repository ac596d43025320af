#pragma once
// A fresh simulated system per test: platform, context and manager, run in
// virtual time.

#include "app/AppContext.h"
#include "display/DisplayManager.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <memory>
#include <sstream>

namespace vp::test {

inline nlohmann::json loadJsonFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return nlohmann::json::parse(buffer.str());
}

inline nlohmann::json defaultScenario() {
    return loadJsonFile(SimPlatform::defaultScenarioPath());
}

struct Sim {
    explicit Sim(const nlohmann::json& scenario = defaultScenario(), SimOptions options = {})
        : platform(std::make_unique<SimPlatform>(options)) {
        platform->loadScenario(scenario);
        context = std::make_unique<AppContext>(*platform);
        context->install();
    }
    ~Sim() {
        context.reset();
    }
    DisplayManager& manager() { return context->displayManager(); }
    void start() {
        manager().start();
        platform->runUntilIdle();
    }
    void idle() { platform->runUntilIdle(); }
    SimDisplays& displays() { return platform->simDisplays; }
    MemoryDefaults& defaults() { return platform->simSystem.memoryDefaults(); }

    std::unique_ptr<SimPlatform> platform;
    std::unique_ptr<AppContext> context;
};

}  // namespace vp::test
