#include "app/presentation/CardModel.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vp {
namespace {

Screen makeScreen(DisplayID id, std::string name) {
    Screen s;
    s.id = id;
    s.name = std::move(name);
    s.isActive = true;
    s.bounds = {0, 0, 1920, 1080};
    s.refresh = 60;
    return s;
}

std::vector<std::string> badgeTexts(const CardModel& m) {
    std::vector<std::string> out;
    for (const auto& b : m.badges) out.push_back(b.text);
    return out;
}

// The facts of one screen of each kind, in the order: built-in, DDC monitor,
// monitor without DDC, switched off, HiDPI companion, own virtual, mirrored.
// What each kind's card offers is checked on the simulated system in
// CardFactsTest.
std::vector<CardFacts> kinds() {
    Screen builtin = makeScreen(1, "Built-in Retina Display");
    builtin.isBuiltin = true;
    builtin.isHiDPI = true;
    builtin.bounds = {0, 0, 1512, 982};
    builtin.refresh = 120;
    Screen ddc = makeScreen(2, "Lumina 27 4K");
    ddc.isMain = true;
    ddc.bounds = {0, 0, 3840, 2160};
    Screen plain = makeScreen(3, "Office 24");
    plain.refresh = 59.94;
    Screen off = makeScreen(4, "Sleeper");
    off.isActive = false;
    Screen companion = makeScreen(50, "Lumina HiDPI");
    companion.isOurVirtual = true;
    Screen ownVirtual = makeScreen(51, "Projector");
    ownVirtual.isOurVirtual = true;
    ownVirtual.refresh = 0;
    Screen mirrored = makeScreen(5, "Mirror Box");
    mirrored.mirrorOf = 2;
    std::vector<Screen> all = {builtin, ddc, plain, off, companion, ownVirtual, mirrored};

    auto facts = [&](const Screen& s) {
        CardFacts f;
        f.screen = s;
        f.screens = all;
        f.canDisable = true;
        f.inputChoices = {{0x0F, "DisplayPort 1"}, {0x11, "HDMI 1"}};
        return f;
    };
    CardFacts builtinF = facts(builtin);
    builtinF.method = BrightnessMethod::builtin;
    CardFacts ddcF = facts(ddc);
    ddcF.method = BrightnessMethod::ddc;
    ddcF.hasDDC = true;
    ddcF.volume = 0.3;
    ddcF.inputSource = 0x0F;
    ddcF.inputName = "DisplayPort 1";
    ddcF.canOfferHiDPI = true;
    CardFacts plainF = facts(plain);
    plainF.method = BrightnessMethod::software;
    plainF.canOfferHiDPI = true;
    CardFacts companionF = facts(companion);
    companionF.physical = ddc;
    companionF.ownSpec = VirtualSpec{};
    CardFacts ownF = facts(ownVirtual);
    ownF.ownSpec = VirtualSpec{};
    CardFacts mirroredF = facts(mirrored);

    return {builtinF, ddcF, plainF, facts(off), companionF, ownF, mirroredF};
}

std::vector<MoreAction> moreActions(const CardModel& m) {
    std::vector<MoreAction> out;
    for (const auto& item : m.more) out.push_back(item.action);
    return out;
}

TEST(CardModel, SymbolSubtitleNoteAndMirrorTargetsFollowTheKindOfScreen) {
    auto k = kinds();
    EXPECT_EQ(cardModel(k[0]).symbol, "laptopcomputer");
    EXPECT_EQ(cardModel(k[0]).subtitle, "1512 × 982 · 120 Hz");
    // Mirror targets are the other active, unmirrored screens.
    CardModel builtin = cardModel(k[0]);
    auto mirror =
        std::find_if(builtin.more.begin(), builtin.more.end(), [](auto& i) { return i.action == MoreAction::mirror; });
    ASSERT_NE(mirror, builtin.more.end());
    std::vector<DisplayID> ids;
    for (const Screen& t : mirror->targets) ids.push_back(t.id);
    EXPECT_EQ(ids, (std::vector<DisplayID>{2, 3, 50, 51}));
    EXPECT_EQ(cardModel(k[2]).subtitle, "1920 × 1080 · 60 Hz") << "59.94 Hz rounds";
    EXPECT_EQ(cardModel(k[3]).subtitle, "Off");
    EXPECT_EQ(cardModel(k[4]).symbol, "sparkles.rectangle.stack");
    EXPECT_EQ(cardModel(k[4]).hiDPINote, "HiDPI image sent to Lumina 27 4K. Pick the scale under Resolution.");
    EXPECT_FALSE(cardModel(k[4]).extras);
    EXPECT_EQ(cardModel(k[5]).subtitle, "1920 × 1080") << "no rate known";
}

TEST(CardModel, VirtualHiDPIOnMakesTheButtonPrimaryAndHidesMirroring) {
    CardFacts f = kinds()[1];
    f.hiDPIOn = true;
    f.screen.mirrorOf = 50;  // the monitor mirrors its companion
    CardModel m = cardModel(f);
    EXPECT_EQ(badgeTexts(m), (std::vector<std::string>{"Main", "Virtual HiDPI"}));
    EXPECT_TRUE(m.hiDPIButton);
    EXPECT_TRUE(m.hiDPIPrimary);
    EXPECT_EQ(m.hiDPISymbol, "checkmark.circle.fill");
    EXPECT_EQ(moreActions(m), std::vector<MoreAction>{MoreAction::disconnect});
}

// What the platform cannot do stays in view, disabled, with its reason.
TEST(CardModel, UnavailableAbilitiesAndSoftwareDimmingShowTheirReason) {
    CardFacts f = kinds()[2];  // a monitor without DDC
    f.canDisable = false;
    f.switchOffUnavailable = "Cannot switch screens off here";
    f.canOfferHiDPI = false;
    f.virtualDisplaysUnavailable = "No virtual screens here";
    CardModel m = cardModel(f);
    auto off = std::find_if(m.more.begin(), m.more.end(), [](auto& i) { return i.action == MoreAction::disconnect; });
    ASSERT_NE(off, m.more.end());
    EXPECT_EQ(off->unavailable, "Cannot switch screens off here");
    EXPECT_FALSE(m.hiDPIButton);
    EXPECT_EQ(m.hiDPIUnavailable, "No virtual screens here");

    CardModel builtin = cardModel([] {
        CardFacts b = kinds()[0];
        b.virtualDisplaysUnavailable = "No virtual screens here";
        return b;
    }());
    EXPECT_FALSE(builtin.hiDPIUnavailable) << "a built-in screen never offers HiDPI";
    for (const MoreItem& item : cardModel(kinds()[2]).more) EXPECT_TRUE(item.unavailable.empty());

    // Software dimming shows why only while it lasts.
    CardFacts plain = kinds()[2];
    EXPECT_FALSE(cardModel(plain).methodNote);
    plain.softwareReason = "twin";
    EXPECT_EQ(cardModel(plain).methodNote, "twin");
    plain.method = BrightnessMethod::ddc;
    EXPECT_FALSE(cardModel(plain).methodNote);
}

TEST(CardModel, InputAndProfileFacesAndChecks) {
    CardFacts f = kinds()[1];
    f.profilesAvailable = true;
    f.profiles = {{"sRGB", "/p/srgb.icc"}, {"Wide", "/p/wide.icc"}};
    f.profileName = "Wide";
    CardModel m = cardModel(f);
    EXPECT_EQ(m.inputFace, "Input: DisplayPort 1");
    ASSERT_EQ(m.inputs.size(), 2u);
    EXPECT_TRUE(m.inputs[0].checked);
    EXPECT_FALSE(m.inputs[1].checked);
    EXPECT_EQ(m.profileFace, "Color profile: Wide");
    EXPECT_FALSE(m.profiles[0].checked);
    EXPECT_TRUE(m.profiles[1].checked);

    f.inputSource.reset();
    f.inputName.reset();
    f.profileName.reset();
    m = cardModel(f);
    EXPECT_EQ(m.inputFace, "Input: —");
    EXPECT_EQ(m.profileFace, "Color profile: —");
    EXPECT_EQ(m.profileNote, std::nullopt);

    // Where profiles cannot be assigned the current one is still shown, with why.
    f.profilesAvailable = false;
    f.profilesUnavailable = "Assigning profiles needs colord";
    f.profileName = "Calibrated Studio";
    m = cardModel(f);
    EXPECT_FALSE(m.profileMenu);
    EXPECT_EQ(m.profileFace, "Color profile: Calibrated Studio");
    EXPECT_EQ(m.profileNote, "Assigning profiles needs colord");
}

TEST(CardModel, ModesSplitIntoHiDPIAndStandardKeepingOrder) {
    auto mode = [](std::string id, int w, int pw) {
        ModeOption o;
        o.id = std::move(id);
        o.width = w;
        o.pixelWidth = pw;
        return o;
    };
    CardFacts f = kinds()[2];
    f.modes = {mode("a", 1920, 1920), mode("b", 1280, 2560), mode("c", 1680, 1680)};
    f.currentModeID = "c";
    CardModel m = cardModel(f);
    ASSERT_EQ(m.hiDPIModes.size(), 1u);
    EXPECT_EQ(m.hiDPIModes[0].mode.id, "b");
    ASSERT_EQ(m.standardModes.size(), 2u);
    EXPECT_EQ(m.standardModes[0].mode.id, "a");
    EXPECT_TRUE(m.standardModes[1].checked);
    EXPECT_FALSE(m.standardModes[0].checked);
}

}  // namespace
}  // namespace vp
