#pragma once
// A private PipeWire with two sinks a desktop might have, a monitor's HDMI
// output and the built-in analog one, and the "default" metadata where the
// session manager would keep the default sink. Nothing of the developer's
// own sound is in reach: the socket lives in a temporary folder.

#include "support/TempDir.h"

#include <memory>
#include <string>

#include <sys/types.h>

namespace vp::test {

class SoundBed {
public:
    static constexpr const char* hdmiSink = "alsa_output.pci-0000_00_1f.3.hdmi-stereo";
    static constexpr const char* analogSink = "alsa_output.pci-0000_00_1f.3.analog-stereo";

    // nullptr, with why, when PipeWire is not installed or did not start.
    static std::unique_ptr<SoundBed> start(std::string& whyNot);
    ~SoundBed();

    // The socket, for PIPEWIRE_REMOTE or a client's remote name.
    std::string remote() const { return dir_.file("pipewire-0"); }
    // What the user does in the sound settings; false when it was not taken.
    bool setDefault(const std::string& sink) const;
    // The server goes away.
    void kill();

private:
    SoundBed() = default;
    bool launch(std::string& whyNot);

    TempDir dir_;
    pid_t pid_ = -1;
};

}  // namespace vp::test
