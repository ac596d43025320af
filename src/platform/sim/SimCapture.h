#pragma once
// Simulated screen capture.

#include "platform/Capture.h"

#include <nlohmann/json.hpp>

namespace vp {

class SimCapture : public ScreenCapture {
public:
    void load(const nlohmann::json&) {}
    void shareableContent(bool, bool,
                          std::function<void(std::optional<ShareableContent>, std::optional<CaptureError>)> completion) override {
        completion(std::nullopt, CaptureError{"SimCapture", 1, "Screen capture is not available"});
    }
    std::unique_ptr<CaptureStream> makeStream(const CaptureFilter&, const StreamConfiguration&) override { return nullptr; }
    std::unique_ptr<SerialQueue> makeQueue(const std::string&) override { return nullptr; }
    bool preflightAccess() override { return false; }
    void requestAccess() override {}
};

}  // namespace vp
