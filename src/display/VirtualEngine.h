#pragma once
// Owns the live virtual displays of this program. A virtual display exists
// for as long as the engine holds it.

#include "display/VirtualSpec.h"
#include "platform/Displays.h"
#include "platform/VirtualDisplays.h"

#include <map>
#include <memory>
#include <optional>

namespace vp {

class Log;

class VirtualEngine {
public:
    // Carried by every virtual display of this program: how its own screens
    // are told apart from all others.
    static constexpr std::uint32_t vendorID = 0x5650;

    VirtualEngine(VirtualDisplayFactory& factory, DisplayServices& displays, Log& log);
    ~VirtualEngine();

    bool isAvailable() const;
    // Makes the screen of a VirtualSpec live and returns its display id;
    // none when the platform has no virtual displays or refuses this one
    // (logged). A screen that is already live is kept. sizeMM none: the size
    // at 110 points per inch.
    std::optional<DisplayID> create(const VirtualSpec& spec, std::optional<Size> sizeMM = std::nullopt);
    std::optional<DisplayID> displayID(const Uuid& id) const;
    void destroy(const Uuid& id);
    void destroyAll();
    bool isOurs(DisplayID display) const;

    // The sizes offered on a virtual screen of width × height points: seven
    // scales from 1 down to 0.5, each at least 640 × 360, plus their doubles
    // when hiDPI; widest first, each size once.
    static std::vector<VirtualDisplayMode> modes(std::int64_t width, std::int64_t height, bool hiDPI, double refresh);
    static VirtualDisplayDescriptor descriptor(const VirtualSpec& spec, std::optional<Size> sizeMM);

private:
    VirtualDisplayFactory& factory_;
    DisplayServices& displays_;
    Log& log_;
    std::map<Uuid, std::unique_ptr<VirtualDisplay>> live_;
};

}  // namespace vp
