#include "display/DisplayManager.h"

#include "app/I18n.h"
#include "app/PlatformTexts.h"
#include "display/VirtualEngine.h"

#include <algorithm>
#include <cmath>

namespace vp {

using namespace std::chrono_literals;

namespace {
// The system needs time to publish a new virtual display before it can be
// mirrored, and the mirror before the virtual display's modes settle.
constexpr Seconds kMirrorDelay = 1.2s;
constexpr Seconds kModeDelay = 1.0s;
constexpr Seconds kDestroyDelay = 0.8s;
constexpr double kMinHiDPIWidth = 1280;
constexpr double kMinHiDPIRefresh = 60;
}  // namespace

VirtualSpec DisplayManager::hiDPISpec(const Screen& monitor) {
    VirtualSpec spec;
    spec.name = monitor.name + " HiDPI";
    spec.width = std::int64_t(monitor.nativePixels.width);
    spec.height = std::int64_t(monitor.nativePixels.height);
    spec.hiDPI = true;
    spec.refresh = std::max(monitor.refresh, kMinHiDPIRefresh);
    spec.enabled = true;
    return spec;
}

bool DisplayManager::canOfferHiDPI(const Screen& screen) const {
    return !screen.isBuiltin && !screen.isOurVirtual && platform_.capabilities().virtualDisplays &&
           virtualEngine_.isAvailable() &&
           screen.nativePixels.width >= kMinHiDPIWidth;
}

bool DisplayManager::hiDPIOn(const Screen& screen) const {
    return state_.hiDPIMap.contains(screen.uuid);
}

std::optional<Screen> DisplayManager::physicalForHiDPI(DisplayID virtualDisplay) const {
    for (const Screen& s : state_.screens)
        if (s.mirrorOf == virtualDisplay && !s.isOurVirtual) return s;
    return std::nullopt;
}

void DisplayManager::enableHiDPI(const Screen& screen) {
    if (const Ability& virtuals = platform_.capabilities().virtualDisplays; !virtuals)
        return setLastError(LR(virtuals.reason));
    std::int64_t nw = std::int64_t(screen.nativePixels.width);
    std::int64_t nh = std::int64_t(screen.nativePixels.height);
    if (nw < 1 || nh < 1) return;

    auto stored = state_.hiDPIMap.find(screen.uuid);
    VirtualSpec spec = stored != state_.hiDPIMap.end() ? stored->second : hiDPISpec(screen);
    if (!beforeHiDPI_) rememberArrangement();
    std::optional<Size> sizeMM;
    if (Size size = platform_.displays().screenSizeMM(screen.id); size.width > 0) sizeMM = size;
    auto created = virtualEngine_.create(spec, sizeMM);
    if (!created) {
        setLastError(L("Não foi possível criar a tela virtual."));
        return;
    }
    state_.hiDPIMap[screen.uuid] = spec;
    saveHiDPI();
    publish();

    DisplayID monitor = screen.id, virtualDisplay = *created;
    bool wasMain = screen.isMain;
    WeakLife weak = life_;
    MainQueue& main = platform_.runtime().main;
    main.postAfter(kMirrorDelay, [=, this, &main] {
        if (!weak.lock()) return;
        mirrorForThisProcess(monitor, virtualDisplay);
        main.postAfter(kModeDelay, [=, this] {
            if (weak.lock()) finishHiDPI(virtualDisplay, nw, nh, wasMain);
        });
    });
}

// For this run only: the mirror ends with the process, or at quit where the
// platform's configuration outlives it.
void DisplayManager::mirrorForThisProcess(DisplayID monitor, DisplayID master) {
    DisplayServices& ds = platform_.displays();
    configure(ConfigureOption::forAppOnly,
              [&](ConfigHandle handle) { return ds.configureMirror(handle, monitor, master); });
}

void DisplayManager::finishHiDPI(DisplayID virtualDisplay, std::int64_t nw, std::int64_t nh, bool makeVirtualMain) {
    const ModeOption* best = nullptr;
    std::vector<ModeOption> list = modes(virtualDisplay);
    for (const ModeOption& m : list)
        if (m.hiDPI() && m.width <= nw && m.height <= nh && (!best || m.width * m.height > best->width * best->height))
            best = &m;
    if (best) apply(*best, virtualDisplay);
    if (makeVirtualMain) makeMain(virtualDisplay);
}

void DisplayManager::disableHiDPI(const Screen& screen) {
    auto stored = state_.hiDPIMap.find(screen.uuid);
    if (stored == state_.hiDPIMap.end()) return;
    Uuid specID = stored->second.id;
    std::string uuid = screen.uuid;
    mirror(screen.id, std::nullopt);

    WeakLife weak = life_;
    platform_.runtime().main.postAfter(kDestroyDelay, [=, this] {
        if (!weak.lock()) return;
        virtualEngine_.destroy(specID);
        state_.hiDPIMap.erase(uuid);
        saveHiDPI();
        if (state_.hiDPIMap.empty()) restoreArrangement();
        scheduleRefresh();
        publish();
    });
}

void DisplayManager::rememberArrangement() {
    DisplayServices& ds = platform_.displays();
    Arrangement arrangement;
    for (const Screen& s : state_.screens) {
        if (!s.isActive || s.mirrorOf || s.isOurVirtual) continue;
        Rect frame = ds.bounds(s.id);
        arrangement.origins[s.id] = {std::int32_t(frame.x), std::int32_t(frame.y)};
        if (s.isMain) arrangement.main = s.id;
    }
    beforeHiDPI_ = std::move(arrangement);
}

// Screens that are gone or mirror another one now are left where they are.
void DisplayManager::restoreArrangement() {
    if (!beforeHiDPI_) return;
    const Arrangement arrangement = std::move(*beforeHiDPI_);
    beforeHiDPI_.reset();
    DisplayServices& ds = platform_.displays();
    std::vector<DisplayID> standing;
    for (const auto& [id, origin] : arrangement.origins)
        if (ds.isActive(id) && ds.mirrorsDisplay(id) == 0) standing.push_back(id);
    if (standing.empty()) return;
    configure(ConfigureOption::permanently, [&](ConfigHandle handle) -> Status {
        for (DisplayID id : standing) {
            const auto& [x, y] = arrangement.origins.at(id);
            if (Status status = ds.configureOrigin(handle, id, x, y); status != 0) return status;
        }
        return 0;
    });
    if (arrangement.main && ds.isActive(arrangement.main) && !ds.isMain(arrangement.main)) makeMain(arrangement.main);
}

void DisplayManager::restoreHiDPIAtLaunch() {
    if (!platform_.capabilities().virtualDisplays) return;
    std::vector<Screen> list = state_.screens;
    for (const Screen& s : list)
        if (state_.hiDPIMap.contains(s.uuid) && !s.mirrorOf) enableHiDPI(s);
}

}  // namespace vp
