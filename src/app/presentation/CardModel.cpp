#include "app/presentation/CardModel.h"

#include "app/I18n.h"

#include <cmath>

namespace vp {

namespace {

bool isCompanion(const CardFacts& f) {
    return f.screen.isOurVirtual && f.physical.has_value();
}

std::string tileSymbol(const Screen& s) {
    if (s.isOurVirtual) return "sparkles.rectangle.stack";
    return s.isBuiltin ? "laptopcomputer" : "display";
}

std::vector<BadgeModel> badges(const CardFacts& f) {
    const Screen& s = f.screen;
    std::vector<BadgeModel> out;
    if (s.isMain) out.push_back({L("Principal"), Tint::primary});
    if (s.isHiDPI) out.push_back({"HiDPI", Tint::glow});
    if (f.hiDPIOn) out.push_back({L("HiDPI virtual"), Tint::glow});
    if (s.isOurVirtual && !f.physical) out.push_back({L("Virtual"), Tint::warm});
    if (s.mirrorOf && !f.hiDPIOn) out.push_back({L("Espelho"), Tint::muted});
    return out;
}

std::vector<Screen> mirrorTargets(const CardFacts& f) {
    std::vector<Screen> out;
    for (const Screen& other : f.screens)
        if (other.id != f.screen.id && other.isActive && !other.mirrorOf) out.push_back(other);
    return out;
}

MoreItem item(MoreAction action, std::string title, std::string symbol, bool dividerBefore = false) {
    MoreItem out;
    out.action = action;
    out.title = std::move(title);
    out.symbol = std::move(symbol);
    out.dividerBefore = dividerBefore;
    return out;
}

std::vector<MoreItem> moreItems(const CardFacts& f) {
    const Screen& s = f.screen;
    std::vector<MoreItem> out;
    if (!s.isMain) out.push_back(item(MoreAction::makeMain, L("Definir como principal"), "menubar.rectangle"));
    if (s.mirrorOf && !f.hiDPIOn)
        out.push_back(item(MoreAction::stopMirroring, L("Parar espelhamento"), "rectangle.split.2x1"));
    if (!s.mirrorOf && !f.hiDPIOn)
        if (auto targets = mirrorTargets(f); !targets.empty()) {
            out.push_back(item(MoreAction::mirror, L("Espelhar"), "rectangle.on.rectangle"));
            out.back().targets = std::move(targets);
        }
    if (!s.isOurVirtual && (f.canDisable || !f.switchOffUnavailable.empty())) {
        out.push_back(item(MoreAction::disconnect, L("Desligar tela"), "power", true));
        out.back().destructive = true;
        if (!f.canDisable) out.back().unavailable = f.switchOffUnavailable;
    }
    if (s.isOurVirtual && !isCompanion(f) && f.ownSpec)
        out.push_back(item(MoreAction::turnOffVirtual, L("Desativar tela virtual"), "eye.slash", true));
    return out;
}

void fillModes(const CardFacts& f, CardModel& m) {
    for (const ModeOption& mode : f.modes) {
        ModeItem item{mode, f.currentModeID == mode.id};
        (mode.hiDPI() ? m.hiDPIModes : m.standardModes).push_back(std::move(item));
    }
}

void fillExtras(const CardFacts& f, CardModel& m) {
    m.warmth = f.prefs.warmth;
    m.contrast = f.prefs.contrast;
    if (f.supportsXDR) m.xdrLevel = f.xdrLevel;
    if (f.hasDDC && f.volume) m.volume = *f.volume;
    m.volumeKeys = f.volumeKeys;

    m.profileMenu = f.profilesAvailable;
    m.profileFace = L("Perfil de cor") + ": " + f.profileName.value_or("—");
    if (!f.profilesAvailable) m.profileNote = f.profilesUnavailable;
    for (const ICCProfile& p : f.profiles) m.profiles.push_back({p, f.profileName == p.name});

    m.inputMenu = f.hasDDC;
    for (const auto& [code, name] : f.inputChoices) m.inputs.push_back({code, name, f.inputSource == code});
    m.inputFace = L("Entrada") + ": " + f.inputName.value_or("—");

    m.softwareOnlySwitch = !f.screen.isBuiltin;
    m.forceSoftware = f.prefs.forceSoftware;
}

}  // namespace

std::string screenSubtitle(const Screen& s) {
    if (!s.isActive) return L("Desligada");
    std::string text = std::to_string(std::int64_t(s.bounds.width)) + " × " + std::to_string(std::int64_t(s.bounds.height));
    if (s.refresh > 0) text += " · " + std::to_string(std::llround(s.refresh)) + " Hz";
    return text;
}

std::string methodLabel(std::optional<BrightnessMethod> method) {
    if (method == BrightnessMethod::builtin) return L("Interno");
    if (method == BrightnessMethod::ddc) return "DDC";
    return L("Software");
}

CardModel cardModel(const CardFacts& f) {
    const Screen& s = f.screen;
    CardModel m;
    m.symbol = tileSymbol(s);
    m.name = s.name;
    m.subtitle = screenSubtitle(s);
    m.badges = badges(f);
    m.expandButton = s.isActive && !s.isOurVirtual;
    if (!s.isActive) {
        m.reconnectRow = true;
        return m;
    }
    m.brightnessRow = !s.isOurVirtual;
    m.brightness = f.brightness;
    m.methodLabel = methodLabel(f.method);
    if (f.method.value_or(BrightnessMethod::software) == BrightnessMethod::software) m.methodNote = f.softwareReason;
    if (isCompanion(f))
        m.hiDPINote = LF("Imagem HiDPI enviada para %@. Escolha a escala em Resolução.", {f.physical->name});
    m.extras = !s.isOurVirtual;
    if (m.extras) fillExtras(f, m);

    m.actionsRow = true;
    fillModes(f, m);
    m.hiDPIButton = (f.canOfferHiDPI && !s.isHiDPI) || f.hiDPIOn;
    if (!m.hiDPIButton && !s.isBuiltin && !s.isOurVirtual && !s.isHiDPI && !f.virtualDisplaysUnavailable.empty())
        m.hiDPIUnavailable = f.virtualDisplaysUnavailable;
    m.hiDPIPrimary = f.hiDPIOn;
    m.hiDPISymbol = f.hiDPIOn ? "checkmark.circle.fill" : "circle.dotted";
    m.pipPrimary = f.pipOpen;
    m.more = moreItems(f);
    return m;
}

}  // namespace vp
