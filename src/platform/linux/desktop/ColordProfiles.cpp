#include "platform/linux/desktop/ColordProfiles.h"

#include "platform/UserText.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace vp {

namespace {

// The profile colord makes from a display's EDID is the display's own
// default, not something the user assigned.
bool madeFromEdid(const std::string& filename) {
    return std::filesystem::path(filename).filename().string().rfind("edid-", 0) == 0;
}

bool holds(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<std::uint8_t> there{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return there == bytes;
}

}  // namespace

ColordProfiles::ColordProfiles(std::string home, std::string dataHome, Identify identify,
                               std::unique_ptr<ColordClient> colord, ShowFolder show)
    : home_(std::move(home)), dataHome_(std::move(dataHome)), identify_(std::move(identify)),
      colord_(std::move(colord)), show_(std::move(show)) {}

std::string ColordProfiles::userFolder() const {
    return (dataHome_.empty() ? home_ + "/.local/share" : dataHome_) + "/icc";
}

std::string ColordProfiles::userFolderDisplayPath() {
    std::string folder = userFolder();
    bool underHome = !home_.empty() && folder.rfind(home_ + "/", 0) == 0;
    return underHome ? std::string("~").append(folder, home_.size()) : folder;
}

std::vector<std::string> ColordProfiles::folders(DisplayID) {
    return {userFolder(), "/usr/local/share/color/icc", "/usr/share/color/icc", "/var/lib/colord/icc"};
}

bool ColordProfiles::openUserFolder() {
    std::error_code error;
    std::filesystem::create_directories(userFolder(), error);
    if (error) return false;
    return show_(userFolder());
}

std::string ColordProfiles::assignmentProblem() {
    std::string problem = colord_->problem();
    if (problem.empty()) return {};
    return R("Assigning profiles needs colord, the desktop's colour manager") + (" (" + problem + ")");
}

std::optional<std::string> ColordProfiles::deviceOf(DisplayID display) {
    auto identity = identify_(display);
    if (!identity) return std::nullopt;
    return colord_->device(*identity);
}

bool ColordProfiles::assign(DisplayID display, const std::optional<std::string>& path) {
    auto device = deviceOf(display);
    if (!device) return false;
    if (path) return colord_->makeDefault(*device, *path).empty();
    // Back to the display's default: the user's profile comes off the device.
    auto current = assigned(display);
    return !current || colord_->remove(*device, *current).empty();
}

void ColordProfiles::showServerProfiles(ServerProfile read, std::string folder) {
    serverProfile_ = std::move(read);
    serverFolder_ = std::move(folder);
}

std::optional<std::string> ColordProfiles::serverProfileFile(DisplayID display) {
    std::vector<std::uint8_t> bytes = serverProfile_(display);
    if (bytes.empty()) return std::nullopt;
    const std::string path = serverFolder_ + "/display-" + std::to_string(display) + ".icc";
    if (holds(path, bytes)) return path;
    std::error_code error;
    std::filesystem::create_directories(serverFolder_, error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out) return std::nullopt;
    return path;
}

std::optional<std::string> ColordProfiles::assigned(DisplayID display) {
    if (serverProfile_ && !colord_->problem().empty()) return serverProfileFile(display);
    auto device = deviceOf(display);
    if (!device) return std::nullopt;
    auto profiles = colord_->profiles(*device);
    if (profiles.empty() || profiles.front().filename.empty() || madeFromEdid(profiles.front().filename))
        return std::nullopt;
    return profiles.front().filename;
}

}  // namespace vp
