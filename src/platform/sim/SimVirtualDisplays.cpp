#include "platform/sim/SimVirtualDisplays.h"

#include "platform/sim/ScenarioFields.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace vp {

class SimVirtualDisplay : public VirtualDisplay {
public:
    SimVirtualDisplay(SimVirtualDisplays& owner, DisplayID id) : owner_(owner), id_(id) {}
    ~SimVirtualDisplay() override { owner_.displays_.removeDisplay(id_); }

    DisplayID displayID() const override { return id_; }

    bool applySettings(const VirtualDisplaySettings& settings) override {
        owner_.settings.push_back(settings);
        if (owner_.refuseSettings || settings.modes.empty()) return false;
        SimDisplay* d = owner_.displays_.find(id_);
        if (!d) return false;
        std::uint32_t density = settings.hiDPI ? 2 : 1;
        d->modes.clear();
        for (const VirtualDisplayMode& m : settings.modes) {
            DisplayMode mode;
            mode.width = m.width;
            mode.height = m.height;
            mode.pixelWidth = std::int64_t(m.width) * density;
            mode.pixelHeight = std::int64_t(m.height) * density;
            mode.refresh = m.refreshRate;
            mode.token = (std::uint64_t(id_) << 16) | d->modes.size();
            d->modes.push_back(mode);
        }
        d->currentMode = 0;
        d->bounds.width = double(d->modes[0].width);
        d->bounds.height = double(d->modes[0].height);
        owner_.displays_.announce(id_);
        return true;
    }

private:
    SimVirtualDisplays& owner_;
    DisplayID id_;
};

SimVirtualDisplays::SimVirtualDisplays(SimDisplays& displays) : displays_(displays) {}

void SimVirtualDisplays::load(const nlohmann::json& j) {
    if (!j.is_object()) throw std::runtime_error("\"virtualDisplays\" must be an object");
    try {
        available = j.value("available", true);
        refuseCreate = j.value("refuseCreate", false);
        refuseSettings = j.value("refuseSettings", false);
    } catch (const nlohmann::json::exception&) {
        throw std::runtime_error("\"virtualDisplays\": a value has the wrong type");
    }
    firstID = DisplayID(scenario::whole(j, "firstID", firstID, 1, 0xFFFFFFFF, "\"virtualDisplays\""));
}

DisplayID SimVirtualDisplays::nextFreeID() {
    DisplayID id = std::max(next_, firstID);
    while (displays_.find(id)) ++id;
    next_ = id + 1;
    return id;
}

std::unique_ptr<VirtualDisplay> SimVirtualDisplays::create(const VirtualDisplayDescriptor& descriptor) {
    descriptors.push_back(descriptor);
    if (!isAvailable() || refuseCreate) return nullptr;
    SimDisplay d;
    d.id = nextFreeID();
    d.uuid = simVirtualDisplayUuid(descriptor);
    d.name = descriptor.name;
    d.vendor = descriptor.vendorID;
    d.model = descriptor.productID;
    d.serial = descriptor.serialNum;
    d.sizeMM = descriptor.sizeInMillimeters;
    d.profileGamma = identityGamma();
    d.gamma = d.profileGamma;
    displays_.placeRightOfArrangement(d);
    DisplayID id = d.id;
    displays_.addDisplay(std::move(d));
    return std::make_unique<SimVirtualDisplay>(*this, id);
}

std::string simVirtualDisplayUuid(const VirtualDisplayDescriptor& d) {
    char text[37];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%04X-000000000000", d.vendorID, d.productID & 0xFFFF,
                  d.serialNum >> 16, d.serialNum & 0xFFFF);
    return text;
}

}  // namespace vp
