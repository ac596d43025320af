#pragma once
// What a test bed shows of the hardware behind the seam, for headless mode
// to print beside what the core knows. The simulated platform has it; a real
// platform does not, and headless mode then prints the core's view alone.

#include "platform/Displays.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vp {

struct MonitorInspection {
    struct Value {
        int current = 0;
        int max = 0;
    };
    std::map<std::uint8_t, Value> values;                 // by feature code
    std::vector<std::vector<std::uint8_t>> packets;        // as the monitor received them
};

struct DisplayInspection {
    DisplayID id = 0;
    GammaTable gamma;
    std::optional<double> shade;             // the opacity of its visible shade
    std::optional<double> backlight;         // the panel's backlight level
    std::optional<MonitorInspection> ddc;    // a monitor that speaks DDC/CI
    std::optional<std::string> profile;      // the assigned colour profile
    std::string colorSpace;
};

class Inspection {
public:
    virtual ~Inspection() = default;
    // Every display the system knows, connected or not.
    virtual std::vector<DisplayInspection> inspectDisplays() = 0;
};

}  // namespace vp
