#pragma once
// One running capture of a screen area or a window, paced at the stream's
// frame interval on a thread of its own. A frame is sent only when Damage
// reported a change since the last one (every tick when the server has no
// Damage). A window that closes ends the stream with an error.

#include "platform/Capture.h"
#include "platform/linux/x11/PixelGrabber.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

struct xcb_connection_t;

namespace vp::x11 {

class X11CaptureStream : public CaptureStream {
public:
    // `area` is the screen's rectangle in the root window; unused for a window.
    X11CaptureStream(std::string display, CaptureFilter filter, StreamConfiguration config, std::optional<Rect> area);
    ~X11CaptureStream() override;

    std::optional<CaptureError> addOutput(SerialQueue& queue, std::function<void(CapturedFrameRef)> onFrame) override;
    void start(std::function<void(std::optional<CaptureError>)> completion) override;
    void stop() override;
    void setOnStopWithError(std::function<void(CaptureError)> handler) override;

private:
    void run(xcb_connection_t* c);
    void fail(const std::string& why);

    std::string display_;
    CaptureFilter filter_;
    StreamConfiguration config_;
    std::optional<Rect> area_;
    SerialQueue* queue_ = nullptr;
    std::function<void(CapturedFrameRef)> onFrame_;
    std::function<void(CaptureError)> onStop_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

// Nearest-neighbour reduction to at most `maxWidth`×`maxHeight` (the
// stream's size) into bytes of the frame's own; pixels already that small
// are lent to the frame as they are, storage and all.
CapturedFrameRef scaledFrame(Pixels pixels, int maxWidth, int maxHeight);

}  // namespace vp::x11
