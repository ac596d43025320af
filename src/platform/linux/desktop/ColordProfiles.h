#pragma once
// Colour profiles on a Linux desktop: the folders the desktop keeps ICC
// profiles in, and the assignment through colord. Without colord the
// profiles can still be listed, but not assigned, and the reason says so;
// the profile the display server carries for a display (X11's root window
// properties) is then shown as its current one.
// The Linux platform's colour-profile services are these.

#include "platform/ColorProfiles.h"
#include "platform/linux/desktop/ColordClient.h"

#include <functional>
#include <memory>

namespace vp {

class ColordProfiles : public ColorProfileServices {
public:
    // How colord would know a display (EDID, output name); none for a
    // display the platform does not know.
    using Identify = std::function<std::optional<ColordDisplay>(DisplayID)>;
    // Shows a folder in the desktop's file manager.
    using ShowFolder = std::function<bool(const std::string&)>;
    // The profile the display server carries for a display; empty for none.
    using ServerProfile = std::function<std::vector<std::uint8_t>(DisplayID)>;

    ColordProfiles(std::string home, std::string dataHome, Identify identify, std::unique_ptr<ColordClient> colord,
                   ShowFolder show);

    // The user's folder first, then the machine's and the system's; colord's
    // own store last.
    std::vector<std::string> folders(DisplayID display) override;
    std::string userFolderDisplayPath() override;
    bool openUserFolder() override;
    std::string assignmentProblem() override;
    bool assign(DisplayID display, const std::optional<std::string>& path) override;
    std::optional<std::string> assigned(DisplayID display) override;

    // The user's folder: $XDG_DATA_HOME/icc, else ~/.local/share/icc.
    std::string userFolder() const;

    // Without colord, assigned() answers with the display server's profile,
    // copied into `folder` as a file for the profile reader.
    void showServerProfiles(ServerProfile read, std::string folder);

private:
    std::optional<std::string> deviceOf(DisplayID display);
    std::optional<std::string> serverProfileFile(DisplayID display);

    std::string home_, dataHome_;
    Identify identify_;
    std::unique_ptr<ColordClient> colord_;
    ShowFolder show_;
    ServerProfile serverProfile_;
    std::string serverFolder_;
};

}  // namespace vp
