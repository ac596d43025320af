#include "platform/linux/x11/X11Displays.h"

#include "platform/UserText.h"

#include <algorithm>
#include <cmath>

namespace vp::x11 {

namespace {

constexpr const char* kLayout = "layout";
constexpr const char* kGamma = "gamma";

std::filesystem::path journalFile(const std::filesystem::path& directory, const std::string& display) {
    std::string name = "x11-originals";
    for (char c : display) name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    return directory / (name + ".json");
}

DisplayMode displayMode(const RandrMode& m, bool native) {
    DisplayMode mode;
    mode.width = mode.pixelWidth = m.width;
    mode.height = mode.pixelHeight = m.height;
    mode.refresh = m.refresh;
    mode.token = m.id;
    mode.native = native;
    return mode;
}

bool allZero(const GammaRamp& ramp) {
    auto zero = [](const std::vector<std::uint16_t>& v) {
        return std::all_of(v.begin(), v.end(), [](std::uint16_t x) { return x == 0; });
    };
    return zero(ramp.r) && zero(ramp.g) && zero(ramp.b);
}

std::vector<float> resample(const std::vector<float>& in, std::size_t size) {
    std::vector<float> out(size);
    if (in.empty()) return out;
    for (std::size_t i = 0; i < size; ++i) {
        double pos = size > 1 ? double(i) * double(in.size() - 1) / double(size - 1) : 0;
        std::size_t lo = std::size_t(pos);
        std::size_t hi = std::min(lo + 1, in.size() - 1);
        double f = pos - double(lo);
        out[i] = float(double(in[lo]) * (1 - f) + double(in[hi]) * f);
    }
    return out;
}

nlohmann::json rampJson(const GammaRamp& ramp) {
    return {{"r", ramp.r}, {"g", ramp.g}, {"b", ramp.b}};
}

std::optional<GammaRamp> rampFromJson(const nlohmann::json& j) {
    try {
        GammaRamp ramp{j.at("r").get<std::vector<std::uint16_t>>(), j.at("g").get<std::vector<std::uint16_t>>(),
                       j.at("b").get<std::vector<std::uint16_t>>()};
        if (ramp.r.empty() || ramp.r.size() != ramp.g.size() || ramp.r.size() != ramp.b.size()) return std::nullopt;
        return ramp;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

bool overlaps(const RandrScreen& s, const OutputTarget& a, const OutputTarget& b) {
    const RandrMode *ma = s.mode(a.mode), *mb = s.mode(b.mode);
    if (!ma || !mb) return false;
    auto [aw, ah] = rotatedSize(*ma, a.rotation);
    auto [bw, bh] = rotatedSize(*mb, b.rotation);
    return a.x < b.x + bw && b.x < a.x + aw && a.y < b.y + bh && b.y < a.y + ah;
}

}  // namespace

GammaRamp identityRamp(std::size_t size) {
    GammaRamp ramp;
    for (std::size_t i = 0; i < size; ++i) {
        auto v = std::uint16_t(size > 1 ? std::lround(65535.0 * double(i) / double(size - 1)) : 0);
        ramp.r.push_back(v);
        ramp.g.push_back(v);
        ramp.b.push_back(v);
    }
    return ramp;
}

GammaTable tableFromRamp(const GammaRamp& source, std::size_t capacity) {
    const GammaRamp ramp = allZero(source) ? identityRamp(source.r.size()) : source;
    auto channel = [&](const std::vector<std::uint16_t>& v) {
        std::vector<float> f;
        for (auto x : v) f.push_back(float(x) / 65535.f);
        return resample(f, std::min(capacity, v.size()));
    };
    return {channel(ramp.r), channel(ramp.g), channel(ramp.b)};
}

GammaRamp rampFromTable(const GammaTable& table, std::size_t size) {
    auto channel = [&](const std::vector<float>& v) {
        std::vector<std::uint16_t> out;
        for (float x : resample(v, size)) out.push_back(std::uint16_t(std::lround(std::clamp(x, 0.f, 1.f) * 65535.0)));
        return out;
    };
    return {channel(table.r), channel(table.g), channel(table.b)};
}

X11Displays::X11Displays(const std::string& display, const std::filesystem::path& stateDirectory)
    : client_(display),
      gamma_(display),
      journal_(journalFile(stateDirectory, client_.displayName()),
               {OriginalsJournal::machineId(), client_.displayName()}) {
    if (!client_.ok()) return;
    if (!journal_.open()) {
        notes_.push_back("another instance keeps the record of originals; changes made now are not recorded");
    } else {
        if (!journal_.discarded().empty()) {
            notes_.push_back(journal_.discarded() + "; it was dropped");
            journal_.clear();
        }
        if (!journal_.leftovers().empty()) restoreLeftovers();
    }
    events_ = std::make_unique<RandrEvents>(
        display,
        [this] {
            probe_ = true;
            stale_ = true;
            std::lock_guard lock(callbackMutex_);
            if (!callback_) return;
            callback_(0, kReconfigurationBeginFlag);
            callback_(0, 0);
        },
        [this] {
            serverLost_ = true;
            std::lock_guard lock(callbackMutex_);
            if (lost_) lost_();
        });
}

X11Displays::~X11Displays() {
    events_.reset();
    // Without the server there is nothing to put back; the record stays
    // for the next start.
    if (ok()) restoreOriginals();
}

std::string X11Displays::problem() const {
    if (!client_.error().empty()) return client_.error();
    if (client_.lost() || serverLost_) return "the X server " + client_.displayName() + " went away";
    return {};
}

void X11Displays::onServerLost(std::function<void()> lost) {
    std::lock_guard lock(callbackMutex_);
    lost_ = std::move(lost);
}

Status X11Displays::fail(Status status, std::string why) {
    lastError_ = std::move(why);
    return status;
}

const RandrScreen& X11Displays::screen() {
    std::lock_guard lock(mutex_);
    refresh();
    return *screen_;
}

// Reads the server again when something changed. Only at the start of a
// public call: pointers into the snapshot stay valid for the rest of it.
void X11Displays::refresh() {
    if (stale_.exchange(false) || !screen_) {
        if (auto fresh = client_.read(probe_.exchange(false))) screen_ = std::move(fresh);
        else if (!screen_) screen_ = RandrScreen{};
    }
}

const RandrScreen& X11Displays::current() {
    if (!screen_) refresh();
    return *screen_;
}

const RandrOutput* X11Displays::output(DisplayID id) {
    return current().outputForDisplay(id);
}

std::vector<DisplayID> X11Displays::onlineDisplays() {
    std::lock_guard lock(mutex_);
    refresh();
    std::vector<DisplayID> ids;
    for (const auto& o : current().outputs)
        if (o.connected && o.crtc) ids.push_back(o.display);
    return ids;
}

// The core places screens relative to the main one, which sits at (0, 0);
// X places them in the root window, where the primary may be anywhere.
std::pair<int, int> X11Displays::mainOrigin() {
    const RandrScreen& s = current();
    const RandrOutput* primary = s.output(s.primary);
    const RandrCrtc* c = primary && primary->crtc ? s.crtc(primary->crtc) : nullptr;
    return c && c->mode ? std::pair{c->x, c->y} : std::pair{0, 0};
}

Rect X11Displays::bounds(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrOutput* o = output(id);
    const RandrCrtc* c = o && o->crtc ? current().crtc(o->crtc) : nullptr;
    if (!c || !c->mode) return {};
    auto [mx, my] = mainOrigin();
    return {double(c->x - mx), double(c->y - my), double(c->width), double(c->height)};
}

std::vector<ScreenInfo> X11Displays::screens() {
    std::lock_guard lock(mutex_);
    refresh();
    std::vector<DisplayID> ids = onlineDisplays();
    double mainHeight = 0;
    for (DisplayID id : ids)
        if (isMain(id)) mainHeight = bounds(id).height;
    std::vector<ScreenInfo> out;
    for (DisplayID id : ids) {
        if (!isActive(id)) continue;
        Rect b = bounds(id);
        // Bottom-left origin at the main screen, y growing upwards.
        Rect frame{b.x, mainHeight - (b.y + b.height), b.width, b.height};
        ScreenInfo info;
        info.number = id;
        info.localizedName = name(id);
        info.frame = frame;
        info.visibleFrame = frame;
        if (isMain(id)) out.insert(out.begin(), info);
        else out.push_back(info);
    }
    return out;
}

Location X11Displays::location(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrOutput* o = output(id);
    return o && isBuiltinConnector(*o) ? Location::builtIn : Location::external;
}

bool X11Displays::isMain(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrScreen& s = current();
    const RandrOutput* o = output(id);
    if (!o || !o->crtc) return false;
    if (const RandrOutput* primary = s.output(s.primary); primary && primary->crtc) return primary->id == o->id;
    // No primary set: the display at the origin is the main one.
    const RandrCrtc* c = s.crtc(o->crtc);
    return c && c->mode && c->x == 0 && c->y == 0 && mirrorsDisplay(id) == 0;
}

bool X11Displays::isActive(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrOutput* o = output(id);
    const RandrCrtc* c = o && o->crtc ? current().crtc(o->crtc) : nullptr;
    return c && c->mode;
}

DisplayID X11Displays::mirrorsDisplay(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrScreen& s = current();
    const RandrOutput* o = output(id);
    const RandrCrtc* mine = o && o->crtc ? s.crtc(o->crtc) : nullptr;
    if (!mine || !mine->mode) return 0;
    // Outputs showing the same part of the screen: on one CRTC, or on
    // CRTCs of the same place and size.
    std::vector<XId> group;
    for (const auto& other : s.outputs) {
        const RandrCrtc* c = other.connected && other.crtc ? s.crtc(other.crtc) : nullptr;
        if (c && c->mode && c->x == mine->x && c->y == mine->y && c->width == mine->width &&
            c->height == mine->height)
            group.push_back(other.id);
    }
    if (group.size() < 2) return 0;
    auto inGroup = [&](XId x) { return std::find(group.begin(), group.end(), x) != group.end(); };
    XId master = 0;
    for (XId member : group)
        if (auto it = mirrorOf_.find(member); it != mirrorOf_.end() && inGroup(it->second)) {
            master = it->second;
            break;
        }
    if (!master) master = inGroup(s.primary) ? s.primary : *std::min_element(group.begin(), group.end());
    return master == o->id ? 0 : s.output(master)->display;
}

Size X11Displays::screenSizeMM(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrOutput* o = output(id);
    if (!o) return {};
    if (o->widthMM > 0 && o->heightMM > 0) return {double(o->widthMM), double(o->heightMM)};
    if (o->edid) return {double(o->edid->widthMM), double(o->edid->heightMM)};
    return {};
}

std::uint32_t X11Displays::vendorNumber(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrOutput* o = output(id);
    return o && o->edid ? o->edid->vendor : 0;
}

std::uint32_t X11Displays::modelNumber(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrOutput* o = output(id);
    return o && o->edid ? o->edid->product : 0;
}

std::uint32_t X11Displays::serialNumber(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrOutput* o = output(id);
    return o && o->edid ? o->edid->serial : 0;
}

std::optional<std::string> X11Displays::uuid(DisplayID) {
    return std::nullopt;
}

std::string X11Displays::name(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrOutput* o = output(id);
    if (!o) return {};
    return o->edid && !o->edid->name.empty() ? o->edid->name : o->name;
}

std::string X11Displays::connector(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrOutput* o = output(id);
    return o ? o->name : std::string();
}

std::vector<std::uint8_t> X11Displays::edid(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrOutput* o = output(id);
    return o ? o->edidBytes : std::vector<std::uint8_t>();
}

std::optional<DisplayMode> X11Displays::currentMode(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrScreen& s = current();
    const RandrOutput* o = output(id);
    const RandrCrtc* c = o && o->crtc ? s.crtc(o->crtc) : nullptr;
    const RandrMode* m = c ? s.mode(c->mode) : nullptr;
    if (!m) return std::nullopt;
    return displayMode(*m, m->id == nativeMode(s, *o));
}

std::optional<std::vector<DisplayMode>> X11Displays::allModes(DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrScreen& s = current();
    const RandrOutput* o = output(id);
    if (!o) return std::nullopt;
    const XId native = nativeMode(s, *o);
    std::vector<DisplayMode> modes;
    for (XId m : o->modes)
        if (const RandrMode* mode = s.mode(m)) modes.push_back(displayMode(*mode, m == native));
    return modes;
}

void X11Displays::registerReconfigurationCallback(ReconfigurationCallback callback) {
    std::lock_guard lock(callbackMutex_);
    callback_ = std::move(callback);
}

void X11Displays::describe(Capabilities& capabilities) const {
    capabilities.configurationOutlivesProcess = true;
    capabilities.gammaOutlivesProcess = true;
    // A desktop's night light or colour manager may write the same ramps,
    // and an output given another CRTC starts from that CRTC's ramp.
    capabilities.gammaOverwrittenByDesktop = true;
    capabilities.switchOff = Ability::yes();
    // RandR could stretch a screen's picture (a CRTC transform), but nothing
    // makes programs draw it at twice the detail: that would be a blurred
    // imitation of HiDPI, so neither is offered.
    capabilities.virtualDisplays = Ability::no(R("X11 has no virtual displays, and so no HiDPI"));
}

// --- Transactions

X11Displays::Transaction* X11Displays::transaction(ConfigHandle handle) {
    auto it = open_.find(handle);
    return it == open_.end() ? nullptr : &it->second;
}

Status X11Displays::beginConfiguration(ConfigHandle& handle) {
    std::lock_guard lock(mutex_);
    lastError_.clear();
    refresh();
    handle = 0;
    if (!ok()) return fail(kStatusFailure, problem());
    stale_ = true;
    refresh();
    const RandrScreen& s = current();
    handle = nextHandle_++;
    open_[handle] = {currentTargets(s), s.primary, {}};
    return 0;
}

// Moves an output and the outputs mirroring it, so that a mirror follows
// its master's mode and place.
void X11Displays::moveWithMirrors(Transaction& t, XId id, OutputTarget target) {
    const RandrScreen& s = current();
    const OutputTarget before = t.targets[id];
    for (auto& [other, place] : t.targets) {
        if (other == id || !(place == before) || before.mode == 0) continue;
        const RandrOutput* o = s.output(other);
        if (!o || std::find(o->modes.begin(), o->modes.end(), target.mode) == o->modes.end()) continue;
        place = target;
        t.touched.insert(other);
    }
    t.targets[id] = target;
    t.touched.insert(id);
}

int X11Displays::rightEdge(const Transaction& t, XId except) {
    const RandrScreen& s = current();
    int right = 0;
    for (const auto& [id, place] : t.targets)
        if (id != except && place.mode)
            if (const RandrMode* m = s.mode(place.mode)) right = std::max(right, place.x + rotatedSize(*m, place.rotation).first);
    return right;
}

Status X11Displays::configureMode(ConfigHandle handle, DisplayID id, const DisplayMode& mode) {
    std::lock_guard lock(mutex_);
    refresh();
    Transaction* t = transaction(handle);
    const RandrOutput* o = output(id);
    if (!t || !o) return fail(kStatusIllegalArgument, "no such transaction or display");
    const XId wanted = XId(mode.token);
    if (std::find(o->modes.begin(), o->modes.end(), wanted) == o->modes.end())
        return fail(kStatusIllegalArgument, o->name + " has no such mode");
    OutputTarget target = t->targets[o->id];
    if (target.mode == 0) return fail(kStatusIllegalArgument, o->name + " is switched off");
    target.mode = wanted;
    moveWithMirrors(*t, o->id, target);
    return 0;
}

Status X11Displays::configureOrigin(ConfigHandle handle, DisplayID id, std::int32_t x, std::int32_t y) {
    std::lock_guard lock(mutex_);
    refresh();
    Transaction* t = transaction(handle);
    const RandrOutput* o = output(id);
    if (!t || !o) return fail(kStatusIllegalArgument, "no such transaction or display");
    OutputTarget target = t->targets[o->id];
    if (target.mode == 0) return fail(kStatusIllegalArgument, o->name + " is switched off");
    auto [mx, my] = mainOrigin();
    target.x = x + mx;
    target.y = y + my;
    moveWithMirrors(*t, o->id, target);
    return 0;
}

Status X11Displays::configureMain(ConfigHandle handle, DisplayID id) {
    std::lock_guard lock(mutex_);
    refresh();
    Transaction* t = transaction(handle);
    const RandrOutput* o = output(id);
    if (!t || !o) return fail(kStatusIllegalArgument, "no such transaction or display");
    if (t->targets[o->id].mode == 0) return fail(kStatusIllegalArgument, o->name + " is switched off");
    // Both outputs change: the record of originals keeps who was primary.
    if (t->primary) t->touched.insert(t->primary);
    t->primary = o->id;
    t->touched.insert(o->id);
    return 0;
}

Status X11Displays::configureMirror(ConfigHandle handle, DisplayID id, DisplayID masterId) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrScreen& s = current();
    Transaction* t = transaction(handle);
    const RandrOutput* o = output(id);
    if (!t || !o) return fail(kStatusIllegalArgument, "no such transaction or display");
    OutputTarget& mine = t->targets[o->id];
    if (mine.mode == 0) return fail(kStatusIllegalArgument, o->name + " is switched off");
    t->touched.insert(o->id);
    if (masterId == 0) {
        mirrorOf_.erase(o->id);
        bool mirroring = false;
        for (const auto& [other, place] : t->targets) mirroring = mirroring || (other != o->id && place == mine);
        if (mirroring) {
            mine.x = rightEdge(*t, o->id);
            mine.y = 0;
        }
        return 0;
    }
    const RandrOutput* master = output(masterId);
    if (!master || master->id == o->id) return fail(kStatusIllegalArgument, "no such display to mirror");
    const OutputTarget there = t->targets[master->id];
    const RandrMode* shown = s.mode(there.mode);
    if (!shown) return fail(kStatusIllegalArgument, master->name + " is switched off");
    // The same mode when this output has it, else one of the same size.
    XId mode = 0;
    for (XId candidate : o->modes) {
        const RandrMode* m = s.mode(candidate);
        if (!m || m->width != shown->width || m->height != shown->height) continue;
        if (candidate == there.mode) {
            mode = candidate;
            break;
        }
        if (!mode || std::abs(m->refresh - shown->refresh) < std::abs(s.mode(mode)->refresh - shown->refresh))
            mode = candidate;
    }
    if (!mode) return fail(kStatusCannotComplete, o->name + " cannot show " + master->name + "'s mode");
    mine = {mode, there.x, there.y, there.rotation};
    mirrorOf_[o->id] = master->id;
    return 0;
}

Status X11Displays::configureEnabled(ConfigHandle handle, DisplayID id, bool enabled) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrScreen& s = current();
    Transaction* t = transaction(handle);
    const RandrOutput* o = output(id);
    if (!t || !o) return fail(kStatusIllegalArgument, "no such transaction or display");
    OutputTarget& mine = t->targets[o->id];
    t->touched.insert(o->id);
    if (!enabled) {
        if (mine.mode) switchedOff_[o->id] = mine;
        mine = {};
        return 0;
    }
    if (mine.mode) return 0;
    OutputTarget back{nativeMode(s, *o), 0, 0, kRotateNormal};
    if (auto it = switchedOff_.find(o->id); it != switchedOff_.end()) back = it->second;
    if (!back.mode) return fail(kStatusCannotComplete, o->name + " has no mode to switch on with");
    bool clash = false;
    for (const auto& [other, place] : t->targets) clash = clash || (other != o->id && place.mode && overlaps(s, back, place));
    if (clash) {
        back.x = rightEdge(*t, o->id);
        back.y = 0;
    }
    mine = back;
    return 0;
}

Status X11Displays::cancelConfiguration(ConfigHandle handle) {
    std::lock_guard lock(mutex_);
    refresh();
    return open_.erase(handle) ? 0 : fail(kStatusIllegalArgument, "no such transaction");
}

bool X11Displays::recordLayoutOriginals(const Transaction& t) {
    const RandrScreen& s = current();
    const auto now = currentTargets(s);
    for (const auto& [id, target] : t.targets) {
        auto current = now.find(id);
        if (current == now.end()) continue;
        if (current->second == target && (s.primary == id) == (t.primary == id)) continue;
        const RandrOutput* o = s.output(id);
        nlohmann::json layout = {{"enabled", current->second.mode != 0}, {"primary", s.primary == id}};
        if (const RandrMode* m = s.mode(current->second.mode))
            layout.update({{"mode", m->name}, {"width", m->width}, {"height", m->height}, {"refresh", m->refresh},
                           {"x", current->second.x}, {"y", current->second.y},
                           {"rotation", current->second.rotation}});
        if (!journal_.record(o->key, kLayout, layout) && journal_.owned()) return false;
    }
    return true;
}

std::string X11Displays::applyTargets(std::map<XId, OutputTarget> targets, XId primary) {
    stale_ = true;
    refresh();
    const RandrScreen before = current();
    auto plan = planLayout(before, targets, primary);
    if (auto* error = std::get_if<std::string>(&plan)) return *error;
    std::string error = client_.apply(before, std::get<LayoutPlan>(plan));
    stale_ = true;
    return error;
}

Status X11Displays::completeConfiguration(ConfigHandle handle, ConfigureOption option) {
    std::lock_guard lock(mutex_);
    refresh();
    auto it = open_.find(handle);
    if (it == open_.end()) return fail(kStatusIllegalArgument, "no such transaction");
    Transaction t = std::move(it->second);
    open_.erase(it);
    if (!ok()) return fail(kStatusFailure, problem());
    stale_ = true;
    refresh();
    if (!recordLayoutOriginals(t))
        return fail(kStatusCannotComplete, "cannot write the record of originals in " + journal_.file().string());
    if (auto error = applyTargets(t.targets, t.primary); !error.empty()) return fail(kStatusCannotComplete, error);
    // A change meant to stay is no longer undone at the end.
    refresh();
    if (option != ConfigureOption::forAppOnly) {
        for (XId id : t.touched)
            if (const RandrOutput* o = current().output(id)) journal_.forget(o->key, kLayout);
    }
    for (XId id : t.touched)
        if (t.targets[id].mode) switchedOff_.erase(id);
    return 0;
}

// --- Gamma

std::optional<GammaTable> X11Displays::readGamma(DisplayID id, std::size_t capacity) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrOutput* o = output(id);
    const RandrCrtc* c = o && o->crtc ? current().crtc(o->crtc) : nullptr;
    if (!c || c->gammaSize < 2) return std::nullopt;
    gamma_.flush();
    auto ramp = client_.gamma(c->id);
    if (!ramp) return std::nullopt;
    return tableFromRamp(*ramp, capacity);
}

bool X11Displays::recordGammaOriginal(const RandrOutput& o, const RandrCrtc& c) {
    if (journal_.has(o.key, kGamma)) return true;
    gamma_.flush();
    auto ramp = client_.gamma(c.id);
    if (!ramp) return false;
    if (allZero(*ramp)) ramp = identityRamp(ramp->r.size());
    return journal_.record(o.key, kGamma, rampJson(*ramp)) || !journal_.owned();
}

Status X11Displays::writeGamma(DisplayID id, const GammaTable& table) {
    std::lock_guard lock(mutex_);
    refresh();
    const RandrOutput* o = output(id);
    const RandrCrtc* c = o && o->crtc ? current().crtc(o->crtc) : nullptr;
    if (!c || c->gammaSize < 2) return fail(kStatusIllegalArgument, "the display has no gamma table");
    if (table.r.empty() || table.r.size() != table.g.size() || table.r.size() != table.b.size())
        return fail(kStatusIllegalArgument, "a gamma table needs three channels of one size");
    if (!recordGammaOriginal(*o, *c)) return fail(kStatusCannotComplete, "cannot record the original gamma");
    gamma_.post(c->id, rampFromTable(table, std::size_t(c->gammaSize)));
    return 0;
}

void X11Displays::restoreGamma() {
    std::lock_guard lock(mutex_);
    refresh();
    gamma_.flush();
    restoreGammas(journal_.current());
    for (const auto& o : current().outputs) journal_.forget(o.key, kGamma);
}

// --- Originals

void X11Displays::restoreGammas(const nlohmann::json& displays) {
    stale_ = true;
    refresh();
    const RandrScreen& s = current();
    for (const auto& o : s.outputs) {
        if (!displays.contains(o.key) || !displays[o.key].contains(kGamma) || !o.crtc) continue;
        const RandrCrtc* c = s.crtc(o.crtc);
        auto ramp = rampFromJson(displays[o.key][kGamma]);
        if (!c || c->gammaSize < 2 || !ramp) continue;
        if (ramp->r.size() != std::size_t(c->gammaSize))
            ramp = rampFromTable(tableFromRamp(*ramp, ramp->r.size()), std::size_t(c->gammaSize));
        client_.setGamma(c->id, *ramp);
    }
}

void X11Displays::restoreLayouts(const nlohmann::json& displays) {
    stale_ = true;
    refresh();
    const RandrScreen& s = current();
    auto targets = currentTargets(s);
    XId primary = s.primary;
    bool any = false;
    for (const auto& o : s.outputs) {
        if (!o.connected || !displays.contains(o.key) || !displays[o.key].contains(kLayout)) continue;
        const auto& layout = displays[o.key][kLayout];
        OutputTarget target;
        if (layout.value("enabled", false)) {
            for (XId id : o.modes) {
                const RandrMode* m = s.mode(id);
                if (m && m->name == layout.value("mode", "") && m->width == layout.value("width", 0) &&
                    m->height == layout.value("height", 0) && std::abs(m->refresh - layout.value("refresh", 0.0)) < 0.01)
                    target = {id, layout.value("x", 0), layout.value("y", 0),
                              std::uint16_t(layout.value("rotation", int(kRotateNormal)))};
            }
            if (!target.mode) {
                notes_.push_back(o.name + ": its original mode is gone");
                continue;
            }
        }
        targets[o.id] = target;
        if (layout.value("primary", false)) primary = o.id;
        any = true;
    }
    if (!any) return;
    if (auto error = applyTargets(targets, primary); !error.empty())
        notes_.push_back("putting the original layout back failed: " + error);
}

void X11Displays::restoreLeftovers() {
    restoreLayouts(journal_.leftovers());
    restoreGammas(journal_.leftovers());
    notes_.push_back("originals left by a run that did not end cleanly were put back");
    journal_.clear();
}

void X11Displays::restoreOriginals() {
    std::lock_guard lock(mutex_);
    refresh();
    if (!journal_.owned()) return;
    gamma_.flush();
    const nlohmann::json originals = journal_.current();
    restoreLayouts(originals);
    restoreGammas(originals);
    journal_.clear();
    switchedOff_.clear();
}

}  // namespace vp::x11
