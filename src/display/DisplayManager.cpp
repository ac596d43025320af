#include "display/DisplayManager.h"

#include "app/I18n.h"
#include "display/PendingDDC.h"
#include "display/VirtualEngine.h"
#include "hardware/DDCService.h"
#include "hardware/ProbeMemory.h"
#include "overlay/ColorProfiles.h"

#include <algorithm>

namespace vp {

using namespace std::chrono_literals;

namespace {
constexpr Seconds kRefreshQuietPeriod = 0.6s;
constexpr Seconds kHiDPIRestoreDelay = 1.0s;
constexpr Seconds kStartGammaDelay = 1.5s;
constexpr const char* kProbeMemoryKey = "ddcProbes";

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

// A stored value as far as it can be read; what could not be read is said in
// `problems`.
template <typename T>
std::optional<T> readStored(Defaults& defaults, const std::string& key,
                            std::optional<T> (*decode)(const std::string&, std::vector<std::string>*),
                            std::vector<std::string>& problems) {
    if (!defaults.hasObject(key)) return std::nullopt;
    std::vector<std::string> dropped;
    auto bytes = defaults.data(key);
    std::optional<T> value = bytes ? decode(*bytes, &dropped) : std::nullopt;
    if (!value) problems.push_back("the stored \"" + key + "\" could not be read and was left out");
    else if (!dropped.empty())
        problems.push_back("in the stored \"" + key + "\", the entries " + joined(dropped, ", ") +
                           " could not be read and were left out");
    return value;
}

}  // namespace

DisplayManager::DisplayManager(Platform& platform, Gamma& gamma, Shade& shade, XDR& xdr, VirtualEngine& virtualEngine)
    : platform_(platform),
      gamma_(gamma),
      shade_(shade),
      xdr_(xdr),
      virtualEngine_(virtualEngine),
      defaults_(platform.system().defaults()),
      pendingDDC(std::make_shared<PendingDDC>()) {
    MainQueue& main = platform.runtime().main;
    WeakLife weak = life_;
    pendingDDC->setOnRefused([&main, weak, this](RefusedWrite refused) {
        if (weak.expired()) return;
        main.post([weak, this, refused = std::move(refused)] {
            if (weak.lock()) ddcWriteRefused(refused);
        });
    });
}

DisplayManager::~DisplayManager() = default;

void DisplayManager::start() {
    loadSettings();
    if (!defaults_.hasObject("restoreHiDPI")) defaults_.setBool("restoreHiDPI", true);

    MainQueue& main = platform_.runtime().main;
    WeakLife weak = life_;
    // Saved from the DDC queue; the defaults are the main queue's.
    probeMemory_ = std::make_shared<ProbeMemory>(
        defaults_.data(kProbeMemoryKey).value_or(""), [&main, weak, this](const std::string& text) {
            main.post([weak, this, text] {
                if (weak.lock()) defaults_.setData(kProbeMemoryKey, text);
            });
        });
    platform_.displays().registerReconfigurationCallback([&main, weak, this](DisplayID, std::uint32_t flags) {
        if (flags & kReconfigurationBeginFlag) return;
        main.post([weak, this] {
            if (weak.lock()) scheduleRefresh();
        });
    });

    platform_.hardware().watchBacklights([weak, this](DisplayID display) {
        if (weak.lock()) backlightChangedOutside(display);
    });
    platform_.watchCapabilities([weak, this] {
        if (weak.lock()) capabilitiesChanged();
    });

    createEnabledVirtuals();
    refresh();

    if (defaults_.boolean("restoreHiDPI").value_or(false)) {
        main.postAfter(kHiDPIRestoreDelay, [weak, this] {
            if (weak.lock()) restoreHiDPIAtLaunch();
        });
    }
    main.postAfter(kStartGammaDelay, [weak, this] {
        if (weak.lock()) reapplyGamma();
    });
}

// Every entry that can be read is kept. Before what could not be read is
// overwritten by the first save, the stored settings are copied aside.
void DisplayManager::loadSettings() {
    std::vector<std::string> problems;
    auto storedPrefs = readStored<PrefsMap>(defaults_, "prefs", decodePrefs, problems);
    auto storedSpecs = readStored<std::vector<VirtualSpec>>(defaults_, "specs", decodeSpecs, problems);
    auto storedHiDPI = readStored<HiDPIMap>(defaults_, "hidpi", decodeHiDPI, problems);
    if (!problems.empty()) defaults_.keepAside(joined(problems, "; "));
    if (storedPrefs) setPrefs(std::move(*storedPrefs));
    if (storedSpecs) setSpecs(std::move(*storedSpecs));
    if (storedHiDPI) setHiDPIMap(std::move(*storedHiDPI));
}

void DisplayManager::scheduleRefresh() {
    if (refreshWork) refreshWork->cancel();
    WeakLife weak = life_;
    refreshWork = platform_.runtime().main.postAfter(kRefreshQuietPeriod, [weak, this] {
        if (!weak.lock()) return;
        refresh();
        if (platform_.capabilities().gammaOverwrittenByDesktop) reapplyGamma();
    });
}

std::vector<DisplayID> DisplayManager::onlineIdsWithDisabled() {
    std::vector<DisplayID> ids = platform_.displays().onlineDisplays();
    for (const auto& [id, name] : state_.disabled)
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    return ids;
}

std::map<DisplayID, std::string> DisplayManager::windowSystemNames() {
    std::map<DisplayID, std::string> names;
    for (const ScreenInfo& info : platform_.windows().screens())
        if (info.number) names.emplace(*info.number, info.localizedName);  // first one wins
    return names;
}

std::string DisplayManager::virtualSpecName(DisplayID id) const {
    VirtualEngine& engine = virtualEngine_;
    for (const VirtualSpec& spec : state_.specs)
        if (engine.displayID(spec.id) == id) return spec.name;
    for (const auto& [uuid, spec] : state_.hiDPIMap)
        if (engine.displayID(spec.id) == id) return spec.name;
    return {};
}

Screen DisplayManager::makeScreen(DisplayID id, const std::map<DisplayID, std::string>& names) {
    DisplayServices& ds = platform_.displays();
    Screen s;
    s.id = id;
    s.uuid = ds.uuid(id).value_or(std::to_string(id));
    s.isBuiltin = ds.location(id) == Location::builtIn;
    s.isMain = ds.isMain(id);
    s.isOurVirtual = virtualEngine_.isOurs(id);
    s.isActive = ds.isActive(id) && !state_.disabled.contains(id);
    if (DisplayID master = ds.mirrorsDisplay(id)) s.mirrorOf = master;
    s.bounds = ds.bounds(id);
    if (auto mode = ds.currentMode(id)) {
        s.pixelWidth = mode->pixelWidth;
        s.pixelHeight = mode->pixelHeight;
        s.refresh = mode->refresh;
        s.isHiDPI = mode->width < mode->pixelWidth;
    }
    s.nativePixels = nativePixels(id);

    if (auto it = names.find(id); it != names.end()) s.name = it->second;
    else if (auto off = state_.disabled.find(id); off != state_.disabled.end()) s.name = off->second;
    else if (auto known = knownNames_.find(id); known != knownNames_.end()) s.name = known->second;
    else s.name = s.isBuiltin ? L("Tela integrada") : L("Tela");
    if (s.isOurVirtual)
        if (std::string specName = virtualSpecName(id); !specName.empty()) s.name = specName;
    return s;
}

std::vector<Screen> DisplayManager::listScreens() {
    auto names = windowSystemNames();
    for (const auto& [id, name] : names) knownNames_[id] = name;
    std::vector<Screen> list;
    for (DisplayID id : onlineIdsWithDisabled()) list.push_back(makeScreen(id, names));

    auto rank = [](const Screen& s) { return s.isBuiltin ? 0 : s.isOurVirtual ? 3 : s.isMain ? 1 : 2; };
    std::stable_sort(list.begin(), list.end(), [&](const Screen& a, const Screen& b) {
        return std::pair(rank(a), a.id) < std::pair(rank(b), b.id);
    });
    return list;
}

void DisplayManager::refresh() {
    state_.screens = listScreens();

    rebuildModeCache();
    reapplyXDR();
    detectBrightness();
    publish();
}

std::optional<Screen> DisplayManager::screen(DisplayID id) const {
    for (const Screen& s : state_.screens)
        if (s.id == id) return s;
    return std::nullopt;
}

ScreenPrefs DisplayManager::prefsFor(const Screen& screen) const {
    auto it = state_.prefs.find(screen.uuid);
    return it == state_.prefs.end() ? ScreenPrefs{} : it->second;
}

void DisplayManager::setPrefs(PrefsMap value) {
    state_.prefs = std::move(value);
    savePrefs();
}

void DisplayManager::setPrefs(const std::string& uuid, const ScreenPrefs& value) {
    state_.prefs[uuid] = value;
    savePrefs();
}

void DisplayManager::setSpecs(std::vector<VirtualSpec> value) {
    state_.specs = std::move(value);
    saveSpecs();
}

void DisplayManager::setHiDPIMap(HiDPIMap value) {
    state_.hiDPIMap = std::move(value);
    saveHiDPI();
}

// An encoding failure writes nothing: the stored value keeps what the last
// successful save wrote.
void DisplayManager::savePrefs() {
    if (auto bytes = encodePrefs(state_.prefs)) defaults_.setData("prefs", *bytes);
}

void DisplayManager::saveSpecs() {
    if (auto bytes = encodeSpecs(state_.specs)) defaults_.setData("specs", *bytes);
}

void DisplayManager::saveHiDPI() {
    if (auto bytes = encodeHiDPI(state_.hiDPIMap)) defaults_.setData("hidpi", *bytes);
}

bool DisplayManager::combinedDimming() const {
    return defaults_.boolean("dimBelowMinimum").value_or(true);
}

void DisplayManager::setLastError(std::string message) {
    state_.lastError = std::move(message);
    publish();
}

void DisplayManager::clearLastError() {
    state_.lastError.reset();
    publish();
}

void DisplayManager::setPiPOpen(DisplayID display, bool open) {
    if (open) state_.pipOpen.insert(display);
    else state_.pipOpen.erase(display);
    publish();
}

void DisplayManager::publish() {
    changed_.emit();
}

}  // namespace vp
