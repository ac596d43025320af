#include "app/presentation/VirtualForm.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

const std::string kSizeMessage = "Use 640×360 up to 8192×8192.";

struct SizeCase {
    std::string width, height;
    bool enabled;                      // "Create" enabled
    std::optional<std::string> error;  // else the VirtualSpec is built
};

class VirtualFormSizes : public testing::TestWithParam<SizeCase> {};

TEST_P(VirtualFormSizes, EnablesCreateAndValidatesTheSize) {
    const SizeCase& c = GetParam();
    VirtualForm form;
    form.width = c.width;
    form.height = c.height;
    EXPECT_EQ(form.canCreate(), c.enabled);
    if (!c.enabled) return;
    auto result = form.build();
    if (c.error) {
        ASSERT_TRUE(std::holds_alternative<std::string>(result));
        EXPECT_EQ(std::get<std::string>(result), *c.error);
    } else {
        ASSERT_TRUE(std::holds_alternative<VirtualSpec>(result));
        const auto& spec = std::get<VirtualSpec>(result);
        EXPECT_EQ(spec.width, *parseWholeNumber(c.width));
        EXPECT_EQ(spec.height, *parseWholeNumber(c.height));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, VirtualFormSizes,
    testing::Values(SizeCase{"640", "360", true, {}}, SizeCase{"639", "360", true, kSizeMessage},
                    SizeCase{"640", "359", true, kSizeMessage}, SizeCase{"8192", "8192", true, {}},
                    SizeCase{"8193", "1080", true, kSizeMessage}, SizeCase{"1920", "8193", true, kSizeMessage},
                    SizeCase{"+1920", "1080", true, {}}, SizeCase{"-1920", "1080", true, kSizeMessage},
                    SizeCase{"1920px", "1080", false, {}}, SizeCase{"", "1080", false, {}},
                    SizeCase{"1920", " 1080", false, {}}, SizeCase{"+", "1080", false, {}},
                    SizeCase{"+-1920", "1080", false, {}}, SizeCase{"1920.0", "1080", false, {}},
                    SizeCase{"99999999999999999999", "1080", false, {}}));

TEST(VirtualForm, BlankNameFallsBackToTheSizeAndTheRowTruncatesTheRate) {
    for (std::string name : {"", "   ", " \t "}) {
        VirtualForm form;
        form.name = name;
        EXPECT_EQ(std::get<VirtualSpec>(form.build()).name, "Velvetpane 1920×1080");
    }
    VirtualForm form;
    form.name = "\t Projector A  ";
    form.hiDPI = true;
    form.refresh = 59.94;
    auto spec = std::get<VirtualSpec>(form.build());
    EXPECT_EQ(spec.name, "Projector A");
    EXPECT_TRUE(spec.hiDPI);
    EXPECT_EQ(spec.refresh, 59.94);
    EXPECT_TRUE(spec.enabled);
    EXPECT_EQ(virtualRowText(spec), "1920 × 1080 · 59 Hz") << "the rate truncated";
}

TEST(VirtualForm, PresetOverwritesTypedSizeButTheSamePresetDoesNot) {
    VirtualForm form;
    form.width = "1234";
    form.height = "777";
    form.choosePreset(Preset::fullHD());
    EXPECT_EQ(form.width, "1234");
    EXPECT_EQ(form.height, "777");

    form.choosePreset(Preset::all()[3]);
    EXPECT_EQ(form.width, "3840");
    EXPECT_EQ(form.height, "2160");
    form.width = "4000";
    form.choosePreset(Preset::all()[3]);
    EXPECT_EQ(form.width, "4000");
}

TEST(VirtualForm, EveryPresetFitsTheLimits) {
    for (const Preset& preset : Preset::all()) {
        VirtualForm form;
        form.choosePreset(preset);
        EXPECT_TRUE(std::holds_alternative<VirtualSpec>(form.build())) << preset.id;
    }
}

// The page names the platform's reason when it has one, and still warns when
// only the engine finds no way to make a virtual screen.
TEST(VirtualForm, NoticeSaysWhyVirtualScreensAreUnavailable) {
    const std::string headline = "This system doesn’t provide virtual screens.";
    EXPECT_EQ(virtualNotice(Ability::yes(), true), std::nullopt);
    EXPECT_EQ(virtualNotice(Ability::no("no screen casting"), true), (VirtualNotice{headline, "no screen casting"}));
    EXPECT_EQ(virtualNotice(Ability::no("no screen casting"), false), (VirtualNotice{headline, "no screen casting"}));
    EXPECT_EQ(virtualNotice(Ability::yes(), false), (VirtualNotice{headline, ""}));
}

}  // namespace
}  // namespace vp
