#include "app/headless/Headless.h"

#include "display/DisplayManager.h"
#include "hardware/DDCPackets.h"
#include "overlay/XDR.h"

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

template <typename T>
nlohmann::json orNull(const std::optional<T>& value) {
    return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

nlohmann::json gammaJson(const GammaTable& t) {
    return {{"entries", t.r.size()}, {"red", t.r}, {"green", t.g}, {"blue", t.b}};
}

nlohmann::json ddcJson(const MonitorInspection& monitor) {
    nlohmann::json vcp = nlohmann::json::object();
    for (const auto& [code, value] : monitor.values) vcp[std::to_string(code)] = {value.current, value.max};
    nlohmann::json packets = nlohmann::json::array();
    for (const auto& bytes : monitor.packets) packets.push_back(ddc::hexBytes(bytes));
    return {{"vcp", vcp}, {"packets", packets}};
}

nlohmann::json inspectedJson(const DisplayInspection& d) {
    nlohmann::json entry = {{"gamma", gammaJson(d.gamma)},
                            {"shade", orNull(d.shade)},
                            {"profile", orNull(d.profile)},
                            {"colorSpace", d.colorSpace}};
    if (d.backlight) entry["backlight"] = *d.backlight;
    if (d.ddc) entry["ddc"] = ddcJson(*d.ddc);
    return entry;
}

}  // namespace

void registerBrightnessCommands(DoRegistry& r) {
    r["setBrightness"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 2, "setBrightness <id> <value>");
        manager(session).setBrightness(listedScreen(session, args[0]).id, parseNumber(args[1], "brightness"));
    };
    r["readBrightness"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 1, "readBrightness <id>");
        manager(session).readBrightness(listedScreen(session, args[0]).id);
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

// Per display: what the test bed shows of it, when it can be inspected,
// and the extra brightness the core gives it. Without an inspection the
// displays are the screens the manager lists.
void addHardwareState(HeadlessSession& session, nlohmann::json& state) {
    XDR& xdr = session.context().xdr();
    nlohmann::json hardware = nlohmann::json::object();
    auto add = [&](DisplayID id, nlohmann::json entry) {
        entry["xdr"] = orNull(xdr.factor(id));
        hardware[std::to_string(id)] = entry;
    };
    if (Inspection* inspection = session.inspection())
        for (const DisplayInspection& d : inspection->inspectDisplays()) add(d.id, inspectedJson(d));
    else
        for (const Screen& s : manager(session).state().screens) add(s.id, nlohmann::json::object());
    state["hardware"] = hardware;
}

}  // namespace vp
