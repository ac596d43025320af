#include "display/ModeOption.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

DisplayMode mode(std::int64_t w, std::int64_t h, std::int64_t pw, std::int64_t ph, double hz, std::uint64_t token = 0) {
    DisplayMode m;
    m.width = w;
    m.height = h;
    m.pixelWidth = pw;
    m.pixelHeight = ph;
    m.refresh = hz;
    m.token = token;
    return m;
}

std::vector<std::string> ids(const std::vector<ModeOption>& list) {
    std::vector<std::string> out;
    for (const auto& m : list) out.push_back(m.id);
    return out;
}

TEST(ModeOption, KeyAndLabel) {
    struct Row {
        DisplayMode mode;
        std::string key, label;
    };
    const Row rows[] = {
        {mode(1920, 1080, 3840, 2160, 60), "1920x1080@3840x2160@60", "1920 × 1080 · 60 Hz"},
        {mode(1512, 982, 3024, 1964, 0), "1512x982@3024x1964@0", "1512 × 982"},
        {mode(1920, 1080, 1920, 1080, 59.94), "1920x1080@1920x1080@60", "1920 × 1080 · 60 Hz"},
        {mode(1280, 720, 1280, 720, 59.5), "1280x720@1280x720@60", "1280 × 720 · 60 Hz"},
        {mode(1280, 720, 1280, 720, 29.49), "1280x720@1280x720@29", "1280 × 720 · 29 Hz"},
    };
    for (const auto& row : rows) {
        ModeOption option = ModeOption::from(row.mode);
        EXPECT_EQ(option.id, row.key);
        EXPECT_EQ(option.label(), row.label);
    }
}

TEST(ModeOption, SortedBySizeThenRateWithTiesInSystemOrderAndDuplicateRatesOnce) {
    DisplayMode unusable = mode(5120, 2880, 5120, 2880, 60);
    unusable.usableForDesktop = false;
    auto list = selectableModes({
        mode(2560, 1440, 2560, 1440, 60),
        mode(1920, 1080, 1920, 1080, 120),
        unusable,
        mode(1920, 1080, 3840, 2160, 60),
        mode(1920, 1080, 1920, 1080, 59.94, 1),
        mode(1920, 1080, 1920, 1080, 60, 2),  // the same rate rounded: the first listed stays
        mode(2560, 1440, 2560, 1440, 144),
    });
    EXPECT_EQ(ids(list), (std::vector<std::string>{"2560x1440@2560x1440@144", "2560x1440@2560x1440@60",
                                                   "1920x1080@1920x1080@120", "1920x1080@3840x2160@60",
                                                   "1920x1080@1920x1080@60"}));
    EXPECT_EQ(list.back().mode.token, 1u);
    EXPECT_DOUBLE_EQ(list.back().refresh, 59.94);
}

TEST(ModeOption, NativePixelSize) {
    DisplayMode flagged = mode(1920, 1080, 1920, 1080, 60);
    flagged.native = true;
    struct Row {
        const char* what;
        std::vector<DisplayMode> modes;
        Size expected;
    };
    const Row rows[] = {
        {"the flagged mode wins over a larger one",
         {mode(2560, 1440, 5120, 2880, 60), flagged, mode(1280, 720, 1280, 720, 60)},
         {1920, 1080}},
        {"without a flag the largest area",
         {mode(1280, 720, 1280, 720, 60), mode(1920, 1080, 3840, 2160, 60), mode(2560, 1440, 2560, 1440, 60)},
         {3840, 2160}},
        {"equal areas: the first",
         {mode(1, 1, 2000, 1000, 60), mode(1, 1, 1000, 2000, 60)},
         {2000, 1000}},
        {"no modes", {}, {0, 0}},
    };
    for (const auto& row : rows) EXPECT_EQ(nativePixelSize(row.modes), row.expected) << row.what;
}

}  // namespace
}  // namespace vp
