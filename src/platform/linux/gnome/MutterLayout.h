#pragma once
// Edits of a monitors configuration, checked against mutter's current
// state, and the rules that make a layout one mutter accepts. Pure: no bus.
//
// mutter accepts a layout only when exactly one logical monitor is primary,
// the smallest x and y are 0, and the logical monitors touch one another
// without overlapping. A mirror group shows one picture, so all its monitors
// run modes of one size and its scale must be listed by each of them.

#include "platform/linux/gnome/MutterTypes.h"

#include <string>

namespace vp::gnome {

// The configuration that reproduces `state` as it is.
MonitorsConfig configFromState(const MutterState& state);

struct LogicalSize {
    std::int32_t width = 0, height = 0;
};
// The size a logical monitor takes in the layout: its mode turned by its
// transform, divided by its scale in the logical layout.
LogicalSize logicalSize(const LogicalConfig& lm, const MutterState& state);

// Each edit gives an error text, empty when it was made.
std::string setPrimary(MonitorsConfig& config, const std::string& connector);
std::string setMode(MonitorsConfig& config, const MutterState& state, const std::string& connector,
                    const std::string& modeId);
// An empty `master` makes the monitor stand on its own again.
std::string setMirror(MonitorsConfig& config, const MutterState& state, const std::string& connector,
                      const std::string& master);
std::string setEnabled(MonitorsConfig& config, const MutterState& state, const std::string& connector,
                       bool enabled);
// Only a scale the monitor's mode lists is taken.
std::string setScale(MonitorsConfig& config, const MutterState& state, const std::string& connector, double scale);
std::string setOrigin(MonitorsConfig& config, const std::string& connector, std::int32_t x, std::int32_t y);

// Makes the layout acceptable: one primary, origin at (0, 0), and, when the
// edits left gaps or overlaps, the logical monitors in one row in their
// left-to-right order.
void settleLayout(MonitorsConfig& config, const MutterState& state);

}  // namespace vp::gnome
