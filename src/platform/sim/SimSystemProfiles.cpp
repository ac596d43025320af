#include "platform/sim/SimSystem.h"

#include "overlay/ICCProfileReader.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace vp {

namespace {
constexpr const char* kDefaultColorSpace = "sRGB IEC61966-2.1";
}

void SimSystem::loadProfiles(const nlohmann::json& j) {
    if (j.contains("colorSync")) setColorSyncAvailable(j["colorSync"].get<bool>());
    refuseProfiles = j.value("refuseProfiles", refuseProfiles);
}

void SimSystem::setColorSyncAvailable(bool available) {
    if (!available) {
        setCustomProfile = nullptr;
        return;
    }
    setCustomProfile = [this](const std::string& deviceClass, const std::string& uuid,
                              const std::optional<std::string>& path) {
        ++profileCalls;
        if (refuseProfiles || deviceClass != "mntr") return false;
        if (path && !std::filesystem::is_regular_file(*path)) return false;
        if (path) profileAssignments[uuid] = *path;
        else profileAssignments.erase(uuid);
        if (onProfileAssigned) onProfileAssigned(uuid);
        return true;
    };
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
