#include "platform/linux/DrmLinks.h"

#include "platform/linux/I2CDevice.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vp {

namespace fs = std::filesystem;

namespace {

const char* const kBuiltInTypes[] = {"eDP", "LVDS", "DSI"};

std::optional<int> busNumber(const std::string& name) {
    const std::string prefix = "i2c-";
    if (name.rfind(prefix, 0) != 0 || name.size() == prefix.size()) return std::nullopt;
    int n = 0;
    auto [end, ec] = std::from_chars(name.data() + prefix.size(), name.data() + name.size(), n);
    if (ec != std::errc() || end != name.data() + name.size()) return std::nullopt;
    return n;
}

std::string readText(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

Bytes readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The `ddc` link points at the adapter's folder; a DisplayPort connector
// holds its AUX channel's adapter as a child folder instead.
std::optional<int> connectorBus(const fs::path& folder) {
    std::error_code ec;
    fs::path ddc = folder / "ddc";
    if (fs::is_symlink(ddc, ec)) {
        if (auto n = busNumber(fs::read_symlink(ddc, ec).filename().string())) return n;
    }
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (auto n = busNumber(entry.path().filename().string())) return n;
    return std::nullopt;
}

// A connector folder is "cardN-TYPE-M"; the card itself and render nodes
// have no dash after the card number.
bool isConnectorFolder(const std::string& name) {
    return name.rfind("card", 0) == 0 && name.find('-') != std::string::npos;
}

}  // namespace

std::string DrmLink::devicePath() const {
    return bus ? "i2c-" + std::to_string(*bus) : std::string();
}

std::string connectorName(const std::string& drmFolder) {
    auto dash = drmFolder.find('-');
    return dash == std::string::npos ? drmFolder : drmFolder.substr(dash + 1);
}

bool isBuiltInConnector(const std::string& connector) {
    return std::any_of(std::begin(kBuiltInTypes), std::end(kBuiltInTypes), [&](const char* type) {
        std::string prefix = std::string(type) + "-";
        return connector.rfind(prefix, 0) == 0;
    });
}

std::vector<DrmLink> drmLinks(const LinuxPaths& paths) {
    std::vector<DrmLink> links;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(paths.sysfs) / "class/drm", ec)) {
        std::string folderName = entry.path().filename().string();
        if (!isConnectorFolder(folderName) || readText(entry.path() / "status") != "connected") continue;
        DrmLink link;
        link.connector = connectorName(folderName);
        link.key = *link.connector;
        link.builtIn = isBuiltInConnector(*link.connector);
        link.bus = connectorBus(entry.path());
        link.edid = readBytes(entry.path() / "edid");
        links.push_back(std::move(link));
    }
    std::sort(links.begin(), links.end(), [](const auto& a, const auto& b) { return a.key < b.key; });
    return links;
}

std::vector<DrmLink> scanI2CForEdid(const LinuxPaths& paths) {
    std::vector<int> buses;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(paths.dev, ec))
        if (auto n = busNumber(entry.path().filename().string())) buses.push_back(*n);
    std::sort(buses.begin(), buses.end());
    std::vector<DrmLink> links;
    for (int n : buses) {
        I2CDevice device;
        if (device.open((fs::path(paths.dev) / ("i2c-" + std::to_string(n))).string()) != 0) continue;
        Bytes edid = readEdidOverI2C(device);
        if (!hasEdidHeader(edid)) continue;
        DrmLink link;
        link.key = "i2c-" + std::to_string(n);
        link.bus = n;
        link.edid = std::move(edid);
        links.push_back(std::move(link));
    }
    return links;
}

std::vector<DrmLink> findMonitorLinks(const LinuxPaths& paths) {
    std::vector<DrmLink> links = drmLinks(paths);
    bool paired = std::any_of(links.begin(), links.end(), [](const auto& l) { return !l.builtIn && l.bus; });
    if (paired) return links;
    for (DrmLink& scanned : scanI2CForEdid(paths)) {
        // The same monitor DRM listed without a bus: give it the bus.
        auto same = std::find_if(links.begin(), links.end(), [&](const DrmLink& l) {
            return !l.bus && !l.builtIn && l.edid == scanned.edid;
        });
        if (same != links.end()) same->bus = scanned.bus;
        else links.push_back(std::move(scanned));
    }
    return links;
}

std::optional<std::string> deniedI2CDevice(const LinuxPaths& paths) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(paths.dev, ec)) {
        if (!busNumber(entry.path().filename().string())) continue;
        I2CDevice device;
        if (isPermissionError(device.open(entry.path().string()))) return entry.path().string();
    }
    return std::nullopt;
}

}  // namespace vp
