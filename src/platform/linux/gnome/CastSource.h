#pragma once
// Where a GNOME capture stream's picture comes from: a screen cast that
// names a PipeWire node, made by mutter directly or through the desktop
// portal. The cast lasts as long as its source.

#include "platform/Capture.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace vp::gnome {

inline constexpr const char* kCaptureDomain = "GNOME";

// The codes of the capture errors this back-end gives.
enum CaptureCode : std::int64_t {
    kCaptureNoOutput = 1,
    kCaptureNoDisplay = 2,
    kCaptureNoWindow = 3,
    kCaptureMutterFailed = 4,
    kCapturePipeWireFailed = 5,
    kCaptureEnded = 6,
    kCaptureRefused = 7,
    kCaptureNoPortal = 8,
    kCapturePortalFailed = 9,
};

struct CastNode {
    std::uint32_t node = 0;
    // The portal's own PipeWire connection, which the stream takes; -1:
    // the session's PipeWire.
    int remoteFd = -1;
};

class CastSource {
public:
    virtual ~CastSource() = default;
    // Starts the cast; `cancelled` ends a wait on the user early.
    virtual std::optional<CastNode> start(const std::atomic<bool>& cancelled, CaptureError& error) = 0;
    // Waits up to `limit`; why the cast ended, or none while it lasts.
    virtual std::optional<std::string> ended(std::chrono::milliseconds limit) = 0;
};

// A cast that cannot be made (a window, a display that is not there): its
// start gives the reason.
class UnavailableCast : public CastSource {
public:
    explicit UnavailableCast(CaptureError why) : why_(std::move(why)) {}
    std::optional<CastNode> start(const std::atomic<bool>&, CaptureError& error) override {
        error = why_;
        return std::nullopt;
    }
    std::optional<std::string> ended(std::chrono::milliseconds) override { return std::nullopt; }

private:
    CaptureError why_;
};

}  // namespace vp::gnome
