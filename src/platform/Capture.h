#pragma once
// Screen capture: shareable content (displays and other applications'
// windows) and capture streams that deliver frames on their own queue.

#include "platform/Runtime.h"
#include "platform/WindowSystem.h"

namespace vp {

struct CaptureError {
    std::string domain;
    std::int64_t code = 0;
    std::string description;
};

struct ShareableDisplay {
    DisplayID displayID = 0;
    int width = 0, height = 0;  // points
};

struct ShareableWindow {
    WindowID windowID = 0;
    Rect frame;
    int windowLayer = 0;
    std::optional<std::string> title;
    // The owning application, when there is one.
    std::optional<std::int64_t> ownerPID;
    std::string applicationName;
};

struct ShareableContent {
    std::vector<ShareableDisplay> displays;
    std::vector<ShareableWindow> windows;
};

struct CaptureFilter {
    std::optional<DisplayID> display;          // a whole display…
    std::vector<WindowID> excludedWindows;     // …without these windows
    std::optional<WindowID> window;            // or one window on its own
};

struct StreamConfiguration {
    int width = 0, height = 0;
    double minimumFrameInterval = 1.0 / 30;  // frames always arrive as BGRA (CapturedFrame::bgra)
    bool showsCursor = true;
    int queueDepth = 4;
};

class CaptureStream {
public:
    virtual ~CaptureStream() = default;
    // Frames arrive on `queue`; onStop is called (any thread) when the
    // stream stops with an error.
    virtual std::optional<CaptureError> addOutput(SerialQueue& queue,
                                                  std::function<void(CapturedFrameRef)> onFrame) = 0;
    virtual void start(std::function<void(std::optional<CaptureError>)> completion) = 0;
    virtual void stop() = 0;
    virtual void setOnStopWithError(std::function<void(CaptureError)> handler) = 0;
};

class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;
    // The completion may run on any thread.
    virtual void shareableContent(bool excludeDesktopWindows, bool onScreenWindowsOnly,
                                  std::function<void(std::optional<ShareableContent>, std::optional<CaptureError>)> completion) = 0;
    virtual std::unique_ptr<CaptureStream> makeStream(const CaptureFilter& filter, const StreamConfiguration& config) = 0;
    virtual std::unique_ptr<SerialQueue> makeQueue(const std::string& label) = 0;
    virtual bool preflightAccess() = 0;
    virtual void requestAccess() = 0;
};

}  // namespace vp
