#include "display/DisplayManager.h"

namespace vp {

std::vector<ModeOption> DisplayManager::loadModes(DisplayID display) {
    auto all = platform_.displays().allModes(display);
    return all ? selectableModes(*all) : std::vector<ModeOption>{};
}

void DisplayManager::rebuildModeCache() {
    std::map<DisplayID, std::vector<ModeOption>> cache;
    for (const Screen& s : state_.screens)
        if (s.isActive) cache[s.id] = loadModes(s.id);
    modeCache = std::move(cache);
}

std::vector<ModeOption> DisplayManager::modes(DisplayID display) {
    auto it = modeCache.find(display);
    if (it == modeCache.end()) it = modeCache.emplace(display, loadModes(display)).first;
    return it->second;
}

std::optional<std::string> DisplayManager::currentModeID(DisplayID display) {
    auto mode = platform_.displays().currentMode(display);
    if (!mode) return std::nullopt;
    return modeKey(*mode);
}

void DisplayManager::apply(const ModeOption& mode, DisplayID display) {
    DisplayServices& ds = platform_.displays();
    configure(ConfigureOption::permanently,
              [&](ConfigHandle handle) { return ds.configureMode(handle, display, mode.mode); });
}

Size DisplayManager::nativePixels(DisplayID display) {
    auto all = platform_.displays().allModes(display);
    return all ? nativePixelSize(*all) : Size{};
}

}  // namespace vp
