#include "display/DisplayManager.h"

#include "display/Gamma.h"
#include "display/VirtualEngine.h"
#include "overlay/Shade.h"
#include "overlay/XDR.h"

namespace vp {

void DisplayManager::shutdown() {
    xdr_.removeAll();
    shade_.removeAll();
    gamma_.restoreAll();
    switchOnDisabledScreens();
    endMirrorsOntoOurVirtuals();
    virtualEngine_.destroyAll();
    // The manager is finished: the refreshes, probes and callbacks still
    // queued would put colours, overlays and shades back on the screens just
    // restored. The list itself is brought up to date at once.
    life_ = std::make_shared<int>(0);
    if (refreshWork) refreshWork->cancel();
    screens = listScreens();
    publish();
}

void DisplayManager::switchOnDisabledScreens() {
    DisplayServices& ds = platform_.displays();
    if (!ds.hasConfigureEnabled()) return;
    std::vector<DisplayID> ids;
    for (const auto& [id, name] : disabled) ids.push_back(id);
    for (DisplayID id : ids) {
        ConfigHandle handle = 0;
        if (ds.beginConfiguration(handle) != 0 || handle == 0) continue;
        if (Status status = ds.configureEnabled(handle, id, true); status != 0) {
            ds.cancelConfiguration(handle);
            setLastError(refusal(status));
            continue;
        }
        Status status = ds.completeConfiguration(handle, ConfigureOption::forAppOnly);
        if (status == 0) disabled.erase(id);
        else setLastError(refusal(status));
        scheduleRefresh();
    }
}

void DisplayManager::endMirrorsOntoOurVirtuals() {
    VirtualEngine& engine = virtualEngine_;
    const std::vector<Screen> list = screens;
    for (const Screen& s : list) {
        if (s.isOurVirtual || !s.mirrorOf || !engine.isOurs(*s.mirrorOf)) continue;
        configure(ConfigureOption::permanently,
                  [&](ConfigHandle handle) { return platform_.displays().configureMirror(handle, s.id, 0); });
    }
}

}  // namespace vp
