#pragma once
// Simulated brightness and sound keys, the permission to watch them and the
// default audio output. Injected events travel like real ones: posted to the
// main queue (from any thread), then offered to the watch when it lives and
// covers the key. What the watch does not take reaches the "system", where
// it is recorded, when the platform offers each event; a grabbing platform
// loses it.

#include "platform/Capabilities.h"
#include "platform/Input.h"
#include "platform/Runtime.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <vector>

namespace vp {

struct SimWatchState {
    std::vector<Key> keys;
    InputServices::KeyHandler handler;
    std::function<void()> onLost;
    bool lost = false;
    bool removed = false;
};

class SimInput : public InputServices {
public:
    // Reads how keys are delivered from the platform's capabilities.
    SimInput(MainQueue& main, const Capabilities& capabilities);

    // Scenario section "input" (see scenarios/README.md).
    void load(const nlohmann::json& j);

    std::unique_ptr<KeyWatch> watchKeys(const std::vector<Key>& keys, KeyHandler handler,
                                        std::function<void()> onLost) override;
    bool keysPermitted() override { return permitted; }
    void requestKeysPermission() override;
    std::optional<AudioTransport> outputTransport() override { return transport_; }
    void watchOutputTransport(std::function<void()> changed) override { transportChanged_ = std::move(changed); }

    // --- Simulation controls (main thread unless said otherwise)
    bool permitted = true;
    bool grantOnRequest = false;
    bool watchRefused = false;
    // The user picks another output: the watcher hears of it on the main
    // queue.
    void setTransport(std::optional<AudioTransport> transport);

    // Any thread: the event is delivered on the main queue.
    void inject(const KeyEvent& event);
    // The system ends the watch by itself and tells its owner so.
    void loseWatch();

    // --- Inspection
    std::size_t requests = 0;
    std::size_t watchesCreated = 0;
    std::vector<Key> watchedKeys() const;
    // Events that reached the system (passed on, or never watched).
    std::vector<KeyEvent> systemReceived;
    std::size_t consumed = 0;
    // Grabbed events the core did not take: nobody received them.
    std::size_t lost = 0;
    bool watchInstalled() const;
    bool watchReceiving() const;

private:
    void deliver(const KeyEvent& event);
    bool watches(Key key) const;

    MainQueue& main_;
    const Capabilities& capabilities_;
    std::shared_ptr<SimWatchState> watch_;
    std::optional<AudioTransport> transport_ = AudioTransport::builtIn;
    std::function<void()> transportChanged_;
};

// Transports in scenario form: "builtIn", "hdmi", "displayPort", "usb",
// "bluetooth", "other".
AudioTransport audioTransportFromText(const std::string& text);

}  // namespace vp
