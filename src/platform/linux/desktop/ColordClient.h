#pragma once
// The desktop's colour manager, colord, over the system bus: which of its
// devices is a display, the profiles a device can take, which one is its
// default, and making a profile the default. A display's device is found
// by the digest of its EDID, as the desktops file X11 and Wayland outputs,
// then by the output's name.
//
// Every call waits for colord at most a few seconds; a colord that is
// missing, slow or refuses (polkit) gives an empty answer or a problem text,
// never a hang or a crash.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

typedef struct sd_bus sd_bus;

namespace vp {

struct ColordDisplay {
    std::vector<std::uint8_t> edid;  // may be empty
    std::string outputName;          // "DP-1", "eDP-1"; may be empty
};

struct ColordProfile {
    std::string object;    // colord's object path
    std::string filename;  // empty for a profile colord made in memory
    std::string title;
};

class ColordClient {
public:
    // The system bus; `address` (a D-Bus address) instead, for test beds.
    explicit ColordClient(std::string address = {}, std::chrono::milliseconds timeout = std::chrono::seconds(3));
    ~ColordClient();
    ColordClient(const ColordClient&) = delete;
    ColordClient& operator=(const ColordClient&) = delete;

    // Empty when colord answers; otherwise why not, for the user.
    std::string problem();
    // colord's device object for the display; none when it has none.
    std::optional<std::string> device(const ColordDisplay& display);
    // The profiles the device takes, its default first.
    std::vector<ColordProfile> profiles(const std::string& device);
    // Adds the profile file to the device (for this user) and makes it the
    // default; empty on success, else what went wrong.
    std::string makeDefault(const std::string& device, const std::string& filename);
    // Takes a profile the user added off the device again.
    std::string remove(const std::string& device, const std::string& filename);

private:
    bool connect();
    std::optional<std::string> objectFor(const char* method, const std::string& a, const std::string* b);
    std::optional<std::string> profileFor(const std::string& filename, std::string& problem);
    std::string callDevice(const std::string& device, const char* method, const char* signature, const std::string& a,
                           const std::string* b);

    std::string address_;
    std::chrono::milliseconds timeout_;
    sd_bus* bus_ = nullptr;
    std::string connectProblem_;
};

}  // namespace vp
