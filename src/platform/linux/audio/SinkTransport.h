#pragma once
// Where a PipeWire sink plays, read from its properties. ALSA names a
// graphics card's audio "HDMI" whether the cable is HDMI or DisplayPort, so
// both read as HDMI unless something says DisplayPort outright.

#include "platform/Input.h"

#include <map>
#include <optional>
#include <string>

namespace vp::audio {

using Properties = std::map<std::string, std::string>;

AudioTransport transportOfSink(const Properties& sink);

// The sink's node name in a "default.audio.sink" value ({"name": "..."});
// none when the value is missing or not of that form.
std::optional<std::string> defaultSinkName(const char* value);

}  // namespace vp::audio
