#include "app/headless/Headless.h"

#include "display/DisplayManager.h"

#include <algorithm>

namespace vp {

namespace {

using Args = std::vector<std::string>;

Screen listedScreen(HeadlessSession& session, const std::string& text) {
    DisplayID id = parseDisplayID(text);
    auto screen = session.context().displayManager().screen(id);
    if (!screen) throw UsageError("display " + text + " is not listed");
    return *screen;
}

VirtualSpec storedSpec(HeadlessSession& session, const std::string& text) {
    auto id = Uuid::parse(text);
    if (!id) throw UsageError("\"" + text + "\" is not a spec id");
    for (const VirtualSpec& spec : session.context().displayManager().specs)
        if (spec.id == *id) return spec;
    throw UsageError("no virtual screen has the id " + text);
}

std::int64_t parseSize(const std::string& text, const std::string& what) {
    double value = parseNumber(text, what);
    if (value < 1 || value != std::int64_t(value)) throw UsageError(what + ": \"" + text + "\" must be a whole number");
    return std::int64_t(value);
}

nlohmann::json modeJson(const ModeOption& m) {
    return {{"id", m.id},
            {"label", m.label()},
            {"width", m.width},
            {"height", m.height},
            {"pixelWidth", m.pixelWidth},
            {"pixelHeight", m.pixelHeight},
            {"refresh", m.refresh},
            {"hiDPI", m.hiDPI()}};
}

}  // namespace

void registerConfigCommands(DoRegistry& r) {
    auto manager = [](HeadlessSession& s) -> DisplayManager& { return s.context().displayManager(); };

    r["apply"] = [=](HeadlessSession& s, const Args& args) {
        requireArgs(args, 2, "apply <id> <modeKey>");
        DisplayID id = parseDisplayID(args[0]);
        auto list = manager(s).modes(id);
        auto mode = std::find_if(list.begin(), list.end(), [&](const ModeOption& m) { return m.id == args[1]; });
        if (mode == list.end()) throw UsageError("display " + args[0] + " has no mode " + args[1]);
        manager(s).apply(*mode, id);
    };
    r["makeMain"] = [=](HeadlessSession& s, const Args& args) {
        requireArgs(args, 1, "makeMain <id>");
        manager(s).makeMain(parseDisplayID(args[0]));
    };
    r["mirror"] = [=](HeadlessSession& s, const Args& args) {
        requireArgs(args, 2, "mirror <id> <masterId|none>");
        std::optional<DisplayID> master;
        if (args[1] != "none") master = parseDisplayID(args[1]);
        manager(s).mirror(parseDisplayID(args[0]), master);
    };
    r["setEnabled"] = [=](HeadlessSession& s, const Args& args) {
        requireArgs(args, 2, "setEnabled <id> <on|off>");
        manager(s).setEnabled(parseDisplayID(args[0]), parseSwitch(args[1], "setEnabled"));
    };
    r["addVirtual"] = [=](HeadlessSession& s, const Args& args) {
        if (args.size() < 5) throw UsageError("usage: --do \"addVirtual <width> <height> <refresh> <hiDPI 0|1> <name…>\"");
        VirtualSpec spec;
        spec.width = parseSize(args[0], "width");
        spec.height = parseSize(args[1], "height");
        spec.refresh = parseNumber(args[2], "refresh");
        spec.hiDPI = parseSwitch(args[3], "hiDPI");
        spec.name = args[4];
        for (std::size_t i = 5; i < args.size(); ++i) spec.name += " " + args[i];
        manager(s).addVirtual(spec);
    };
    r["toggleVirtual"] = [=](HeadlessSession& s, const Args& args) {
        requireArgs(args, 2, "toggleVirtual <specId> <on|off>");
        manager(s).toggleVirtual(storedSpec(s, args[0]), parseSwitch(args[1], "toggleVirtual"));
    };
    r["removeVirtual"] = [=](HeadlessSession& s, const Args& args) {
        requireArgs(args, 1, "removeVirtual <specId>");
        manager(s).removeVirtual(storedSpec(s, args[0]));
    };
    r["enableHiDPI"] = [=](HeadlessSession& s, const Args& args) {
        requireArgs(args, 1, "enableHiDPI <id>");
        manager(s).enableHiDPI(listedScreen(s, args[0]));
    };
    r["disableHiDPI"] = [=](HeadlessSession& s, const Args& args) {
        requireArgs(args, 1, "disableHiDPI <id>");
        manager(s).disableHiDPI(listedScreen(s, args[0]));
    };
}

void addConfigState(HeadlessSession& session, nlohmann::json& state) {
    DisplayManager& m = session.context().displayManager();
    nlohmann::json modes = nlohmann::json::object();
    nlohmann::json current = nlohmann::json::object();
    for (const Screen& s : m.screens) {
        if (!s.isActive) continue;
        nlohmann::json list = nlohmann::json::array();
        for (const ModeOption& mode : m.modes(s.id)) list.push_back(modeJson(mode));
        std::string key = std::to_string(s.id);
        modes[key] = list;
        auto id = m.currentModeID(s.id);
        current[key] = id ? nlohmann::json(*id) : nlohmann::json(nullptr);
    }
    state["modes"] = modes;
    state["currentModeID"] = current;
}

}  // namespace vp
