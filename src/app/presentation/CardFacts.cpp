#include "app/presentation/CardModel.h"

#include "app/AppContext.h"
#include "app/PlatformTexts.h"
#include "display/DisplayManager.h"
#include "display/InputSources.h"
#include "display/VirtualEngine.h"
#include "input/BrightnessKeys.h"

namespace vp {

namespace {
template <typename Map>
std::optional<typename Map::mapped_type> lookup(const Map& map, DisplayID id) {
    auto it = map.find(id);
    if (it == map.end()) return std::nullopt;
    return it->second;
}
}  // namespace

CardFacts cardFacts(AppContext& context, const Screen& screen) {
    DisplayManager& dm = context.displayManager();
    Platform& platform = context.platform();
    const DisplayID id = screen.id;
    CardFacts f;
    f.screen = screen;
    f.screens = dm.state().screens;
    f.brightness = lookup(dm.state().brightness, id).value_or(1.0);
    f.method = lookup(dm.state().method, id);
    f.softwareReason = lookup(dm.state().softwareReason, id);
    f.prefs = dm.prefsFor(screen);
    f.hasDDC = dm.hasDDC(id);
    f.volume = lookup(dm.state().volume, id);
    f.inputSource = lookup(dm.state().inputSource, id);
    if (f.inputSource) f.inputName = InputSources::name(*f.inputSource);
    for (const InputSource& source : InputSources::all()) f.inputChoices.emplace_back(source.code, source.name);
    f.supportsXDR = dm.supportsXDR(screen);
    f.xdrLevel = lookup(dm.state().xdrLevel, id).value_or(0.0);
    f.canOfferHiDPI = dm.canOfferHiDPI(screen);
    f.hiDPIOn = dm.hiDPIOn(screen);
    if (screen.isOurVirtual) f.physical = dm.physicalForHiDPI(id);
    f.pipOpen = dm.state().pipOpen.contains(id);
    f.canDisable = dm.canDisable();
    f.switchOffUnavailable = LR(platform.capabilities().switchOff.reason);
    f.virtualDisplaysUnavailable = LR(platform.capabilities().virtualDisplays.reason);
    for (const VirtualSpec& spec : dm.state().specs)
        if (context.virtualEngine().displayID(spec.id) == id) f.ownSpec = spec;
    if (screen.isActive) {
        f.modes = dm.modes(id);
        f.currentModeID = dm.currentModeID(id);
    }
    f.profilesUnavailable = LR(platform.profiles().assignmentProblem());
    f.profilesAvailable = f.profilesUnavailable.empty();
    f.profileName = ColorProfiles::currentName(platform, id);
    f.profiles = dm.iccProfiles(id);
    f.volumeKeys = context.keys().volumeEnabled();
    return f;
}

}  // namespace vp
