#include "platform/XdgAutostart.h"

#include "platform/FileDefaults.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vp {

namespace fs = std::filesystem;

XdgAutostart::XdgAutostart(std::string entryPath, std::string command)
    : entryPath_(std::move(entryPath)), command_(std::move(command)) {}

bool XdgAutostart::isEnabled() const {
    std::ifstream in(entryPath_);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line))
        if (line == "Hidden=true") return false;
    return true;
}

bool XdgAutostart::setEnabled(bool on) {
    std::error_code error;
    if (!on) {
        fs::remove(entryPath_, error);
        return !error;
    }
    fs::create_directories(fs::path(entryPath_).parent_path(), error);
    if (error) return false;
    std::ostringstream entry;
    entry << "[Desktop Entry]\n"
          << "Type=Application\n"
          << "Name=Velvetpane\n"
          << "Exec=\"" << command_ << "\"\n"
          << "Icon=velvetpane\n"
          << "X-GNOME-Autostart-enabled=true\n";
    return writeFileAtomically(entryPath_, entry.str());
}

std::string XdgAutostart::entryPathUnder(const std::string& configHome) {
    return configHome + "/autostart/velvetpane.desktop";
}

std::string XdgAutostart::currentExecutable() {
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string("velvetpane") : exe.string();
}

}  // namespace vp
