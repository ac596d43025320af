#include "app/presentation/VirtualForm.h"

#include "app/I18n.h"
#include "app/PlatformTexts.h"

#include <charconv>

namespace vp {

const std::vector<Preset>& Preset::all() {
    static const std::vector<Preset> presets = {
        {"HD 720p", 1280, 720},       {"Full HD 1080p", 1920, 1080},        {"QHD 1440p", 2560, 1440},
        {"4K UHD", 3840, 2160},       {"4K DCI", 4096, 2160},               {"5K", 5120, 2880},
        {"Ultrawide 3440×1440", 3440, 1440}, {"Vertical 1080×1920", 1080, 1920}, {"Projetor 1920×1200", 1920, 1200},
    };
    return presets;
}

const Preset& Preset::fullHD() {
    return all()[1];
}

std::optional<std::int64_t> parseWholeNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return negative ? -value : value;
}

const std::vector<double>& VirtualForm::refreshChoices() {
    static const std::vector<double> choices = {30, 60, 120};
    return choices;
}

void VirtualForm::choosePreset(const Preset& chosen) {
    if (chosen == preset) return;
    preset = chosen;
    width = std::to_string(chosen.w);
    height = std::to_string(chosen.h);
}

bool VirtualForm::canCreate() const {
    return parseWholeNumber(width) && parseWholeNumber(height);
}

namespace {
std::string trimmed(const std::string& text) {
    auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}
}  // namespace

std::variant<VirtualSpec, std::string> VirtualForm::build() const {
    auto w = parseWholeNumber(width);
    auto h = parseWholeNumber(height);
    if (!w || !h || *w < minWidth || *w > maxSide || *h < minHeight || *h > maxSide)
        return L("Use de 640×360 até 8192×8192.");
    VirtualSpec spec;
    spec.name = trimmed(name);
    if (spec.name.empty()) spec.name = "Velvetpane " + std::to_string(*w) + "×" + std::to_string(*h);
    spec.width = *w;
    spec.height = *h;
    spec.hiDPI = hiDPI;
    spec.refresh = refresh;
    spec.enabled = true;
    return spec;
}

std::optional<VirtualNotice> virtualNotice(const Ability& virtualDisplays, bool engineAvailable) {
    if (virtualDisplays && engineAvailable) return std::nullopt;
    return VirtualNotice{L("Este sistema não oferece telas virtuais."), LR(virtualDisplays.reason)};
}

std::string virtualRowText(const VirtualSpec& spec) {
    return std::to_string(spec.width) + " × " + std::to_string(spec.height) + " · " +
           std::to_string(std::int64_t(spec.refresh)) + " Hz";
}

}  // namespace vp
