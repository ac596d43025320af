#include "display/DisplayManager.h"

#include "app/I18n.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vp {

namespace {

// Truncates toward zero; arrangements never reach the limits of a 32-bit
// coordinate, so values beyond them are clamped rather than wrapped.
std::int32_t toCoordinate(double value) {
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(value)) return 0;
    return std::int32_t(std::clamp(std::trunc(value), lo, hi));
}

}  // namespace

void DisplayManager::makeMain(DisplayID display) {
    DisplayServices& ds = platform_.displays();
    // The system's main display is the one at (0, 0): shift the whole
    // arrangement by the chosen display's origin. Screens that are off or
    // mirror another one have no place of their own and stay untouched.
    Rect chosen = ds.bounds(display);
    std::vector<Screen> list = screens;
    configure(ConfigureOption::permanently, [&](ConfigHandle handle) -> Status {
        for (const Screen& s : list) {
            if (!s.isActive || s.mirrorOf) continue;
            Rect frame = ds.bounds(s.id);
            Status status =
                ds.configureOrigin(handle, s.id, toCoordinate(frame.x - chosen.x), toCoordinate(frame.y - chosen.y));
            if (status != 0) return status;
        }
        return 0;
    });
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
