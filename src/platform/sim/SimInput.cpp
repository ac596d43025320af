#include "platform/sim/SimInput.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace vp {

namespace {

class SimKeyWatch : public KeyWatch {
public:
    explicit SimKeyWatch(std::shared_ptr<SimWatchState> state) : state_(std::move(state)) {}
    ~SimKeyWatch() override { state_->removed = true; }

private:
    std::shared_ptr<SimWatchState> state_;
};

}  // namespace

AudioTransport audioTransportFromText(const std::string& text) {
    static const std::map<std::string, AudioTransport> names = {
        {"builtIn", AudioTransport::builtIn}, {"hdmi", AudioTransport::hdmi},
        {"displayPort", AudioTransport::displayPort}, {"usb", AudioTransport::usb},
        {"bluetooth", AudioTransport::bluetooth}, {"other", AudioTransport::other}};
    auto it = names.find(text);
    if (it == names.end())
        throw std::runtime_error("\"" + text + "\" is not a transport (builtIn, hdmi, displayPort, usb, bluetooth, other)");
    return it->second;
}

SimInput::SimInput(MainQueue& main, const Capabilities& capabilities) : main_(main), capabilities_(capabilities) {}

void SimInput::load(const nlohmann::json& j) {
    if (!j.is_object()) throw std::runtime_error("\"input\" must be an object");
    permitted = j.value("permitted", true);
    grantOnRequest = j.value("grantOnRequest", false);
    watchRefused = j.value("watchRefused", false);
    if (j.contains("output")) {
        const auto& out = j["output"];
        if (!out.is_null() && !out.is_object()) throw std::runtime_error("\"input.output\" must be an object or null");
        if (out.is_object() && out.contains("transport") && !out["transport"].is_null())
            transport_ = audioTransportFromText(out["transport"].get<std::string>());
        else
            transport_.reset();  // the default output cannot be read
    }
}

std::unique_ptr<KeyWatch> SimInput::watchKeys(const std::vector<Key>& keys, KeyHandler handler,
                                              std::function<void()> onLost) {
    if (watchRefused || capabilities_.keys == KeyDelivery::none) return nullptr;
    ++watchesCreated;
    watch_ = std::make_shared<SimWatchState>();
    watch_->keys = keys;
    watch_->handler = std::move(handler);
    watch_->onLost = std::move(onLost);
    return std::make_unique<SimKeyWatch>(watch_);
}

void SimInput::setTransport(std::optional<AudioTransport> transport) {
    transport_ = transport;
    main_.post([this] {
        if (transportChanged_) transportChanged_();
    });
}

void SimInput::requestKeysPermission() {
    ++requests;
    if (grantOnRequest) permitted = true;
}

std::vector<Key> SimInput::watchedKeys() const {
    return watchReceiving() ? watch_->keys : std::vector<Key>{};
}

bool SimInput::watchInstalled() const {
    return watch_ && !watch_->removed;
}

bool SimInput::watchReceiving() const {
    return watchInstalled() && !watch_->lost;
}

bool SimInput::watches(Key key) const {
    return watchReceiving() && std::find(watch_->keys.begin(), watch_->keys.end(), key) != watch_->keys.end();
}

void SimInput::inject(const KeyEvent& event) {
    main_.post([this, event] { deliver(event); });
}

void SimInput::deliver(const KeyEvent& event) {
    if (watches(event.key)) {
        auto state = watch_;  // the handler may end the watch
        if (state->handler(event)) {
            ++consumed;
            return;
        }
        if (capabilities_.keys != KeyDelivery::perEvent) {
            ++lost;
            return;
        }
    }
    systemReceived.push_back(event);
}

void SimInput::loseWatch() {
    if (!watchReceiving()) return;
    auto state = watch_;
    state->lost = true;
    main_.post([state] {
        if (!state->removed && state->onLost) state->onLost();
    });
}

}  // namespace vp
