#include "platform/sim/SimHardware.h"

#include "platform/sim/ScenarioFields.h"

#include <algorithm>
#include <stdexcept>

namespace vp {

namespace {

constexpr Status kNoSuchDisplay = 1000;
constexpr Status kNoEntryPoint = 1001;
constexpr std::int64_t kMaxID = 0xFFFFFFFF;

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
        if (!pair.is_array() || pair.size() != 2) throw scenarioError("vcp \"" + name + "\" must be [current, max]");
        try {
            features[featureCode(name)] = {int(scenario::wholeValue(pair[0], "its current value", 0, 0xFFFF)),
                                           int(scenario::wholeValue(pair[1], "its maximum", 0, 0xFFFF))};
        } catch (const std::runtime_error& e) {
            throw scenarioError("vcp \"" + name + "\": " + e.what());
        }
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

// The panel as the system offers it: each call answers from the hardware's
// current state, so a panel object kept across a scenario change stays true.
class SimHardware::Panel : public Backlight {
public:
    explicit Panel(SimHardware& hardware) : hardware_(hardware) {}
    bool canChange() override {
        return !has("canChange") || hardware_.backlight_->canChange;
    }
    Status get(float& fraction) override {
        if (!has("get")) return kNoEntryPoint;
        if (hardware_.backlight_->getStatus != 0) return hardware_.backlight_->getStatus;
        fraction = hardware_.backlight_->value;
        return 0;
    }
    Status set(float fraction) override {
        if (!has("set")) return kNoEntryPoint;
        if (!hardware_.backlight_->canChange) return kNoSuchDisplay;
        hardware_.backlight_->value = fraction;
        return 0;
    }

private:
    bool has(const std::string& entryPoint) const { return hardware_.backlightEntryPoints_.contains(entryPoint); }
    SimHardware& hardware_;
};

// A monitor's I2C channel; once the monitor is unplugged it reaches nothing.
class SimHardware::Channel : public I2CChannel {
public:
    Channel(const SimHardware& hardware, std::shared_ptr<SimMonitor> monitor)
        : hardware_(hardware), monitor_(std::move(monitor)) {}
    Status write(std::uint8_t chip, std::uint8_t offset, const Bytes& bytes) override {
        return hardware_.reaches(monitor_) ? monitor_->receive(chip, offset, bytes) : kNoSuchDisplay;
    }
    Status read(std::uint8_t chip, std::uint8_t offset, Bytes& buffer) override {
        return hardware_.reaches(monitor_) ? monitor_->answer(chip, offset, buffer) : kNoSuchDisplay;
    }

private:
    const SimHardware& hardware_;
    std::shared_ptr<SimMonitor> monitor_;
};

void SimHardware::setBacklight(SimBacklight panel, const std::set<std::string>& entryPoints) {
    backlight_ = panel;
    backlightEntryPoints_ = entryPoints;
}

std::shared_ptr<Backlight> SimHardware::backlight(DisplayID display) {
    if (!backlight_ || backlight_->display != display) return nullptr;
    return std::make_shared<Panel>(*this);
}

void SimHardware::changeBacklightOutside(float value) {
    if (!backlight_) return;
    backlight_->value = value;
    if (backlightWatch_) backlightWatch_(backlight_->display);
}

bool SimHardware::reaches(const std::shared_ptr<SimMonitor>& monitor) const {
    std::lock_guard lock(linksMutex_);
    return i2cAvailable_ && monitor &&
           std::any_of(links_.begin(), links_.end(), [&](const Listed& l) { return l.link.monitor == monitor; });
}

LinkScan SimHardware::links() {
    if (enumerationFails) return {{}, "the system could not list its video links"};
    std::lock_guard lock(linksMutex_);
    LinkScan scan;
    for (const Listed& listed : links_) {
        const SimLink& l = listed.link;
        MonitorLink link{listed.key, l.location, l.connector, std::nullopt, l.edid, l.unreachable};
        if (l.proven && l.monitor) link.display = l.monitor->display();
        scan.links.push_back(std::move(link));
    }
    return scan;
}

std::unique_ptr<I2CChannel> SimHardware::open(const MonitorLink& link) {
    if (!i2cAvailable_) return nullptr;
    std::lock_guard lock(linksMutex_);
    auto listed = std::find_if(links_.begin(), links_.end(), [&](const Listed& l) { return l.key == link.key; });
    if (listed == links_.end() || !listed->link.monitor || !listed->link.unreachable.empty()) return nullptr;
    return std::make_unique<Channel>(*this, listed->link.monitor);
}

std::shared_ptr<SimMonitor> SimHardware::addLink(SimLink link) {
    std::lock_guard lock(linksMutex_);
    links_.push_back({"link-" + std::to_string(nextKey_++), std::move(link)});
    return links_.back().link.monitor;
}

std::shared_ptr<SimMonitor> SimHardware::addMonitor(SimMonitorConfig config) {
    SimLink link;
    if (config.display)
        if (SimDisplay* d = displays_.find(*config.display)) link.edid = makeEDID(d->vendor, d->model, d->serial);
    link.monitor = std::make_shared<SimMonitor>(std::move(config), clock_);
    return addLink(std::move(link));
}

void SimHardware::removeLinksOf(DisplayID display) {
    std::lock_guard lock(linksMutex_);
    std::erase_if(links_, [&](const Listed& l) { return l.link.monitor && l.link.monitor->display() == display; });
}

std::shared_ptr<SimMonitor> SimHardware::monitorFor(DisplayID display) const {
    std::lock_guard lock(linksMutex_);
    for (const Listed& l : links_)
        if (l.link.monitor && l.link.monitor->display() == display && l.link.location == Location::external)
            return l.link.monitor;
    return nullptr;
}

std::shared_ptr<SimMonitor> SimHardware::loadLink(const nlohmann::json& j) {
    if (!j.is_object()) throw scenarioError("each of \"avServices\" must be an object");
    SimMonitorConfig config;
    if (j.contains("display")) config.display = DisplayID(scenario::whole(j, "display", 0, 1, kMaxID, "\"hardware\": a link"));
    const SimDisplay* d = config.display ? displays_.find(*config.display) : nullptr;
    if (config.display && !d) throw scenarioError("no display " + std::to_string(*config.display) + " for a link");

    SimLink link;
    // "External" is a monitor's link; anything else, null included, lies
    // inside the machine.
    const bool external = !j.contains("location") || j["location"] == "External";
    link.location = external ? Location::external : Location::builtIn;
    link.connector = j.value("connector", std::string());
    link.proven = j.value("proven", false);
    if (link.proven && !config.display) throw scenarioError("a \"proven\" link needs a \"display\"");
    const std::string what = "\"hardware\": the link of display " +
                             (config.display ? std::to_string(*config.display) : std::string("none"));
    auto number = [&](const char* key, std::uint32_t fallback) {
        return std::uint32_t(scenario::whole(j, key, fallback, 0, kMaxID, what));
    };
    std::uint32_t vendor = number("vendor", d ? d->vendor : 0u);
    std::uint32_t model = number("model", d ? d->model : 0u);
    std::uint32_t serial = number("serial", d ? d->serial : 0u);
    if (!j.contains("edid")) link.edid = makeEDID(vendor, model, serial);
    else if (!j["edid"].is_null()) link.edid = bytesFromHex(j["edid"].get<std::string>());

    config.vcp = j.contains("vcp") ? featuresFromJson(j["vcp"]) : defaultFeatures();
    config.noAnswer = j.value("noAnswer", false);
    config.wrongCodeTries = int(scenario::whole(j, "wrongCodeTries", 0, 0, 1000, what));
    config.refuseWrites = j.value("refuseWrites", false);
    config.replyDelay = std::chrono::milliseconds(scenario::whole(j, "replyDelayMs", 40, 0, 10000, what));
    link.monitor = std::make_shared<SimMonitor>(std::move(config), clock_);
    return addLink(std::move(link));
}

void SimHardware::load(const nlohmann::json& j) {
    if (!j.is_object()) throw scenarioError("must be an object");
    try {
        if (j.contains("backlight") && !j["backlight"].is_null()) {
            const auto& b = j["backlight"];
            SimBacklight panel;
            const std::string what = "\"hardware\": \"backlight\"";
            if (!b.is_object() || !b.contains("display")) throw std::runtime_error(what + " needs a \"display\"");
            panel.display = DisplayID(scenario::whole(b, "display", 0, 1, kMaxID, what));
            if (!displays_.find(panel.display))
                throw std::runtime_error(what + ": no display " + std::to_string(panel.display));
            panel.value = float(scenario::number(b, "value", 0.5, 0, 1, what));
            panel.canChange = b.value("canChange", true);
            panel.getStatus = b.value("getStatus", 0);
            auto entryPoints = b.value("entryPoints", std::set<std::string>{"canChange", "get", "set"});
            setBacklight(panel, entryPoints);
        }
        if (j.contains("avServices")) {
            if (!j["avServices"].is_array()) throw scenarioError("\"avServices\" must be an array");
            for (const auto& s : j["avServices"]) loadLink(s);
        }
        if (!j.value("i2cEntryPoints", true)) removeI2C();
        enumerationFails = j.value("enumerationFails", false);
    } catch (const nlohmann::json::exception& e) {
        throw scenarioError(e.what());
    }
}

}  // namespace vp
