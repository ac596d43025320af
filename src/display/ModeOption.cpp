#include "display/ModeOption.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace vp {

std::int64_t roundedRate(double refresh) {
    return std::isfinite(refresh) ? std::llround(refresh) : 0;
}

std::string modeKey(const DisplayMode& m) {
    return std::to_string(m.width) + "x" + std::to_string(m.height) + "@" + std::to_string(m.pixelWidth) + "x" +
           std::to_string(m.pixelHeight) + "@" + std::to_string(roundedRate(m.refresh));
}

ModeOption ModeOption::from(const DisplayMode& m) {
    return {modeKey(m), m, m.width, m.height, m.pixelWidth, m.pixelHeight, m.refresh};
}

std::string ModeOption::label() const {
    std::string text = std::to_string(width) + " \u00D7 " + std::to_string(height);
    if (refresh > 0) text += " \u00B7 " + std::to_string(roundedRate(refresh)) + " Hz";
    return text;
}

std::vector<ModeOption> selectableModes(const std::vector<DisplayMode>& all) {
    std::vector<ModeOption> list;
    std::set<std::string> seen;
    for (const DisplayMode& m : all) {
        if (!m.usableForDesktop) continue;
        ModeOption option = ModeOption::from(m);
        if (!seen.insert(option.id).second) continue;
        list.push_back(std::move(option));
    }
    std::stable_sort(list.begin(), list.end(), [](const ModeOption& a, const ModeOption& b) {
        if (a.width != b.width) return a.width > b.width;
        if (a.height != b.height) return a.height > b.height;
        return a.refresh > b.refresh;
    });
    return list;
}

Size nativePixelSize(const std::vector<DisplayMode>& all) {
    auto native = std::find_if(all.begin(), all.end(),
                               [](const DisplayMode& m) { return m.native; });
    if (native != all.end()) return {double(native->pixelWidth), double(native->pixelHeight)};
    const DisplayMode* largest = nullptr;
    for (const DisplayMode& m : all)
        if (!largest || m.pixelWidth * m.pixelHeight > largest->pixelWidth * largest->pixelHeight) largest = &m;
    return largest ? Size{double(largest->pixelWidth), double(largest->pixelHeight)} : Size{};
}

}  // namespace vp
