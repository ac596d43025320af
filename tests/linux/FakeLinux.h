#pragma once
// A fake Linux system in a temporary folder: a sysfs tree (DRM connectors,
// backlights) and a dev folder whose i2c-N files are emulated monitors
// (tests/linux/emulated/EmulatedMonitor.cpp says what their text means).

#include "platform/linux/LinuxPaths.h"
#include "support/TempDir.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vp::test {

using EdidBytes = std::vector<std::uint8_t>;

// A sound 128-byte EDID: manufacturer letters, product, serial, name.
inline EdidBytes makeEdid(const std::string& maker, std::uint16_t product, std::uint32_t serial,
                          const std::string& name) {
    EdidBytes e(128, 0);
    const std::uint8_t header[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(std::begin(header), std::end(header), e.begin());
    std::uint16_t id = std::uint16_t((maker[0] - 'A' + 1) << 10 | (maker[1] - 'A' + 1) << 5 | (maker[2] - 'A' + 1));
    e[8] = std::uint8_t(id >> 8);
    e[9] = std::uint8_t(id);
    e[10] = std::uint8_t(product);
    e[11] = std::uint8_t(product >> 8);
    for (int i = 0; i < 4; ++i) e[12 + i] = std::uint8_t(serial >> (8 * i));
    e[18] = 1;
    e[19] = 4;
    // Descriptor 2 (offset 72): the monitor name, line-feed terminated.
    std::size_t at = 72;
    e[at + 3] = 0xFC;
    std::string text = name.substr(0, 13);
    if (text.size() < 13) text += '\n';
    text.resize(13, ' ');
    std::copy(text.begin(), text.end(), e.begin() + long(at) + 5);
    unsigned sum = 0;
    for (int i = 0; i < 127; ++i) sum += e[i];
    e[127] = std::uint8_t(256 - sum % 256);
    return e;
}

inline std::string hex(const EdidBytes& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (auto b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

class FakeLinux {
public:
    FakeLinux() {
        std::filesystem::create_directories(sysfs() + "/class/drm");
        std::filesystem::create_directories(sysfs() + "/class/backlight");
        std::filesystem::create_directories(dev());
    }
    std::string sysfs() const { return dir_.file("sys"); }
    std::string dev() const { return dir_.file("dev"); }
    std::string root() const { return dir_.path().string(); }
    LinuxPaths paths() const { return {sysfs(), dev()}; }

    // An emulated monitor on /dev/i2c-N; `extra` holds more lines
    // ("strict", "fault nack", …).
    std::string addMonitor(int bus, const EdidBytes& edid, const std::string& extra = {},
                           const std::string& features = "vcp 10 50 100\n") {
        std::string text = edid.empty() ? std::string() : "edid " + hex(edid) + "\n";
        writeFile(device(bus), text + features + extra + "\n");
        return device(bus);
    }
    std::string device(int bus) const { return dev() + "/i2c-" + std::to_string(bus); }
    // The VCP values the emulated monitor was left with.
    std::map<int, int> values(int bus) const {
        std::map<int, int> v;
        std::istringstream in(readFile(device(bus) + ".vcp"));
        unsigned code = 0;
        int value = 0;
        while (in >> std::hex >> code >> std::dec >> value) v[int(code)] = value;
        return v;
    }

    enum class Bus { ddcLink, auxFolder, none };
    void addConnector(const std::string& folder, const EdidBytes& edid, int bus, Bus how = Bus::ddcLink,
                      const std::string& status = "connected") {
        std::string at = sysfs() + "/class/drm/" + folder;
        writeFile(at + "/status", status + "\n");
        writeFile(at + "/edid", std::string(edid.begin(), edid.end()));
        if (how == Bus::ddcLink) {
            std::string adapter = sysfs() + "/devices/i2c-" + std::to_string(bus);
            std::filesystem::create_directories(adapter);
            std::filesystem::create_directory_symlink(adapter, at + "/ddc");
        } else if (how == Bus::auxFolder) {
            std::filesystem::create_directories(at + "/i2c-" + std::to_string(bus));
        }
    }

    void addBacklight(const std::string& name, const std::string& type, const std::string& max, int actual) {
        std::string at = sysfs() + "/class/backlight/" + name;
        writeFile(at + "/type", type + "\n");
        writeFile(at + "/max_brightness", max + "\n");
        writeFile(at + "/actual_brightness", std::to_string(actual) + "\n");
        writeFile(at + "/brightness", std::to_string(actual) + "\n");
    }
    std::string backlightFile(const std::string& name, const std::string& file) const {
        return sysfs() + "/class/backlight/" + name + "/" + file;
    }

private:
    TempDir dir_;
};

}  // namespace vp::test
