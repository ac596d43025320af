#include "platform/linux/LinuxPlatform.h"

#include "platform/UserText.h"
#include "platform/linux/DrmLinks.h"
#include "platform/linux/I2CDevice.h"
#include "platform/linux/LinkDisplays.h"
#include "platform/linux/LinuxHardware.h"
#include "platform/linux/UdevBacklightEvents.h"
#include "platform/linux/Unavailable.h"
#include "platform/linux/audio/DefaultSink.h"
#include "platform/linux/desktop/ColordProfiles.h"
#include "platform/linux/gnome/GnomeCapture.h"
#include "platform/linux/gnome/GnomeDisplays.h"
#include "platform/linux/gnome/GnomeInput.h"
#include "platform/linux/gnome/GnomeVirtualDisplays.h"
#include "platform/linux/x11/CompositorWatch.h"
#include "platform/linux/x11/RootProfiles.h"
#include "platform/linux/x11/X11Capture.h"
#include "platform/linux/x11/X11Displays.h"
#include "platform/linux/x11/X11Input.h"

#include <algorithm>
#include <filesystem>

namespace vp {

namespace {

constexpr const char* kNoCompositor = R(
    "no compositing manager runs: a translucent shade would turn the screen black, so dimming stops at the gamma floor");
constexpr const char* kGnomeShade = R("GNOME on Wayland lets no program lay a translucent window over the screens");
constexpr const char* kGnomeKeys =
    R("GNOME keeps the brightness and volume keys for itself; Velvetpane can add shortcuts of its own to GNOME's");
constexpr const char* kNoCapture = R("this session offers no screen capture the program can use");

Ability shadeWith(bool compositor) { return compositor ? Ability::yes() : Ability::no(kNoCompositor); }

// What a desktop shortcut runs: this program, from where it was started.
std::string ownProgram() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("velvetpane") : path.string();
}

}  // namespace

LinuxPlatform::LinuxPlatform(LinuxPlatformOptions options, Runtime runtime, WindowSystem* windows)
    : options_(std::move(options)), runtime_(runtime), system_(options_.folders) {
    makeDisplays(options_);
    hardware_ = std::make_unique<LinuxHardware>(options_.paths,
                                                [this](const std::string& connector) { return displayOn(connector); });
    backlightEvents_ = std::make_unique<UdevBacklightEvents>([this, weak = WeakLife(life_)](const std::string& device) {
        runtime_.main.post([this, weak, device] {
            if (weak.lock()) hardware_->backlightEvent(device);
        });
    });
    if (!virtualDisplays_) virtualDisplays_ = std::make_unique<NoVirtualDisplays>();
    if (x11_) makeX11Services(options_);
    if (gnome_) input_ = std::make_unique<gnome::GnomeInput>(ownProgram());
    if (!input_) input_ = std::make_unique<NoKeys>();
    if (!capture_) capture_ = std::make_unique<NoCapture>(kNoCapture);
    ownWindows_ = std::make_unique<PlainWindows>(*displays_, runtime_.main, [this](DisplayID id) {
        return links_ ? links_->name(id) : x11_ ? x11_->name(id) : connectorOf(id);
    });
    windows_ = windows ? windows : ownWindows_.get();
    makeProfiles();
    describe();
}

LinuxPlatform::~LinuxPlatform() = default;

MonitorHardware& LinuxPlatform::hardware() { return *hardware_; }

void LinuxPlatform::makeDisplays(const LinuxPlatformOptions& options) {
    const std::filesystem::path state = options.folders.stateHome + "/velvetpane";
    if (options.choice.displays == DisplayBackendKind::x11) {
        auto x11 = std::make_unique<x11::X11Displays>(options.x11Display, state);
        if (x11->ok()) {
            for (const std::string& note : x11->notes()) summary_.append("X11: ").append(note).append("; ");
            x11_ = x11.get();
            displays_ = std::move(x11);
            return;
        }
        summary_.append("X11 displays unavailable (").append(x11->problem()).append("); ");
    }
    if (options.choice.displays == DisplayBackendKind::gnome) {
        auto gnome = std::make_unique<gnome::GnomeDisplays>(options.sessionBus, state);
        // Starting reads mutter's state, puts back what a killed run left
        // and watches for changes; without it no display is listed.
        std::string why;
        if (gnome->start(why)) {
            for (const auto& note : gnome->notes()) summary_.append(note).append("; ");
            gnome_ = gnome.get();
            virtualDisplays_ = std::make_unique<gnome::GnomeVirtualDisplays>(*gnome_, options.sessionBus);
            capture_ = std::make_unique<gnome::GnomeCapture>(options.sessionBus, [this] {
                std::vector<gnome::GnomeCapture::Display> list;
                for (DisplayID id : gnome_->onlineDisplays()) {
                    Rect r = gnome_->bounds(id);
                    list.push_back({id, gnome_->connector(id), int(r.width), int(r.height)});
                }
                return list;
            }, state);
            displays_ = std::move(gnome);
            return;
        }
        summary_.append("GNOME displays unavailable (").append(why).append("); ");
    }
    auto links = std::make_unique<LinkDisplays>(drmLinks(options.paths));
    links_ = links.get();
    displays_ = std::move(links);
}

void LinuxPlatform::makeX11Services(const LinuxPlatformOptions& options) {
    sound_ = std::make_unique<audio::DefaultSink>(runtime_.main);
    input_ = std::make_unique<x11::X11Input>(options.x11Display, runtime_.main, *sound_);
    // Bounds are relative to the main screen; the root window starts at the
    // top left of the whole arrangement.
    capture_ = std::make_unique<x11::X11Capture>(options.x11Display, [this] {
        std::vector<std::pair<DisplayID, Rect>> areas;
        double left = 0, top = 0;
        for (DisplayID id : x11_->onlineDisplays()) {
            Rect r = x11_->bounds(id);
            left = std::min(left, r.x);
            top = std::min(top, r.y);
            areas.emplace_back(id, r);
        }
        for (auto& [id, r] : areas) r = {r.x - left, r.y - top, r.width, r.height};
        return areas;
    });
    // The watch's thread hands each change to the main queue, where the
    // core reads the capabilities.
    compositor_ = std::make_unique<x11::CompositorWatch>(options.x11Display, [this](bool present) {
        runtime_.main.post([this, present] {
            capabilities_.shade = shadeWith(present);
            capabilities_.translucentWindows = present;
            if (capabilitiesChanged_) capabilitiesChanged_();
        });
    });
}

void LinuxPlatform::makeProfiles() {
    auto profiles = std::make_unique<ColordProfiles>(
        options_.folders.home, options_.folders.dataHome, [this](DisplayID id) { return colordIdentity(id); },
        std::make_unique<ColordClient>(),
        [](const std::string& folder) { return launchDetached({"xdg-open", folder}); });
    if (x11_) {
        rootProfiles_ = std::make_unique<x11::RootProfiles>(options_.x11Display);
        profiles->showServerProfiles(
            [this](DisplayID id) {
                auto index = x11::xineramaIndex(x11_->screen(), id);
                return index ? rootProfiles_->read(*index) : std::vector<std::uint8_t>();
            },
            options_.folders.stateHome + "/velvetpane/screen-profiles");
    }
    profiles_ = std::move(profiles);
}

// colord files a display under the digest of its EDID (and X11 outputs under
// their names too); the EDID comes from the display back-end, else from the
// DRM connector of the same name.
std::optional<ColordDisplay> LinuxPlatform::colordIdentity(DisplayID id) {
    if (x11_) return ColordDisplay{x11_->edid(id), x11_->connector(id)};
    if (links_) {
        auto link = links_->link(id);
        if (!link) return std::nullopt;
        return ColordDisplay{link->edid, link->connector.value_or("")};
    }
    const std::string connector = connectorOf(id);
    if (connector.empty()) return std::nullopt;
    for (const DrmLink& link : drmLinks(options_.paths))
        if (link.connector == connector) return ColordDisplay{link.edid, connector};
    return ColordDisplay{{}, connector};
}

void LinuxPlatform::describe() {
    Capabilities c;
    c.keys = KeyDelivery::none;
    if (x11_) {
        x11_->describe(c);
        c.keys = KeyDelivery::wholeGrab;
        c.translucentWindows = compositor_ && compositor_->present();
        c.shade = shadeWith(c.translucentWindows);
        summary_ += "displays: X11 RandR; keys: X11 grabs; capture: X11";
    } else if (gnome_) {
        gnome_->describe(c);
        static_cast<gnome::GnomeVirtualDisplays&>(*virtualDisplays_).describe(c);
        c.shade = Ability::no(kGnomeShade);
        c.keysReason = kGnomeKeys;
        summary_ += "displays: GNOME display configuration; capture: ";
        summary_ += static_cast<gnome::GnomeCapture&>(*capture_).throughPortal() ? "the desktop portal" : "mutter";
        summary_.append(" (").append(gnome::GnomeCapture::kNoWindows).append(")");
    } else {
        c.switchOff = c.virtualDisplays = c.shade = Ability::no(LinkDisplays::kWhy);
        c.translucentWindows = false;
        c.keysReason = LinkDisplays::kWhy;
        summary_.append("displays: the monitors' own links (").append(LinkDisplays::kWhy).append(")");
    }
    if (!x11_ && !gnome_) c.virtualDisplays = Ability::no(LinkDisplays::kWhy);
    summary_ += "; monitors: DDC/CI over i2c-dev; backlight: logind or sysfs";
    if (auto denied = deniedI2CDevice(options_.paths)) summary_.append("; ").append(i2cAccessFix(*denied));
    capabilities_ = c;
}

std::vector<ScreenInfo> LinuxPlatform::screens() {
    return x11_ ? x11_->screens() : ownWindows_->screens();
}

std::string LinuxPlatform::connectorOf(DisplayID id) {
    if (x11_) return x11_->connector(id);
    if (gnome_) return gnome_->connector(id);
    return {};
}

std::optional<DisplayID> LinuxPlatform::displayOn(const std::string& connector) {
    if (links_) return links_->displayOn(connector);
    for (DisplayID id : displays_->onlineDisplays())
        if (connectorOf(id) == connector) return id;
    return std::nullopt;
}

}  // namespace vp
