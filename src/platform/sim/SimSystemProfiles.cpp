#include "platform/sim/SimSystem.h"

#include "overlay/ICCProfileReader.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace vp {

namespace {
constexpr const char* kDefaultColorSpace = "sRGB IEC61966-2.1";
constexpr const char* kUserProfiles = "/Library/ColorSync/Profiles";
}  // namespace

void SimSystem::loadProfiles(const nlohmann::json& j) {
    colorManagement = j.value("colorSync", colorManagement);
    refuseProfiles = j.value("refuseProfiles", refuseProfiles);
}

std::string SimSystem::userFolder() const {
    return home_ + kUserProfiles;
}

std::vector<std::string> SimSystem::folders(DisplayID) {
    std::string root = systemRoot();
    return {root + "/System/Library/ColorSync/Profiles", root + "/Library/ColorSync/Profiles",
            root + "/Library/ColorSync/Profiles/Displays", userFolder(), userFolder() + "/Displays"};
}

std::string SimSystem::userFolderDisplayPath() {
    return std::string("~") + kUserProfiles;
}

bool SimSystem::openUserFolder() {
    // Without a home nothing is written, so there is no folder to show.
    if (home_.empty()) return false;
    std::error_code error;
    std::filesystem::create_directories(userFolder(), error);
    if (error) return false;
    shownFolders.push_back(userFolder());
    return true;
}

std::string SimSystem::assignmentProblem() {
    if (colorManagement) return {};
    return "This system has no colour management to assign profiles with";
}

bool SimSystem::assign(DisplayID display, const std::optional<std::string>& path) {
    SimDisplay* d = displays_.find(display);
    if (!colorManagement || refuseProfiles || !d || !d->uuid) return false;
    if (path && !std::filesystem::is_regular_file(*path)) return false;
    if (path) profileAssignments[*d->uuid] = *path;
    else profileAssignments.erase(*d->uuid);
    // The system loads the new profile's gamma tables onto the display.
    d->gamma = d->profileGamma;
    return true;
}

std::optional<std::string> SimSystem::assigned(DisplayID display) {
    SimDisplay* d = displays_.find(display);
    if (!d || !d->uuid) return std::nullopt;
    auto it = profileAssignments.find(*d->uuid);
    if (it == profileAssignments.end()) return std::nullopt;
    return it->second;
}

std::string SimSystem::colorSpaceName(const std::optional<std::string>& uuid) const {
    if (!uuid) return kDefaultColorSpace;
    auto it = profileAssignments.find(*uuid);
    if (it == profileAssignments.end()) return kDefaultColorSpace;
    std::ifstream in(it->second, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return profileDescription(bytes).value_or(std::filesystem::path(it->second).stem().string());
}

}  // namespace vp
