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
    // Our changes for this run are undone here on every platform: where
    // configuration outlives the process nothing else would undo them, and
    // elsewhere the screens are back before the process has ended.
    switchOnDisabledScreens();
    endMirrorsOntoOurVirtuals();
    virtualEngine_.destroyAll();
    restoreArrangement();
    // The manager is finished: the refreshes, probes and callbacks still
    // queued would put colours, overlays and shades back on the screens just
    // restored. The list itself is brought up to date at once.
    life_ = std::make_shared<int>(0);
    if (refreshWork) refreshWork->cancel();
    state_.screens = listScreens();
    publish();
}

void DisplayManager::switchOnDisabledScreens() {
    if (!platform_.capabilities().switchOff) return;
    DisplayServices& ds = platform_.displays();
    std::vector<DisplayID> ids;
    for (const auto& [id, name] : state_.disabled) ids.push_back(id);
    for (DisplayID id : ids)
        if (configure(ConfigureOption::forAppOnly,
                      [&](ConfigHandle handle) { return ds.configureEnabled(handle, id, true); }))
            state_.disabled.erase(id);
}

void DisplayManager::endMirrorsOntoOurVirtuals() {
    VirtualEngine& engine = virtualEngine_;
    const std::vector<Screen> list = state_.screens;
    for (const Screen& s : list) {
        if (s.isOurVirtual || !s.mirrorOf || !engine.isOurs(*s.mirrorOf)) continue;
        configure(ConfigureOption::permanently,
                  [&](ConfigHandle handle) { return platform_.displays().configureMirror(handle, s.id, 0); });
    }
}

}  // namespace vp
