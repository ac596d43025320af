#include "platform/linux/gnome/GnomeInput.h"

namespace vp::gnome {

namespace {

struct Ours {
    Key key;
    const char* name;
    const char* url;
    const char* binding;
};

// GNOME keeps the brightness keys themselves, so ours sit on keys it leaves
// free by default.
constexpr Ours kOurs[] = {
    {Key::brightnessUp, "Velvetpane: brighter screens", "velvetpane://brightness?step=up", "<Control><Super>Up"},
    {Key::brightnessDown, "Velvetpane: darker screens", "velvetpane://brightness?step=down", "<Control><Super>Down"},
};

constexpr const char* kNoSchema = "GNOME's custom shortcuts are not available (gsettings or its media-keys schema is missing)";

}  // namespace

std::string readableBinding(const std::string& binding) {
    std::string out;
    std::size_t i = 0;
    while (i < binding.size() && binding[i] == '<') {
        std::size_t close = binding.find('>', i);
        if (close == std::string::npos) break;
        std::string modifier = binding.substr(i + 1, close - i - 1);
        out += (modifier == "Control" || modifier == "Primary" ? std::string("Ctrl") : modifier) + "+";
        i = close + 1;
    }
    return out + binding.substr(i);
}

GnomeDesktopShortcuts::GnomeDesktopShortcuts(std::string program, std::map<std::string, std::string> environment)
    : program_(std::move(program)), shortcuts_(std::move(environment)) {}

Ability GnomeDesktopShortcuts::ability() {
    return shortcuts_.available() ? Ability::yes() : Ability::no(kNoSchema);
}

std::vector<CustomShortcut> GnomeDesktopShortcuts::wanted() const {
    std::vector<CustomShortcut> list;
    for (const Ours& o : kOurs) list.push_back({o.name, urlCommand(program_, o.url), o.binding});
    return list;
}

std::vector<DesktopShortcut> GnomeDesktopShortcuts::installed() {
    std::vector<DesktopShortcut> list;
    for (const CustomShortcut& s : shortcuts_.ours())
        for (const Ours& o : kOurs)
            if (s.command.find(o.url) != std::string::npos) list.push_back({o.key, readableBinding(s.binding)});
    return list;
}

bool GnomeDesktopShortcuts::install(std::string& why) {
    return shortcuts_.install(wanted(), why);
}

bool GnomeDesktopShortcuts::remove(std::string& why) {
    return shortcuts_.remove(why);
}

}  // namespace vp::gnome
