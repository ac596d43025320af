#pragma once
// The real platform on Linux, composed at start of the back-ends this
// session offers: displays through X11 RandR, GNOME's display configuration
// or, without either, the monitor links themselves; monitor hardware over
// i2c-dev and the backlight on every desktop; keys where X11 gives them;
// capture on X11 and through mutter's screen casts on GNOME; colour profiles
// through colord; the user's system by the XDG conventions. What a session lacks is described in the capabilities, with
// the reason the interface shows.

#include "platform/Platform.h"
#include "platform/linux/LinuxPaths.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/PlatformChoice.h"
#include "platform/linux/desktop/ColordClient.h"

#include <functional>
#include <memory>

namespace vp {

namespace x11 {
class X11Displays;
class CompositorWatch;
class RootProfiles;
}  // namespace x11
namespace gnome {
class GnomeDisplays;
}  // namespace gnome
namespace audio {
class DefaultSink;
}  // namespace audio
class LinkDisplays;
class LinuxHardware;
class UdevBacklightEvents;

struct LinuxPlatformOptions {
    PlatformChoice choice;
    LinuxPaths paths = LinuxPaths::fromEnvironment();
    XdgFolders folders = XdgFolders::fromEnvironment();
    std::string x11Display;  // empty: $DISPLAY
    std::string sessionBus;  // empty: the user's own
};

class LinuxPlatform : public Platform {
public:
    // `windows` is the program's window system; null gives windows that keep
    // state and draw nothing (a command-line run).
    LinuxPlatform(LinuxPlatformOptions options, Runtime runtime, WindowSystem* windows = nullptr);
    ~LinuxPlatform() override;

    std::string name() const override { return "linux"; }
    // Which back-ends run, and what is missing: for standard error and the panel.
    std::string summary() const override { return summary_; }
    // The displays as the window system lists them, for a window system made
    // before the platform, and the output each is on (the RandR output or
    // connector, which is also what Qt names its screen; empty when unknown).
    std::vector<ScreenInfo> screens();
    std::string outputName(DisplayID id) { return connectorOf(id); }

    const Capabilities& capabilities() const override { return capabilities_; }
    void watchCapabilities(std::function<void()> changed) override { capabilitiesChanged_ = std::move(changed); }
    Runtime runtime() override { return runtime_; }
    DisplayServices& displays() override { return *displays_; }
    MonitorHardware& hardware() override;
    VirtualDisplayFactory& virtualDisplays() override { return *virtualDisplays_; }
    WindowSystem& windows() override { return *windows_; }
    InputServices& input() override { return *input_; }
    ScreenCapture& capture() override { return *capture_; }
    SystemServices& system() override { return system_; }
    ColorProfileServices& profiles() override { return *profiles_; }

private:
    void makeDisplays(const LinuxPlatformOptions& options);
    void makeX11Services(const LinuxPlatformOptions& options);
    void makeProfiles();
    void describe();
    std::optional<ColordDisplay> colordIdentity(DisplayID id);
    std::string connectorOf(DisplayID id);
    std::optional<DisplayID> displayOn(const std::string& connector);

    LinuxPlatformOptions options_;
    Runtime runtime_;
    Capabilities capabilities_;
    std::function<void()> capabilitiesChanged_;
    std::string summary_;
    LinuxSystem system_;
    std::unique_ptr<DisplayServices> displays_;
    x11::X11Displays* x11_ = nullptr;
    gnome::GnomeDisplays* gnome_ = nullptr;
    LinkDisplays* links_ = nullptr;
    std::unique_ptr<LinuxHardware> hardware_;
    LifeToken life_ = std::make_shared<int>(0);
    // Declared after the hardware, which its posted events reach: stopped first.
    std::unique_ptr<UdevBacklightEvents> backlightEvents_;
    std::unique_ptr<VirtualDisplayFactory> virtualDisplays_;
    std::unique_ptr<WindowSystem> ownWindows_;
    WindowSystem* windows_ = nullptr;
    std::unique_ptr<audio::DefaultSink> sound_;  // outlives the input that reads it
    std::unique_ptr<InputServices> input_;
    std::unique_ptr<ScreenCapture> capture_;
    std::unique_ptr<x11::CompositorWatch> compositor_;
    std::unique_ptr<x11::RootProfiles> rootProfiles_;
    std::unique_ptr<ColorProfileServices> profiles_;
};

}  // namespace vp
