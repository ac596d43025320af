#include "platform/linux/audio/SinkTransport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>

namespace vp::audio {

namespace {

std::string valueOf(const Properties& p, const char* key) {
    auto it = p.find(key);
    return it == p.end() ? std::string() : it->second;
}

std::string lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// The names a sink is known by, where a card profile or ALSA device shows.
std::string describingText(const Properties& p) {
    std::string text;
    for (const char* key : {"node.name", "node.description", "node.nick", "device.profile.name",
                            "device.profile.description", "api.alsa.path", "api.alsa.pcm.name"})
        text.append(lowered(valueOf(p, key))).append(" ");
    return text;
}

}  // namespace

AudioTransport transportOfSink(const Properties& sink) {
    const std::string name = valueOf(sink, "node.name");
    if (valueOf(sink, "device.api") == "bluez5" || name.starts_with("bluez_")) return AudioTransport::bluetooth;
    if (valueOf(sink, "device.bus") == "usb" || name.find(".usb-") != std::string::npos) return AudioTransport::usb;
    const std::string text = describingText(sink);
    if (text.find("hdmi") != std::string::npos) return AudioTransport::hdmi;
    if (text.find("displayport") != std::string::npos) return AudioTransport::displayPort;
    if (text.find("analog") != std::string::npos || text.find("speaker") != std::string::npos)
        return AudioTransport::builtIn;
    return AudioTransport::other;
}

std::optional<std::string> defaultSinkName(const char* value) {
    if (!value) return std::nullopt;
    auto json = nlohmann::json::parse(value, nullptr, false);
    if (!json.is_object() || !json.contains("name") || !json["name"].is_string()) return std::nullopt;
    return json["name"].get<std::string>();
}

}  // namespace vp::audio
