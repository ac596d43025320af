#pragma once
// Simulated monitor hardware: the built-in panel's backlight and the video
// links, each with its EDID and, for an external one, a DDC/CI monitor on
// its I2C channel. Without a scenario section there is neither.

#include "platform/Hardware.h"
#include "platform/sim/SimDisplays.h"
#include "platform/sim/SimMonitor.h"

#include <nlohmann/json.hpp>

#include <atomic>
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

// One video link as the system lists it.
struct SimLink {
    Location location = Location::external;
    Bytes edid;                           // empty: none readable
    std::shared_ptr<SimMonitor> monitor;  // what answers on the I2C channel
    std::string connector;
    bool proven = false;  // the system proves the link drives its monitor's display
    std::string unreachable;  // the user may not open the link: why, and open() fails
};

class SimHardware : public MonitorHardware {
public:
    SimHardware(SimDisplays& displays, const Clock& clock);

    // Scenario: the "hardware" object (see scenarios/README.md). Throws
    // std::runtime_error with a readable message.
    void load(const nlohmann::json& j);

    LinkScan links() override;
    std::unique_ptr<I2CChannel> open(const MonitorLink& link) override;
    std::shared_ptr<Backlight> backlight(DisplayID display) override;
    void watchBacklights(std::function<void(DisplayID)> changed) override { backlightWatch_ = std::move(changed); }

    // --- Simulation controls and inspection
    // Installs a built-in panel; `entryPoints` names which of "canChange",
    // "get" and "set" the system has (without "canChange" it is taken as
    // changeable, without the others they fail).
    void setBacklight(SimBacklight panel, const std::set<std::string>& entryPoints = {"canChange", "get", "set"});
    std::optional<SimBacklight> backlightPanel() const { return backlight_; }
    // The desktop changes the panel's level (its own keys); call on the main queue.
    void changeBacklightOutside(float value);
    // Adds a link (a monitor plugged in).
    std::shared_ptr<SimMonitor> addLink(SimLink link);
    // An external link with the EDID of a listed display.
    std::shared_ptr<SimMonitor> addMonitor(SimMonitorConfig config);
    void removeLinksOf(DisplayID display);
    std::shared_ptr<SimMonitor> monitorFor(DisplayID display) const;
    // The system reaches no I2C any more (an older system): opening fails,
    // and so does every transfer on a channel already open.
    void removeI2C() { i2cAvailable_ = false; }
    bool enumerationFails = false;

    // The 128-byte EDID of a monitor with these identity numbers.
    static Bytes makeEDID(std::uint32_t vendor, std::uint32_t product, std::uint32_t serial);

private:
    class Panel;
    class Channel;
    struct Listed {
        std::string key;
        SimLink link;
    };
    // Whether the monitor still sits on a listed link and I2C is reachable.
    bool reaches(const std::shared_ptr<SimMonitor>& monitor) const;
    std::shared_ptr<SimMonitor> loadLink(const nlohmann::json& j);

    SimDisplays& displays_;
    const Clock& clock_;
    std::optional<SimBacklight> backlight_;
    std::set<std::string> backlightEntryPoints_;
    std::function<void(DisplayID)> backlightWatch_;
    std::atomic<bool> i2cAvailable_ = true;
    mutable std::mutex linksMutex_;  // links are listed and used on the DDC queue
    std::vector<Listed> links_;
    int nextKey_ = 1;
};

}  // namespace vp
