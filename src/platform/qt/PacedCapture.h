#pragma once
// The simulated capture service in real time: while any stream runs, a timer
// on the GUI thread has the simulation send a frame on every running stream
// at the streams' frame interval; with no stream running there is no timer,
// so an idle program does no capture work.

#include "platform/Capture.h"
#include "platform/sim/SimCapture.h"

#include <QTimer>

namespace vp {

class PacedCapture : public ScreenCapture {
public:
    explicit PacedCapture(SimCapture& capture);

    void shareableContent(bool excludeDesktopWindows, bool onScreenWindowsOnly,
                          std::function<void(std::optional<ShareableContent>, std::optional<CaptureError>)> completion)
        override {
        capture_.shareableContent(excludeDesktopWindows, onScreenWindowsOnly, std::move(completion));
    }
    std::unique_ptr<CaptureStream> makeStream(const CaptureFilter& filter, const StreamConfiguration& config) override;
    std::unique_ptr<SerialQueue> makeQueue(const std::string& label) override { return capture_.makeQueue(label); }
    bool preflightAccess() override { return capture_.preflightAccess(); }
    void requestAccess() override { capture_.requestAccess(); }

    bool isPacing() const { return timer_.isActive(); }

private:
    friend class PacedStream;
    void streamStarted(double interval);
    void streamEnded();

    SimCapture& capture_;
    QTimer timer_;
    int running_ = 0;
};

}  // namespace vp
