#pragma once
// Displays as the monitor links show them, for a Linux session without a
// display server we can configure (a text console, SSH, a Wayland desktop
// other than GNOME): each connected DRM connector with an EDID is a display
// whose brightness, volume and input can still be driven over DDC/CI and the
// backlight. Nothing here can be configured: modes, arrangement and gamma
// belong to whatever draws the screens, so those calls fail and say why.

#include "platform/Displays.h"
#include "platform/UserText.h"
#include "platform/linux/DrmLinks.h"

#include <map>
#include <mutex>

namespace vp {

class LinkDisplays : public DisplayServices {
public:
    explicit LinkDisplays(std::vector<DrmLink> links);

    // Why these displays cannot be configured, for logs and the interface.
    static constexpr const char* kWhy = R("no display server the program can configure");
    std::string name(DisplayID id) const;
    // The display on a DRM connector ("DP-1"); safe on any thread.
    std::optional<DisplayID> displayOn(const std::string& connector) const;
    // The link the display was found on.
    std::optional<DrmLink> link(DisplayID id) const;

    std::vector<DisplayID> onlineDisplays() override;
    Rect bounds(DisplayID id) override;
    Location location(DisplayID id) override;
    bool isMain(DisplayID id) override;
    bool isActive(DisplayID id) override { return known(id); }
    DisplayID mirrorsDisplay(DisplayID) override { return 0; }
    Size screenSizeMM(DisplayID) override { return {}; }
    std::uint32_t vendorNumber(DisplayID id) override;
    std::uint32_t modelNumber(DisplayID id) override;
    std::uint32_t serialNumber(DisplayID id) override;
    std::optional<std::string> uuid(DisplayID id) override;
    std::optional<DisplayMode> currentMode(DisplayID) override { return std::nullopt; }
    std::optional<std::vector<DisplayMode>> allModes(DisplayID) override { return std::nullopt; }
    void registerReconfigurationCallback(ReconfigurationCallback) override {}
    Status beginConfiguration(ConfigHandle& handle) override;
    Status configureMode(ConfigHandle, DisplayID, const DisplayMode&) override { return kRefused; }
    Status configureMirror(ConfigHandle, DisplayID, DisplayID) override { return kRefused; }
    Status configureOrigin(ConfigHandle, DisplayID, std::int32_t, std::int32_t) override { return kRefused; }
    Status configureMain(ConfigHandle, DisplayID) override { return kRefused; }
    Status configureEnabled(ConfigHandle, DisplayID, bool) override { return kRefused; }
    Status cancelConfiguration(ConfigHandle) override { return kRefused; }
    Status completeConfiguration(ConfigHandle, ConfigureOption) override { return kRefused; }
    std::optional<GammaTable> readGamma(DisplayID, std::size_t) override { return std::nullopt; }
    Status writeGamma(DisplayID, const GammaTable&) override { return kRefused; }
    void restoreGamma() override {}

    // The id a link's monitor gets: from its EDID's maker, product and
    // serial, or from the connector when the EDID cannot tell twins apart.
    static DisplayID idFor(const DrmLink& link, bool twin);

private:
    static constexpr Status kRefused = 1004;
    struct Entry {
        DrmLink link;
        std::string name;
        std::uint32_t vendor = 0, product = 0, serial = 0;
        Rect bounds;
    };
    bool known(DisplayID id) const { return entries_.count(id) > 0; }
    const Entry* find(DisplayID id) const;

    std::map<DisplayID, Entry> entries_;
    std::vector<DisplayID> order_;
};

}  // namespace vp
