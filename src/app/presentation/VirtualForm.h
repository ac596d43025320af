#pragma once
// The creation form of the virtual-screen page: the typed texts, the preset
// picker and the rules that turn them into a VirtualSpec.

#include "display/VirtualSpec.h"
#include "platform/Capabilities.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vp {

class DisplayManager;

struct Preset {
    std::string id;  // also the text shown, in every language
    int w = 0;
    int h = 0;
    static const std::vector<Preset>& all();
    static const Preset& fullHD();
    bool operator==(const Preset&) const = default;
};

// A decimal integer with an optional leading sign and nothing else; none
// for any other text, or one that does not fit.
std::optional<std::int64_t> parseWholeNumber(std::string_view text);

struct VirtualForm {
    static constexpr std::int64_t minWidth = 640, minHeight = 360, maxSide = 8192;
    static const std::vector<double>& refreshChoices();  // 30, 60, 120 Hz

    std::string name;
    Preset preset = Preset::fullHD();
    std::string width = std::to_string(Preset::fullHD().w);
    std::string height = std::to_string(Preset::fullHD().h);
    bool hiDPI = false;
    double refresh = 60;

    // Picking another preset overwrites the typed size; the same one again
    // leaves it alone.
    void choosePreset(const Preset& chosen);
    bool canCreate() const;
    // The VirtualSpec to create, or the message for the error banner.
    std::variant<VirtualSpec, std::string> build() const;
    // build(), then either report the message or add the screen and clear
    // the name.
    void create(DisplayManager& manager);
};

// The page's notice when it cannot add virtual screens: a headline, and the
// platform's own reason beneath it when it gave one.
struct VirtualNotice {
    std::string headline;
    std::string reason;
    bool operator==(const VirtualNotice&) const = default;
};
// None when the platform offers virtual displays and the engine can make
// them; the engine may lack them even where the platform claims them.
std::optional<VirtualNotice> virtualNotice(const Ability& virtualDisplays, bool engineAvailable);

// "1920 × 1080 · 60 Hz": a created screen's row, the rate truncated.
std::string virtualRowText(const VirtualSpec& spec);

}  // namespace vp
