#pragma once
// Simulated system services: defaults, languages, home and log locations,
// login item, workspace and colour-profile assignment.

#include "platform/FileDefaults.h"
#include "platform/System.h"
#include "platform/XdgAutostart.h"

#include <nlohmann/json.hpp>

#include <map>
#include <memory>

namespace vp {

class SimSystem : public SystemServices {
public:
    // home empty: in-memory defaults and a home that is never written.
    explicit SimSystem(std::string home = {});
    void load(const nlohmann::json& j);

    Defaults& defaults() override { return *defaults_; }
    std::vector<std::string> preferredLanguages() override { return languages; }
    std::string homeDirectory() override { return home_; }
    std::string logFilePath() override;
    std::string logFileDisplayPath() override;
    std::string systemRoot() override { return home_.empty() ? std::string() : home_ + "/.sim-system"; }
    std::int64_t processID() override { return pid; }
    // With a home, the login item is a real autostart entry under it.
    bool loginItemEnabled() override;
    bool setLoginItemEnabled(bool on) override;
    bool openURL(const std::string& url) override {
        openedURLs.push_back(url);
        return true;
    }

    // --- Simulation controls and inspection
    std::vector<std::string> languages = {"en-US"};
    std::int64_t pid = 4242;
    bool loginItem = false;
    bool refuseLoginItem = false;
    std::vector<std::string> openedURLs;
    MemoryDefaults& memoryDefaults() { return *defaults_; }

    // --- Colour profiles (SimSystemProfiles.cpp). The profile folders are
    // the real layout under systemRoot() and the home folder.
    // Scenario: "system": {"colorSync": false} takes the assignment entry
    // point away; "refuseProfiles": true makes every assignment fail.
    void setColorSyncAvailable(bool available);
    // The colour-space name the window system shows for a display.
    std::string colorSpaceName(const std::optional<std::string>& uuid) const;
    // Custom profile paths by display uuid (none: the display's default).
    std::map<std::string, std::string> profileAssignments;
    std::size_t profileCalls = 0;
    // Called after an accepted assignment, with the display's uuid: the
    // system loads the new profile's gamma tables onto the display.
    std::function<void(const std::string&)> onProfileAssigned;
    bool refuseProfiles = false;

private:
    void loadProfiles(const nlohmann::json& j);
    std::string home_;
    std::unique_ptr<MemoryDefaults> defaults_;
    std::optional<XdgAutostart> autostart_;
};

}  // namespace vp
