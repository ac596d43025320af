#pragma once
// Picture in picture: a live copy of one screen, or of one window of another
// application, in a small floating panel. One controller per open panel; the
// registry (`PiPController.active`) owns them, keyed by target.
//
// Threads: toggling, beginning, tearing down, the registry and the manager's
// pipOpen are main-queue only. The capture service answers content queries
// on its own threads and delivers frames on the controller's private queue;
// both only hop to the main queue, holding the controller weakly.

#include "pip/PiPWindowItem.h"
#include "platform/Platform.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace vp {

class DisplayManager;
class Log;
class PiPRegistry;

class PiPController : public std::enable_shared_from_this<PiPController> {
public:
    struct Target {
        enum class Kind { display, window };
        Kind kind = Kind::display;
        std::uint32_t id = 0;

        static Target display(DisplayID id) { return {Kind::display, id}; }
        static Target window(WindowID id) { return {Kind::window, id}; }
        // "d1", "w4711"
        std::string key() const;
        bool operator==(const Target&) const = default;
    };

    struct CaptureSize {
        int width = 0, height = 0;
        bool operator==(const CaptureSize&) const = default;
    };

    static constexpr double panelWidth = 480;
    static constexpr double defaultAspect = 0.5625;
    static constexpr double panelMargin = 24;
    static constexpr CaptureSize unknownWindowSize{1920, 1080};

    // Twice the point size, but never wider than twice 1920 points.
    static CaptureSize captureSize(double widthPoints, double heightPoints);

    PiPController(PiPRegistry& registry, Target target);
    ~PiPController();
    PiPController(const PiPController&) = delete;
    PiPController& operator=(const PiPController&) = delete;

    // Detaches from the panel, closes it and tears down.
    void close();

    const Target& target() const { return target_; }
    const Window* window() const { return window_.get(); }
    bool isCapturing() const { return stream_ != nullptr; }
    // What the stream was configured with, once it was.
    const std::optional<StreamConfiguration>& configuration() const { return configuration_; }

private:
    friend class PiPRegistry;
    void start(const std::string& name);
    void openPanel(const std::string& name, double aspect);
    void begin(const std::optional<ShareableContent>& content, const std::optional<CaptureError>& error);
    std::optional<std::pair<CaptureFilter, CaptureSize>> displayCapture(const ShareableContent& content) const;
    std::optional<std::pair<CaptureFilter, CaptureSize>> windowCapture(const ShareableContent& content);
    void startStream(const CaptureFilter& filter, CaptureSize size);
    void teardown();

    PiPRegistry& registry_;
    Platform& platform_;
    Target target_;
    // Before the stream: frames are delivered onto it until the stream goes.
    std::unique_ptr<SerialQueue> queue_;
    std::unique_ptr<CaptureStream> stream_;
    std::unique_ptr<Window> window_;
    std::optional<StreamConfiguration> configuration_;
};

// `PiPController.active`: the open picture-in-picture controllers. A
// controller lives exactly as long as its entry.
class PiPRegistry {
public:
    PiPRegistry(Platform& platform, Log& log, DisplayManager& manager);
    ~PiPRegistry();

    // Opens the target's PiP, or closes it when one is open.
    void toggle(const PiPController::Target& target, const std::string& name);
    // The capturable windows of other applications; the completion runs on
    // the main queue.
    void listWindows(std::function<void(std::vector<PiPWindowItem>)> completion);
    // Asks for screen-recording access when it is missing and tells the user
    // how to grant it.
    void reportFailure(const std::optional<CaptureError>& error);

    bool isOpen(const PiPController::Target& target) const { return active.contains(target.key()); }
    Platform& platform() { return platform_; }
    Log& log() { return log_; }
    DisplayManager& manager() { return manager_; }
    WeakLife life() const { return life_; }

    std::map<std::string, std::shared_ptr<PiPController>> active;

private:
    Platform& platform_;
    Log& log_;
    DisplayManager& manager_;
    LifeToken life_ = std::make_shared<int>(0);
};

}  // namespace vp
