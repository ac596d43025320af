#include "platform/linux/gnome/MutterLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vp::gnome {

namespace {

const char* const kNotConnected = "the display is no longer connected";

struct Box {
    std::int64_t x, y, w, h;
};

Box boxOf(const LogicalConfig& lm, const MutterState& state) {
    auto size = logicalSize(lm, state);
    return {lm.x, lm.y, size.width, size.height};
}

bool overlaps(const Box& a, const Box& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

// Sharing a stretch of edge, not only a corner.
bool touches(const Box& a, const Box& b) {
    bool sideBySide = (a.x + a.w == b.x || b.x + b.w == a.x) && a.y < b.y + b.h && b.y < a.y + a.h;
    bool stacked = (a.y + a.h == b.y || b.y + b.h == a.y) && a.x < b.x + b.w && b.x < a.x + a.w;
    return sideBySide || stacked;
}

bool acceptable(const std::vector<Box>& boxes) {
    for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = i + 1; j < boxes.size(); ++j)
            if (overlaps(boxes[i], boxes[j])) return false;
    if (boxes.empty()) return true;
    std::vector<bool> reached(boxes.size(), false);
    std::vector<std::size_t> todo{0};
    reached[0] = true;
    while (!todo.empty()) {
        std::size_t i = todo.back();
        todo.pop_back();
        for (std::size_t j = 0; j < boxes.size(); ++j)
            if (!reached[j] && touches(boxes[i], boxes[j])) {
                reached[j] = true;
                todo.push_back(j);
            }
    }
    return std::all_of(reached.begin(), reached.end(), [](bool r) { return r; });
}

const MutterMode* modeOf(const MutterState& state, const MonitorChoice& choice) {
    const MutterMonitor* monitor = state.monitor(choice.connector);
    return monitor ? monitor->mode(choice.modeId) : nullptr;
}

// mutter compares scales exactly: take the mode's own listed value.
std::optional<double> listedScale(const MutterMode& mode, double scale) {
    for (double s : mode.scales)
        if (std::abs(s - scale) < 1e-4) return s;
    return std::nullopt;
}

void removeMonitor(MonitorsConfig& config, const std::string& connector) {
    for (auto lm = config.logicalMonitors.begin(); lm != config.logicalMonitors.end(); ++lm) {
        auto& list = lm->monitors;
        auto it = std::find_if(list.begin(), list.end(), [&](const MonitorChoice& c) { return c.connector == connector; });
        if (it == list.end()) continue;
        list.erase(it);
        if (list.empty()) config.logicalMonitors.erase(lm);
        return;
    }
}

// A new logical monitor at the right end of the arrangement, level with its top.
void placeAlone(MonitorsConfig& config, const MutterState& state, const std::string& connector,
                const MutterMode& mode, double scale) {
    std::int64_t right = 0, top = std::numeric_limits<std::int32_t>::max();
    for (const auto& lm : config.logicalMonitors) {
        Box b = boxOf(lm, state);
        right = std::max(right, b.x + b.w);
        top = std::min(top, b.y);
    }
    LogicalConfig lm;
    lm.x = std::int32_t(right);
    lm.y = config.logicalMonitors.empty() ? 0 : std::int32_t(top);
    lm.scale = listedScale(mode, scale).value_or(mode.preferredScale);
    lm.monitors.push_back({connector, mode.id});
    config.logicalMonitors.push_back(lm);
}

const MutterMode* sameSizeMode(const MutterMonitor& monitor, const MutterMode& like) {
    const MutterMode* best = nullptr;
    for (const auto& m : monitor.modes) {
        if (m.width != like.width || m.height != like.height) continue;
        if (!best || std::abs(m.refresh - like.refresh) < std::abs(best->refresh - like.refresh)) best = &m;
    }
    return best;
}

std::string describe(const MutterMode& mode) {
    return std::to_string(mode.width) + "×" + std::to_string(mode.height);
}

}  // namespace

MonitorsConfig configFromState(const MutterState& state) {
    MonitorsConfig config;
    for (const auto& lm : state.logicalMonitors) {
        LogicalConfig out{lm.x, lm.y, lm.scale, lm.transform, lm.primary, {}};
        for (const auto& spec : lm.monitors) {
            const MutterMonitor* monitor = state.monitor(spec.connector);
            const MutterMode* mode = monitor ? monitor->currentMode() : nullptr;
            if (mode) out.monitors.push_back({spec.connector, mode->id});
        }
        if (!out.monitors.empty()) config.logicalMonitors.push_back(std::move(out));
    }
    return config;
}

LogicalSize logicalSize(const LogicalConfig& lm, const MutterState& state) {
    if (lm.monitors.empty()) return {};
    const MutterMode* mode = modeOf(state, lm.monitors.front());
    if (!mode) return {};
    double w = mode->width, h = mode->height;
    if (lm.transform % 2 == 1) std::swap(w, h);
    if (state.layout == LayoutMode::logical && lm.scale > 0) {
        w /= lm.scale;
        h /= lm.scale;
    }
    return {std::int32_t(std::lround(w)), std::int32_t(std::lround(h))};
}

std::string setPrimary(MonitorsConfig& config, const std::string& connector) {
    LogicalConfig* target = config.logicalFor(connector);
    if (!target) return "the display is switched off";
    for (auto& lm : config.logicalMonitors) lm.primary = &lm == target;
    return {};
}

std::string setMode(MonitorsConfig& config, const MutterState& state, const std::string& connector,
                    const std::string& modeId) {
    LogicalConfig* lm = config.logicalFor(connector);
    const MutterMonitor* monitor = state.monitor(connector);
    if (!monitor) return kNotConnected;
    if (!lm) return "the display is switched off";
    const MutterMode* mode = monitor->mode(modeId);
    if (!mode) return "the display has no such mode";
    for (auto& choice : lm->monitors) {
        if (choice.connector == connector) {
            choice.modeId = modeId;
            continue;
        }
        // The rest of a mirror group follows to a mode of the same size.
        const MutterMonitor* other = state.monitor(choice.connector);
        const MutterMode* like = other ? sameSizeMode(*other, *mode) : nullptr;
        if (!like) return choice.connector + " mirrors this display and has no " + describe(*mode) + " mode";
        choice.modeId = like->id;
    }
    lm->scale = listedScale(*mode, lm->scale).value_or(mode->preferredScale);
    return {};
}

std::string setMirror(MonitorsConfig& config, const MutterState& state, const std::string& connector,
                      const std::string& master) {
    const MutterMonitor* monitor = state.monitor(connector);
    LogicalConfig* own = config.logicalFor(connector);
    if (!monitor) return kNotConnected;
    if (!own) return "the display is switched off";
    if (master.empty()) {
        if (own->monitors.size() == 1) return {};
        auto choice = std::find_if(own->monitors.begin(), own->monitors.end(),
                                   [&](const MonitorChoice& c) { return c.connector == connector; });
        const MutterMode* mode = monitor->mode(choice->modeId);
        double scale = own->scale;
        removeMonitor(config, connector);
        if (!mode) return "the display has no such mode";
        placeAlone(config, state, connector, *mode, scale);
        return {};
    }
    if (master == connector) return "a display cannot mirror itself";
    LogicalConfig* group = config.logicalFor(master);
    if (!group) return "the display to mirror is switched off";
    if (group == own) return {};
    const MutterMode* masterMode = modeOf(state, *std::find_if(group->monitors.begin(), group->monitors.end(),
                                                                 [&](const MonitorChoice& c) { return c.connector == master; }));
    if (!masterMode) return "the display to mirror has no mode";
    const MutterMode* mode = sameSizeMode(*monitor, *masterMode);
    if (!mode) return "the display has no " + describe(*masterMode) + " mode to mirror with";
    bool wasPrimary = own->primary && own->monitors.size() == 1;
    removeMonitor(config, connector);
    group = config.logicalFor(master);  // removal may have moved it
    group->monitors.push_back({connector, mode->id});
    if (wasPrimary) group->primary = true;
    return {};
}

std::string setEnabled(MonitorsConfig& config, const MutterState& state, const std::string& connector,
                       bool enabled) {
    const MutterMonitor* monitor = state.monitor(connector);
    if (!monitor) return kNotConnected;
    bool on = config.logicalFor(connector) != nullptr;
    if (on == enabled) return {};
    if (!enabled) {
        std::size_t shown = 0;
        for (const auto& lm : config.logicalMonitors) shown += lm.monitors.size();
        if (shown == 1) return "the only display showing a picture cannot be switched off";
        removeMonitor(config, connector);
        return {};
    }
    const MutterMode* mode = monitor->preferredMode();
    if (!mode) return "the display has no mode";
    placeAlone(config, state, connector, *mode, mode->preferredScale);
    return {};
}

std::string setScale(MonitorsConfig& config, const MutterState& state, const std::string& connector, double scale) {
    LogicalConfig* lm = config.logicalFor(connector);
    if (!lm) return "the display is switched off";
    for (const auto& choice : lm->monitors) {
        const MutterMode* mode = modeOf(state, choice);
        auto listed = mode ? listedScale(*mode, scale) : std::nullopt;
        if (!listed) return "the display's mode does not allow that scale";
        lm->scale = *listed;
    }
    return {};
}

std::string setOrigin(MonitorsConfig& config, const std::string& connector, std::int32_t x, std::int32_t y) {
    LogicalConfig* lm = config.logicalFor(connector);
    if (!lm) return "the display is switched off";
    lm->x = x;
    lm->y = y;
    return {};
}

void settleLayout(MonitorsConfig& config, const MutterState& state) {
    auto& lms = config.logicalMonitors;
    if (lms.empty()) return;
    bool seen = false;
    for (auto& lm : lms) {
        lm.primary = lm.primary && !seen;
        seen = seen || lm.primary;
    }
    if (!seen) lms.front().primary = true;

    std::vector<Box> boxes;
    for (const auto& lm : lms) boxes.push_back(boxOf(lm, state));
    if (!acceptable(boxes)) {
        std::vector<std::size_t> order(lms.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return std::pair(boxes[a].x, boxes[a].y) < std::pair(boxes[b].x, boxes[b].y);
        });
        std::int64_t x = 0;
        for (std::size_t i : order) {
            lms[i].x = std::int32_t(x);
            lms[i].y = 0;
            x += boxes[i].w;
        }
    }
    std::int32_t minX = std::numeric_limits<std::int32_t>::max(), minY = minX;
    for (const auto& lm : lms) {
        minX = std::min(minX, lm.x);
        minY = std::min(minY, lm.y);
    }
    for (auto& lm : lms) {
        lm.x -= minX;
        lm.y -= minY;
    }
}

}  // namespace vp::gnome
