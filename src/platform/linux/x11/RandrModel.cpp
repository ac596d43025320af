#include "platform/linux/x11/RandrModel.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace vp::x11 {

namespace {

// The RandR mode flag bits that change the frame rate.
constexpr std::uint32_t kModeInterlace = 1u << 4, kModeDoubleScan = 1u << 5;

std::uint32_t fnv1a(const std::string& text) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : text) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

std::string edidKey(const EdidInfo& e) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s-%04x-", e.manufacturer.c_str(), unsigned(e.product));
    std::string serial = e.serial != 0 ? std::to_string(e.serial) : e.serialText.empty() ? "0" : e.serialText;
    return buffer + serial;
}

template <typename T>
const T* byId(const std::vector<T>& list, XId id) {
    for (const auto& item : list)
        if (item.id == id) return &item;
    return nullptr;
}

bool contains(const std::vector<XId>& list, XId id) {
    return std::find(list.begin(), list.end(), id) != list.end();
}

// Outputs that one CRTC can drive together: each a clone of the others and
// a CRTC they all may use.
std::vector<XId> sharedCrtcs(const RandrScreen& screen, const std::vector<XId>& outputs) {
    std::vector<XId> shared;
    const RandrOutput* first = screen.output(outputs.front());
    for (XId crtc : first->crtcs) {
        bool all = true;
        for (XId o : outputs) all = all && contains(screen.output(o)->crtcs, crtc);
        if (all) shared.push_back(crtc);
    }
    for (std::size_t i = 0; i < outputs.size(); ++i)
        for (std::size_t j = i + 1; j < outputs.size(); ++j)
            if (!contains(screen.output(outputs[i])->clones, outputs[j])) return {};
    return shared;
}

struct Group {
    OutputTarget target;
    std::vector<XId> outputs;
    XId crtc = 0;
};

std::vector<Group> groupOutputs(const RandrScreen& screen, const std::map<XId, OutputTarget>& targets) {
    std::vector<Group> groups;
    for (const auto& [output, target] : targets) {
        if (target.mode == 0) continue;
        bool placed = false;
        for (auto& g : groups) {
            if (!(g.target == target)) continue;
            auto members = g.outputs;
            members.push_back(output);
            if (sharedCrtcs(screen, members).empty()) continue;
            g.outputs = std::move(members);
            placed = true;
            break;
        }
        if (!placed) groups.push_back({target, {output}, 0});
    }
    return groups;
}

std::optional<std::string> assignCrtcs(const RandrScreen& screen, std::vector<Group>& groups) {
    std::set<XId> taken;
    // First keep the CRTC a member already has, so that unchanged outputs
    // are not touched at all.
    for (auto& g : groups) {
        auto shared = sharedCrtcs(screen, g.outputs);
        for (XId o : g.outputs) {
            XId current = screen.output(o)->crtc;
            if (current && !taken.count(current) && contains(shared, current)) {
                g.crtc = current;
                taken.insert(current);
                break;
            }
        }
    }
    for (auto& g : groups) {
        if (g.crtc) continue;
        for (XId crtc : sharedCrtcs(screen, g.outputs)) {
            // A CRTC another output still uses is free only if no group kept it.
            if (taken.count(crtc)) continue;
            g.crtc = crtc;
            taken.insert(crtc);
            break;
        }
        if (!g.crtc) return "no free CRTC can drive " + screen.output(g.outputs.front())->name;
    }
    return std::nullopt;
}

}  // namespace

const RandrMode* RandrScreen::mode(XId id) const {
    return byId(modes, id);
}

const RandrCrtc* RandrScreen::crtc(XId id) const {
    return byId(crtcs, id);
}

const RandrOutput* RandrScreen::output(XId id) const {
    return byId(outputs, id);
}

const RandrOutput* RandrScreen::outputForDisplay(DisplayID display) const {
    for (const auto& o : outputs)
        if (o.connected && o.display == display) return &o;
    return nullptr;
}

double modeRefresh(std::uint32_t dotClock, int hTotal, int vTotal, std::uint32_t flags) {
    double lines = double(vTotal);
    if (flags & kModeDoubleScan) lines *= 2;
    if (flags & kModeInterlace) lines /= 2;
    if (hTotal <= 0 || lines <= 0) return 0;
    return double(dotClock) / (double(hTotal) * lines);
}

void assignDisplayIds(std::vector<RandrOutput>& outputs) {
    std::map<std::string, int> count;
    for (auto& o : outputs) {
        o.key = o.edid ? edidKey(*o.edid) : "connector:" + o.name;
        if (o.connected) ++count[o.key];
    }
    std::set<DisplayID> used;
    for (auto& o : outputs) {
        if (o.connected && count[o.key] > 1) o.key += "@" + o.name;
        DisplayID id = fnv1a(o.key);
        while (id == 0 || used.count(id)) ++id;
        used.insert(id);
        o.display = id;
    }
}

XId nativeMode(const RandrScreen& screen, const RandrOutput& output) {
    if (output.preferredModes > 0 && !output.modes.empty()) return output.modes.front();
    if (output.edid && output.edid->preferred) {
        const EdidTiming& t = *output.edid->preferred;
        const RandrMode* best = nullptr;
        for (XId id : output.modes) {
            const RandrMode* m = screen.mode(id);
            if (!m || m->width != t.width || m->height != t.height) continue;
            if (!best || std::abs(m->refresh - t.refresh) < std::abs(best->refresh - t.refresh)) best = m;
        }
        if (best) return best->id;
    }
    const RandrMode* largest = nullptr;
    for (XId id : output.modes) {
        const RandrMode* m = screen.mode(id);
        if (!m) continue;
        if (!largest || std::int64_t(m->width) * m->height > std::int64_t(largest->width) * largest->height ||
            (m->width == largest->width && m->height == largest->height && m->refresh > largest->refresh))
            largest = m;
    }
    return largest ? largest->id : 0;
}

bool isBuiltinConnector(const RandrOutput& output) {
    std::string upper;
    for (char c : output.name) upper.push_back(char(std::toupper(static_cast<unsigned char>(c))));
    for (const char* prefix : {"EDP", "LVDS", "DSI"})
        if (upper.rfind(prefix, 0) == 0) return true;
    return output.connectorType == "Panel";
}

std::pair<int, int> rotatedSize(const RandrMode& mode, std::uint16_t rotation) {
    if (rotation & (kRotate90 | kRotate270)) return {mode.height, mode.width};
    return {mode.width, mode.height};
}

CrtcConfig currentConfig(const RandrCrtc& crtc) {
    if (crtc.mode == 0) return {};
    CrtcConfig config{crtc.mode, crtc.x, crtc.y, crtc.rotation, crtc.outputs};
    std::sort(config.outputs.begin(), config.outputs.end());
    return config;
}

std::map<XId, OutputTarget> currentTargets(const RandrScreen& screen) {
    std::map<XId, OutputTarget> targets;
    for (const auto& o : screen.outputs) {
        if (!o.connected && !o.crtc) continue;
        const RandrCrtc* crtc = o.crtc ? screen.crtc(o.crtc) : nullptr;
        targets[o.id] = crtc && crtc->mode ? OutputTarget{crtc->mode, crtc->x, crtc->y, crtc->rotation} : OutputTarget{};
    }
    return targets;
}

std::variant<LayoutPlan, std::string> planLayout(const RandrScreen& screen, const std::map<XId, OutputTarget>& wanted,
                                                 XId primary) {
    std::map<XId, OutputTarget> targets = wanted;
    int minX = 0, minY = 0;
    bool any = false;
    for (const auto& [id, t] : targets) {
        if (t.mode == 0) continue;
        const RandrOutput* o = screen.output(id);
        if (!o) return "there is no output " + std::to_string(id);
        if (!contains(o->modes, t.mode) || !screen.mode(t.mode)) return o->name + " cannot show that mode";
        minX = any ? std::min(minX, t.x) : t.x;
        minY = any ? std::min(minY, t.y) : t.y;
        any = true;
    }
    if (!any) return std::string("that would switch every screen off");
    for (auto& [id, t] : targets) {
        t.x -= minX;
        t.y -= minY;
    }

    auto groups = groupOutputs(screen, targets);
    if (auto error = assignCrtcs(screen, groups)) return *error;

    LayoutPlan plan;
    for (const auto& c : screen.crtcs) plan.crtcs[c.id] = {};
    for (const auto& g : groups) {
        auto [w, h] = rotatedSize(*screen.mode(g.target.mode), g.target.rotation);
        plan.width = std::max(plan.width, g.target.x + w);
        plan.height = std::max(plan.height, g.target.y + h);
        plan.crtcs[g.crtc] = {g.target.mode, g.target.x, g.target.y, g.target.rotation, g.outputs};
        std::sort(plan.crtcs[g.crtc].outputs.begin(), plan.crtcs[g.crtc].outputs.end());
    }
    if (screen.maxWidth > 0 && (plan.width > screen.maxWidth || plan.height > screen.maxHeight))
        return "the arrangement is larger than the screen may be (" + std::to_string(screen.maxWidth) + "x" +
               std::to_string(screen.maxHeight) + ")";
    plan.width = std::max(plan.width, screen.minWidth);
    plan.height = std::max(plan.height, screen.minHeight);

    auto enabled = [&](XId id) {
        auto it = targets.find(id);
        return it != targets.end() && it->second.mode != 0;
    };
    plan.primary = primary;
    if (primary != 0 && !enabled(primary)) {
        // The main screen went off: the one at the arrangement's origin
        // takes over, else the first one still on.
        plan.primary = 0;
        for (const auto& [id, t] : targets) {
            if (!t.mode) continue;
            if (!plan.primary || (t.x == 0 && t.y == 0)) plan.primary = id;
            if (t.x == 0 && t.y == 0) break;
        }
    }
    return plan;
}

}  // namespace vp::x11
