#include "platform/linux/gnome/GnomeCapture.h"

#include "platform/VirtualRuntime.h"
#include "platform/linux/gnome/Bus.h"
#include "platform/linux/gnome/GnomeCaptureStream.h"
#include "platform/linux/gnome/MutterCast.h"
#include "platform/linux/gnome/PortalCast.h"

#include <cstdlib>
#include <string_view>

namespace vp::gnome {

namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";

// A portal that runs, or that the bus starts when called.
bool portalOffered(const std::string& address) {
    BusError error;
    BusPtr bus = openSessionBus(address, error);
    if (!bus) return false;
    if (nameHasOwner(bus.get(), kPortal)) return true;
    char** names = nullptr;
    if (sd_bus_list_names(bus.get(), nullptr, &names) < 0 || !names) return false;
    bool found = false;
    for (char** n = names; *n; ++n) {
        found = found || std::string_view(*n) == kPortal;
        std::free(*n);
    }
    std::free(names);
    return found;
}

}  // namespace

GnomeCapture::GnomeCapture(std::string address, DisplayList displays, std::filesystem::path stateDirectory,
                           std::string runtimeDir)
    : address_(std::move(address)),
      displays_(std::move(displays)),
      runtimeDir_(std::move(runtimeDir)),
      tokens_(stateDirectory / "screencast-tokens.json"),
      portal_(portalOffered(address_)) {}

void GnomeCapture::shareableContent(
    bool, bool, std::function<void(std::optional<ShareableContent>, std::optional<CaptureError>)> completion) {
    ShareableContent content;
    for (const Display& d : displays_()) content.displays.push_back({d.id, d.width, d.height});
    completion(std::move(content), std::nullopt);
}

std::unique_ptr<CaptureStream> GnomeCapture::makeStream(const CaptureFilter& filter,
                                                        const StreamConfiguration& config) {
    std::unique_ptr<CastSource> source;
    std::string connector;
    if (filter.display)
        for (const Display& d : displays_())
            if (d.id == *filter.display) connector = d.connector;
    if (filter.window)
        source = std::make_unique<UnavailableCast>(CaptureError{kCaptureDomain, kCaptureNoWindow, kNoWindows});
    else if (connector.empty())
        source = std::make_unique<UnavailableCast>(
            CaptureError{kCaptureDomain, kCaptureNoDisplay, "the display is not there"});
    else if (portal_)
        source = std::make_unique<PortalCast>(address_, tokens_, std::to_string(*filter.display), config.showsCursor);
    else
        source = std::make_unique<MutterCast>(address_, connector, config.showsCursor);
    return std::make_unique<GnomeCaptureStream>(std::move(source), config, runtimeDir_);
}

std::unique_ptr<SerialQueue> GnomeCapture::makeQueue(const std::string&) {
    return std::make_unique<ThreadSerialQueue>();
}

}  // namespace vp::gnome
