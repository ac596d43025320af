#include "platform/sim/SimSystem.h"

#include <filesystem>
#include <stdexcept>

namespace vp {

SimSystem::SimSystem(SimDisplays& displays, std::string home) : displays_(displays), home_(std::move(home)) {
    if (home_.empty()) defaults_ = std::make_unique<MemoryDefaults>();
    else defaults_ = std::make_unique<FileDefaults>(home_ + "/.config/velvetpane/defaults.json");
    if (home_.empty()) return;
    autostart_.emplace(XdgAutostart::entryPathUnder(home_ + "/.config"), XdgAutostart::currentExecutable());
    // A real system provides the log folder; the log itself never creates it.
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(logFilePath()).parent_path(), ec);
}

bool SimSystem::loginItemEnabled() {
    return autostart_ ? autostart_->isEnabled() : loginItem;
}

bool SimSystem::setLoginItemEnabled(bool on) {
    if (refuseLoginItem) return false;
    if (autostart_ && !autostart_->setEnabled(on)) return false;
    loginItem = on;
    return true;
}

bool SimSystem::openSettingsPane(SettingsPane pane) {
    if (!hasSettingsPane(pane)) return false;
    openedPanes.push_back(pane);
    return true;
}

void SimSystem::load(const nlohmann::json& j) {
    if (!j.is_object()) throw std::runtime_error("\"system\" must be an object");
    loadProfiles(j);
    loadSettingsPanes(j);
    if (j.contains("preferredLanguages")) {
        if (!j["preferredLanguages"].is_array()) throw std::runtime_error("\"preferredLanguages\" must be an array");
        languages.clear();
        for (const auto& l : j["preferredLanguages"]) {
            if (!l.is_string()) throw std::runtime_error("\"preferredLanguages\" must hold texts such as \"pt-BR\"");
            languages.push_back(l.get<std::string>());
        }
    }
}

void SimSystem::loadSettingsPanes(const nlohmann::json& j) {
    if (!j.contains("settingsPanes")) return;
    static const std::map<std::string, SettingsPane> names = {{"accessibility", SettingsPane::accessibility},
                                                              {"screenCapture", SettingsPane::screenCapture},
                                                              {"displays", SettingsPane::displays}};
    const std::string wrong =
        "\"settingsPanes\" must be an array of \"accessibility\", \"screenCapture\" and \"displays\"";
    if (!j["settingsPanes"].is_array()) throw std::runtime_error(wrong);
    settingsPanes.clear();
    for (const auto& name : j["settingsPanes"]) {
        auto pane = name.is_string() ? names.find(name.get<std::string>()) : names.end();
        if (pane == names.end()) throw std::runtime_error(wrong);
        settingsPanes.insert(pane->second);
    }
}

std::string SimSystem::logFilePath() {
    return (home_.empty() ? std::string("/nonexistent") : home_) + "/.local/state/velvetpane/Velvetpane.log";
}

std::string SimSystem::logFileDisplayPath() {
    return "~/.local/state/velvetpane/Velvetpane.log";
}

}  // namespace vp
