#pragma once
// mutter's view of the displays, as its DisplayConfig interface reports it,
// and the configuration it accepts back. Plain data: reading and writing it
// on the bus lives in MutterWire, editing it in MutterLayout.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vp::gnome {

// mutter names a monitor by these four strings; the connector alone is
// unique within one state.
struct MonitorSpec {
    std::string connector, vendor, product, serial;
    bool operator==(const MonitorSpec&) const = default;
};

struct MutterMode {
    std::string id;  // what ApplyMonitorsConfig takes back
    std::int32_t width = 0, height = 0;  // pixels
    double refresh = 0;
    double preferredScale = 1;
    std::vector<double> scales;  // the only scales mutter accepts with this mode
    bool current = false, preferred = false;
    bool operator==(const MutterMode&) const = default;
};

struct MutterMonitor {
    MonitorSpec spec;
    std::vector<MutterMode> modes;
    bool builtin = false;
    std::string displayName;
    bool operator==(const MutterMonitor&) const = default;

    const MutterMode* currentMode() const;
    const MutterMode* preferredMode() const;
    const MutterMode* mode(const std::string& id) const;
};

// Transforms as mutter numbers them: 0-3 rotate by 90° steps, 4-7 flipped.
struct LogicalMonitor {
    std::int32_t x = 0, y = 0;
    double scale = 1;
    std::uint32_t transform = 0;
    bool primary = false;
    std::vector<MonitorSpec> monitors;  // several: they mirror one picture
    bool operator==(const LogicalMonitor&) const = default;
};

// In the logical layout a logical monitor measures its mode divided by its
// scale; in the physical one it measures the mode itself.
enum class LayoutMode : std::uint32_t { logical = 1, physical = 2 };

struct MutterState {
    std::uint32_t serial = 0;
    std::vector<MutterMonitor> monitors;
    std::vector<LogicalMonitor> logicalMonitors;
    LayoutMode layout = LayoutMode::logical;
    bool operator==(const MutterState&) const = default;

    const MutterMonitor* monitor(const std::string& connector) const;
    // The logical monitor showing `connector`, none when it is switched off.
    const LogicalMonitor* logicalFor(const std::string& connector) const;
};

// What ApplyMonitorsConfig takes: per logical monitor, the monitors and the
// mode id each shows.
struct MonitorChoice {
    std::string connector, modeId;
    bool operator==(const MonitorChoice&) const = default;
};

struct LogicalConfig {
    std::int32_t x = 0, y = 0;
    double scale = 1;
    std::uint32_t transform = 0;
    bool primary = false;
    std::vector<MonitorChoice> monitors;
    bool operator==(const LogicalConfig&) const = default;
};

struct MonitorsConfig {
    std::vector<LogicalConfig> logicalMonitors;
    bool operator==(const MonitorsConfig&) const = default;

    LogicalConfig* logicalFor(const std::string& connector);
    const LogicalConfig* logicalFor(const std::string& connector) const;
};

// ApplyMonitorsConfig's methods. Persistent asks gnome-shell for a
// confirmation that reverts after a while; we always apply temporarily and
// undo ourselves.
enum class ApplyMethod : std::uint32_t { verify = 0, temporary = 1, persistent = 2 };

}  // namespace vp::gnome
