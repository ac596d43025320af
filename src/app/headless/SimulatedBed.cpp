#include "app/headless/SimulatedBed.h"

#include "platform/DesktopLanguages.h"

namespace vp {

SimulatedBed::SimulatedBed(const HeadlessOptions& options) : platform_(SimOptions{options.home, false}) {
    // The desktop's languages, unless the scenario names the user's own.
    if (auto desktop = desktopLanguages(); !desktop.empty()) platform_.simSystem.languages = desktop;
    platform_.loadScenarioFile(options.scenario);
    if (!options.lang.empty()) platform_.simSystem.languages = {options.lang};
}

void SimulatedBed::settle() {
    platform_.runUntilIdle(Seconds(30));
}

void SimulatedBed::pressKey(const KeyEvent& event) {
    platform_.simInput.inject(event);
}

void SimulatedBed::grantKeysPermission() {
    platform_.simInput.permitted = true;
}

}  // namespace vp
