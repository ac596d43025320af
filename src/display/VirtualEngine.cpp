#include "display/VirtualEngine.h"

#include "app/Log.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace vp {

namespace {

constexpr double kPointsPerInch = 110;
constexpr double kMillimetresPerInch = 25.4;
constexpr std::int64_t kMinModeWidth = 640;
constexpr std::int64_t kMinModeHeight = 360;

std::uint32_t toU32(std::int64_t value) {
    return std::uint32_t(std::clamp<std::int64_t>(value, 0, std::numeric_limits<std::uint32_t>::max()));
}

// Scaled to the nearest integer (halves away from zero), then made even.
std::int64_t scaledEven(double scale, std::int64_t value) {
    return std::llround(scale * double(value)) & ~std::int64_t(1);
}

}  // namespace

VirtualEngine::VirtualEngine(VirtualDisplayFactory& factory, DisplayServices& displays, Log& log)
    : factory_(factory), displays_(displays), log_(log) {}

VirtualEngine::~VirtualEngine() = default;

bool VirtualEngine::isAvailable() const {
    return factory_.isAvailable();
}

VirtualDisplayDescriptor VirtualEngine::descriptor(const VirtualSpec& spec, std::optional<Size> sizeMM) {
    const auto& b = spec.id.bytes;
    std::int64_t factor = spec.hiDPI ? 2 : 1;
    VirtualDisplayDescriptor d;
    d.name = spec.name;
    d.maxPixelsWide = toU32(spec.width * factor);
    d.maxPixelsHigh = toU32(spec.height * factor);
    d.sizeInMillimeters = sizeMM.value_or(Size{double(spec.width) * kMillimetresPerInch / kPointsPerInch,
                                               double(spec.height) * kMillimetresPerInch / kPointsPerInch});
    d.serialNum = std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
    d.productID = std::uint32_t(b[4]) << 8 | b[5];
    d.vendorID = vendorID;
    return d;
}

std::optional<DisplayID> VirtualEngine::create(const VirtualSpec& spec, std::optional<Size> sizeMM) {
    VirtualDisplayFactory& factory = factory_;
    if (!factory.isAvailable()) return std::nullopt;
    if (auto live = displayID(spec.id)) return live;

    std::unique_ptr<VirtualDisplay> display = factory.create(descriptor(spec, sizeMM));
    if (!display) {
        log_.write("CGVirtualDisplay não foi criada para " + spec.name);
        return std::nullopt;
    }
    VirtualDisplaySettings settings{spec.hiDPI ? 1u : 0u, modes(spec.width, spec.height, spec.hiDPI, spec.refresh)};
    if (!display->applySettings(settings)) {
        log_.write("applySettings falhou para " + spec.name);
        return std::nullopt;
    }
    DisplayID id = display->displayID();
    live_[spec.id] = std::move(display);
    return id;
}

std::optional<DisplayID> VirtualEngine::displayID(const Uuid& id) const {
    auto it = live_.find(id);
    if (it == live_.end()) return std::nullopt;
    return it->second->displayID();
}

void VirtualEngine::destroy(const Uuid& id) {
    live_.erase(id);
}

void VirtualEngine::destroyAll() {
    live_.clear();
}

bool VirtualEngine::isOurs(DisplayID display) const {
    return displays_.vendorNumber(display) == vendorID;
}

std::vector<VirtualDisplayMode> VirtualEngine::modes(std::int64_t width, std::int64_t height, bool hiDPI,
                                                     double refresh) {
    static constexpr double kScales[] = {1.0, 0.9, 0.8, 0.75, 2.0 / 3.0, 0.6, 0.5};
    std::vector<std::pair<std::int64_t, std::int64_t>> sizes;
    for (double s : kScales) {
        std::int64_t w = scaledEven(s, width), h = scaledEven(s, height);
        if (w >= kMinModeWidth && h >= kMinModeHeight) sizes.emplace_back(w, h);
        if (hiDPI) sizes.emplace_back(2 * w, 2 * h);
    }
    std::stable_sort(sizes.begin(), sizes.end(), [](const auto& a, const auto& b) { return a.first > b.first; });

    std::vector<VirtualDisplayMode> list;
    std::set<std::pair<std::int64_t, std::int64_t>> seen;
    for (const auto& [w, h] : sizes)
        if (seen.emplace(w, h).second) list.push_back({toU32(w), toU32(h), refresh});
    return list;
}

}  // namespace vp
