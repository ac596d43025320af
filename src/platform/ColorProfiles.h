#pragma once
// Colour profiles: where the system keeps display ICC profiles, and which one
// is assigned to each display. The folders and the assignment belong to the
// system's colour management; the core only reads the files it is shown.

#include "platform/Types.h"

namespace vp {

class ColorProfileServices {
public:
    virtual ~ColorProfileServices() = default;
    // The folders to scan for the display's profiles, in order: the first
    // folder that holds a profile of a given name wins that name.
    virtual std::vector<std::string> folders(DisplayID display) = 0;
    // The user's own profile folder as the user would write it (with "~" for
    // the home folder), for texts that say where to put profiles.
    virtual std::string userFolderDisplayPath() = 0;
    // Makes the user's folder when missing and shows it in the file manager;
    // false when it cannot be made or shown.
    virtual bool openUserFolder() = 0;
    // Empty when profiles can be assigned; otherwise why not, for the user.
    virtual std::string assignmentProblem() = 0;
    // Assigns a profile file to the display for the current user, or returns
    // the display to its own default (path none); false when refused or
    // impossible.
    virtual bool assign(DisplayID display, const std::optional<std::string>& path) = 0;
    // The profile the user assigned; none for the display's own default.
    virtual std::optional<std::string> assigned(DisplayID display) = 0;
};

}  // namespace vp
