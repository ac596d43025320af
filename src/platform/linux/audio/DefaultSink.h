#pragma once
// Follows the desktop's default sound output through PipeWire (the sound
// server of current desktops, also behind their PulseAudio clients): the
// session manager keeps it in the "default" metadata as
// default.audio.sink, and the sink's node says where it plays. Runs on a
// PipeWire thread loop of its own; the answer is read from any thread.
//
// Without PipeWire, or before its first answer, where the sound plays is
// unknown. A PipeWire that goes away leaves it unknown until the program
// starts again.

#include "platform/Input.h"
#include "platform/Runtime.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vp::audio {

class DefaultSink {
public:
    // `remote`: the PipeWire socket to use; empty for the user's own
    // ($PIPEWIRE_REMOTE, else the runtime folder's pipewire-0).
    explicit DefaultSink(MainQueue& main, std::string remote = {});
    ~DefaultSink();
    DefaultSink(const DefaultSink&) = delete;
    DefaultSink& operator=(const DefaultSink&) = delete;

    std::optional<AudioTransport> transport() const;
    // `changed` runs on the main queue each time transport() changes.
    void watch(std::function<void()> changed);

    struct Impl;  // PipeWire's callbacks reach it

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace vp::audio
