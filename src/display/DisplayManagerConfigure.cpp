#include "display/DisplayManager.h"

#include "app/I18n.h"

namespace vp {

std::string DisplayManager::refusal(Status status) const {
    std::string text = L("O sistema recusou a mudança") + " (" + std::to_string(status) + ")";
    if (std::string words = platform_.displays().lastFailure(); !words.empty()) text.append(": ").append(words);
    return text;
}

// Every configuration change goes through here: begin, the steps, then
// complete, or cancel at the first refused step. A refused step or
// completion is published as the last error; a refresh follows every
// transaction that reached completion, since the system may have changed
// part of it even when it reports a failure.
bool DisplayManager::configure(ConfigureOption option, const std::function<Status(ConfigHandle)>& steps) {
    DisplayServices& ds = platform_.displays();
    ConfigHandle handle = 0;
    // No transaction began: nothing was asked of the system, so nothing
    // was refused either.
    if (Status status = ds.beginConfiguration(handle); status != 0 || handle == 0) return false;
    if (Status status = steps(handle); status != 0) {
        ds.cancelConfiguration(handle);
        setLastError(refusal(status));
        return false;
    }
    Status status = ds.completeConfiguration(handle, option);
    scheduleRefresh();
    if (status != 0) setLastError(refusal(status));
    return status == 0;
}

}  // namespace vp
