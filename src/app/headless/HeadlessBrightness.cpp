#include "app/headless/Headless.h"

#include "display/DisplayManager.h"


namespace vp {

namespace {

DisplayManager& manager(HeadlessSession& session) {
    return session.context().displayManager();
}

int parseCode(const std::string& text) {
    try {
        std::size_t used = 0;
        long value = std::stol(text, &used, 0);
        if (used == text.size() && value >= 0 && value <= 0xFFFF) return int(value);
    } catch (const std::logic_error&) {
    }
    throw UsageError("\"" + text + "\" is not an input code (0 to 65535, decimal or 0x…)");
}

nlohmann::json gammaJson(const GammaTable& t) {
    return {{"entries", t.r.size()}, {"red", t.r}, {"green", t.g}, {"blue", t.b}};
}

nlohmann::json shadeJson(SimWindowSystem& windows, DisplayID id) {
    for (const auto& record : windows.openWindows(WindowRole::shade))
        if (record->config.screen == id && record->visible) return record->background.a;
    return nullptr;
}

nlohmann::json ddcJson(const SimMonitor& monitor) {
    nlohmann::json vcp = nlohmann::json::object();
    for (const auto& [code, reading] : monitor.values()) vcp[std::to_string(code)] = {reading.current, reading.max};
    nlohmann::json packets = nlohmann::json::array();
    for (const SimPacket& p : monitor.packets()) packets.push_back(ddc::hexBytes(p.bytes));
    return {{"vcp", vcp}, {"packets", packets}};
}

}  // namespace

void registerBrightnessCommands(DoRegistry& r) {
    r["setBrightness"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 2, "setBrightness <id> <value>");
        manager(session).setBrightness(listedScreen(session, args[0]).id, parseNumber(args[1], "brightness"));
    };
    r["setAllBrightness"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 1, "setAllBrightness <value>");
        manager(session).setAllBrightness(parseNumber(args[0], "brightness"));
    };
    r["stepAllBrightness"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 1, "stepAllBrightness <step>");
        manager(session).stepAllBrightness(parseNumber(args[0], "step"));
    };
    r["setWarmth"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 2, "setWarmth <id> <value>");
        manager(session).setWarmth(listedScreen(session, args[0]), parseNumber(args[1], "warmth"));
    };
    r["setContrast"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 2, "setContrast <id> <value>");
        manager(session).setContrast(listedScreen(session, args[0]), parseNumber(args[1], "contrast"));
    };
    r["resetColor"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 1, "resetColor <id>");
        manager(session).resetColor(listedScreen(session, args[0]));
    };
    r["setForceSoftware"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 2, "setForceSoftware <id> <on|off>");
        manager(session).setForceSoftware(listedScreen(session, args[0]), parseSwitch(args[1], "setForceSoftware"));
    };
    r["setVolume"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 2, "setVolume <id> <value>");
        manager(session).setVolume(listedScreen(session, args[0]).id, parseNumber(args[1], "volume"));
    };
    r["setInput"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 2, "setInput <id> <code>");
        manager(session).setInput(listedScreen(session, args[0]).id, parseCode(args[1]));
    };
    r["stepDDCVolume"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 1, "stepDDCVolume <step>");
        manager(session).stepDDCVolume(parseNumber(args[0], "step"));
    };
    r["toggleDDCMute"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 0, "toggleDDCMute");
        manager(session).toggleDDCMute();
    };
}

void addHardwareState(HeadlessSession& session, nlohmann::json& state) {
    SimPlatform& platform = session.platform();
    auto backlight = platform.simHardware.backlightPanel();
    nlohmann::json hardware = nlohmann::json::object();
    for (const SimDisplay& d : platform.simDisplays.all()) {
        nlohmann::json entry = {{"gamma", gammaJson(d.gamma)}, {"shade", shadeJson(platform.simWindows, d.id)}};
        if (backlight && backlight->display == d.id) entry["backlight"] = backlight->value;
        if (auto monitor = platform.simHardware.monitorFor(d.id); monitor && monitor->speaksDDC())
            entry["ddc"] = ddcJson(*monitor);
        hardware[std::to_string(d.id)] = entry;
    }
    state["hardware"] = hardware;
}

}  // namespace vp
