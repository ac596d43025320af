#pragma once
// The RandR state of one X screen as plain data, read in one go, and the
// pure rules over it: stable display ids, refresh rates, and the plan that
// turns wanted output placements into CRTC configurations.

#include "platform/Types.h"
#include "platform/linux/Edid.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vp::x11 {

using XId = std::uint32_t;

constexpr std::uint16_t kRotateNormal = 1;
constexpr std::uint16_t kRotate90 = 2, kRotate270 = 8;

struct RandrMode {
    XId id = 0;
    std::string name;
    int width = 0, height = 0;
    double refresh = 0;  // Hz, exact
};

struct RandrCrtc {
    XId id = 0;
    int x = 0, y = 0, width = 0, height = 0;  // width and height on the screen (rotation applied)
    XId mode = 0;                             // 0: off
    std::uint16_t rotation = kRotateNormal;
    std::vector<XId> outputs, possible;
    int gammaSize = 0;
};

struct RandrOutput {
    XId id = 0;
    std::string name;  // the connector: "DP-1", "eDP-1"
    bool connected = false;
    XId crtc = 0;
    std::vector<XId> crtcs, clones, modes;
    int preferredModes = 0;  // the first this many of `modes` are preferred
    int widthMM = 0, heightMM = 0;
    std::optional<EdidInfo> edid;
    std::vector<std::uint8_t> edidBytes;  // the block as the output gives it, for its digest
    bool edidBroken = false;    // a block was there but unusable
    std::string connectorType;  // the "ConnectorType" property, when given
    // Derived by assignDisplayIds().
    std::string key;
    DisplayID display = 0;
};

struct RandrScreen {
    XId root = 0;
    int width = 0, height = 0, widthMM = 0, heightMM = 0;
    int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
    XId primary = 0;
    std::uint32_t timestamp = 0, configTimestamp = 0;
    std::vector<RandrMode> modes;
    std::vector<RandrCrtc> crtcs;
    std::vector<RandrOutput> outputs;

    const RandrMode* mode(XId id) const;
    const RandrCrtc* crtc(XId id) const;
    const RandrOutput* output(XId id) const;
    const RandrOutput* outputForDisplay(DisplayID display) const;
};

// Exact refresh from the mode line, doubled for interlaced and halved for
// double-scanned modes (the RandR mode flag bits).
double modeRefresh(std::uint32_t dotClock, int hTotal, int vTotal, std::uint32_t flags);

// Gives every connected output a key and a display id that survive restarts
// and replugging: from the EDID's maker, product and serial (or serial text),
// plus the connector when two connected monitors would otherwise collide
// (identical units reporting serial 0). Without an EDID, from the connector.
void assignDisplayIds(std::vector<RandrOutput>& outputs);

// The preferred mode of an output: RandR's first preferred mode, else the
// one matching the EDID's preferred timing, else the largest.
XId nativeMode(const RandrScreen& screen, const RandrOutput& output);

bool isBuiltinConnector(const RandrOutput& output);

// Where one output should be: off (mode 0), or a mode at a position.
struct OutputTarget {
    XId mode = 0;
    int x = 0, y = 0;
    std::uint16_t rotation = kRotateNormal;
    bool operator==(const OutputTarget&) const = default;
};

struct CrtcConfig {
    XId mode = 0;
    int x = 0, y = 0;
    std::uint16_t rotation = kRotateNormal;
    std::vector<XId> outputs;
    bool operator==(const CrtcConfig&) const = default;
};

struct LayoutPlan {
    int width = 0, height = 0;
    std::map<XId, CrtcConfig> crtcs;  // every CRTC of the screen
    XId primary = 0;
};

// The current placement of every connected output.
std::map<XId, OutputTarget> currentTargets(const RandrScreen& screen);
CrtcConfig currentConfig(const RandrCrtc& crtc);

// Plans a layout: outputs with the same placement that one CRTC can drive
// share it (clones), outputs keep their CRTC where they can, the arrangement
// is moved so that it starts at (0, 0). An error text when it cannot be
// done (unknown mode, not enough CRTCs, larger than the screen may be).
std::variant<LayoutPlan, std::string> planLayout(const RandrScreen& screen, const std::map<XId, OutputTarget>& targets,
                                                 XId primary);

// Size on the screen of a mode under a rotation.
std::pair<int, int> rotatedSize(const RandrMode& mode, std::uint16_t rotation);

}  // namespace vp::x11
