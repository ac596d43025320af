#include "display/DisplayManager.h"

#include "app/I18n.h"
#include "app/PlatformTexts.h"

namespace vp {

bool DisplayManager::canDisable() const {
    return bool(platform_.capabilities().switchOff);
}

bool DisplayManager::isOnlyStandaloneScreen(DisplayID display) const {
    std::vector<DisplayID> standalone;
    for (const Screen& s : state_.screens)
        if (s.isActive && !s.mirrorOf && !s.isOurVirtual) standalone.push_back(s.id);
    return standalone.size() == 1 && standalone.front() == display;
}

// Virtual screens show nothing by themselves: with the last physical screen
// off, nothing would be visible at all.
bool DisplayManager::isLastLitPhysicalScreen(DisplayID display) const {
    for (const Screen& s : state_.screens)
        if (s.isActive && !s.isOurVirtual && s.id != display) return false;
    return true;
}

void DisplayManager::setEnabled(DisplayID display, bool enabled) {
    if (const Ability& switchOff = platform_.capabilities().switchOff; !switchOff) return setLastError(LR(switchOff.reason));
    if (!enabled && (isOnlyStandaloneScreen(display) || isLastLitPhysicalScreen(display))) {
        setLastError(L("Não dá para desligar a única tela ativa."));
        return;
    }

    std::map<DisplayID, std::string> before = state_.disabled;
    if (!enabled) {
        auto listed = screen(display);
        state_.disabled[display] = listed ? listed->name : L("Tela");
    }
    DisplayServices& ds = platform_.displays();
    bool succeeded = configure(ConfigureOption::forAppOnly,
                               [&](ConfigHandle handle) { return ds.configureEnabled(handle, display, enabled); });
    if (enabled && succeeded) state_.disabled.erase(display);
    // A refused switch-off leaves the screen on and showing its picture, so
    // it must not stay listed as switched off.
    if (!enabled && !succeeded) state_.disabled = std::move(before);
    publish();
}

}  // namespace vp
