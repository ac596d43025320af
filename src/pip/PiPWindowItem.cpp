#include "pip/PiPWindowItem.h"

#include "util/Unicode.h"

#include <algorithm>

namespace vp {

namespace {
constexpr double kMinListedWidth = 120;
constexpr double kMinListedHeight = 80;
constexpr int kNormalWindowLayer = 0;
}  // namespace

std::string PiPWindowItem::label() const {
    if (title.empty()) return app;
    return app + " \u2014 " + title;
}

std::vector<PiPWindowItem> listableWindows(const std::vector<ShareableWindow>& windows, std::int64_t ownProcessID) {
    std::vector<PiPWindowItem> items;
    for (const ShareableWindow& w : windows) {
        if (w.windowLayer != kNormalWindowLayer) continue;
        if (w.frame.width <= kMinListedWidth || w.frame.height <= kMinListedHeight) continue;
        if (!w.ownerPID || *w.ownerPID == ownProcessID) continue;
        items.push_back({w.windowID, w.applicationName, w.title.value_or("")});
    }
    std::stable_sort(items.begin(), items.end(), [](const PiPWindowItem& a, const PiPWindowItem& b) {
        return unicode::localizedCaseInsensitiveCompare(a.label(), b.label()) < 0;
    });
    return items;
}

}  // namespace vp
