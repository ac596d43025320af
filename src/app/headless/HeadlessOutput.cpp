#include "app/headless/Headless.h"

#include "app/I18n.h"

#include <cmath>
#include <set>
#include <sstream>

namespace vp {

namespace {

using nlohmann::json;

// Levels, gamma entries and coordinates mean nothing past a millionth (the
// finest hardware gamma step is 1/65535); the binary noise of arithmetic
// (0.6000000000000001) is rounded away.
double roundNumber(double value) {
    double rounded = std::round(value * 1e6) / 1e6;
    return rounded == 0 ? 0.0 : rounded;  // no "-0.0"
}

std::string percent(const json& level) {
    if (!level.is_number()) return "?";
    return std::to_string(std::lround(level.get<double>() * 100)) + " %";
}

std::string methodName(const json& method) {
    std::string m = method.is_string() ? method.get<std::string>() : "";
    if (m == "builtin") return L("luz de fundo");
    if (m == "ddc") return "DDC/CI";
    if (m == "software") return L("software");
    return m.empty() ? L("não ajustável") : m;
}

const json& member(const json& state, const char* name, const std::string& id) {
    static const json none;
    auto outer = state.find(name);
    if (outer == state.end() || !outer->is_object()) return none;
    auto inner = outer->find(id);
    return inner == outer->end() ? none : *inner;
}

std::map<std::string, json> screensByID(const json& state) {
    std::map<std::string, json> out;
    for (const json& screen : state.value("screens", json::array())) out[std::to_string(screen.value("id", 0))] = screen;
    return out;
}

// What a user cares about for one screen, as words, member by member.
std::vector<std::pair<std::string, std::string>> facts(const json& state, const json& screen) {
    std::string id = std::to_string(screen.value("id", 0));
    std::vector<std::pair<std::string, std::string>> out;
    const std::string yes = L("sim"), no = L("não"), none = L("nenhum");
    out.push_back({L("modo"), member(state, "currentModeID", id).is_string()
                                  ? member(state, "currentModeID", id).get<std::string>()
                                  : none});
    out.push_back({L("tela principal"), screen.value("isMain", false) ? yes : no});
    out.push_back({L("ligada"), screen.value("isActive", true) ? yes : no});
    const json& mirror = screen.value("mirrorOf", json());
    out.push_back({L("espelha"), mirror.is_null() ? none : mirror.dump()});
    out.push_back({L("método"), methodName(member(state, "method", id))});
    out.push_back({L("brilho"), percent(member(state, "brightness", id))});
    if (!member(state, "volume", id).is_null()) out.push_back({L("volume"), percent(member(state, "volume", id))});
    if (!member(state, "inputSource", id).is_null())
        out.push_back({L("entrada"), member(state, "inputSource", id).dump()});
    return out;
}

std::string screenLine(const json& state, const json& screen) {
    std::string id = std::to_string(screen.value("id", 0));
    std::ostringstream line;
    line << "  " << id << "  " << screen.value("name", std::string("?"));
    if (screen.value("isMain", false)) line << " " << L("(principal)");
    if (!screen.value("isActive", true)) line << " " << L("(desligada)");
    const json& mirror = screen.value("mirrorOf", json());
    if (!mirror.is_null()) line << " " << LF("(espelha %@)", {mirror.dump()});
    line << ": " << screen.value("pixelWidth", 0) << "×" << screen.value("pixelHeight", 0);
    if (double hz = screen.value("refresh", 0.0); hz > 0) line << " " << LF("a %ld Hz", {long(std::lround(hz))});
    line << ", " << L("brilho") << " " << percent(member(state, "brightness", id)) << " ("
         << methodName(member(state, "method", id)) << ")";
    if (!member(state, "volume", id).is_null())
        line << ", " << L("volume") << " " << percent(member(state, "volume", id));
    return line.str();
}

std::vector<std::string> changes(const json& before, const json& after) {
    std::vector<std::string> out;
    auto old = screensByID(before), now = screensByID(after);
    std::set<std::string> ids;
    for (const auto& [id, s] : old) ids.insert(id);
    for (const auto& [id, s] : now) ids.insert(id);
    for (const std::string& id : ids) {
        auto was = old.find(id), is = now.find(id);
        if (was == old.end()) {
            out.push_back(LF("nova tela %@: %@", {id, is->second.value("name", std::string("?"))}));
            continue;
        }
        if (is == now.end()) {
            out.push_back(LF("a tela %@ (%@) sumiu", {id, was->second.value("name", std::string("?"))}));
            continue;
        }
        auto a = facts(before, was->second), b = facts(after, is->second);
        for (const auto& [name, value] : b) {
            auto it = std::find_if(a.begin(), a.end(), [&](const auto& f) { return f.first == name; });
            std::string from = it == a.end() ? L("nenhum") : it->second;
            if (from != value)
                out.push_back(is->second.value("name", std::string("?")) + ": " + name + " " + from + " → " + value);
        }
    }
    if (after.value("terminated", false) && !before.value("terminated", false))
        out.push_back(L("saída: as telas receberam de volta o que o programa mudou"));
    return out;
}

}  // namespace

json roundedState(const json& state) {
    if (state.is_number_float()) return roundNumber(state.get<double>());
    if (!state.is_structured()) return state;
    json out = state;
    for (auto& value : out) value = roundedState(value);
    return out;
}

std::string formatState(const json& state) {
    return roundedState(state).dump(2) + "\n";
}

std::string headlessSummary(const json& before, const json& after, const std::string& scenario) {
    std::ostringstream out;
    const json& screens = after.value("screens", json::array());
    const long count = long(screens.size());
    out << (count == 1 ? LF("%ld tela", {count}) : LF("%ld telas", {count})) << " " << LF("(simulado: %@)", {scenario}) << "\n";
    for (const json& screen : screens) out << screenLine(after, screen) << "\n";
    auto changed = changes(before, after);
    if (changed.empty()) out << L("Nada mudou.") << "\n";
    else {
        out << L("Mudanças:") << "\n";
        for (const std::string& line : changed) out << "  " << line << "\n";
    }
    if (after.contains("lastError") && after["lastError"].is_string())
        out << LF("Erro: %@", {after["lastError"].get<std::string>()}) << "\n";
    out << L("(o estado completo em JSON: --json, ou quando a saída não é um terminal)") << "\n";
    return out.str();
}

}  // namespace vp
