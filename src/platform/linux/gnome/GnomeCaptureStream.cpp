#include "platform/linux/gnome/GnomeCaptureStream.h"

#include "platform/linux/ScaledFrame.h"

#include <cmath>

namespace vp::gnome {

namespace {

// How often the watching thread looks at the cast and at PipeWire.
constexpr auto kWatchStep = std::chrono::milliseconds(100);

}  // namespace

CapturedFrameRef bgraFrame(const VideoFrame& frame, int maxWidth, int maxHeight) {
    const std::size_t row = std::size_t(frame.width) * 4;
    if (!frame.pixels || frame.width == 0 || frame.height == 0 || frame.stride < row ||
        frame.size < std::size_t(frame.stride) * (frame.height - 1) + row)
        return nullptr;
    return scaledFrame(PixelView{frame.pixels, int(frame.width), int(frame.height), frame.stride}, maxWidth,
                       maxHeight, true);
}

GnomeCaptureStream::GnomeCaptureStream(std::unique_ptr<CastSource> source, StreamConfiguration config,
                                       std::string runtimeDir)
    : source_(std::move(source)), config_(config), runtimeDir_(std::move(runtimeDir)) {}

GnomeCaptureStream::~GnomeCaptureStream() { stop(); }

std::optional<CaptureError> GnomeCaptureStream::addOutput(SerialQueue& queue,
                                                          std::function<void(CapturedFrameRef)> onFrame) {
    queue_ = &queue;
    onFrame_ = std::move(onFrame);
    return std::nullopt;
}

void GnomeCaptureStream::setOnStopWithError(std::function<void(CaptureError)> handler) { onStop_ = std::move(handler); }

void GnomeCaptureStream::start(std::function<void(std::optional<CaptureError>)> completion) {
    if (!queue_ || thread_.joinable() || !source_)
        return completion(CaptureError{kCaptureDomain, kCaptureNoOutput, "the stream has no output"});
    thread_ = std::thread([this, completion = std::move(completion)] { run(completion); });
}

void GnomeCaptureStream::stop() {
    stopping_ = true;
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
    if (thread_.joinable()) return;  // stopped from its own handler: the destructor finishes
    pipewire_.stop();
    source_.reset();  // ends the cast
}

void GnomeCaptureStream::run(const std::function<void(std::optional<CaptureError>)>& completion) {
    CaptureError error;
    std::optional<CastNode> node = source_->start(stopping_, error);
    if (!node) return completion(error);
    pipewire_.onFrame([this](const VideoFrame& frame) { deliver(frame); });
    pipewire_.onEnd([this](const std::string& why) {
        std::lock_guard lock(mutex_);
        pipewireEnded_ = why;
    });
    const double interval = std::max(config_.minimumFrameInterval, 1e-3);
    PipeWireOptions options;
    options.node = node->node;
    options.framesPerSecond = std::uint32_t(std::ceil(1.0 / interval));
    options.runtimeDir = runtimeDir_;
    options.remoteFd = node->remoteFd;
    std::string why;
    if (!pipewire_.start(options, why)) return completion(CaptureError{kCaptureDomain, kCapturePipeWireFailed, why});
    completion(std::nullopt);
    watch();
}

void GnomeCaptureStream::watch() {
    while (!stopping_) {
        std::optional<std::string> ended = source_->ended(kWatchStep);
        if (!ended) {
            std::lock_guard lock(mutex_);
            ended = pipewireEnded_;
        }
        if (!ended) continue;
        if (!stopping_.exchange(true) && onStop_) onStop_(CaptureError{kCaptureDomain, kCaptureEnded, *ended});
        return;
    }
}

// On the PipeWire thread. A frame is due a frame interval after the last
// one, with a quarter of an interval's slack so that a source running at the
// stream's own rate is not halved by jitter; falling behind does not bank
// frames for a burst.
void GnomeCaptureStream::deliver(const VideoFrame& frame) {
    const auto now = std::chrono::steady_clock::now();
    const auto interval = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(config_.minimumFrameInterval));
    if (now + interval / 4 < nextFrame_ || stopping_) return;
    nextFrame_ = std::max(nextFrame_ + interval, now);
    if (CapturedFrameRef out = bgraFrame(frame, config_.width, config_.height))
        queue_->async([onFrame = onFrame_, out] { onFrame(out); });
}

}  // namespace vp::gnome
