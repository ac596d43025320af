#pragma once
// What one screen card shows, decided without drawing: which rows, badges,
// menus and items, with their texts. The card view only lays this out and
// wires each control to the manager operation it names.

#include "app/presentation/Tint.h"
#include "display/ModeOption.h"
#include "display/Screen.h"
#include "display/ScreenPrefs.h"
#include "display/VirtualSpec.h"
#include "overlay/ColorProfiles.h"

#include <optional>
#include <string>
#include <vector>

namespace vp {

// Everything the card reads from the manager for one screen, gathered once
// per published change (see CardFacts.cpp).
struct CardFacts {
    Screen screen;
    std::vector<Screen> screens;  // the manager's whole list, for mirror targets
    double brightness = 1.0;
    std::optional<BrightnessMethod> method;
    std::optional<std::string> softwareReason;  // why it stays on software dimming
    ScreenPrefs prefs;
    bool hasDDC = false;
    std::optional<double> volume;
    std::optional<int> inputSource;
    std::optional<std::string> inputName;  // the current input's name, when known
    std::vector<std::pair<int, std::string>> inputChoices;
    bool supportsXDR = false;
    double xdrLevel = 0;
    bool canOfferHiDPI = false;
    bool hiDPIOn = false;
    std::optional<Screen> physical;  // set when the screen is a HiDPI companion
    bool pipOpen = false;
    bool canDisable = false;
    // Why the platform cannot switch screens off or make virtual screens;
    // empty when it can.
    std::string switchOffUnavailable;
    std::string virtualDisplaysUnavailable;
    std::optional<VirtualSpec> ownSpec;  // the virtual screen whose live display this is
    std::vector<ModeOption> modes;
    std::optional<std::string> currentModeID;
    bool profilesAvailable = false;
    std::string profilesUnavailable;  // why profiles cannot be assigned; empty when they can
    std::optional<std::string> profileName;
    std::vector<ICCProfile> profiles;
    bool volumeKeys = true;
};

struct BadgeModel {
    std::string text;
    Tint tint;
    bool operator==(const BadgeModel&) const = default;
};

struct ModeItem {
    ModeOption mode;
    bool checked = false;
};

struct ChoiceItem {
    int code = 0;
    std::string name;
    bool checked = false;
};

struct ProfileItem {
    ICCProfile profile;
    bool checked = false;
};

enum class MoreAction { makeMain, stopMirroring, mirror, disconnect, turnOffVirtual };

struct MoreItem {
    MoreAction action;
    std::string title;
    std::string symbol;
    bool dividerBefore = false;
    bool destructive = false;
    // Set when the platform cannot do this: the item is shown disabled,
    // with this reason beside it.
    std::string unavailable;
    std::vector<Screen> targets;  // the "Mirror" submenu
};

struct CardModel {
    // title row
    std::string symbol;
    std::string name;
    std::string subtitle;
    std::vector<BadgeModel> badges;
    bool expandButton = false;
    // rows below it
    bool reconnectRow = false;
    bool brightnessRow = false;
    double brightness = 1.0;
    std::string methodLabel;
    std::optional<std::string> methodNote;  // shown beside the label: why software dimming
    std::optional<std::string> hiDPINote;
    bool actionsRow = false;
    // extras (shown only while expanded)
    bool extras = false;
    double warmth = 0;
    double contrast = 0.5;
    std::optional<double> xdrLevel;
    std::optional<double> volume;  // the volume slider and the volume-keys switch
    bool volumeKeys = true;
    bool profileMenu = false;
    std::string profileFace;
    // Without the menu: the face is shown as text with why it cannot change.
    std::optional<std::string> profileNote;
    std::vector<ProfileItem> profiles;
    bool inputMenu = false;
    std::string inputFace;
    std::vector<ChoiceItem> inputs;
    bool softwareOnlySwitch = false;
    bool forceSoftware = false;
    // actions
    std::vector<ModeItem> hiDPIModes;
    std::vector<ModeItem> standardModes;
    bool hiDPIButton = false;
    // Why a monitor that could have a HiDPI screen cannot have one here.
    std::optional<std::string> hiDPIUnavailable;
    bool hiDPIPrimary = false;
    std::string hiDPISymbol;
    bool pipPrimary = false;
    std::vector<MoreItem> more;
};

class AppContext;
// Reads the facts of one screen from the manager and the shared services.
CardFacts cardFacts(AppContext& context, const Screen& screen);
CardModel cardModel(const CardFacts& facts);

// "1512 × 982 · 120 Hz", or the size alone when the rate is unknown.
std::string screenSubtitle(const Screen& screen);
std::string methodLabel(std::optional<BrightnessMethod> method);

}  // namespace vp
