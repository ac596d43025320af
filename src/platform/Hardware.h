#pragma once
// Monitor hardware reached through optional entry points: the built-in
// panel's brightness service and the AV services that carry DDC/CI over I2C.
// An empty std::function is an entry point that is not there.

#include "platform/Types.h"

#include <functional>
#include <memory>

namespace vp {

struct BacklightEntryPoints {
    std::function<bool(DisplayID)> canChangeBrightness;
    std::function<Status(DisplayID, float& out)> getBrightness;
    std::function<Status(DisplayID, float)> setBrightness;
};

// One registry object of the AV service class. `location` is its "Location"
// property ("External" for a monitor's link), none when it has none.
struct AVRegistryEntry {
    std::uint64_t handle = 0;
    std::optional<std::string> location;
};

// An AV service object; platforms subclass it.
class AVService {
public:
    virtual ~AVService() = default;
};
using AVServiceRef = std::shared_ptr<AVService>;

struct I2CEntryPoints {
    std::function<AVServiceRef(const AVRegistryEntry&)> createWithService;
    std::function<Status(AVService&, std::uint8_t chip, std::uint8_t offset, const std::vector<std::uint8_t>& bytes)> writeI2C;
    std::function<Status(AVService&, std::uint8_t chip, std::uint8_t offset, std::vector<std::uint8_t>& buffer)> readI2C;
    std::function<Status(AVService&, std::vector<std::uint8_t>& edid)> copyEDID;
};

class MonitorHardware {
public:
    virtual ~MonitorHardware() = default;
    virtual const BacklightEntryPoints& backlight() = 0;
    virtual const I2CEntryPoints& i2c() = 0;
    // The registry objects of the AV service class; none when the
    // enumeration itself fails.
    virtual std::optional<std::vector<AVRegistryEntry>> avServiceEntries() = 0;
};

}  // namespace vp
