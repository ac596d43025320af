#include "platform/sim/SimCapabilities.h"

#include <stdexcept>

namespace vp {

namespace {

void readFlag(const nlohmann::json& j, const char* key, bool& into) {
    if (!j.contains(key)) return;
    if (!j[key].is_boolean()) throw std::runtime_error(std::string("capabilities: \"") + key + "\" must be true or false");
    into = j[key].get<bool>();
}

void readAbility(const nlohmann::json& j, const char* key, Ability& into) {
    if (!j.contains(key)) return;
    const nlohmann::json& value = j[key];
    if (value == true) into = Ability::yes();
    else if (value.is_string() && !value.get<std::string>().empty()) into = Ability::no(value.get<std::string>());
    else throw std::runtime_error(std::string("capabilities: \"") + key + "\" must be true or the reason it is unavailable");
}

}  // namespace

Capabilities simDefaultCapabilities() {
    Capabilities c;
    c.gammaOverwrittenByDesktop = true;
    return c;
}

void loadDisplayCapabilities(const nlohmann::json& j, Capabilities& capabilities) {
    if (!j.is_object()) throw std::runtime_error("\"capabilities\" must be an object");
    readFlag(j, "configurationOutlivesProcess", capabilities.configurationOutlivesProcess);
    readFlag(j, "gammaOutlivesProcess", capabilities.gammaOutlivesProcess);
    readFlag(j, "gammaOverwrittenByDesktop", capabilities.gammaOverwrittenByDesktop);
    readAbility(j, "virtualDisplays", capabilities.virtualDisplays);
    readAbility(j, "switchOff", capabilities.switchOff);
}

}  // namespace vp
