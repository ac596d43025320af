#include "display/ConfigScenario.h"
#include "display/Gamma.h"
#include "support/HardwareHelpers.h"

namespace vp::test {
namespace {

constexpr DisplayID kPlain = 3;

TEST(Gamma, NeutralMeansFullDimNoWarmthMidContrastAndContrastPivotsAroundTheMiddle) {
    EXPECT_TRUE(Gamma::isNeutral(0.9995, 0.0009, 0.5009));
    EXPECT_FALSE(Gamma::isNeutral(0.998, 0, 0.5));
    EXPECT_FALSE(Gamma::isNeutral(1, 0.001, 0.5));

    // Contrast pivots around the middle.
    auto t = Gamma::compute(identityGamma(), 1, 0, 1);
    const double low = 0.5 - 0.5 / 1.4, high = 0.5 + 0.5 / 1.4;
    for (std::size_t i = 0; i < t.r.size(); ++i) {
        double x = double(i) / 255;
        if (x < low) {
            EXPECT_EQ(t.r[i], 0.0f) << i;
        } else if (x > high) {
            EXPECT_EQ(t.r[i], 1.0f) << i;
        } else {
            EXPECT_GT(t.r[i], 0.0f) << i;
            EXPECT_LT(t.r[i], 1.0f) << i;
        }
    }
    auto flat = Gamma::compute(identityGamma(), 0.5, 0, 0);
    EXPECT_FLOAT_EQ(flat.g.front(), 0.5f * 0.2f);
    EXPECT_FLOAT_EQ(flat.g.back(), 0.5f * 0.8f);
}

TEST(Gamma, SettingsNeverCompoundAndResetGivesTheProfileBack) {
    Started sim;
    auto& m = sim.manager();
    m.setWarmth(*m.screen(kPlain), 0.3);
    m.setContrast(*m.screen(kPlain), 0.7);
    m.setWarmth(*m.screen(kPlain), 0.6);
    EXPECT_EQ(gammaOf(*sim.platform, kPlain), Gamma::compute(identityGamma(), 1, 0.6, 0.7));

    m.resetColor(*m.screen(kPlain));
    EXPECT_EQ(gammaOf(*sim.platform, kPlain), identityGamma());
    EXPECT_EQ(m.prefsFor(*m.screen(kPlain)), (ScreenPrefs{1.0, 0.0, 0.5, false}));

    // Resetting a software screen's colour resets its brightness too; a
    // hardware-dimmed screen keeps its own.
    m.setBrightness(kPlain, 0.02);
    ASSERT_TRUE(shadeOf(*sim.platform, kPlain));
    m.resetColor(*m.screen(kPlain));
    EXPECT_EQ(m.state().brightness.at(kPlain), 1.0);
    EXPECT_FALSE(shadeOf(*sim.platform, kPlain));
    EXPECT_EQ(gammaOf(*sim.platform, kPlain), identityGamma());
    m.setBrightness(2, 0.1);
    m.setWarmth(*m.screen(2), 0.4);
    m.resetColor(*m.screen(2));
    EXPECT_NEAR(m.state().brightness.at(2), 0.1, 1e-12);
    EXPECT_NEAR(gammaOf(*sim.platform, 2).r.back(), std::pow(0.5, 1.6), 1e-6);
}

TEST(Gamma, CaptureIsTakenOnceAndForgottenOnRequest) {
    Started sim;
    Gamma& gamma = sim.context->gamma();
    SimDisplay& display = *sim.displays().find(kPlain);
    GammaTable profile = Gamma::compute(identityGamma(), 0.9, 0, 0.5);
    display.gamma = profile;

    gamma.apply(kPlain, 0.5, 0, 0.5);
    EXPECT_EQ(display.gamma, Gamma::compute(profile, 0.5, 0, 0.5));
    gamma.apply(kPlain, 0.8, 0, 0.5);
    EXPECT_EQ(display.gamma, Gamma::compute(profile, 0.8, 0, 0.5));
    gamma.restore(kPlain);
    EXPECT_EQ(display.gamma, profile);

    display.gamma = identityGamma();
    gamma.forget(kPlain);
    gamma.apply(kPlain, 0.5, 0, 0.5);
    EXPECT_EQ(display.gamma, Gamma::compute(identityGamma(), 0.5, 0, 0.5));

    gamma.restoreAll();
    EXPECT_TRUE(gamma.originals().empty());
    EXPECT_EQ(display.gamma, display.profileGamma);
}

// A display whose profile loaded a calibration: our changes go through it,
// and undoing them gives it back.
TEST(Gamma, AdjustmentsGoThroughTheCalibrationTheDisplayStartedWith) {
    auto r = [](double x) { return x * x; };
    auto g = [](double x) { return 0.05 + 0.9 * x; };
    auto b = [](double x) { return 1 - (1 - x) * (1 - x); };
    GammaTable calibration;
    for (int i = 0; i < 256; ++i) {
        double x = i / 255.0;
        calibration.r.push_back(float(r(x)));
        calibration.g.push_back(float(g(x)));
        calibration.b.push_back(float(b(x)));
    }
    Started sim;
    SimDisplay& display = *sim.displays().find(kPlain);
    display.gamma = display.profileGamma = calibration;
    auto& m = sim.manager();

    m.setWarmth(*m.screen(kPlain), 1);
    GammaTable warm = gammaOf(*sim.platform, kPlain);
    for (int i = 0; i < 256; i += 15) {
        double x = i / 255.0;
        EXPECT_NEAR(warm.r[std::size_t(i)], r(x), 1e-4) << i;
        EXPECT_NEAR(warm.g[std::size_t(i)], g(0.82 * x), 1e-4) << i;
        EXPECT_NEAR(warm.b[std::size_t(i)], b(0.5 * x), 1e-4) << i;
    }
    // Contrast clips the input level, so the calibration's own ends remain.
    m.setContrast(*m.screen(kPlain), 1);
    GammaTable strong = gammaOf(*sim.platform, kPlain);
    EXPECT_NEAR(strong.g.front(), g(0), 1e-6);
    EXPECT_NEAR(strong.r.back(), r(1), 1e-6);

    m.resetColor(*m.screen(kPlain));
    EXPECT_EQ(gammaOf(*sim.platform, kPlain), calibration);
}

// A display that will not give its table is left alone; a short one is
// captured and written at its own size.
TEST(Gamma, OddTablesAreHandledAsTheDisplayGivesThem) {
    auto scenario = defaultScenario();
    scenario["displays"][1]["gammaReadable"] = false;
    scenario["displays"][2]["gammaEntries"] = 16;
    Started sim(scenario);
    auto& m = sim.manager();
    m.setWarmth(*m.screen(2), 1);
    EXPECT_FALSE(sim.context->gamma().originals().contains(2));
    EXPECT_EQ(m.prefsFor(*m.screen(2)).warmth, 1);
    m.setBrightness(kPlain, 0.5);
    EXPECT_EQ(gammaOf(*sim.platform, kPlain).r.size(), 16u);
    EXPECT_FLOAT_EQ(gammaOf(*sim.platform, kPlain).r.back(), 0.5f);
}

TEST(Gamma, ReapplyRewritesOnlyScreensThatAreNotNeutral) {
    Started sim;
    auto& m = sim.manager();
    m.setWarmth(*m.screen(kPlain), 0.5);
    GammaTable warm = gammaOf(*sim.platform, kPlain);
    // Something else (a profile reload) puts the profile tables back.
    sim.displays().restoreGamma();
    sim.displays().find(2)->gamma = Gamma::compute(identityGamma(), 0.7, 0, 0.5);
    m.reapplyGamma();
    EXPECT_EQ(gammaOf(*sim.platform, kPlain), warm);
    EXPECT_EQ(gammaOf(*sim.platform, 2), Gamma::compute(identityGamma(), 0.7, 0, 0.5));
}

// The system puts the profile's tables back at a display change; only where
// the platform says the desktop may do so does the program write its own
// again afterwards.
TEST(Gamma, ADisplayChangeReappliesWhereTheDesktopMayOverwrite) {
    for (bool overwritten : {true, false}) {
        nlohmann::json scenario = defaultScenario();
        scenario["capabilities"] = {{"gammaOverwrittenByDesktop", overwritten}};
        Started sim(scenario);
        auto& m = sim.manager();
        m.setWarmth(*m.screen(kPlain), 0.5);
        GammaTable warm = gammaOf(*sim.platform, kPlain);
        SimDisplay& display = *sim.displays().find(kPlain);
        display.gamma = display.profileGamma;
        sim.displays().announce(kPlain);
        sim.idle();
        EXPECT_EQ(gammaOf(*sim.platform, kPlain), overwritten ? warm : display.profileGamma) << overwritten;
    }
}

// A compositing manager that stops while a screen is shaded would leave an
// opaque black window over it: the shade goes, and the gamma floor holds.
TEST(Gamma, AShadeGoesWhenTheSystemCanNoLongerBlendIt) {
    Started sim;
    auto& m = sim.manager();
    m.setBrightness(kPlain, 0.02);
    ASSERT_TRUE(shadeOf(*sim.platform, kPlain));

    sim.platform->simCapabilities.shade = Ability::no("no compositing manager");
    sim.platform->capabilitiesChanged();
    sim.idle();
    EXPECT_FALSE(shadeOf(*sim.platform, kPlain));
    EXPECT_NEAR(gammaOf(*sim.platform, kPlain).r.back(), DisplayManager::gammaFloor, 1e-6);
    m.setBrightness(kPlain, 0.01);
    EXPECT_FALSE(shadeOf(*sim.platform, kPlain));

    sim.platform->simCapabilities.shade = Ability::yes();
    sim.platform->capabilitiesChanged();
    sim.idle();
    EXPECT_TRUE(shadeOf(*sim.platform, kPlain));
}

}  // namespace
}  // namespace vp::test
