#include "app/presentation/PanelModel.h"

#include <gtest/gtest.h>

namespace vp {
namespace {

Screen screen(DisplayID id, bool active = true, bool ourVirtual = false) {
    Screen s;
    s.id = id;
    s.isActive = active;
    s.isOurVirtual = ourVirtual;
    return s;
}

TEST(PanelModel, CountsOnlyAdjustableScreensAndHidesTheSliderBelowTwo) {
    struct Case {
        std::vector<Screen> screens;
        std::string count;
        bool slider, scrolls;
    };
    const Case cases[] = {
        {{screen(1)}, "1 connected", false, false},
        {{screen(1), screen(2, false)}, "1 connected", false, false},
        {{screen(1), screen(9, true, true)}, "1 connected", false, false},
        {{screen(1), screen(2), screen(3)}, "3 connected", true, false},
        {{screen(1), screen(2), screen(3, false), screen(9, true, true)}, "2 connected", true, true},
        {{}, "0 connected", false, false},
    };
    for (const Case& c : cases) {
        PanelModel m = panelModel(c.screens, 0.5, std::nullopt);
        EXPECT_EQ(m.countText, c.count);
        EXPECT_EQ(m.allScreensSlider, c.slider) << c.count;
        EXPECT_EQ(m.scrolls, c.scrolls) << c.screens.size();
        EXPECT_FALSE(m.banner);
    }
    EXPECT_EQ(panelModel({}, 1, std::string("Boom")).banner, "Boom");
}

}  // namespace
}  // namespace vp
