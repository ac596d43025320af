#pragma once
// Simulated system services: defaults, languages, log location, login item,
// settings panes, and the colour profiles of the simulated displays.

#include "platform/ColorProfiles.h"
#include "platform/FileDefaults.h"
#include "platform/System.h"
#include "platform/XdgAutostart.h"
#include "platform/sim/SimDisplays.h"

#include <nlohmann/json.hpp>

#include <map>
#include <memory>
#include <set>

namespace vp {

class SimSystem : public SystemServices, public ColorProfileServices {
public:
    // home empty: in-memory defaults and a home that is never written.
    explicit SimSystem(SimDisplays& displays, std::string home = {});
    // Scenario: the "system" object. Throws std::runtime_error naming the
    // problem.
    void load(const nlohmann::json& j);

    Defaults& defaults() override { return *defaults_; }
    std::vector<std::string> preferredLanguages() override { return languages; }
    std::string logFilePath() override;
    std::string logFileDisplayPath() override;
    std::int64_t processID() override { return pid; }
    // With a home, the login item is a real autostart entry under it.
    bool loginItemEnabled() override;
    bool setLoginItemEnabled(bool on) override;
    bool hasSettingsPane(SettingsPane pane) override { return settingsPanes.contains(pane); }
    // Records the pane as opened when the system has it.
    bool openSettingsPane(SettingsPane pane) override;

    // --- Colour profiles (SimSystemProfiles.cpp). The profile folders are
    // the layout of a system-wide and a per-user profile store, the first
    // under systemRoot(), the second under the home folder; assignments are
    // kept by display uuid.
    std::vector<std::string> folders(DisplayID display) override;
    std::string userFolderDisplayPath() override;
    bool openUserFolder() override;
    std::string assignmentProblem() override;
    bool assign(DisplayID display, const std::optional<std::string>& path) override;
    std::optional<std::string> assigned(DisplayID display) override;

    // --- Simulation controls and inspection
    std::vector<std::string> languages = {"en-US"};
    std::int64_t pid = 4242;
    bool loginItem = false;
    bool refuseLoginItem = false;
    // Scenario: "settingsPanes", the names of the panes the system has
    // (default all three).
    std::set<SettingsPane> settingsPanes = {SettingsPane::accessibility, SettingsPane::screenCapture,
                                            SettingsPane::displays};
    std::vector<SettingsPane> openedPanes;
    MemoryDefaults& memoryDefaults() { return *defaults_; }

    // Where the simulated system-wide profile folders live: under the home.
    std::string systemRoot() const { return home_.empty() ? std::string() : home_ + "/.sim-system"; }
    // Scenario: "colorSync": false leaves the system without colour
    // management, so nothing can be assigned; "refuseProfiles": true makes
    // every assignment fail.
    bool colorManagement = true;
    bool refuseProfiles = false;
    // The colour-space name the window system shows for a display.
    std::string colorSpaceName(const std::optional<std::string>& uuid) const;
    // Custom profile paths by display uuid (none: the display's default).
    std::map<std::string, std::string> profileAssignments;
    // The folders openUserFolder() showed, in order.
    std::vector<std::string> shownFolders;

private:
    void loadProfiles(const nlohmann::json& j);
    void loadSettingsPanes(const nlohmann::json& j);
    std::string userFolder() const;

    SimDisplays& displays_;
    std::string home_;
    std::unique_ptr<MemoryDefaults> defaults_;
    std::optional<XdgAutostart> autostart_;
};

}  // namespace vp
