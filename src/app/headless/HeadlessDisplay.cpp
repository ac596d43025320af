#include "app/headless/Headless.h"

#include "display/DisplayManager.h"

namespace vp {

namespace {

nlohmann::json screenJson(const Screen& s) {
    return {{"id", s.id},
            {"uuid", s.uuid},
            {"name", s.name},
            {"isBuiltin", s.isBuiltin},
            {"isMain", s.isMain},
            {"isActive", s.isActive},
            {"isOurVirtual", s.isOurVirtual},
            {"mirrorOf", s.mirrorOf ? nlohmann::json(*s.mirrorOf) : nlohmann::json(nullptr)},
            {"bounds", {s.bounds.x, s.bounds.y, s.bounds.width, s.bounds.height}},
            {"pixelWidth", s.pixelWidth},
            {"pixelHeight", s.pixelHeight},
            {"refresh", s.refresh},
            {"isHiDPI", s.isHiDPI},
            {"nativePixels", {s.nativePixels.width, s.nativePixels.height}}};
}

template <typename Map, typename Convert>
nlohmann::json byId(const Map& map, Convert convert) {
    nlohmann::json out = nlohmann::json::object();
    for (const auto& [id, value] : map) out[std::to_string(id)] = convert(value);
    return out;
}

auto same = [](const auto& v) { return nlohmann::json(v); };

}  // namespace

void registerDisplayCommands(DoRegistry& r) {
    r["default"] = [](HeadlessSession& session, const std::vector<std::string>& args) {
        requireArgs(args, 2, "default <key> <true|false>");
        const bool on = parseSwitch(args[1], args[0], "true or false");
        if (args[0] == "dimBelowMinimum") session.context().displayManager().setCombinedDimming(on);
        else session.platform().system().defaults().setBool(args[0], on);
    };
}

void addDisplayState(HeadlessSession& session, nlohmann::json& state) {
    DisplayManager& m = session.context().displayManager();
    nlohmann::json screens = nlohmann::json::array();
    for (const Screen& s : m.state().screens) screens.push_back(screenJson(s));
    state["screens"] = screens;
    state["brightness"] = byId(m.state().brightness, same);
    state["method"] = byId(m.state().method, [](BrightnessMethod v) { return toString(v); });
    state["softwareReason"] = byId(m.state().softwareReason, same);
    state["volume"] = byId(m.state().volume, same);
    state["inputSource"] = byId(m.state().inputSource, same);
    nlohmann::json prefs = nlohmann::json::object();
    for (const auto& [uuid, p] : m.state().prefs) prefs[uuid] = toJson(p);
    state["prefs"] = prefs;
    nlohmann::json specs = nlohmann::json::array();
    for (const auto& s : m.state().specs) specs.push_back(toJson(s));
    state["specs"] = specs;
    nlohmann::json hidpi = nlohmann::json::object();
    for (const auto& [uuid, s] : m.state().hiDPIMap) hidpi[uuid] = toJson(s);
    state["hiDPIMap"] = hidpi;
    state["disabled"] = byId(m.state().disabled, same);
    state["lastError"] = m.state().lastError ? nlohmann::json(*m.state().lastError) : nlohmann::json(nullptr);
    state["pipOpen"] = nlohmann::json(std::vector<DisplayID>(m.state().pipOpen.begin(), m.state().pipOpen.end()));
    state["profileTick"] = m.state().profileTick;
    state["xdrLevel"] = byId(m.state().xdrLevel, same);
}

}  // namespace vp
