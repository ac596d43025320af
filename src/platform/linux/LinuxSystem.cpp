#include "platform/linux/LinuxSystem.h"

#include "platform/DesktopLanguages.h"

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace vp {

namespace {

std::string env(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    // Relative values are invalid by the base-folder rules and are ignored.
    return value && *value == '/' ? std::string(value) : fallback;
}

}  // namespace

XdgFolders XdgFolders::fromEnvironment() {
    XdgFolders f;
    f.home = env("HOME", "/");
    f.configHome = env("XDG_CONFIG_HOME", f.home + "/.config");
    f.stateHome = env("XDG_STATE_HOME", f.home + "/.local/state");
    f.dataHome = env("XDG_DATA_HOME", f.home + "/.local/share");
    return f;
}

LinuxSystem::LinuxSystem(XdgFolders folders)
    : folders_(std::move(folders)),
      defaults_(std::make_unique<FileDefaults>(folders_.configHome + "/velvetpane/defaults.json")),
      autostart_(XdgAutostart::entryPathUnder(folders_.configHome), XdgAutostart::currentExecutable()),
      settings_(DesktopSettings::forThisSession()) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(logFilePath()).parent_path(), ec);
}

std::vector<std::string> LinuxSystem::preferredLanguages() {
    auto languages = desktopLanguages();
    if (languages.empty()) languages.push_back("en-US");
    return languages;
}

std::string LinuxSystem::logFilePath() { return folders_.stateHome + "/velvetpane/Velvetpane.log"; }

std::string LinuxSystem::logFileDisplayPath() {
    const std::string path = logFilePath();
    if (path.rfind(folders_.home + "/", 0) == 0) return std::string("~").append(path, folders_.home.size());
    return path;
}

std::int64_t LinuxSystem::processID() { return ::getpid(); }

}  // namespace vp
