#pragma once
// Virtual displays that the system treats as real ones. A display exists as
// long as its VirtualDisplay object lives.

#include "platform/Types.h"

#include <memory>

namespace vp {

struct VirtualDisplayDescriptor {
    std::string name;
    std::uint32_t maxPixelsWide = 0, maxPixelsHigh = 0;
    Size sizeInMillimeters;
    std::uint32_t serialNum = 0;
    std::uint32_t productID = 0;
    std::uint32_t vendorID = 0;
};

struct VirtualDisplayMode {
    std::uint32_t width = 0, height = 0;
    double refreshRate = 0;
    bool operator==(const VirtualDisplayMode&) const = default;
};

struct VirtualDisplaySettings {
    std::uint32_t hiDPI = 0;
    std::vector<VirtualDisplayMode> modes;
};

class VirtualDisplay {
public:
    virtual ~VirtualDisplay() = default;  // removes the display
    virtual DisplayID displayID() const = 0;
    virtual bool applySettings(const VirtualDisplaySettings& settings) = 0;
};

class VirtualDisplayFactory {
public:
    virtual ~VirtualDisplayFactory() = default;
    // False when the platform has no virtual displays at all.
    virtual bool isAvailable() = 0;
    // Null when the system refuses to create the display.
    virtual std::unique_ptr<VirtualDisplay> create(const VirtualDisplayDescriptor& descriptor) = 0;
};

}  // namespace vp
