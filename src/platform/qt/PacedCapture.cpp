#include "platform/qt/PacedCapture.h"

#include <algorithm>
#include <cmath>

namespace vp {

// A stream that tells its service when it runs. Start, stop and destruction
// happen on the main queue, as the capture's users do them.
class PacedStream : public CaptureStream {
public:
    PacedStream(std::unique_ptr<CaptureStream> inner, PacedCapture& owner, double interval)
        : inner_(std::move(inner)), owner_(owner), interval_(interval) {}
    ~PacedStream() override { end(); }

    std::optional<CaptureError> addOutput(SerialQueue& queue, std::function<void(CapturedFrameRef)> onFrame) override {
        return inner_->addOutput(queue, std::move(onFrame));
    }
    void start(std::function<void(std::optional<CaptureError>)> completion) override {
        inner_->start(std::move(completion));
        if (running_) return;
        running_ = true;
        owner_.streamStarted(interval_);
    }
    void stop() override {
        inner_->stop();
        end();
    }
    void setOnStopWithError(std::function<void(CaptureError)> handler) override {
        inner_->setOnStopWithError(std::move(handler));
    }

private:
    void end() {
        if (!running_) return;
        running_ = false;
        owner_.streamEnded();
    }
    std::unique_ptr<CaptureStream> inner_;
    PacedCapture& owner_;
    double interval_;
    bool running_ = false;
};

PacedCapture::PacedCapture(SimCapture& capture) : capture_(capture) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { capture_.emitFrames(); });
}

std::unique_ptr<CaptureStream> PacedCapture::makeStream(const CaptureFilter& filter, const StreamConfiguration& config) {
    return std::make_unique<PacedStream>(capture_.makeStream(filter, config), *this, config.minimumFrameInterval);
}

void PacedCapture::streamStarted(double interval) {
    ++running_;
    // Never faster than 30 frames per second, whatever a stream asks for.
    int ms = int(std::ceil(std::max(interval, 1.0 / 30) * 1000));
    if (!timer_.isActive() || ms > timer_.interval()) timer_.start(ms);
}

void PacedCapture::streamEnded() {
    if (--running_ == 0) timer_.stop();
}

}  // namespace vp
