#pragma once
// One running capture on GNOME: a screen cast (CastSource) read through
// PipeWire. Starting asks for the cast on a thread of the stream's own,
// since the portal may wait for the user, and that thread then watches the
// cast: when mutter or the portal ends it (the monitor went away, mutter
// quit) or PipeWire drops it, the stream stops with an error. Frames become
// BGRA at the stream's size, at most one per frame interval.

#include "platform/Capture.h"
#include "platform/linux/gnome/CastSource.h"
#include "platform/linux/gnome/PipeWireStream.h"

#include <mutex>
#include <thread>

namespace vp::gnome {

class GnomeCaptureStream : public CaptureStream {
public:
    // `runtimeDir`: where the session's PipeWire socket is, when not the
    // user's own (unused for a portal's cast, which brings its connection).
    GnomeCaptureStream(std::unique_ptr<CastSource> source, StreamConfiguration config, std::string runtimeDir);
    ~GnomeCaptureStream() override;

    std::optional<CaptureError> addOutput(SerialQueue& queue, std::function<void(CapturedFrameRef)> onFrame) override;
    void start(std::function<void(std::optional<CaptureError>)> completion) override;
    void stop() override;
    void setOnStopWithError(std::function<void(CaptureError)> handler) override;

private:
    void run(const std::function<void(std::optional<CaptureError>)>& completion);
    void watch();
    void deliver(const VideoFrame& frame);

    std::unique_ptr<CastSource> source_;
    StreamConfiguration config_;
    std::string runtimeDir_;
    SerialQueue* queue_ = nullptr;
    std::function<void(CapturedFrameRef)> onFrame_;
    std::function<void(CaptureError)> onStop_;
    PipeWireStream pipewire_;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::optional<std::string> pipewireEnded_;
    std::chrono::steady_clock::time_point nextFrame_;
    std::thread thread_;
};

// A PipeWire frame (BGRx or BGRA, rows `stride` apart) as opaque BGRA,
// reduced to at most `maxWidth`×`maxHeight`; none when the buffer is short.
CapturedFrameRef bgraFrame(const VideoFrame& frame, int maxWidth, int maxHeight);

}  // namespace vp::gnome
