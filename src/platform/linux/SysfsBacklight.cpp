#include "platform/linux/SysfsBacklight.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace vp {

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kTypePreference = {"firmware", "platform", "raw"};

std::optional<int> readNumber(const fs::path& file) {
    std::ifstream in(file);
    std::string text;
    if (!std::getline(in, text)) return std::nullopt;
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data()) return std::nullopt;
    return value;
}

std::string readWord(const fs::path& file) {
    std::ifstream in(file);
    std::string word;
    in >> word;
    return word;
}

std::size_t rank(const std::string& type) {
    return std::size_t(std::find(kTypePreference.begin(), kTypePreference.end(), type) - kTypePreference.begin());
}

}  // namespace

std::vector<BacklightDevice> findBacklights(const LinuxPaths& paths, std::vector<std::string>* problems) {
    std::vector<BacklightDevice> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(paths.sysfs) / "class/backlight", ec)) {
        BacklightDevice device{entry.path().filename().string(), readWord(entry.path() / "type"), 0};
        auto max = readNumber(entry.path() / "max_brightness");
        if (!max || *max <= 0) {
            if (problems)
                problems->push_back("backlight " + device.name + ": max_brightness is " +
                                    (max ? std::to_string(*max) : std::string("unreadable")) + "; not used");
            continue;
        }
        device.max = *max;
        found.push_back(std::move(device));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return std::pair(rank(a.type), a.name) < std::pair(rank(b.type), b.name);
    });
    return found;
}

std::string SysfsBacklight::folder() const {
    return (fs::path(paths_.sysfs) / "class/backlight" / device_.name).string();
}

std::optional<double> SysfsBacklight::read() const {
    auto raw = readNumber(fs::path(folder()) / "actual_brightness");
    if (!raw) raw = requested();
    if (!raw) return std::nullopt;
    return std::clamp(double(*raw) / device_.max, 0.0, 1.0);
}

std::optional<int> SysfsBacklight::requested() const {
    return readNumber(fs::path(folder()) / "brightness");
}

int SysfsBacklight::rawValue(double fraction) const {
    return int(std::lround(std::clamp(fraction, 0.0, 1.0) * device_.max));
}

int SysfsBacklight::write(int raw) const {
    std::ofstream out(fs::path(folder()) / "brightness");
    if (!out) return errno ? errno : EACCES;
    out << raw << "\n";
    out.flush();
    return out ? 0 : EIO;
}

}  // namespace vp
