#pragma once
// Screen capture on GNOME (Wayland), through mutter's screen casts read
// over PipeWire. A real session goes through the desktop portal: the user
// allows a display once in the portal's dialog, and the restore token the
// portal returns lets later captures of it start without asking. Where no
// portal runs (headless mutter), mutter records the monitor directly.
//
// Windows are never listed: mutter records a window only through the
// portal's dialog, where the user picks it, never by an id we could show.

#include "platform/Capture.h"
#include "platform/UserText.h"
#include "platform/linux/gnome/RestoreTokens.h"

#include <filesystem>
#include <functional>

namespace vp::gnome {

class GnomeCapture : public ScreenCapture {
public:
    static constexpr const char* kNoWindows =
        R("GNOME lets a program record a window only after the user picks it in the screen-sharing dialog, so "
          "picture in picture offers displays only");

    struct Display {
        DisplayID id = 0;
        std::string connector;
        int width = 0, height = 0;  // points
    };
    // The displays the core knows, with mutter's connector for each. Asked
    // on the caller's thread only.
    using DisplayList = std::function<std::vector<Display>()>;

    // `address` empty: the user's own session bus. `stateDirectory` keeps the
    // portal's restore tokens; `runtimeDir` is where PipeWire's socket is
    // when not the user's own.
    GnomeCapture(std::string address, DisplayList displays, std::filesystem::path stateDirectory,
                 std::string runtimeDir = {});

    // Whether captures go through the desktop portal (decided at start).
    bool throughPortal() const { return portal_; }

    void shareableContent(bool excludeDesktopWindows, bool onScreenWindowsOnly,
                          std::function<void(std::optional<ShareableContent>, std::optional<CaptureError>)> completion)
        override;
    std::unique_ptr<CaptureStream> makeStream(const CaptureFilter& filter, const StreamConfiguration& config) override;
    std::unique_ptr<SerialQueue> makeQueue(const std::string& label) override;
    // Nothing to ask ahead: the portal asks when a capture starts.
    bool preflightAccess() override { return true; }
    void requestAccess() override {}

private:
    std::string address_;
    DisplayList displays_;
    std::string runtimeDir_;
    RestoreTokens tokens_;
    bool portal_ = false;
};

}  // namespace vp::gnome
