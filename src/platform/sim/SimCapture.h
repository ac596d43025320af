#pragma once
// Simulated screen capture: shareable content made of the simulated displays
// and a scenario list of windows (other applications' and this process's
// own), streams that deliver synthetic BGRA frames on the queue they were
// given, failures on demand and the screen-recording permission.
//
// With `threaded` false (tests, headless) content answers come at once on
// the caller's thread and frame queues are drained by SimPlatform's
// runUntilIdle; with it true both run on worker threads, as the real
// service does.

#include "platform/Capture.h"
#include "platform/VirtualRuntime.h"
#include "platform/sim/SimDisplays.h"
#include "platform/sim/SimSystem.h"

#include <nlohmann/json.hpp>

#include <memory>

namespace vp {

struct SimCaptureWindow {
    ShareableWindow window;
    bool own = false;  // belongs to this process (its pid is filled in when listed)
};

// One stream the service made, kept for inspection after it is gone.
struct SimStreamRecord {
    CaptureFilter filter;
    StreamConfiguration config;
    bool outputAdded = false;
    bool running = false;
    bool stopped = false;
    bool released = false;  // the stream object was destroyed
    std::size_t framesSent = 0;
    SerialQueue* queue = nullptr;
    std::function<void(CapturedFrameRef)> onFrame;
    std::function<void(CaptureError)> onStop;
    std::shared_ptr<const std::vector<std::uint8_t>> pixels;  // reused for every frame
};

class SimCapture : public ScreenCapture {
public:
    SimCapture(SimDisplays& displays, SystemServices& system);
    ~SimCapture() override;

    // Scenario section "capture" (see scenarios/README.md).
    void load(const nlohmann::json& j);

    void shareableContent(bool excludeDesktopWindows, bool onScreenWindowsOnly,
                          std::function<void(std::optional<ShareableContent>, std::optional<CaptureError>)> completion) override;
    std::unique_ptr<CaptureStream> makeStream(const CaptureFilter& filter, const StreamConfiguration& config) override;
    std::unique_ptr<SerialQueue> makeQueue(const std::string& label) override;
    bool preflightAccess() override { return screenRecordingAllowed; }
    void requestAccess() override;

    // --- Simulation controls and inspection (main thread)
    bool threaded = false;
    bool screenRecordingAllowed = true;
    bool grantOnRequest = false;
    std::size_t accessRequests = 0;
    std::vector<SimCaptureWindow> windows;
    std::optional<CaptureError> contentError;
    std::optional<CaptureError> addOutputError;
    std::optional<CaptureError> startError;
    // While true, content answers wait for releaseContent().
    bool holdContent = false;
    void releaseContent();
    std::size_t heldContentCount() const { return held_.size(); }

    void closeWindow(WindowID id);
    // Sends one synthetic frame on every running stream, or on one.
    void emitFrames();
    void emitFrame(SimStreamRecord& stream);
    // Every running stream stops with this error.
    void failStreams(const CaptureError& error);
    const std::vector<std::shared_ptr<SimStreamRecord>>& streams() const { return streams_; }
    std::vector<std::shared_ptr<SimStreamRecord>> runningStreams() const;
    // Runs the frame queues of the unthreaded mode; returns how many tasks ran.
    std::size_t drainQueues();
    std::size_t pendingFrames() const;

    static CaptureError permissionError();

private:
    using Completion = std::function<void(std::optional<ShareableContent>, std::optional<CaptureError>)>;
    void answer(Completion completion);
    ShareableContent content() const;
    // Runs a service callback the way the mode says: at once, or on the
    // service's own thread.
    void deliver(Task task);

    SimDisplays& displays_;
    SystemServices& system_;
    std::vector<Completion> held_;
    std::vector<std::shared_ptr<SimStreamRecord>> streams_;
    std::vector<std::weak_ptr<ManualSerialQueue>> manualQueues_;
    std::unique_ptr<ThreadSerialQueue> service_;
};

}  // namespace vp
