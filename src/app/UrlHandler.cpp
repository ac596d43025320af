#include "app/Log.h"
#include "app/UrlCommands.h"
#include "display/DisplayManager.h"
#include "input/BrightnessKeys.h"

namespace vp {

namespace {

void applyToOne(DisplayManager& manager, Log& log, const UrlCommand& command, const std::string& url) {
    auto screen = manager.screen(*command.display);
    if (!screen || !screen->isActive || screen->isOurVirtual) {
        log.warn("URL ignored, display " + std::to_string(*command.display) + " is not a screen it can change: " + url);
        return;
    }
    if (command.kind == UrlCommandKind::brightness) manager.setBrightness(screen->id, command.fraction);
    else manager.setWarmth(*screen, command.fraction);
}

}  // namespace

void handleURLs(DisplayManager& manager, Log& log, const std::vector<std::string>& urls) {
    for (const std::string& url : urls) {
        auto command = parseUrlCommand(url);
        if (!command) continue;
        if (command->step) {
            manager.stepAllBrightness(command->step * BrightnessKeys::step);
            continue;
        }
        if (command->display) {
            applyToOne(manager, log, *command, url);
            continue;
        }
        if (command->kind == UrlCommandKind::brightness) {
            manager.setAllBrightness(command->fraction);
            continue;
        }
        // A copy: changing colours must not disturb the list being walked.
        const std::vector<Screen> screens = manager.state().screens;
        for (const Screen& screen : screens)
            if (screen.isActive && !screen.isOurVirtual) manager.setWarmth(screen, command->fraction);
    }
}

}  // namespace vp
