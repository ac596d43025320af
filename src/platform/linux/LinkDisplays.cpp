#include "platform/linux/LinkDisplays.h"

#include "platform/linux/Edid.h"

#include <cstdio>

namespace vp {

namespace {

// Laid side by side at a nominal size: only the order means anything here.
constexpr double kNominalWidth = 1920, kNominalHeight = 1080;

std::string identityOf(const DrmLink& link) {
    auto info = parseEdid(link.edid);
    if (!info) return {};
    return std::to_string(info->vendor) + ":" + std::to_string(info->product) + ":" + std::to_string(info->serial) +
           ":" + info->serialText;
}

}  // namespace

DisplayID LinkDisplays::idFor(const DrmLink& link, bool twin) {
    std::string identity = identityOf(link);
    if (identity.empty() || twin) identity.append("@").append(link.key);
    // Non-zero and stable across runs: std::hash of a string is not.
    std::uint32_t h = 2166136261u;
    for (unsigned char c : identity) h = (h ^ c) * 16777619u;
    return h == 0 ? 1 : h;
}

LinkDisplays::LinkDisplays(std::vector<DrmLink> links) {
    std::map<std::string, int> seen;
    for (const DrmLink& link : links) ++seen[identityOf(link)];
    double x = 0;
    for (DrmLink& link : links) {
        const std::string identity = identityOf(link);
        Entry e;
        auto info = parseEdid(link.edid);
        e.name = info ? displayName(*info) : link.connector.value_or(link.key);
        if (info) {
            e.vendor = info->vendor;
            e.product = info->product;
            e.serial = info->serial;
        }
        e.bounds = {x, 0, kNominalWidth, kNominalHeight};
        x += kNominalWidth;
        DisplayID id = idFor(link, identity.empty() || seen[identity] > 1);
        e.link = std::move(link);
        if (entries_.emplace(id, std::move(e)).second) order_.push_back(id);
    }
}

std::optional<DrmLink> LinkDisplays::link(DisplayID id) const {
    const Entry* e = find(id);
    if (!e) return std::nullopt;
    return e->link;
}

const LinkDisplays::Entry* LinkDisplays::find(DisplayID id) const {
    auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second;
}

std::string LinkDisplays::name(DisplayID id) const {
    const Entry* e = find(id);
    return e ? e->name : std::string();
}

std::optional<DisplayID> LinkDisplays::displayOn(const std::string& connector) const {
    for (const auto& [id, e] : entries_)
        if (e.link.connector == connector) return id;
    return std::nullopt;
}

std::vector<DisplayID> LinkDisplays::onlineDisplays() { return order_; }

Rect LinkDisplays::bounds(DisplayID id) {
    const Entry* e = find(id);
    return e ? e->bounds : Rect{};
}

Location LinkDisplays::location(DisplayID id) {
    const Entry* e = find(id);
    return e && e->link.builtIn ? Location::builtIn : Location::external;
}

bool LinkDisplays::isMain(DisplayID id) { return !order_.empty() && order_.front() == id; }

std::uint32_t LinkDisplays::vendorNumber(DisplayID id) {
    const Entry* e = find(id);
    return e ? e->vendor : 0;
}

std::uint32_t LinkDisplays::modelNumber(DisplayID id) {
    const Entry* e = find(id);
    return e ? e->product : 0;
}

std::uint32_t LinkDisplays::serialNumber(DisplayID id) {
    const Entry* e = find(id);
    return e ? e->serial : 0;
}

std::optional<std::string> LinkDisplays::uuid(DisplayID id) {
    if (!find(id)) return std::nullopt;
    char text[40];
    std::snprintf(text, sizeof text, "00000000-0000-0000-0000-0000%08X", id);
    return std::string(text);
}

Status LinkDisplays::beginConfiguration(ConfigHandle& handle) {
    handle = 0;
    return kRefused;
}

}  // namespace vp
