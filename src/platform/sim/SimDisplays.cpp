#include "platform/sim/SimDisplays.h"

#include "platform/sim/ScenarioFields.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

namespace vp {

namespace {

constexpr std::int64_t kMaxID = 0xFFFFFFFF;
constexpr std::int64_t kMaxPixels = 65535;
constexpr double kMaxCoordinate = 1'000'000;
constexpr double kMaxRefresh = 1000;

Rect rectFromJson(const nlohmann::json& j, const std::string& what) {
    if (!j.is_array() || j.size() != 4)
        throw std::runtime_error(what + ": \"bounds\" must be [x, y, width, height]");
    for (const auto& v : j)
        if (!v.is_number()) throw std::runtime_error(what + ": \"bounds\" must hold numbers");
    auto at = [&](std::size_t i, const char* name, double min, double max) {
        return scenario::numberValue(j[i], what + ": the " + name + " of \"bounds\"", min, max);
    };
    return {at(0, "x", -kMaxCoordinate, kMaxCoordinate), at(1, "y", -kMaxCoordinate, kMaxCoordinate),
            at(2, "width", 1, kMaxPixels), at(3, "height", 1, kMaxPixels)};
}

template <typename T>
T field(const nlohmann::json& j, const char* key, T fallback, const std::string& what) {
    if (!j.contains(key)) return fallback;
    try {
        return j.at(key).get<T>();
    } catch (const nlohmann::json::exception&) {
        throw std::runtime_error(what + ": \"" + key + "\" has the wrong type");
    }
}

}  // namespace

GammaTable identityGamma(std::size_t entries) {
    GammaTable t;
    for (std::size_t i = 0; i < entries; ++i) {
        float x = entries > 1 ? float(double(i) / double(entries - 1)) : 0.f;
        t.r.push_back(x);
        t.g.push_back(x);
        t.b.push_back(x);
    }
    return t;
}

DisplayMode simModeFromJson(const nlohmann::json& j) {
    if (!j.is_object()) throw std::runtime_error("a mode must be an object");
    DisplayMode m;
    if (!j.contains("width") || !j.contains("height"))
        throw std::runtime_error("mode: \"width\" and \"height\" are required");
    m.width = scenario::whole(j, "width", 0, 1, kMaxPixels, "mode");
    m.height = scenario::whole(j, "height", 0, 1, kMaxPixels, "mode");
    m.pixelWidth = scenario::whole(j, "pixelWidth", m.width, 1, kMaxPixels, "mode");
    m.pixelHeight = scenario::whole(j, "pixelHeight", m.height, 1, kMaxPixels, "mode");
    m.refresh = scenario::number(j, "refresh", 0, 0, kMaxRefresh, "mode");
    m.usableForDesktop = field<bool>(j, "usable", true, "mode");
    m.native = field<bool>(j, "native", false, "mode");
    return m;
}

SimDisplays::SimDisplays(const Capabilities& capabilities) : capabilities_(capabilities) {}

SimDisplays::~SimDisplays() {
    settle();
}

void SimDisplays::load(const nlohmann::json& list) {
    if (!list.is_array()) throw std::runtime_error("\"displays\" must be an array");
    std::map<std::string, DisplayID> uuids;
    for (const auto& j : list) {
        if (!j.is_object()) throw std::runtime_error("each display must be an object");
        std::string what = "display " + (j.contains("id") ? j["id"].dump() : std::string("without id"));
        SimDisplay d;
        if (!j.contains("id")) throw std::runtime_error(what + ": \"id\" is missing");
        d.id = DisplayID(scenario::whole(j, "id", 0, 1, kMaxID, what));
        if (find(d.id)) throw std::runtime_error(what + ": duplicate id");
        if (j.contains("uuid") && !j["uuid"].is_null()) d.uuid = field<std::string>(j, "uuid", "", what);
        if (d.uuid && !uuids.emplace(*d.uuid, d.id).second)
            throw std::runtime_error(what + ": \"uuid\" is the same as display " + std::to_string(uuids[*d.uuid]) +
                                     "'s; each display needs its own");
        d.name = field<std::string>(j, "name", "", what);
        d.builtin = field<bool>(j, "builtin", false, what);
        d.online = field<bool>(j, "online", true, what);
        d.active = field<bool>(j, "active", true, what);
        if (!j.contains("bounds")) throw std::runtime_error(what + ": \"bounds\" is missing");
        d.bounds = rectFromJson(j["bounds"], what);
        if (j.contains("modes")) {
            if (!j["modes"].is_array()) throw std::runtime_error(what + ": \"modes\" must be an array");
            try {
                for (const auto& m : j["modes"]) d.modes.push_back(simModeFromJson(m));
            } catch (const std::runtime_error& e) {
                throw std::runtime_error(what + ": " + e.what());
            }
        }
        if (j.contains("currentMode") && !j["currentMode"].is_null()) {
            if (d.modes.empty()) throw std::runtime_error(what + ": \"currentMode\" is not an index of \"modes\"");
            d.currentMode = std::size_t(scenario::whole(j, "currentMode", 0, 0, std::int64_t(d.modes.size()) - 1, what));
        }
        for (std::size_t i = 0; i < d.modes.size(); ++i) d.modes[i].token = (std::uint64_t(d.id) << 16) | i;
        d.mirrorOf = DisplayID(scenario::whole(j, "mirrorOf", 0, 0, kMaxID, what));
        d.vendor = std::uint32_t(scenario::whole(j, "vendor", 0, 0, kMaxID, what));
        d.model = std::uint32_t(scenario::whole(j, "model", 0, 0, kMaxID, what));
        d.serial = std::uint32_t(scenario::whole(j, "serial", 0, 0, kMaxID, what));
        if (j.contains("sizeMM")) {
            const auto& s = j["sizeMM"];
            if (!s.is_array() || s.size() != 2 || !s[0].is_number() || !s[1].is_number())
                throw std::runtime_error(what + ": \"sizeMM\" must be [width, height]");
            d.sizeMM = {scenario::numberValue(s[0], what + ": the width of \"sizeMM\"", 0, 10000),
                        scenario::numberValue(s[1], what + ": the height of \"sizeMM\"", 0, 10000)};
        }
        d.gammaReadable = field<bool>(j, "gammaReadable", true, what);
        d.edrHeadroom = scenario::number(j, "edrHeadroom", 1.0, 1, 16, what);
        d.profileGamma = identityGamma(std::size_t(scenario::whole(j, "gammaEntries", 256, 2, 65536, what)));
        d.gamma = d.profileGamma;
        displays_.push_back(std::move(d));
    }
}

void SimDisplays::loadRefusals(const nlohmann::json& j) {
    if (!j.is_object()) throw std::runtime_error("\"refusals\" must be an object");
    refusals.begin = field<Status>(j, "begin", 0, "refusals");
    refusals.mode = field<Status>(j, "mode", 0, "refusals");
    refusals.mirror = field<Status>(j, "mirror", 0, "refusals");
    refusals.origin = field<Status>(j, "origin", 0, "refusals");
    refusals.main = field<Status>(j, "main", 0, "refusals");
    refusals.enabled = field<Status>(j, "enabled", 0, "refusals");
    refusals.complete = field<Status>(j, "complete", 0, "refusals");
    if (!j.contains("display")) return;
    if (!j["display"].is_object()) throw std::runtime_error("refusals: \"display\" must be an object");
    for (const auto& [key, value] : j["display"].items()) {
        if (!value.is_number_integer()) throw std::runtime_error("refusals: \"display\" values must be statuses");
        DisplayID id = 0;
        try {
            id = DisplayID(std::stoul(key));
        } catch (const std::exception&) {
            throw std::runtime_error("refusals: \"" + key + "\" is not a display id");
        }
        refusals.display[id] = value.get<Status>();
    }
}

SimDisplay* SimDisplays::find(DisplayID id) {
    for (auto& d : displays_)
        if (d.id == id) return &d;
    return nullptr;
}

std::vector<DisplayID> SimDisplays::onlineDisplays() {
    std::vector<DisplayID> ids;
    for (const auto& d : displays_)
        if (d.online) ids.push_back(d.id);
    return ids;
}

Rect SimDisplays::bounds(DisplayID id) {
    auto* d = find(id);
    return d ? d->bounds : Rect{};
}

Location SimDisplays::location(DisplayID id) {
    auto* d = find(id);
    return d && d->builtin ? Location::builtIn : Location::external;
}

SimDisplay* SimDisplays::mainDisplay() {
    // The system's main display is the one at the origin of the arrangement.
    for (auto& d : displays_)
        if (d.online && d.active && d.mirrorOf == 0 && d.bounds.x == 0 && d.bounds.y == 0) return &d;
    return nullptr;
}

bool SimDisplays::isMain(DisplayID id) {
    auto* main = mainDisplay();
    return main && main->id == id;
}

bool SimDisplays::isActive(DisplayID id) {
    auto* d = find(id);
    return d && d->online && d->active;
}

DisplayID SimDisplays::mirrorsDisplay(DisplayID id) {
    auto* d = find(id);
    return d ? d->mirrorOf : 0;
}

Size SimDisplays::screenSizeMM(DisplayID id) {
    auto* d = find(id);
    return d ? d->sizeMM : Size{};
}

std::uint32_t SimDisplays::vendorNumber(DisplayID id) {
    auto* d = find(id);
    return d ? d->vendor : 0;
}

std::uint32_t SimDisplays::modelNumber(DisplayID id) {
    auto* d = find(id);
    return d ? d->model : 0;
}

std::uint32_t SimDisplays::serialNumber(DisplayID id) {
    auto* d = find(id);
    return d ? d->serial : 0;
}

std::optional<std::string> SimDisplays::uuid(DisplayID id) {
    auto* d = find(id);
    return d ? d->uuid : std::nullopt;
}

std::optional<DisplayMode> SimDisplays::currentMode(DisplayID id) {
    auto* d = find(id);
    if (!d || !d->currentMode) return std::nullopt;
    return d->modes[*d->currentMode];
}

std::optional<std::vector<DisplayMode>> SimDisplays::allModes(DisplayID id) {
    auto* d = find(id);
    if (!d) return std::nullopt;
    return d->modes;
}

void SimDisplays::registerReconfigurationCallback(ReconfigurationCallback callback) {
    std::lock_guard lock(callbackMutex_);
    callback_ = std::move(callback);
}

void SimDisplays::announce(DisplayID id) {
    deliver(id, kReconfigurationBeginFlag);
    deliver(id, 0);
}

void SimDisplays::deliver(DisplayID id, std::uint32_t flags) {
    notifier_.async([this, id, flags] {
        ReconfigurationCallback callback;
        {
            std::lock_guard lock(callbackMutex_);
            callback = callback_;
        }
        if (callback) callback(id, flags);
    });
}

void SimDisplays::settle() {
    notifier_.waitIdle();
}

Status SimDisplays::record(std::string call, Status status) {
    if (status != 0) call += " -> " + std::to_string(status);
    transactionLog.push_back(std::move(call));
    return status;
}

Status SimDisplays::beginConfiguration(ConfigHandle& handle) {
    handle = 0;
    if (refusals.begin != 0) return record("begin", refusals.begin);
    handle = nextHandle_++;
    open_[handle] = {};
    return record("begin", 0);
}

// `ids` are the displays the step changes; a refusal for any of them
// refuses the step.
Status SimDisplays::stage(ConfigHandle handle, Status refusal, const std::vector<DisplayID>& ids, Change change) {
    auto it = open_.find(handle);
    if (it == open_.end()) return 1001;  // not a transaction in progress
    if (refusal != 0) return refusal;
    for (DisplayID id : ids)
        if (auto r = refusals.display.find(id); r != refusals.display.end() && r->second != 0) return r->second;
    it->second.changes.push_back(std::move(change));
    it->second.touched.insert(it->second.touched.end(), ids.begin(), ids.end());
    return 0;
}

Status SimDisplays::configureMode(ConfigHandle handle, DisplayID id, const DisplayMode& mode) {
    std::string call = "mode " + std::to_string(id) + " " + std::to_string(mode.width) + "x" +
                       std::to_string(mode.height) + "@" + std::to_string(mode.pixelWidth) + "x" +
                       std::to_string(mode.pixelHeight) + "@" + std::to_string(std::llround(mode.refresh));
    auto* d = find(id);
    if (!d) return record(call, 1001);
    auto pos = std::find(d->modes.begin(), d->modes.end(), mode);
    if (pos == d->modes.end()) return record(call, 1001);
    std::size_t index = std::size_t(pos - d->modes.begin());
    return record(call, stage(handle, refusals.mode, {id}, [this, id, index] {
        if (auto* target = find(id)) {
            target->currentMode = index;
            target->bounds.width = double(target->modes[index].width);
            target->bounds.height = double(target->modes[index].height);
        }
    }));
}

Status SimDisplays::configureMirror(ConfigHandle handle, DisplayID id, DisplayID master) {
    std::string call = "mirror " + std::to_string(id) + " " + std::to_string(master);
    if (!find(id) || (master != 0 && !find(master))) return record(call, 1001);
    return record(call, stage(handle, refusals.mirror, {id}, [this, id, master] { applyMirror(id, master); }));
}

void SimDisplays::applyMirror(DisplayID id, DisplayID master) {
    auto* d = find(id);
    if (!d) return;
    if (master == 0) {
        if (d->mirrorOf != 0) {
            d->mirrorOf = 0;
            placeRightOfArrangement(*d);
        }
        return;
    }
    auto* m = find(master);
    if (!m) return;
    d->mirrorOf = master;
    d->bounds.x = m->bounds.x;
    d->bounds.y = m->bounds.y;
}

void SimDisplays::placeRightOfArrangement(SimDisplay& display) {
    double right = 0;
    for (const auto& other : displays_)
        if (&other != &display && other.online && other.mirrorOf == 0) right = std::max(right, other.bounds.maxX());
    display.bounds.x = right;
    display.bounds.y = 0;
}

Status SimDisplays::configureOrigin(ConfigHandle handle, DisplayID id, std::int32_t x, std::int32_t y) {
    std::string call = "origin " + std::to_string(id) + " " + std::to_string(x) + " " + std::to_string(y);
    if (!find(id)) return record(call, 1001);
    return record(call, stage(handle, refusals.origin, {id}, [this, id, x, y] {
        if (auto* d = find(id)) {
            d->bounds.x = x;
            d->bounds.y = y;
        }
    }));
}

std::vector<DisplayID> SimDisplays::standingAlone() const {
    std::vector<DisplayID> ids;
    for (const auto& d : displays_)
        if (d.online && d.active && d.mirrorOf == 0) ids.push_back(d.id);
    return ids;
}

Status SimDisplays::configureMain(ConfigHandle handle, DisplayID id) {
    std::string call = "main " + std::to_string(id);
    auto* d = find(id);
    if (!d || !d->online || !d->active || d->mirrorOf != 0) return record(call, 1001);
    return record(call, stage(handle, refusals.main, standingAlone(), [this, id] { applyMain(id); }));
}

// The main display is the one at the origin: the whole arrangement shifts by
// the chosen display's origin. Screens that are off or mirror another one
// have no place of their own and stay where they are. Origins are whole
// numbers, truncated toward zero.
void SimDisplays::applyMain(DisplayID id) {
    const SimDisplay* chosen = find(id);
    if (!chosen) return;
    const double cx = chosen->bounds.x, cy = chosen->bounds.y;
    for (DisplayID standing : standingAlone()) {
        SimDisplay* d = find(standing);
        d->bounds.x = std::trunc(d->bounds.x - cx);
        d->bounds.y = std::trunc(d->bounds.y - cy);
    }
}

Status SimDisplays::configureEnabled(ConfigHandle handle, DisplayID id, bool enabled) {
    std::string call = "enabled " + std::to_string(id) + (enabled ? " on" : " off");
    if (!capabilities_.switchOff || !find(id)) return record(call, 1001);
    return record(call, stage(handle, refusals.enabled, {id}, [this, id, enabled] {
        auto* d = find(id);
        if (!d) return;
        d->online = enabled;
        d->active = enabled;
        if (enabled) placeRightOfArrangement(*d);
    }));
}

Status SimDisplays::cancelConfiguration(ConfigHandle handle) {
    return record("cancel", open_.erase(handle) ? 0 : 1001);
}

Status SimDisplays::completeConfiguration(ConfigHandle handle, ConfigureOption option) {
    std::string call = "complete " + std::to_string(int(option));
    auto it = open_.find(handle);
    if (it == open_.end()) return record(call, 1001);
    Transaction txn = std::move(it->second);
    open_.erase(it);
    if (refusals.complete != 0) return record(call, refusals.complete);
    std::vector<DisplayID> touched = txn.touched;
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    if (option == ConfigureOption::forAppOnly) {
        std::vector<SimDisplay> before;
        for (DisplayID id : touched)
            if (auto* d = find(id)) before.push_back(*d);
        appOnlyUndo_.push_back(std::move(before));
    }
    for (auto& change : txn.changes) change();
    keepArrangementConsistent();
    ++completed_;
    for (DisplayID id : touched) announce(id);
    return record(call, 0);
}

void SimDisplays::endProcess() {
    if (capabilities_.configurationOutlivesProcess) {
        appOnlyUndo_.clear();
        return;
    }
    // Undo, newest first, what was completed for this application only. A
    // display that stands on its own again (switched back on, no longer a
    // mirror) takes a place to the right of the arrangement.
    for (auto undo = appOnlyUndo_.rbegin(); undo != appOnlyUndo_.rend(); ++undo) {
        for (const auto& before : *undo) {
            auto* d = find(before.id);
            if (!d) continue;
            bool wasStandalone = d->online && d->active && d->mirrorOf == 0;
            d->online = before.online;
            d->active = before.active;
            d->mirrorOf = before.mirrorOf;
            if (!wasStandalone && d->online && d->active && d->mirrorOf == 0) placeRightOfArrangement(*d);
        }
    }
    appOnlyUndo_.clear();
    keepArrangementConsistent();
}

void SimDisplays::keepArrangementConsistent() {
    // The system always has a main display at (0, 0): when the one there went
    // away, the first standalone display takes its place and the others keep
    // their positions relative to it.
    if (!mainDisplay()) {
        auto first = std::find_if(displays_.begin(), displays_.end(),
                                  [](const SimDisplay& d) { return d.online && d.active && d.mirrorOf == 0; });
        if (first != displays_.end()) {
            double dx = first->bounds.x, dy = first->bounds.y;
            for (auto& d : displays_) {
                if (!d.online || d.mirrorOf != 0) continue;
                d.bounds.x -= dx;
                d.bounds.y -= dy;
            }
        }
    }
    // A mirror shows its master's picture where the master is.
    for (auto& d : displays_)
        if (const SimDisplay* master = d.mirrorOf ? find(d.mirrorOf) : nullptr) {
            d.bounds.x = master->bounds.x;
            d.bounds.y = master->bounds.y;
        }
}

std::optional<GammaTable> SimDisplays::readGamma(DisplayID id, std::size_t capacity) {
    auto* d = find(id);
    if (!d || !d->gammaReadable) return std::nullopt;
    GammaTable t = d->gamma;
    std::size_t n = std::min(capacity, t.r.size());
    t.r.resize(n);
    t.g.resize(n);
    t.b.resize(n);
    return t;
}

Status SimDisplays::writeGamma(DisplayID id, const GammaTable& table) {
    auto* d = find(id);
    if (!d || !d->gammaReadable) return 1001;
    d->gamma = table;
    return 0;
}

void SimDisplays::restoreGamma() {
    for (auto& d : displays_) d.gamma = d.profileGamma;
}

void SimDisplays::addDisplay(SimDisplay display, bool doAnnounce) {
    DisplayID id = display.id;
    displays_.push_back(std::move(display));
    if (doAnnounce) announce(id);
}

void SimDisplays::removeDisplay(DisplayID id, bool doAnnounce) {
    std::erase_if(displays_, [id](const SimDisplay& d) { return d.id == id; });
    for (auto& d : displays_)
        if (d.mirrorOf == id) {
            d.mirrorOf = 0;
            placeRightOfArrangement(d);
        }
    keepArrangementConsistent();
    if (doAnnounce) announce(id);
}

}  // namespace vp
