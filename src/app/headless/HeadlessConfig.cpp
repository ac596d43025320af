#include "app/headless/Headless.h"

#include "display/DisplayManager.h"

#include <algorithm>
#include <cmath>

namespace vp {

namespace {

using Args = std::vector<std::string>;

VirtualSpec storedSpec(HeadlessSession& session, const std::string& text) {
    auto id = Uuid::parse(text);
    if (!id) throw UsageError("\"" + text + "\" is not a spec id");
    for (const VirtualSpec& spec : session.context().displayManager().state().specs)
        if (spec.id == *id) return spec;
    throw UsageError("no virtual screen has the id " + text);
}

std::int64_t parseSize(const std::string& text, const std::string& what) {
    double value = parseNumber(text, what);
    if (value < 1 || value > double(kMaxVirtualSide) || value != std::floor(value))
        throw UsageError(what + ": \"" + text + "\" must be a whole number from 1 to " + std::to_string(kMaxVirtualSide));
    return std::int64_t(value);
}

double parseRefresh(const std::string& text) {
    double value = parseNumber(text, "refresh");
    if (value <= 0 || value > kMaxVirtualRefresh)
        throw UsageError("refresh: \"" + text + "\" must be a rate above 0 and at most " +
                         std::to_string(int(kMaxVirtualRefresh)) + " Hz");
    return value;
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
        DisplayID id = listedScreen(s, args[0]).id;
        auto list = manager(s).modes(id);
        auto mode = std::find_if(list.begin(), list.end(), [&](const ModeOption& m) { return m.id == args[1]; });
        if (mode == list.end()) throw UsageError("display " + args[0] + " has no mode " + args[1]);
        manager(s).apply(*mode, id);
    };
    r["makeMain"] = [=](HeadlessSession& s, const Args& args) {
        requireArgs(args, 1, "makeMain <id>");
        manager(s).makeMain(listedScreen(s, args[0]).id);
    };
    r["mirror"] = [=](HeadlessSession& s, const Args& args) {
        requireArgs(args, 2, "mirror <id> <masterId|none>");
        std::optional<DisplayID> master;
        DisplayID display = listedScreen(s, args[0]).id;
        if (args[1] != "none") master = listedScreen(s, args[1]).id;
        manager(s).mirror(display, master);
    };
    r["setEnabled"] = [=](HeadlessSession& s, const Args& args) {
        requireArgs(args, 2, "setEnabled <id> <on|off>");
        manager(s).setEnabled(listedScreen(s, args[0]).id, parseSwitch(args[1], "setEnabled"));
    };
    r["addVirtual"] = [=](HeadlessSession& s, const Args& args) {
        if (args.size() < 5) throw UsageError("usage: --do \"addVirtual <width> <height> <refresh> <hiDPI 0|1> <name…>\"");
        VirtualSpec spec;
        spec.width = parseSize(args[0], "width");
        spec.height = parseSize(args[1], "height");
        spec.refresh = parseRefresh(args[2]);
        spec.hiDPI = parseSwitch(args[3], "hiDPI", "0 or 1");
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
    for (const Screen& s : m.state().screens) {
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
