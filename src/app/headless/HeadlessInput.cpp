#include "app/headless/Headless.h"

#include "display/DisplayManager.h"
#include "input/BrightnessHUD.h"
#include "input/BrightnessKeys.h"
#include "pip/PiPController.h"

namespace vp {

namespace {

constexpr std::uint32_t kKeyUpType = 11;

struct KeyName {
    bool systemDefined;
    std::int64_t code;  // auxiliary button code, or key code of a key-down event
};

const std::map<std::string, KeyName>& keyNames() {
    static const std::map<std::string, KeyName> names = {
        {"brightnessUp", {true, event::auxBrightnessUp}},
        {"brightnessDown", {true, event::auxBrightnessDown}},
        {"brightnessUpKey", {false, event::keyBrightnessUp}},
        {"brightnessDownKey", {false, event::keyBrightnessDown}},
        {"volumeUp", {true, event::auxSoundUp}},
        {"volumeDown", {true, event::auxSoundDown}},
        {"mute", {true, event::auxMute}}};
    return names;
}

}  // namespace

// <name>[+option][+shift][:up]
KeyEvent parseKeyArgument(const std::string& argument) {
    std::string text = argument;
    bool up = false;
    if (auto colon = text.find(':'); colon != std::string::npos) {
        if (text.substr(colon) != ":up") throw UsageError("--key: \"" + argument + "\" may only end in :up");
        up = true;
        text.resize(colon);
    }
    std::uint64_t flags = 0;
    std::string name;
    std::size_t start = 0;
    for (bool first = true;; first = false) {
        std::size_t plus = text.find('+', start);
        std::string part = text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        if (first) name = part;
        else if (part == "option") flags |= event::flagOption;
        else if (part == "shift") flags |= event::flagShift;
        else throw UsageError("--key: unknown modifier \"" + part + "\" (option, shift)");
        if (plus == std::string::npos) break;
        start = plus + 1;
    }
    auto it = keyNames().find(name);
    if (it == keyNames().end())
        throw UsageError("--key: unknown key \"" + name +
                         "\" (brightnessUp, brightnessDown, brightnessUpKey, brightnessDownKey, volumeUp, volumeDown, "
                         "mute)");
    if (it->second.systemDefined) return auxButtonEvent(it->second.code, !up, flags);
    KeyEvent e;
    e.flags = flags;
    e.type = up ? kKeyUpType : event::keyDown;
    e.keyCode = it->second.code;
    return e;
}

void registerInputFlags(FlagRegistry& r) {
    r["--key"] = [](HeadlessSession& session, const std::string& value) {
        session.platform().simInput.inject(parseKeyArgument(value));
    };
}

void registerInputCommands(DoRegistry& r) {
    r["pip"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 1, "pip <display id>");
        Screen screen = listedScreen(session, args[0]);
        session.context().pip().toggle(PiPController::Target::display(screen.id), screen.name);
    };
    r["pipWindow"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 1, "pipWindow <window id>");
        WindowID id = parseDisplayID(args[0]);
        std::string app;
        for (const auto& w : session.platform().simCapture.windows)
            if (w.window.windowID == id) app = w.window.applicationName;
        session.context().pip().toggle(PiPController::Target::window(id), app);
    };
    r["grantAccessibility"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 0, "grantAccessibility");
        session.platform().simInput.trusted = true;
    };
}

void addInputState(HeadlessSession& session, nlohmann::json& state) {
    const BrightnessHUD& hud = session.context().hud();
    state["hud"] = {{"value", hud.model().value()},
                    {"icon", hud.model().icon()},
                    {"visible", hud.panel() != nullptr && hud.panel()->isVisible()}};
    nlohmann::json pip = nlohmann::json::object();
    for (const auto& [key, controller] : session.context().pip().active) {
        const auto& config = controller->configuration();
        pip[key] = {{"width", config ? nlohmann::json(config->width) : nlohmann::json(nullptr)},
                    {"height", config ? nlohmann::json(config->height) : nlohmann::json(nullptr)}};
    }
    state["pip"] = pip;
    const BrightnessKeys& keys = session.context().keys();
    state["keys"] = {{"running", keys.isRunning()}, {"waiting", keys.isWaiting()}};
}

}  // namespace vp
