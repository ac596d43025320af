#include "app/UrlCommands.h"
#include "display/DisplayManager.h"

namespace vp {

void handleURLs(DisplayManager& manager, const std::vector<std::string>& urls) {
    for (const std::string& url : urls) {
        auto command = parseUrlCommand(url);
        if (!command) continue;
        if (command->kind == UrlCommandKind::brightness) {
            manager.setAllBrightness(command->fraction);
            continue;
        }
        // A copy: changing colours must not disturb the list being walked.
        const std::vector<Screen> screens = manager.screens;
        for (const Screen& screen : screens)
            if (screen.isActive && !screen.isOurVirtual) manager.setWarmth(screen, command->fraction);
    }
}

}  // namespace vp
