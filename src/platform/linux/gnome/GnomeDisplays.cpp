#include "platform/linux/gnome/GnomeDisplays.h"

#include "platform/linux/gnome/GammaRampsConvert.h"
#include "platform/linux/gnome/MutterLayout.h"
#include "platform/linux/gnome/MutterRecord.h"

#include <cmath>
#include <cstdio>
#include <set>

namespace vp::gnome {

namespace {

// Where the record keeps mutter's configuration, and each ramp.
constexpr const char* kMutterKey = "mutter";
constexpr const char* kLayout = "layout";
constexpr const char* kGamma = "gamma";

std::uint64_t fnv1a64(const std::string& text, std::uint64_t hash = 0xcbf29ce484222325ull) {
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::string identity(const MonitorSpec& spec) {
    return spec.vendor + '\n' + spec.product + '\n' + spec.serial;
}

std::uint32_t numberIn(const std::string& text) {
    if (text.empty()) return 0;
    char* end = nullptr;
    unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    return end && *end == '\0' ? std::uint32_t(value) : 0;
}

}  // namespace

DisplayID displayIdFor(const MonitorSpec& spec) {
    std::uint64_t h = fnv1a64(spec.connector + '\n' + identity(spec));
    auto id = DisplayID(h ^ (h >> 32));
    return id == 0 ? 1 : id;
}

std::uint32_t vendorCode(const std::string& vendor) {
    if (vendor.size() != 3) return 0;
    std::uint32_t code = 0;
    for (char c : vendor) {
        if (c < 'A' || c > 'Z') return 0;
        code = (code << 5) | std::uint32_t(c - 'A' + 1);
    }
    return code;
}

std::string monitorUuid(const MonitorSpec& spec) {
    // Identical monitors without serial numbers are told apart by connector.
    std::string key = identity(spec);
    if (numberIn(spec.serial) == 0 && spec.serial.size() < 4) key += '\n' + spec.connector;
    std::uint64_t a = fnv1a64(key), b = fnv1a64(key, a);
    a = (a & ~0xf000ull) | 0x5000ull;                          // name-based
    b = (b & 0x3fffffffffffffffull) | 0x8000000000000000ull;  // RFC 4122 variant
    char text[37];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%04X-%012llX", unsigned(a >> 32), unsigned((a >> 16) & 0xffff),
                  unsigned(a & 0xffff), unsigned(b >> 48), static_cast<unsigned long long>(b & 0xffffffffffffull));
    return text;
}

GnomeDisplays::GnomeDisplays(std::string address, std::filesystem::path stateDirectory)
    : client_(address), address_(std::move(address)), stateDirectory_(std::move(stateDirectory)) {}

GnomeDisplays::~GnomeDisplays() {
    watcher_.reset();
    restoreOriginals();
}

bool GnomeDisplays::start(std::string& why) {
    BusError error;
    if (!reload(error)) {
        why = "mutter's display configuration is not reachable: " + error.message;
        return false;
    }
    openJournal();
    watcher_ = std::make_unique<MonitorsWatcher>(address_, [this] { monitorsChanged(); });
    if (!watcher_->start(error)) {
        watcher_.reset();
        why = error.message;
        return false;
    }
    return true;
}

void GnomeDisplays::openJournal() {
    if (stateDirectory_.empty()) return;
    // A temporary configuration ends with the bus or with mutter: a record
    // made under another is stale, and dropped.
    BusError error;
    std::string server = client_.serverIdentity(error);
    if (server.empty()) {
        notes_.push_back("no record of originals: " + error.message);
        return;
    }
    journal_ = std::make_unique<OriginalsJournal>(stateDirectory_ / "originals-gnome.json",
                                                  JournalIdentity{OriginalsJournal::machineId(), server});
    if (!journal_->open()) {
        notes_.push_back("another instance keeps the record of originals");
        return;
    }
    if (!journal_->discarded().empty()) {
        notes_.push_back(journal_->discarded() + "; it was dropped");
        journal_->clear();
    }
    if (!journal_->leftovers().empty()) {
        restoreRecorded(journal_->leftovers());
        notes_.push_back("originals left by a run that did not end cleanly were put back");
        journal_->clear();
    }
}

bool GnomeDisplays::recordLayout(const MutterState& state) {
    if (!journal_ || !journal_->owned() || journal_->has(kMutterKey, kLayout)) return true;
    return journal_->record(kMutterKey, kLayout, configToJson(configFromState(state)));
}

bool GnomeDisplays::recordGamma(const std::string& connector, const GammaRamps& ramps) {
    if (!journal_ || !journal_->owned() || journal_->has(connector, kGamma)) return true;
    return journal_->record(connector, kGamma, rampsToJson(ramps));
}

void GnomeDisplays::restoreRecorded(const nlohmann::json& originals) {
    if (!originals.is_object()) return;
    BusError error;
    auto state = client_.currentState(error);
    if (state && originals.contains(kMutterKey) && originals[kMutterKey].contains(kLayout))
        if (auto recorded = configFromJson(originals[kMutterKey][kLayout]))
            if (auto config = restorable(*recorded, *state))
                if (configFromState(*state) != *config &&
                    !client_.apply(state->serial, ApplyMethod::temporary, *config, error))
                    notes_.push_back("mutter refused the recorded configuration: " + error.message);
    for (const auto& [connector, sections] : originals.items()) {
        if (!sections.is_object() || !sections.contains(kGamma)) continue;
        if (auto ramps = rampsFromJson(sections[kGamma])) client_.setGamma(connector, *ramps, error);
    }
    reload(error);
}

void GnomeDisplays::restoreOriginals() {
    if (!journal_ || !journal_->owned()) return;
    const nlohmann::json originals = journal_->current();
    if (originals.empty()) return;
    restoreRecorded(originals);
    {
        std::lock_guard lock(gammaMutex_);
        originalGamma_.clear();
        ourGamma_.clear();
    }
    journal_->clear();
}

bool GnomeDisplays::reload(BusError& error) {
    auto fresh = client_.currentState(error);
    std::lock_guard lock(mutex_);
    state_ = fresh.value_or(MutterState{});
    connectors_.clear();
    for (const auto& m : state_.monitors) {
        DisplayID id = displayIdFor(m.spec);
        while (connectors_.contains(id)) id = id + 1 == 0 ? 1 : id + 1;
        connectors_[id] = m.spec.connector;
    }
    return fresh.has_value();
}

bool GnomeDisplays::refreshNow() {
    BusError error;
    return reload(error);
}

void GnomeDisplays::claim(const std::string& connector, Claim identity) {
    std::lock_guard lock(mutex_);
    claims_[connector] = identity;
}

void GnomeDisplays::release(const std::string& connector) {
    std::lock_guard lock(mutex_);
    claims_.erase(connector);
}

const GnomeDisplays::Claim* GnomeDisplays::claimOf(const MutterMonitor& monitor) const {
    auto it = claims_.find(monitor.spec.connector);
    return it == claims_.end() ? nullptr : &it->second;
}

void GnomeDisplays::monitorsChanged() {
    std::set<DisplayID> ids;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, connector] : connectors_) ids.insert(id);
    }
    BusError error;
    reload(error);
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, connector] : connectors_) ids.insert(id);
    }
    reapplyGamma();
    announce({ids.begin(), ids.end()});
}

void GnomeDisplays::announce(const std::vector<DisplayID>& ids) {
    ReconfigurationCallback callback;
    {
        std::lock_guard lock(callbackMutex_);
        callback = callback_;
    }
    if (!callback) return;
    for (DisplayID id : ids) callback(id, kReconfigurationBeginFlag);
    for (DisplayID id : ids) callback(id, 0);
}

void GnomeDisplays::registerReconfigurationCallback(ReconfigurationCallback callback) {
    std::lock_guard lock(callbackMutex_);
    callback_ = std::move(callback);
}

std::string GnomeDisplays::lastFailure() const {
    std::lock_guard lock(mutex_);
    return lastFailure_;
}

std::string GnomeDisplays::connector(DisplayID id) const {
    std::lock_guard lock(mutex_);
    auto it = connectors_.find(id);
    return it == connectors_.end() ? std::string() : it->second;
}

DisplayID GnomeDisplays::idOf(const std::string& connector) const {
    std::lock_guard lock(mutex_);
    for (const auto& [id, name] : connectors_)
        if (name == connector) return id;
    return 0;
}

MutterState GnomeDisplays::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

const MutterMonitor* GnomeDisplays::monitorOf(DisplayID id) const {
    auto it = connectors_.find(id);
    return it == connectors_.end() ? nullptr : state_.monitor(it->second);
}

std::vector<DisplayID> GnomeDisplays::onlineDisplays() {
    std::lock_guard lock(mutex_);
    std::vector<DisplayID> ids;
    for (const auto& m : state_.monitors)
        for (const auto& [id, connector] : connectors_)
            if (connector == m.spec.connector) ids.push_back(id);
    return ids;
}

Rect GnomeDisplays::bounds(DisplayID id) {
    std::lock_guard lock(mutex_);
    const MutterMonitor* m = monitorOf(id);
    if (!m) return {};
    MonitorsConfig config = configFromState(state_);
    const LogicalConfig* lm = config.logicalFor(m->spec.connector);
    if (!lm) return {};
    LogicalSize size = logicalSize(*lm, state_);
    return {double(lm->x), double(lm->y), double(size.width), double(size.height)};
}

Location GnomeDisplays::location(DisplayID id) {
    std::lock_guard lock(mutex_);
    const MutterMonitor* m = monitorOf(id);
    return m && m->builtin ? Location::builtIn : Location::external;
}

bool GnomeDisplays::isMain(DisplayID id) {
    std::lock_guard lock(mutex_);
    const MutterMonitor* m = monitorOf(id);
    const LogicalMonitor* lm = m ? state_.logicalFor(m->spec.connector) : nullptr;
    return lm && lm->primary && lm->monitors.front().connector == m->spec.connector;
}

bool GnomeDisplays::isActive(DisplayID id) {
    std::lock_guard lock(mutex_);
    const MutterMonitor* m = monitorOf(id);
    return m && state_.logicalFor(m->spec.connector);
}

DisplayID GnomeDisplays::mirrorsDisplay(DisplayID id) {
    std::lock_guard lock(mutex_);
    const MutterMonitor* m = monitorOf(id);
    const LogicalMonitor* lm = m ? state_.logicalFor(m->spec.connector) : nullptr;
    // A mirror group shows its first monitor's picture on the others.
    if (!lm || lm->monitors.front().connector == m->spec.connector) return 0;
    for (const auto& [other, connector] : connectors_)
        if (connector == lm->monitors.front().connector) return other;
    return 0;
}

Size GnomeDisplays::screenSizeMM(DisplayID) {
    return {};  // mutter does not report the physical size
}

std::uint32_t GnomeDisplays::vendorNumber(DisplayID id) {
    std::lock_guard lock(mutex_);
    const MutterMonitor* m = monitorOf(id);
    if (!m) return 0;
    const Claim* ours = claimOf(*m);
    return ours ? ours->vendor : vendorCode(m->spec.vendor);
}

std::uint32_t GnomeDisplays::modelNumber(DisplayID id) {
    std::lock_guard lock(mutex_);
    const MutterMonitor* m = monitorOf(id);
    if (!m) return 0;
    const Claim* ours = claimOf(*m);
    return ours ? ours->model : numberIn(m->spec.product);
}

std::uint32_t GnomeDisplays::serialNumber(DisplayID id) {
    std::lock_guard lock(mutex_);
    const MutterMonitor* m = monitorOf(id);
    if (!m) return 0;
    const Claim* ours = claimOf(*m);
    return ours ? ours->serial : numberIn(m->spec.serial);
}

std::optional<std::string> GnomeDisplays::uuid(DisplayID id) {
    std::lock_guard lock(mutex_);
    const MutterMonitor* m = monitorOf(id);
    if (!m) return std::nullopt;
    // Our virtual screens keep their settings across runs, whatever
    // connector mutter gives them this time.
    if (const Claim* ours = claimOf(*m))
        return monitorUuid({"", std::to_string(ours->vendor), std::to_string(ours->model), std::to_string(ours->serial)});
    return monitorUuid(m->spec);
}

DisplayMode GnomeDisplays::modeFor(const MutterMonitor& monitor, const MutterMode& mode) const {
    // Points are pixels over the scale in either layout mode; only the
    // layout's coordinates (bounds) differ between them.
    const LogicalMonitor* lm = state_.logicalFor(monitor.spec.connector);
    double scale = lm && lm->scale > 0 ? lm->scale : 1.0;
    DisplayMode out;
    out.pixelWidth = mode.width;
    out.pixelHeight = mode.height;
    out.width = std::llround(mode.width / scale);
    out.height = std::llround(mode.height / scale);
    out.refresh = mode.refresh;
    out.token = fnv1a64(mode.id);
    out.native = mode.preferred;
    return out;
}

std::optional<DisplayMode> GnomeDisplays::currentMode(DisplayID id) {
    std::lock_guard lock(mutex_);
    const MutterMonitor* m = monitorOf(id);
    const MutterMode* mode = m ? m->currentMode() : nullptr;
    if (!mode) return std::nullopt;
    return modeFor(*m, *mode);
}

std::optional<std::vector<DisplayMode>> GnomeDisplays::allModes(DisplayID id) {
    std::lock_guard lock(mutex_);
    const MutterMonitor* m = monitorOf(id);
    if (!m) return std::nullopt;
    std::vector<DisplayMode> modes;
    for (const auto& mode : m->modes) modes.push_back(modeFor(*m, mode));
    return modes;
}

Status GnomeDisplays::fail(Status status, std::string why) {
    std::lock_guard lock(mutex_);
    lastFailure_ = std::move(why);
    return status;
}

Status GnomeDisplays::beginConfiguration(ConfigHandle& handle) {
    std::lock_guard lock(mutex_);
    lastFailure_.clear();
    handle = nextHandle_++;
    open_[handle] = {};
    return 0;
}

Status GnomeDisplays::stage(ConfigHandle handle, DisplayID id, Edit edit) {
    std::string why;
    {
        std::lock_guard lock(mutex_);
        auto it = open_.find(handle);
        if (it == open_.end()) return kNoTransaction;
        if (!connectors_.contains(id)) {
            lastFailure_ = "the display is not connected";
            return kUnknownDisplay;
        }
        // Checked at once against what we know, so the caller hears of a
        // plainly impossible step before anything is sent.
        MonitorsConfig scratch = configFromState(state_);
        for (const auto& earlier : it->second) earlier(scratch, state_);
        why = edit(scratch, state_);
        if (why.empty()) it->second.push_back(std::move(edit));
    }
    return why.empty() ? 0 : fail(kEditRefused, why);
}

Status GnomeDisplays::configureMode(ConfigHandle handle, DisplayID id, const DisplayMode& mode) {
    std::string connector = this->connector(id), modeId;
    {
        std::lock_guard lock(mutex_);
        if (const MutterMonitor* m = state_.monitor(connector))
            for (const auto& candidate : m->modes) {
                DisplayMode shown = modeFor(*m, candidate);
                bool sameToken = mode.token != 0 && shown.token == mode.token;
                bool sameShape = mode.token == 0 && shown.pixelWidth == mode.pixelWidth &&
                                 shown.pixelHeight == mode.pixelHeight && std::abs(shown.refresh - mode.refresh) < 0.01;
                if (sameToken || sameShape) modeId = candidate.id;
            }
    }
    if (connector.empty()) return kUnknownDisplay;
    if (modeId.empty()) return fail(kEditRefused, "the display has no such mode");
    return stage(handle, id, [connector, modeId](MonitorsConfig& config, const MutterState& state) {
        return setMode(config, state, connector, modeId);
    });
}

Status GnomeDisplays::configureMirror(ConfigHandle handle, DisplayID id, DisplayID master) {
    std::string connector = this->connector(id), masterConnector = master ? this->connector(master) : std::string();
    if (master && masterConnector.empty()) return fail(kUnknownDisplay, "the display to mirror is not connected");
    return stage(handle, id, [connector, masterConnector](MonitorsConfig& config, const MutterState& state) {
        return setMirror(config, state, connector, masterConnector);
    });
}

Status GnomeDisplays::configureOrigin(ConfigHandle handle, DisplayID id, std::int32_t x, std::int32_t y) {
    std::string connector = this->connector(id);
    return stage(handle, id, [connector, x, y](MonitorsConfig& config, const MutterState&) {
        return setOrigin(config, connector, x, y);
    });
}

Status GnomeDisplays::configureEnabled(ConfigHandle handle, DisplayID id, bool enabled) {
    std::string connector = this->connector(id);
    return stage(handle, id, [connector, enabled](MonitorsConfig& config, const MutterState& state) {
        return setEnabled(config, state, connector, enabled);
    });
}

Status GnomeDisplays::configureMain(ConfigHandle handle, DisplayID id) {
    std::string connector = this->connector(id);
    return stage(handle, id, [connector](MonitorsConfig& config, const MutterState&) {
        return setPrimary(config, connector);
    });
}

Status GnomeDisplays::configureScale(ConfigHandle handle, DisplayID id, double scale) {
    std::string connector = this->connector(id);
    return stage(handle, id, [connector, scale](MonitorsConfig& config, const MutterState& state) {
        return setScale(config, state, connector, scale);
    });
}

Status GnomeDisplays::cancelConfiguration(ConfigHandle handle) {
    std::lock_guard lock(mutex_);
    return open_.erase(handle) ? 0 : kNoTransaction;
}

// Every option is sent as mutter's temporary method: its persistent one
// asks the user under gnome-shell and reverts without an answer, and what
// we change is undone by us (at quit, or from the restore file).
Status GnomeDisplays::completeConfiguration(ConfigHandle handle, ConfigureOption) {
    std::vector<Edit> edits;
    {
        std::lock_guard lock(mutex_);
        auto it = open_.find(handle);
        if (it == open_.end()) return kNoTransaction;
        edits = std::move(it->second);
        open_.erase(it);
    }
    return send(edits);
}

Status GnomeDisplays::applyConfig(const MonitorsConfig& config) {
    return send({[config](MonitorsConfig& target, const MutterState&) {
        target = config;
        return std::string();
    }});
}

Status GnomeDisplays::send(const std::vector<Edit>& edits) {
    // The edits are replayed on mutter's state of the moment: a monitor
    // plugged or unplugged since they were staged is taken into account, and
    // a stale serial (a change between our read and our call) is read again
    // and tried once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        BusError error;
        auto state = client_.currentState(error);
        if (!state) return fail(kMutterUnreachable, "mutter is not reachable: " + error.message);
        MonitorsConfig config = configFromState(*state);
        for (const auto& edit : edits)
            if (std::string why = edit(config, *state); !why.empty()) return fail(kEditRefused, why);
        settleLayout(config, *state);
        if (!recordLayout(*state))
            return fail(kEditRefused, "cannot write the record of originals in " + journal_->file().string());
        if (client_.apply(state->serial, ApplyMethod::temporary, config, error)) {
            BusError ignored;
            reload(ignored);
            return 0;
        }
        if (!DisplayConfigClient::isStaleSerial(error)) return fail(kMutterRefused, error.message);
    }
    return fail(kMutterRefused, "mutter's displays kept changing while the change was sent");
}

std::optional<GammaTable> GnomeDisplays::readGamma(DisplayID id, std::size_t capacity) {
    std::string connector = this->connector(id);
    if (connector.empty()) return std::nullopt;
    BusError error;
    auto ramps = client_.gamma(connector, error);
    if (!ramps) return std::nullopt;
    std::lock_guard lock(gammaMutex_);
    originalGamma_.try_emplace(connector, *ramps);
    return tableFromRamps(*ramps, capacity);
}

Status GnomeDisplays::writeGamma(DisplayID id, const GammaTable& table) {
    std::string connector = this->connector(id);
    if (connector.empty()) return kUnknownDisplay;
    std::optional<GammaRamps> original;
    {
        std::lock_guard lock(gammaMutex_);
        if (auto it = originalGamma_.find(connector); it != originalGamma_.end()) original = it->second;
    }
    if (!original) {
        BusError error;
        original = client_.gamma(connector, error);
        if (!original) return fail(kMutterRefused, error.message);
        std::lock_guard lock(gammaMutex_);
        original = originalGamma_.try_emplace(connector, *original).first->second;
    }
    // The ramp as it was goes on disk before ours goes to mutter.
    if (!recordGamma(connector, *original))
        return fail(kEditRefused, "cannot write the record of originals in " + journal_->file().string());
    GammaRamps ramps = rampsFromTable(table, original->red.size());
    BusError error;
    if (!client_.setGamma(connector, ramps, error)) return fail(kMutterRefused, error.message);
    std::lock_guard lock(gammaMutex_);
    ourGamma_[connector] = std::move(ramps);
    return 0;
}

void GnomeDisplays::describe(Capabilities& capabilities) const {
    capabilities.configurationOutlivesProcess = true;
    capabilities.gammaOutlivesProcess = true;
    capabilities.gammaOverwrittenByDesktop = true;
    capabilities.switchOff = Ability::yes();
}

void GnomeDisplays::restoreGamma() {
    std::map<std::string, GammaRamps> originals;
    {
        std::lock_guard lock(gammaMutex_);
        originals.swap(originalGamma_);
        ourGamma_.clear();
    }
    for (const auto& [connector, ramps] : originals) {
        BusError error;
        if (client_.setGamma(connector, ramps, error) && journal_) journal_->forget(connector, kGamma);
    }
}

void GnomeDisplays::reapplyGamma() {
    std::map<std::string, GammaRamps> ours;
    {
        std::lock_guard lock(gammaMutex_);
        ours = ourGamma_;
    }
    for (const auto& [connector, ramps] : ours) {
        BusError error;
        client_.setGamma(connector, ramps, error);
    }
}

}  // namespace vp::gnome
