#include "display/DisplayManager.h"

#include "app/I18n.h"

namespace vp {

std::vector<ModeOption> DisplayManager::loadModes(DisplayID display) {
    auto all = platform_.displays().allModes(display);
    return all ? selectableModes(*all) : std::vector<ModeOption>{};
}

void DisplayManager::rebuildModeCache() {
    std::map<DisplayID, std::vector<ModeOption>> cache;
    for (const Screen& s : screens)
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

std::string DisplayManager::refusal(Status status) const {
    return L("O sistema recusou a mudança") + " (" + std::to_string(status) + ")";
}

Status DisplayManager::configure(ConfigureOption option, const std::function<Status(ConfigHandle)>& body) {
    DisplayServices& ds = platform_.displays();
    ConfigHandle handle = 0;
    if (Status status = ds.beginConfiguration(handle); status != 0 || handle == 0) return status;
    if (Status status = body(handle); status != 0) {
        ds.cancelConfiguration(handle);
        setLastError(refusal(status));
        return status;
    }
    Status status = ds.completeConfiguration(handle, option);
    if (status != 0) setLastError(refusal(status));
    scheduleRefresh();
    return status;
}

}  // namespace vp
