#pragma once
// A simulated system for the panel and manager tests: a fresh platform and
// context per test, in virtual time, in the language the run asks for
// (VELVETPANE_TEST_LANG, English when unset).

#include "app/AppContext.h"
#include "app/I18n.h"
#include "display/DisplayManager.h"
#include "platform/sim/SimPlatform.h"

#include <QByteArray>
#include <QtGlobal>

#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

namespace vp::ui::test {

inline nlohmann::json defaultScenario() {
    std::ifstream in(SimPlatform::defaultScenarioPath());
    std::stringstream text;
    text << in.rdbuf();
    return nlohmann::json::parse(text.str());
}

inline std::string testLanguage() {
    QByteArray lang = qgetenv("VELVETPANE_TEST_LANG");
    return lang.isEmpty() ? std::string("en") : lang.toStdString();
}

struct PagesWorld {
    SimPlatform platform;
    std::unique_ptr<AppContext> context;

    explicit PagesWorld(const nlohmann::json& scenario = defaultScenario()) {
        platform.loadScenario(scenario);
        I18n::initialize({testLanguage()});
        context = std::make_unique<AppContext>(platform);
        context->install();
        manager().start();
        idle();
    }
    ~PagesWorld() { context.reset(); }
    DisplayManager& manager() { return context->displayManager(); }
    void idle() { platform.runUntilIdle(); }
};

// The default scenario with one more 1080p monitor (id 4) beside the others.
inline nlohmann::json fourScreens() {
    nlohmann::json scenario = defaultScenario();
    nlohmann::json extra = scenario["displays"][2];
    extra["id"] = 4;
    extra["uuid"] = "0B9E3C11-2F7A-4C55-9D10-6E2B8A4C3F99";
    extra["name"] = "Side 24";
    extra["bounds"] = {5760, 0, 1920, 1080};
    extra["serial"] = 78;
    scenario["displays"].push_back(extra);
    return scenario;
}

}  // namespace vp::ui::test
