#include "platform/sim/SimHardware.h"

#include <algorithm>
#include <stdexcept>

namespace vp {

namespace {

constexpr Status kNoSuchDisplay = 1000;
constexpr Status kNoEDID = Status(0xE00002C7);

class SimAVService : public AVService {
public:
    SimAVService(std::shared_ptr<SimMonitor> monitor, std::optional<Bytes> edid)
        : monitor(std::move(monitor)), edid(std::move(edid)) {}
    std::shared_ptr<SimMonitor> monitor;
    std::optional<Bytes> edid;
};

SimAVService& simService(AVService& service) {
    return static_cast<SimAVService&>(service);
}

std::runtime_error scenarioError(const std::string& message) {
    return std::runtime_error("\"hardware\": " + message);
}

std::uint8_t featureCode(const std::string& name) {
    static const std::map<std::string, std::uint8_t> names = {
        {"brightness", 0x10}, {"contrast", 0x12}, {"inputSource", 0x60}, {"volume", 0x62}, {"mute", 0x8D}};
    if (auto it = names.find(name); it != names.end()) return it->second;
    try {
        std::size_t used = 0;
        int value = std::stoi(name, &used, 0);
        if (used == name.size() && value >= 0 && value <= 0xFF) return std::uint8_t(value);
    } catch (const std::logic_error&) {
    }
    throw scenarioError("\"" + name + "\" is not a VCP feature name or code");
}

std::map<std::uint8_t, ddc::VCPReading> defaultFeatures() {
    return {{0x10, {50, 100}}, {0x12, {50, 100}}, {0x60, {0x0F, 0x1B}}, {0x62, {30, 100}}, {0x8D, {2, 2}}};
}

std::map<std::uint8_t, ddc::VCPReading> featuresFromJson(const nlohmann::json& j) {
    if (!j.is_object()) throw scenarioError("\"vcp\" must be an object of [current, max] pairs");
    std::map<std::uint8_t, ddc::VCPReading> features;
    for (const auto& [name, pair] : j.items()) {
        if (!pair.is_array() || pair.size() != 2 || !pair[0].is_number_integer() || !pair[1].is_number_integer())
            throw scenarioError("vcp \"" + name + "\" must be [current, max]");
        features[featureCode(name)] = {pair[0].get<int>(), pair[1].get<int>()};
    }
    return features;
}

Bytes bytesFromHex(const std::string& hex) {
    Bytes bytes;
    std::string digits;
    for (char c : hex)
        if (!std::isspace(static_cast<unsigned char>(c))) digits.push_back(c);
    if (digits.size() % 2) throw scenarioError("\"edid\" must hold whole bytes in hexadecimal");
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        try {
            std::size_t used = 0;
            int value = std::stoi(digits.substr(i, 2), &used, 16);
            if (used != 2) throw std::invalid_argument("digit");
            bytes.push_back(std::uint8_t(value));
        } catch (const std::logic_error&) {
            throw scenarioError("\"edid\" must hold whole bytes in hexadecimal");
        }
    }
    return bytes;
}

}  // namespace

SimHardware::SimHardware(SimDisplays& displays, const Clock& clock) : displays_(displays), clock_(clock) {}

Bytes SimHardware::makeEDID(std::uint32_t vendor, std::uint32_t product, std::uint32_t serial) {
    Bytes e(128, 0);
    const Bytes header = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(header.begin(), header.end(), e.begin());
    e[8] = std::uint8_t(vendor >> 8);
    e[9] = std::uint8_t(vendor);
    e[10] = std::uint8_t(product);
    e[11] = std::uint8_t(product >> 8);
    for (int i = 0; i < 4; ++i) e[12 + i] = std::uint8_t(serial >> (8 * i));
    e[18] = 1;  // EDID 1.4
    e[19] = 4;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < 127; ++i) sum = std::uint8_t(sum + e[i]);
    e[127] = std::uint8_t(0x100 - sum);
    return e;
}

void SimHardware::setBacklight(SimBacklight panel, const std::set<std::string>& entryPoints) {
    backlight_ = panel;
    backlightEntryPoints_ = {};
    if (entryPoints.contains("canChange"))
        backlightEntryPoints_.canChangeBrightness = [this](DisplayID id) {
            return backlight_->display == id && backlight_->canChange;
        };
    if (entryPoints.contains("get"))
        backlightEntryPoints_.getBrightness = [this](DisplayID id, float& out) {
            if (backlight_->display != id) return kNoSuchDisplay;
            if (backlight_->getStatus != 0) return backlight_->getStatus;
            out = backlight_->value;
            return Status(0);
        };
    if (entryPoints.contains("set"))
        backlightEntryPoints_.setBrightness = [this](DisplayID id, float value) {
            if (backlight_->display != id || !backlight_->canChange) return kNoSuchDisplay;
            backlight_->value = value;
            return Status(0);
        };
}

void SimHardware::installI2CEntryPoints() {
    i2cEntryPoints_.createWithService = [this](const AVRegistryEntry& entry) -> AVServiceRef {
        std::lock_guard lock(servicesMutex_);
        if (entry.handle == 0 || entry.handle > services_.size()) return nullptr;
        const SimAVServiceEntry& s = services_[entry.handle - 1];
        return std::make_shared<SimAVService>(s.monitor, s.edid);
    };
    // A service kept after its monitor was unplugged reaches nothing.
    auto plugged = [this](const SimAVService& s) {
        std::lock_guard lock(servicesMutex_);
        return s.monitor && std::any_of(services_.begin(), services_.end(),
                                        [&](const SimAVServiceEntry& e) { return e.monitor == s.monitor; });
    };
    i2cEntryPoints_.writeI2C = [plugged](AVService& service, std::uint8_t chip, std::uint8_t offset,
                                         const Bytes& bytes) {
        auto& s = simService(service);
        return plugged(s) ? s.monitor->receive(chip, offset, bytes) : kNoSuchDisplay;
    };
    i2cEntryPoints_.readI2C = [plugged](AVService& service, std::uint8_t chip, std::uint8_t offset, Bytes& buffer) {
        auto& s = simService(service);
        return plugged(s) ? s.monitor->answer(chip, offset, buffer) : kNoSuchDisplay;
    };
    i2cEntryPoints_.copyEDID = [](AVService& service, Bytes& edid) {
        auto& s = simService(service);
        if (!s.edid) return kNoEDID;
        edid = *s.edid;
        return Status(0);
    };
}

std::optional<std::vector<AVRegistryEntry>> SimHardware::avServiceEntries() {
    if (enumerationFails) return std::nullopt;
    std::lock_guard lock(servicesMutex_);
    std::vector<AVRegistryEntry> entries;
    for (std::size_t i = 0; i < services_.size(); ++i) entries.push_back({i + 1, services_[i].location});
    return entries;
}

std::shared_ptr<SimMonitor> SimHardware::addService(SimAVServiceEntry entry) {
    if (!i2cEntryPoints_.createWithService) installI2CEntryPoints();
    std::lock_guard lock(servicesMutex_);
    services_.push_back(std::move(entry));
    return services_.back().monitor;
}

std::shared_ptr<SimMonitor> SimHardware::addMonitor(SimMonitorConfig config) {
    SimAVServiceEntry entry;
    entry.location = "External";
    if (config.display)
        if (SimDisplay* d = displays_.find(*config.display)) entry.edid = makeEDID(d->vendor, d->model, d->serial);
    entry.monitor = std::make_shared<SimMonitor>(std::move(config), clock_);
    return addService(std::move(entry));
}

void SimHardware::removeServicesOf(DisplayID display) {
    std::lock_guard lock(servicesMutex_);
    std::erase_if(services_, [&](const SimAVServiceEntry& s) { return s.monitor && s.monitor->display() == display; });
}

std::shared_ptr<SimMonitor> SimHardware::monitorFor(DisplayID display) const {
    std::lock_guard lock(servicesMutex_);
    for (const auto& s : services_)
        if (s.monitor && s.monitor->display() == display && s.location == "External") return s.monitor;
    return nullptr;
}

std::shared_ptr<SimMonitor> SimHardware::loadService(const nlohmann::json& j) {
    if (!j.is_object()) throw scenarioError("each of \"avServices\" must be an object");
    SimMonitorConfig config;
    if (j.contains("display")) config.display = j["display"].get<DisplayID>();
    const SimDisplay* d = config.display ? displays_.find(*config.display) : nullptr;
    if (config.display && !d) throw scenarioError("no display " + std::to_string(*config.display) + " for an AV service");

    SimAVServiceEntry entry;
    entry.location = j.contains("location") && j["location"].is_null()
                         ? std::nullopt
                         : std::optional<std::string>(j.value("location", std::string("External")));
    std::uint32_t vendor = j.value("vendor", d ? d->vendor : 0u);
    std::uint32_t model = j.value("model", d ? d->model : 0u);
    std::uint32_t serial = j.value("serial", d ? d->serial : 0u);
    if (!j.contains("edid")) entry.edid = makeEDID(vendor, model, serial);
    else if (!j["edid"].is_null()) entry.edid = bytesFromHex(j["edid"].get<std::string>());

    config.vcp = j.contains("vcp") ? featuresFromJson(j["vcp"]) : defaultFeatures();
    config.noAnswer = j.value("noAnswer", false);
    config.wrongCodeTries = j.value("wrongCodeTries", 0);
    config.refuseWrites = j.value("refuseWrites", false);
    config.replyDelay = std::chrono::milliseconds(j.value("replyDelayMs", 40));
    entry.monitor = std::make_shared<SimMonitor>(std::move(config), clock_);
    return addService(std::move(entry));
}

void SimHardware::load(const nlohmann::json& j) {
    if (!j.is_object()) throw scenarioError("must be an object");
    try {
        if (j.contains("backlight") && !j["backlight"].is_null()) {
            const auto& b = j["backlight"];
            SimBacklight panel;
            panel.display = b.at("display").get<DisplayID>();
            panel.value = b.value("value", 0.5f);
            panel.canChange = b.value("canChange", true);
            panel.getStatus = b.value("getStatus", 0);
            auto entryPoints = b.value("entryPoints", std::set<std::string>{"canChange", "get", "set"});
            setBacklight(panel, entryPoints);
        }
        if (j.contains("avServices")) {
            if (!j["avServices"].is_array()) throw scenarioError("\"avServices\" must be an array");
            for (const auto& s : j["avServices"]) loadService(s);
        }
        if (!j.value("i2cEntryPoints", true)) removeI2CEntryPoints();
        enumerationFails = j.value("enumerationFails", false);
    } catch (const nlohmann::json::exception& e) {
        throw scenarioError(e.what());
    }
}

}  // namespace vp
