#pragma once
// The services a Linux session may lack, each saying so instead of
// pretending: no virtual displays, no keys, no capture, and windows that
// exist only as state (a command-line run draws nothing).

#include "platform/Capture.h"
#include "platform/Displays.h"
#include "platform/Input.h"
#include "platform/Runtime.h"
#include "platform/VirtualDisplays.h"
#include "platform/WindowSystem.h"

namespace vp {

class NoVirtualDisplays : public VirtualDisplayFactory {
public:
    bool isAvailable() override { return false; }
    std::unique_ptr<VirtualDisplay> create(const VirtualDisplayDescriptor&) override { return nullptr; }
};

class NoKeys : public InputServices {
public:
    std::unique_ptr<KeyWatch> watchKeys(const std::vector<Key>&, KeyHandler, std::function<void()>) override {
        return nullptr;
    }
    bool keysPermitted() override { return true; }
    void requestKeysPermission() override {}
    std::optional<AudioTransport> outputTransport() override { return std::nullopt; }
};

class NoCapture : public ScreenCapture {
public:
    explicit NoCapture(std::string why) : why_(std::move(why)) {}
    void shareableContent(bool, bool,
                          std::function<void(std::optional<ShareableContent>, std::optional<CaptureError>)> completion)
        override {
        completion(std::nullopt, CaptureError{"Linux", 1, why_});
    }
    std::unique_ptr<CaptureStream> makeStream(const CaptureFilter&, const StreamConfiguration&) override {
        return nullptr;
    }
    std::unique_ptr<SerialQueue> makeQueue(const std::string& label) override;
    bool preflightAccess() override { return false; }
    void requestAccess() override {}

private:
    std::string why_;
};

// The screens of a display back-end, and windows that keep their state but
// draw nothing: for a run without a window system of its own.
class PlainWindows : public WindowSystem {
public:
    using Names = std::function<std::string(DisplayID)>;
    PlainWindows(DisplayServices& displays, MainQueue& main, Names names)
        : displays_(displays), main_(main), names_(std::move(names)) {}
    std::vector<ScreenInfo> screens() override;
    std::optional<ScreenInfo> mainScreen() override;
    std::unique_ptr<Window> createWindow(const WindowConfig& config) override;
    int shieldingWindowLevel() override { return 2000; }
    bool hasExtendedRangeCompositor() override { return false; }
    void setActivationPolicyAccessory() override {}

private:
    DisplayServices& displays_;
    MainQueue& main_;
    Names names_;
};

}  // namespace vp
