#pragma once
// Display services: queries, modes, configuration transactions, gamma tables
// and the reconfiguration callback. Ids are the platform's display ids.

#include "platform/Types.h"

#include <functional>
#include <memory>

namespace vp {

// One display mode as the platform reports it. `token` lets a platform find
// its own mode object again when the mode is applied.
struct DisplayMode {
    std::int64_t width = 0, height = 0;            // points
    std::int64_t pixelWidth = 0, pixelHeight = 0;  // pixels
    double refresh = 0;                            // Hz, unrounded, may be 0
    bool usableForDesktop = true;
    // The panel's own resolution, as the platform knows it (EDID preferred
    // timing, the compositor's preferred mode).
    bool native = false;
    std::uint64_t token = 0;
    bool operator==(const DisplayMode&) const = default;
};

constexpr std::uint32_t kReconfigurationBeginFlag = 1;

// How long a completed change is meant to last. Whether a change for this
// run only ends with the process by itself is the platform's to say
// (Capabilities::configurationOutlivesProcess); when it does not, the core
// undoes it at quit, and a platform that keeps a record of originals undoes
// it after a crash.
enum class ConfigureOption : std::int32_t {
    forAppOnly = 0,   // for this run only
    permanently = 2,  // the user's choice, meant to stay
};

using ConfigHandle = std::uint64_t;  // 0 is "no handle"

struct GammaTable {
    std::vector<float> r, g, b;
    bool operator==(const GammaTable&) const = default;
};

class DisplayServices {
public:
    virtual ~DisplayServices() = default;

    virtual std::vector<DisplayID> onlineDisplays() = 0;
    virtual Rect bounds(DisplayID id) = 0;
    virtual Location location(DisplayID id) = 0;
    virtual bool isMain(DisplayID id) = 0;
    virtual bool isActive(DisplayID id) = 0;
    virtual DisplayID mirrorsDisplay(DisplayID id) = 0;  // 0 = none
    virtual Size screenSizeMM(DisplayID id) = 0;
    virtual std::uint32_t vendorNumber(DisplayID id) = 0;
    virtual std::uint32_t modelNumber(DisplayID id) = 0;
    virtual std::uint32_t serialNumber(DisplayID id) = 0;
    // Upper-case canonical UUID text, none when the system has no UUID.
    virtual std::optional<std::string> uuid(DisplayID id) = 0;

    virtual std::optional<DisplayMode> currentMode(DisplayID id) = 0;
    // All modes, duplicate low-resolution modes included; none when the
    // system gives no list.
    virtual std::optional<std::vector<DisplayMode>> allModes(DisplayID id) = 0;

    // Called with (display, flags) after each change; may arrive on any thread.
    using ReconfigurationCallback = std::function<void(DisplayID, std::uint32_t flags)>;
    virtual void registerReconfigurationCallback(ReconfigurationCallback callback) = 0;

    // Transactions. begin fills `handle`; a non-zero status or handle 0 means
    // no transaction.
    virtual Status beginConfiguration(ConfigHandle& handle) = 0;
    virtual Status configureMode(ConfigHandle handle, DisplayID id, const DisplayMode& mode) = 0;
    virtual Status configureMirror(ConfigHandle handle, DisplayID id, DisplayID master) = 0;
    // Origins are relative to the main display's, which sits at (0, 0).
    virtual Status configureOrigin(ConfigHandle handle, DisplayID id, std::int32_t x, std::int32_t y) = 0;
    // Makes `id` the main display in the platform's own terms (the display
    // at the origin, the primary output, the primary logical monitor); the
    // arrangement keeps its shape.
    virtual Status configureMain(ConfigHandle handle, DisplayID id) = 0;
    // Switching a display off or on; refused where Capabilities::switchOff
    // is unavailable.
    virtual Status configureEnabled(ConfigHandle handle, DisplayID id, bool enabled) = 0;
    virtual Status cancelConfiguration(ConfigHandle handle) = 0;
    virtual Status completeConfiguration(ConfigHandle handle, ConfigureOption option) = 0;
    // The system's own words for why a step or the completion of the
    // latest transaction failed; empty when it gave none.
    virtual std::string lastFailure() const { return {}; }

    // Gamma. readGamma gives none when the display refuses its table.
    virtual std::optional<GammaTable> readGamma(DisplayID id, std::size_t capacity) = 0;
    virtual Status writeGamma(DisplayID id, const GammaTable& table) = 0;
    // Puts back the tables every display had before we first wrote one.
    virtual void restoreGamma() = 0;
};

}  // namespace vp
