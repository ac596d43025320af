#include "display/DisplayManager.h"

#include "app/I18n.h"

namespace vp {

void DisplayManager::makeMain(DisplayID display) {
    DisplayServices& ds = platform_.displays();
    configure(ConfigureOption::permanently, [&](ConfigHandle handle) { return ds.configureMain(handle, display); });
}

// A mirror the user could not see out of is refused: a screen showing
// itself, screens showing each other in a loop (which nothing would undo),
// or a screen showing one that is off.
std::optional<std::string> DisplayManager::mirrorRefusal(DisplayID display, DisplayID master) const {
    if (display == master) return L("Uma tela não pode espelhar a si mesma.");
    auto target = screen(master);
    if (!target || !target->isActive) return L("Não dá para espelhar uma tela desligada.");
    DisplayServices& ds = platform_.displays();
    std::set<DisplayID> seen;
    for (DisplayID next = master; next != 0 && seen.insert(next).second; next = ds.mirrorsDisplay(next))
        if (next == display) return L("Isso faria as telas se espelharem em círculo.");
    return std::nullopt;
}

void DisplayManager::mirror(DisplayID display, std::optional<DisplayID> master) {
    if (master)
        if (auto refusal = mirrorRefusal(display, *master)) return setLastError(*refusal);
    DisplayServices& ds = platform_.displays();
    configure(ConfigureOption::permanently,
              [&](ConfigHandle handle) { return ds.configureMirror(handle, display, master.value_or(0)); });
}

}  // namespace vp
