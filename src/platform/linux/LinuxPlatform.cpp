#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/LinkDisplays.h"
#include "platform/linux/LinuxHardware.h"
#include "platform/linux/Unavailable.h"
#include "platform/linux/desktop/ColordProfiles.h"
#include "platform/linux/gnome/GnomeDisplays.h"
#include "platform/linux/gnome/GnomeInput.h"
#include "platform/linux/gnome/GnomeVirtualDisplays.h"
#include "platform/linux/x11/CompositorWatch.h"
#include "platform/linux/x11/X11Capture.h"
#include "platform/linux/x11/X11Displays.h"
#include "platform/linux/x11/X11Input.h"

#include <algorithm>
#include <filesystem>

namespace vp {

namespace {

constexpr const char* kNoCompositor =
    "no compositing manager runs: a translucent shade would turn the screen black, so dimming stops at the gamma floor";
constexpr const char* kGnomeShade = "GNOME on Wayland lets no program lay a translucent window over the screens";
constexpr const char* kGnomeKeys =
    "GNOME keeps the brightness and volume keys for itself; Velvetpane can add shortcuts of its own to GNOME's";
constexpr const char* kNoCapture = "this session offers no screen capture the program can use";

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
    if (!virtualDisplays_) virtualDisplays_ = std::make_unique<NoVirtualDisplays>();
    if (x11_) makeX11Services(options_);
    if (gnome_) input_ = std::make_unique<gnome::GnomeInput>(ownProgram());
    if (!input_) input_ = std::make_unique<NoKeys>();
    if (!capture_) capture_ = std::make_unique<NoCapture>(kNoCapture);
    windows_ = windows;
    if (!windows_) {
        ownWindows_ = std::make_unique<PlainWindows>(*displays_, runtime_.main, [this](DisplayID id) {
            return links_ ? links_->name(id) : x11_ ? x11_->name(id) : connectorOf(id);
        });
        windows_ = ownWindows_.get();
    }
    profiles_ = std::make_unique<ColordProfiles>(
        options_.folders.home, options_.folders.dataHome,
        [this](DisplayID id) { return std::optional<ColordDisplay>(ColordDisplay{{}, connectorOf(id)}); },
        std::make_unique<ColordClient>(),
        [](const std::string& folder) { return launchDetached({"xdg-open", folder}); });
    describe();
}

LinuxPlatform::~LinuxPlatform() = default;

MonitorHardware& LinuxPlatform::hardware() { return *hardware_; }

void LinuxPlatform::makeDisplays(const LinuxPlatformOptions& options) {
    const std::filesystem::path state = options.folders.stateHome + "/velvetpane";
    if (options.choice.displays == DisplayBackendKind::x11) {
        auto x11 = std::make_unique<x11::X11Displays>(options.x11Display, state);
        if (x11->ok()) {
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
    input_ = std::make_unique<x11::X11Input>(options.x11Display, runtime_.main);
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
        runtime_.main.post([this, present] { capabilities_.shade = shadeWith(present); });
    });
}

void LinuxPlatform::describe() {
    Capabilities c;
    c.keys = KeyDelivery::none;
    if (x11_) {
        x11_->describe(c);
        c.keys = KeyDelivery::wholeGrab;
        c.shade = shadeWith(compositor_ && compositor_->present());
        summary_ += "displays: X11 RandR; keys: X11 grabs; capture: X11";
    } else if (gnome_) {
        gnome_->describe(c);
        static_cast<gnome::GnomeVirtualDisplays&>(*virtualDisplays_).describe(c);
        c.shade = Ability::no(kGnomeShade);
        c.keysReason = kGnomeKeys;
        summary_ += "displays: GNOME display configuration";
    } else {
        c.switchOff = c.virtualDisplays = c.shade = Ability::no(LinkDisplays::kWhy);
        c.keysReason = LinkDisplays::kWhy;
        summary_.append("displays: the monitors' own links (").append(LinkDisplays::kWhy).append(")");
    }
    if (!x11_ && !gnome_) c.virtualDisplays = Ability::no(LinkDisplays::kWhy);
    summary_ += "; monitors: DDC/CI over i2c-dev; backlight: logind or sysfs";
    capabilities_ = c;
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
