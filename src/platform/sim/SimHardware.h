#pragma once
// Simulated monitor hardware behind the platform's optional entry points:
// the built-in panel's backlight and the AV services of the video links,
// each with its EDID and, for an external one, a DDC/CI monitor on its I2C
// channel. Without a scenario section there is neither, and every entry
// point is missing.

#include "platform/Hardware.h"
#include "platform/sim/SimDisplays.h"
#include "platform/sim/SimMonitor.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <mutex>
#include <set>

namespace vp {

struct SimBacklight {
    DisplayID display = 0;
    float value = 0.5f;
    bool canChange = true;
    Status getStatus = 0;
};

// One registry object of the AV service class.
struct SimAVServiceEntry {
    std::optional<std::string> location;
    std::optional<Bytes> edid;
    std::shared_ptr<SimMonitor> monitor;  // what answers on the I2C channel
};

class SimHardware : public MonitorHardware {
public:
    SimHardware(SimDisplays& displays, const Clock& clock);

    // Scenario: the "hardware" object (see scenarios/README.md). Throws
    // std::runtime_error with a readable message.
    void load(const nlohmann::json& j);

    const BacklightEntryPoints& backlight() override { return backlightEntryPoints_; }
    const I2CEntryPoints& i2c() override { return i2cEntryPoints_; }
    std::optional<std::vector<AVRegistryEntry>> avServiceEntries() override;

    // --- Simulation controls and inspection
    // Installs a built-in panel; `entryPoints` names which of "canChange",
    // "get" and "set" the system has.
    void setBacklight(SimBacklight panel, const std::set<std::string>& entryPoints = {"canChange", "get", "set"});
    std::optional<SimBacklight> backlightPanel() const { return backlight_; }
    // Adds an AV service (a monitor plugged in).
    std::shared_ptr<SimMonitor> addService(SimAVServiceEntry entry);
    // A service for an external monitor with the EDID of a listed display.
    std::shared_ptr<SimMonitor> addMonitor(SimMonitorConfig config);
    void removeServicesOf(DisplayID display);
    std::shared_ptr<SimMonitor> monitorFor(DisplayID display) const;
    // Removes the I2C and AV entry points (an older system).
    void removeI2CEntryPoints() { i2cEntryPoints_ = {}; }
    bool enumerationFails = false;

    // The 128-byte EDID of a monitor with these identity numbers.
    static Bytes makeEDID(std::uint32_t vendor, std::uint32_t product, std::uint32_t serial);

private:
    void installI2CEntryPoints();
    std::shared_ptr<SimMonitor> loadService(const nlohmann::json& j);

    SimDisplays& displays_;
    const Clock& clock_;
    std::optional<SimBacklight> backlight_;
    BacklightEntryPoints backlightEntryPoints_;
    I2CEntryPoints i2cEntryPoints_;
    mutable std::mutex servicesMutex_;  // discovery runs on the DDC queue
    std::vector<SimAVServiceEntry> services_;
};

}  // namespace vp
