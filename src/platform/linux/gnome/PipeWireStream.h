#pragma once
// One consumer of a PipeWire video stream, on a PipeWire thread loop of its
// own. mutter's virtual monitors take their size and rate from the format
// their consumer asks for, and live while it consumes; a picture-in-picture
// reads the frames. Shared-memory buffers only: headless mutter offers no
// DMA-BUF, and a copy of a small window is cheap.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vp::gnome {

struct VideoFrame {
    std::uint32_t width = 0, height = 0, stride = 0;
    const std::uint8_t* pixels = nullptr;  // BGRx or BGRA, valid during the call only
    std::size_t size = 0;                   // bytes readable at `pixels`
};

struct PipeWireOptions {
    std::uint32_t node = 0;
    // Non-zero: ask for exactly this size and rate (a virtual monitor's).
    std::uint32_t width = 0, height = 0;
    std::uint32_t framesPerSecond = 60;
    // The PipeWire socket folder when not the user's own (a test bed's).
    std::string runtimeDir;
    // A descriptor from the ScreenCast portal, or -1; the stream takes it.
    int remoteFd = -1;
};

class PipeWireStream {
public:
    using FrameHandler = std::function<void(const VideoFrame&)>;  // on the PipeWire thread
    using EndHandler = std::function<void(const std::string& why)>;  // on the PipeWire thread

    PipeWireStream();
    ~PipeWireStream();
    PipeWireStream(const PipeWireStream&) = delete;
    PipeWireStream& operator=(const PipeWireStream&) = delete;

    void onFrame(FrameHandler handler);
    void onEnd(EndHandler handler);
    // Connects and starts consuming; false, with why, when PipeWire refuses.
    bool start(const PipeWireOptions& options, std::string& why);
    // Waits until the stream streams; false after `limit`.
    bool waitStreaming(std::chrono::milliseconds limit);
    void stop();

    std::uint64_t framesSeen() const;

    struct Impl;  // PipeWire's callbacks reach it

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace vp::gnome
