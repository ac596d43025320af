#include "app/headless/Headless.h"

#include "display/DisplayManager.h"
#include "input/BrightnessHUD.h"
#include "input/BrightnessKeys.h"
#include "pip/PiPController.h"

namespace vp {

namespace {

const std::map<std::string, Key>& keyNames() {
    static const std::map<std::string, Key> names = {{"brightnessUp", Key::brightnessUp},
                                                     {"brightnessDown", Key::brightnessDown},
                                                     {"volumeUp", Key::volumeUp},
                                                     {"volumeDown", Key::volumeDown},
                                                     {"mute", Key::mute}};
    return names;
}

}  // namespace

// <name>[+option][+shift][:up]; Option and Shift together ask for the fine
// step, as on the keyboard.
KeyEvent parseKeyArgument(const std::string& argument) {
    std::string text = argument;
    KeyEvent event;
    if (auto colon = text.find(':'); colon != std::string::npos) {
        if (text.substr(colon) != ":up") throw UsageError("--key: \"" + argument + "\" may only end in :up");
        event.pressed = false;
        text.resize(colon);
    }
    bool option = false, shift = false;
    std::string name;
    std::size_t start = 0;
    for (bool first = true;; first = false) {
        std::size_t plus = text.find('+', start);
        std::string part = text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        if (first) name = part;
        else if (part == "option") option = true;
        else if (part == "shift") shift = true;
        else throw UsageError("--key: unknown modifier \"" + part + "\" (option, shift)");
        if (plus == std::string::npos) break;
        start = plus + 1;
    }
    auto it = keyNames().find(name);
    if (it == keyNames().end())
        throw UsageError("--key: unknown key \"" + name + "\" (brightnessUp, brightnessDown, volumeUp, volumeDown, mute)");
    event.key = it->second;
    event.fine = option && shift;
    return event;
}

void registerInputFlags(FlagRegistry& r) {
    r["--key"] = [](HeadlessSession& session, const std::string& value) {
        session.hand().pressKey(parseKeyArgument(value));
    };
}

void registerInputCommands(DoRegistry& r) {
    r["pip"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 1, "pip <display id>");
        Screen screen = listedScreen(session, args[0]);
        session.context().pip().toggle(PiPController::Target::display(screen.id), screen.name);
    };
    // The window's application names the panel, as the system lists it.
    r["pipWindow"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 1, "pipWindow <window id>");
        WindowID id = parseDisplayID(args[0]);
        MainQueue& main = session.platform().runtime().main;
        session.platform().capture().shareableContent(
            false, false, [&session, &main, id](std::optional<ShareableContent> content, std::optional<CaptureError>) {
                std::string app;
                if (content)
                    for (const ShareableWindow& w : content->windows)
                        if (w.windowID == id) app = w.applicationName;
                main.post([&session, id, app] {
                    session.context().pip().toggle(PiPController::Target::window(id), app);
                });
            });
    };
    r["grantAccessibility"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 0, "grantAccessibility");
        session.hand().grantKeysPermission();
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
