#pragma once
// Simulated keyboard event tap, accessibility permission and default audio
// output. Injected events travel like real ones: posted to the main queue
// (from any thread), then offered to the tap when it is installed, enabled,
// attached to the main run loop and asks for the event's type; whatever it
// passes on, or never sees, reaches the "system", where it is recorded.

#include "platform/Input.h"
#include "platform/Runtime.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <vector>

namespace vp {

struct SimTapState {
    std::uint64_t mask = 0;
    InputServices::TapHandler handler;
    bool enabled = false;
    bool attached = false;
    bool removed = false;
};

class SimInput : public InputServices {
public:
    explicit SimInput(MainQueue& main);

    // Scenario section "input" (see scenarios/README.md).
    void load(const nlohmann::json& j);

    std::unique_ptr<EventTap> createEventTap(std::uint64_t eventMask, TapHandler handler) override;
    bool isAccessibilityTrusted() override { return trusted; }
    void promptForAccessibility() override;
    std::optional<std::uint32_t> defaultOutputDevice() override { return outputDevice; }
    std::optional<std::uint32_t> transportType(std::uint32_t device) override;

    // --- Simulation controls (main thread unless said otherwise)
    bool trusted = true;
    bool grantOnPrompt = false;
    bool tapCreationFails = false;
    std::optional<std::uint32_t> outputDevice = 73;
    std::optional<std::uint32_t> outputTransport = fourCC("bltn");  // built-in speakers

    // Any thread: the event is delivered on the main queue.
    void inject(const KeyEvent& event);
    // The system disables the tap and tells its handler so.
    void disableTap(std::uint32_t notification = event::tapDisabledByTimeout);

    // --- Inspection
    std::size_t prompts = 0;
    std::size_t tapsCreated = 0;
    // Events that reached the system (passed on, or never tapped).
    std::vector<KeyEvent> systemReceived;
    std::size_t swallowed = 0;
    bool tapInstalled() const;
    bool tapReceiving() const;

private:
    void deliver(const KeyEvent& event);

    MainQueue& main_;
    std::shared_ptr<SimTapState> tap_;
};

// Four-character codes in scenario form ("hdmi", "dprt", "bltn", …).
std::uint32_t fourCCFromText(const std::string& text);

}  // namespace vp
