#include "display/DisplayManager.h"

#include "app/I18n.h"

namespace vp {

bool DisplayManager::canDisable() const {
    return platform_.displays().hasConfigureEnabled();
}

bool DisplayManager::isOnlyStandaloneScreen(DisplayID display) const {
    std::vector<DisplayID> standalone;
    for (const Screen& s : screens)
        if (s.isActive && !s.mirrorOf && !s.isOurVirtual) standalone.push_back(s.id);
    return standalone.size() == 1 && standalone.front() == display;
}

// Virtual screens show nothing by themselves: with the last physical screen
// off, nothing would be visible at all.
bool DisplayManager::isLastLitPhysicalScreen(DisplayID display) const {
    for (const Screen& s : screens)
        if (s.isActive && !s.isOurVirtual && s.id != display) return false;
    return true;
}

void DisplayManager::setEnabled(DisplayID display, bool enabled) {
    DisplayServices& ds = platform_.displays();
    if (!ds.hasConfigureEnabled()) return;
    if (!enabled && (isOnlyStandaloneScreen(display) || isLastLitPhysicalScreen(display))) {
        setLastError(L("Não dá para desligar a única tela ativa."));
        return;
    }

    std::map<DisplayID, std::string> before = disabled;
    if (!enabled) {
        auto listed = screen(display);
        disabled[display] = listed ? listed->name : L("Tela");
    }

    ConfigHandle handle = 0;
    Status status = ds.beginConfiguration(handle);
    bool began = status == 0 && handle != 0;
    bool completed = false;
    if (began) {
        status = ds.configureEnabled(handle, display, enabled);
        if (status != 0) {
            ds.cancelConfiguration(handle);
        } else {
            status = ds.completeConfiguration(handle, ConfigureOption::forAppOnly);
            completed = true;
        }
        if (status != 0) lastError = refusal(status);
    }

    bool succeeded = began && status == 0;
    if (enabled && succeeded) disabled.erase(display);
    // A refused switch-off leaves the screen on and showing its picture, so
    // it must not stay listed as switched off.
    if (!enabled && !succeeded) disabled = std::move(before);
    if (completed) scheduleRefresh();
    publish();
}

}  // namespace vp
