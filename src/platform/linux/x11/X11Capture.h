#pragma once
// Screen capture on X11. Screens are read from the root window (MIT-SHM when
// the server offers it); windows from their composited pixmap (Composite),
// so a covered window still shows; Damage tells when anything changed, so
// nothing is copied while the picture stands still. Each running stream has
// a connection and a thread of its own; with no stream there is no work.
//
// X11 has no capture permission: any client may read the screen. What the
// server lacks degrades the service instead of failing it, and `missing()`
// says what.

#include "platform/Capture.h"

#include <functional>

namespace vp::x11 {

class X11Capture : public ScreenCapture {
public:
    // The root-window rectangle of each display the core knows, by its id.
    // Asked on the caller's thread only.
    using DisplayAreas = std::function<std::vector<std::pair<DisplayID, Rect>>()>;

    X11Capture(std::string display, DisplayAreas areas);

    // Empty when the server has everything; otherwise, for the log and the
    // picture-in-picture page, what is missing and what that costs.
    std::string missing() const { return missing_; }

    void shareableContent(bool excludeDesktopWindows, bool onScreenWindowsOnly,
                          std::function<void(std::optional<ShareableContent>, std::optional<CaptureError>)> completion)
        override;
    std::unique_ptr<CaptureStream> makeStream(const CaptureFilter& filter, const StreamConfiguration& config) override;
    std::unique_ptr<SerialQueue> makeQueue(const std::string& label) override;
    bool preflightAccess() override { return true; }
    void requestAccess() override {}

private:
    std::string display_;
    DisplayAreas areas_;
    std::string missing_;
};

}  // namespace vp::x11
