#include "platform/sim/SimInput.h"

#include <stdexcept>

namespace vp {

namespace {

class SimTapSource : public TapSource {
public:
    explicit SimTapSource(std::shared_ptr<SimTapState> state) : state_(std::move(state)) { state_->attached = true; }
    ~SimTapSource() override { state_->attached = false; }

private:
    std::shared_ptr<SimTapState> state_;
};

class SimEventTap : public EventTap {
public:
    explicit SimEventTap(std::shared_ptr<SimTapState> state) : state_(std::move(state)) {}
    ~SimEventTap() override {
        state_->removed = true;
        state_->enabled = false;
    }
    std::unique_ptr<TapSource> addToMainRunLoop() override { return std::make_unique<SimTapSource>(state_); }
    void enable(bool on) override { state_->enabled = on; }
    bool isEnabled() const override { return state_->enabled; }

private:
    std::shared_ptr<SimTapState> state_;
};

bool wantsType(std::uint64_t mask, std::uint32_t type) {
    return type < 64 && (mask & (std::uint64_t(1) << type)) != 0;
}

}  // namespace

std::uint32_t fourCCFromText(const std::string& text) {
    if (text.size() != 4) throw std::runtime_error("\"" + text + "\" is not a four-character code");
    std::uint32_t code = 0;
    for (char c : text) code = (code << 8) | std::uint8_t(c);
    return code;
}

SimInput::SimInput(MainQueue& main) : main_(main) {}

void SimInput::load(const nlohmann::json& j) {
    if (!j.is_object()) throw std::runtime_error("\"input\" must be an object");
    trusted = j.value("accessibility", true);
    grantOnPrompt = j.value("grantOnPrompt", false);
    tapCreationFails = j.value("tapCreationFails", false);
    if (j.contains("output")) {
        const auto& out = j["output"];
        if (out.is_null()) {
            outputDevice.reset();  // the default device cannot be read
        } else {
            if (!out.is_object()) throw std::runtime_error("\"input.output\" must be an object or null");
            outputDevice = out.value("device", std::uint32_t(73));
            if (out.contains("transport") && !out["transport"].is_null())
                outputTransport = fourCCFromText(out["transport"].get<std::string>());
            else
                outputTransport.reset();
        }
    }
}

std::unique_ptr<EventTap> SimInput::createEventTap(std::uint64_t eventMask, TapHandler handler) {
    if (tapCreationFails) return nullptr;
    ++tapsCreated;
    tap_ = std::make_shared<SimTapState>();
    tap_->mask = eventMask;
    tap_->handler = std::move(handler);
    return std::make_unique<SimEventTap>(tap_);
}

void SimInput::promptForAccessibility() {
    ++prompts;
    if (grantOnPrompt) trusted = true;
}

std::optional<std::uint32_t> SimInput::transportType(std::uint32_t device) {
    if (!outputDevice || device != *outputDevice) return std::nullopt;
    return outputTransport;
}

bool SimInput::tapInstalled() const {
    return tap_ && !tap_->removed;
}

bool SimInput::tapReceiving() const {
    return tapInstalled() && tap_->enabled && tap_->attached;
}

void SimInput::inject(const KeyEvent& event) {
    main_.post([this, event] { deliver(event); });
}

void SimInput::deliver(const KeyEvent& event) {
    if (tapReceiving() && wantsType(tap_->mask, event.type)) {
        auto state = tap_;  // the handler may remove the tap
        if (!state->handler(event)) {
            ++swallowed;
            return;
        }
    }
    systemReceived.push_back(event);
}

void SimInput::disableTap(std::uint32_t notification) {
    if (!tapInstalled()) return;
    tap_->enabled = false;
    KeyEvent note;
    note.type = notification;
    if (tap_->attached) {
        auto state = tap_;
        state->handler(note);
    }
}

}  // namespace vp
