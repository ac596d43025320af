#include "overlay/ColorProfiles.h"

#include "overlay/ICCProfileReader.h"
#include "platform/Platform.h"
#include "util/Unicode.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace vp::ColorProfiles {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kHeaderBytes = 20;
// Display profiles are a few kilobytes, rarely a megabyte; a larger file is
// listed under its file name rather than read whole.
constexpr std::uintmax_t kMaxProfileBytes = 16 * 1024 * 1024;

bool hasProfileExtension(const std::string& fileName) {
    std::string lower = fileName;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.ends_with(".icc") || lower.ends_with(".icm");
}

std::vector<std::uint8_t> readBytes(const std::string& path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(limit);
    if (!in) return {};
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

// The entries of one folder, by file name so that the result is the same on
// every run; none for a folder that cannot be listed.
std::vector<fs::path> profileFiles(const std::string& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec))
        if (hasProfileExtension(it->path().filename().string())) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

std::optional<ICCProfile> read(const std::string& path) {
    std::vector<std::uint8_t> header = readBytes(path, kHeaderBytes);
    if (header.size() < kHeaderBytes || !isDisplayRGBProfile(header)) return std::nullopt;
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    std::optional<std::string> description;
    if (!ec && size <= kMaxProfileBytes) description = profileDescription(readBytes(path, size));
    return ICCProfile{description.value_or(fs::path(path).stem().string()), path};
}

std::vector<ICCProfile> all(Platform& platform, DisplayID display) {
    std::vector<ICCProfile> list;
    std::set<std::string> seen;
    for (const std::string& folder : platform.profiles().folders(display))
        for (const fs::path& file : profileFiles(folder)) {
            auto profile = read(file.string());
            if (!profile || !seen.insert(unicode::lowercased(profile->name)).second) continue;
            list.push_back(std::move(*profile));
        }
    std::stable_sort(list.begin(), list.end(), [](const ICCProfile& a, const ICCProfile& b) {
        return unicode::localizedCaseInsensitiveCompare(a.name, b.name) < 0;
    });
    return list;
}

std::optional<std::string> currentName(Platform& platform, DisplayID display) {
    // The assigned profile names itself; the screen's colour space is what
    // the display shows without one.
    if (auto path = platform.profiles().assigned(display)) {
        auto profile = read(*path);
        return profile ? profile->name : fs::path(*path).stem().string();
    }
    for (const ScreenInfo& info : platform.windows().screens())
        if (info.number == display) return info.colorSpaceName;
    return std::nullopt;
}

bool apply(Platform& platform, const std::optional<std::string>& path, DisplayID display) {
    return platform.profiles().assign(display, path);
}

}  // namespace vp::ColorProfiles
