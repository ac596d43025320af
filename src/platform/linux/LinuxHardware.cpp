#include "platform/linux/LinuxHardware.h"

#include "platform/linux/DrmLinks.h"
#include "platform/linux/I2CDevice.h"
#include "platform/linux/LogindBrightness.h"
#include "platform/linux/SysfsBacklight.h"

#include <cerrno>
#include <filesystem>

#include <unistd.h>

namespace vp {

namespace fs = std::filesystem;

namespace {

class DeviceChannel : public I2CChannel {
public:
    explicit DeviceChannel(I2CDevice device) : device_(std::move(device)) {}
    Status write(std::uint8_t chip, std::uint8_t offset, const Bytes& bytes) override {
        return device_.write(chip, offset, bytes);
    }
    // i2c-dev reads a DDC/CI reply whole; the offset is not sent.
    Status read(std::uint8_t chip, std::uint8_t, Bytes& buffer) override { return device_.read(chip, buffer); }

private:
    I2CDevice device_;
};

class PanelBacklight : public Backlight {
public:
    PanelBacklight(SysfsBacklight sysfs, BacklightChanges& changes) : sysfs_(std::move(sysfs)), changes_(changes) {}
    // logind grants the active session its backlight; without a bus to ask,
    // only a writable sysfs file will do.
    bool canChange() override { return logind_.connect().empty() || writable(); }
    std::string whyUnchangeable() override {
        return "the panel's backlight can be changed neither through logind (" + logind_.connect() +
               ") nor by writing " + brightnessFile() +
               ": run Velvetpane in the seat's active session, or give your user write access to that file";
    }
    Status get(float& fraction) override {
        auto value = sysfs_.read();
        if (!value) return EIO;
        fraction = float(*value);
        return 0;
    }
    Status set(float fraction) override {
        const int raw = sysfs_.rawValue(fraction);
        changes_.wrote(sysfs_.device().name, raw);
        if (logind_.setBrightness(sysfs_.device().name, raw).empty()) return 0;
        return sysfs_.write(raw);
    }

private:
    std::string brightnessFile() const { return (fs::path(sysfs_.folder()) / "brightness").string(); }
    bool writable() const { return ::access(brightnessFile().c_str(), W_OK) == 0; }

    SysfsBacklight sysfs_;
    BacklightChanges& changes_;
    LogindBrightness logind_;
};

// Opening the device moves nothing on the bus: cheap enough to learn, at
// each scan, which links this user is kept from.
std::string accessProblem(const std::string& device) {
    I2CDevice probe;
    return isPermissionError(probe.open(device)) ? i2cAccessFix(device) : std::string();
}

}  // namespace

LinuxHardware::LinuxHardware(LinuxPaths paths, ConnectorDisplays displayOf)
    : paths_(std::move(paths)), displayOf_(std::move(displayOf)), changes_(paths_) {}

LinuxHardware::~LinuxHardware() = default;

LinkScan LinuxHardware::links() {
    const fs::path drm = fs::path(paths_.sysfs) / "class/drm";
    std::error_code ec;
    if (!fs::is_directory(drm, ec)) return {{}, "cannot read " + drm.string()};
    LinkScan scan;
    std::map<std::string, int> buses;
    for (DrmLink& found : findMonitorLinks(paths_)) {
        MonitorLink link;
        link.key = found.key;
        link.location = found.builtIn ? Location::builtIn : Location::external;
        link.connector = found.connector.value_or(std::string());
        if (found.connector) link.display = displayOf_(*found.connector);
        link.edid = std::move(found.edid);
        if (found.bus) {
            buses[found.key] = *found.bus;
            if (link.location == Location::external) link.unreachable = accessProblem(devicePath(*found.bus));
        }
        scan.links.push_back(std::move(link));
    }
    std::lock_guard lock(busesMutex_);
    buses_ = std::move(buses);
    return scan;
}

std::unique_ptr<I2CChannel> LinuxHardware::open(const MonitorLink& link) {
    int bus = 0;
    {
        std::lock_guard lock(busesMutex_);
        auto it = buses_.find(link.key);
        if (it == buses_.end()) return nullptr;
        bus = it->second;
    }
    I2CDevice device;
    if (device.open(devicePath(bus)) != 0) return nullptr;
    return std::make_unique<DeviceChannel>(std::move(device));
}

std::string LinuxHardware::devicePath(int bus) const {
    return (fs::path(paths_.dev) / ("i2c-" + std::to_string(bus))).string();
}

std::shared_ptr<Backlight> LinuxHardware::backlight(DisplayID display) {
    if (panelDisplay() != display) return nullptr;
    auto devices = findBacklights(paths_);
    if (devices.empty()) return nullptr;
    return std::make_shared<PanelBacklight>(SysfsBacklight(paths_, devices.front()), changes_);
}

std::optional<DisplayID> LinuxHardware::panelDisplay() {
    for (const DrmLink& link : drmLinks(paths_))
        if (link.builtIn && link.connector)
            if (auto display = displayOf_(*link.connector)) return display;
    return std::nullopt;
}

void LinuxHardware::watchBacklights(std::function<void(DisplayID)> changed) {
    changes_.setListener([this, changed = std::move(changed)](const std::string&) {
        if (auto display = panelDisplay()) changed(*display);
    });
}

}  // namespace vp
